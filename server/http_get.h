#pragma once
// One HTTP GET whose body goes straight into a file: the transport of every server answer and
// of every package, configuration and custom file.

#include <cstdint>
#include <string>

namespace kest {

// When a transfer gives up. Without these a server that accepts the connection and then says
// nothing would hold a worker (and the page waiting for it) forever.
struct HttpLimits {
  long connect_timeout_seconds = 15;  // from the start until the connection stands
  long stall_seconds = 30;            // this long below stall_bytes_per_second ends it ...
  long stall_bytes_per_second = 1;    // ... so 30 s without a single byte
};
void SetHttpLimits(const HttpLimits& limits);  // process-wide; tests shorten them
HttpLimits CurrentHttpLimits();

// Fetches `url` (http or https; redirects followed; the proxy from http_proxy, https_proxy and
// no_proxy) and stores the whole body in `target_path`, whatever the HTTP status: a server's
// error page is stored like any body and left to the caller to judge. Sent with the agent
// "Download From HTTP", "Accept: */*" and no cache.
//
// The target is created (or truncated) only once the server has answered, so a transfer that
// never connects leaves an existing file alone. True only when the whole body is in the file
// and the file is closed; after a failure part of the body may be in the file.
//
// Pausing: when the process's pause gate (WorkGate()) closes while the transfer runs, the
// connection is given up, the call waits at the gate, and then continues the same file with a
// range request from the bytes already written. A server that answers that with the whole body
// (200) is read from the start again. A transfer that begins while the gate is already closed
// is not paused: it comes from a thread that is not the paused worker (the window's own
// account requests while an update waits).
bool HttpGetToFile(const std::string& url, const std::string& target_path);

// As HttpGetToFile, for a file that a server answer names and that goes onto the card as it is
// (a custom file, the menu configuration): an answer with an HTTP error status (400 and above)
// carries the server's error page, not the file, and counts as a failure. The body is still
// stored; the caller removes it.
bool HttpDownloadFile(const std::string& url, const std::string& target_path);

// As HttpGetToFile, for answers that are read into memory afterwards: a body longer than
// `max_bytes` is cut off and reported as kTooLarge.
enum class HttpGetResult { kOk, kFailed, kTooLarge };
HttpGetResult HttpGetToFileBounded(const std::string& url, const std::string& target_path,
                                   uint64_t max_bytes);

}  // namespace kest
