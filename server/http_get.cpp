#include "server/http_get.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <curl/curl.h>
#include <fcntl.h>
#include <mutex>
#include <string_view>
#include <unistd.h>

#include "platform/debug_trace.h"
#include "platform/file_io.h"
#include "platform/work_control.h"

namespace kest {
namespace {

std::mutex g_limits_mutex;
HttpLimits g_limits;

// 100 KiB reads: with a file as the target this matched the curl tool's throughput, where the
// library's default of 16 KiB was about a fifth slower.
constexpr long kReceiveBufferBytes = 102400;
constexpr int kMaxRestarts = 3;

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Transfer {
  const std::string* path = nullptr;
  int fd = -1;
  uint64_t written = 0;
  uint64_t max_bytes = UINT64_MAX;
  bool watch_gate = false;
  // Per attempt:
  bool resuming = false;       // this attempt asked for the bytes from `written` on
  bool checked_answer = false; // the resumed answer's status was looked at
  long status = 0;             // of the last response header block
  bool has_range_start = false;
  uint64_t range_start = 0;    // from "Content-Range: bytes N-M/T"
  // Why an attempt ended early:
  bool paused = false;
  bool restart = false;
  bool too_large = false;
  bool write_failed = false;
};

bool OpenTarget(Transfer& t) {
  if (t.fd >= 0) return true;
  t.fd = ::open(t.path->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  return t.fd >= 0;
}

bool StartOver(Transfer& t) {
  if (t.fd >= 0 && (::ftruncate(t.fd, 0) != 0 || ::lseek(t.fd, 0, SEEK_SET) != 0)) return false;
  t.written = 0;
  return true;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  std::string_view line(data, size * count);
  if (line.starts_with("HTTP/")) {  // a new response (after a redirect or a 100 Continue)
    size_t space = line.find(' ');
    t.status = space == std::string_view::npos ? 0 : std::atol(line.data() + space + 1);
    t.has_range_start = false;
  } else if (line.size() > 14 && strncasecmp(line.data(), "Content-Range:", 14) == 0) {
    size_t bytes = line.find("bytes");
    if (bytes != std::string_view::npos) {
      t.has_range_start = true;
      t.range_start = std::strtoull(std::string(line.substr(bytes + 5)).c_str(), nullptr, 10);
    }
  }
  return size * count;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  size_t n = size * count;
  if (t.resuming && !t.checked_answer) {
    t.checked_answer = true;
    // Judged by Content-Range rather than by the status: some servers send the range they
    // were asked for with a plain 200.
    if (t.has_range_start) {
      if (t.range_start != t.written) {
        t.restart = true;
        return 0;
      }
    } else if (t.status == 200) {  // the whole body: it replaces what we have
      if (!StartOver(t)) {
        t.write_failed = true;
        return 0;
      }
    } else {
      t.restart = true;  // 416 and the like: ask again for the whole body
      return 0;
    }
  }
  if (n > t.max_bytes - t.written) {
    t.too_large = true;
    return 0;
  }
  if (!OpenTarget(t) || !platform::WriteAll(t.fd, data, n)) {
    t.write_failed = true;
    return 0;
  }
  t.written += n;
  return n;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto& t = *static_cast<Transfer*>(user);
  if (t.watch_gate && WorkGate().IsClosed()) {
    t.paused = true;
    return 1;  // give up the connection; the caller waits at the gate
  }
  return 0;
}

void Configure(CURL* curl, const std::string& url, curl_slist* headers, Transfer& t,
               const HttpLimits& limits) {
  curl_easy_reset(curl);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "Download From HTTP");
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, limits.connect_timeout_seconds);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, limits.stall_bytes_per_second);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, limits.stall_seconds);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
  // Addresses come from server answers: never let one read a local file or talk another
  // protocol.
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &t);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &t);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &t);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  std::string range = std::to_string(t.written) + "-";
  // CURLOPT_RANGE rather than RESUME_FROM: the latter fails outright on a 200 answer, and we
  // want to take that answer from its start instead.
  curl_easy_setopt(curl, CURLOPT_RANGE, t.resuming ? range.c_str() : nullptr);
}

HttpGetResult Fetch(const std::string& url, const std::string& target_path,
                    uint64_t max_bytes, long* final_status = nullptr) {
  if (url.empty() || target_path.empty()) return HttpGetResult::kFailed;
  InitCurlOnce();
  CURL* curl = curl_easy_init();
  if (!curl) return HttpGetResult::kFailed;
  curl_slist* headers = curl_slist_append(nullptr, "Accept: */*");
  headers = curl_slist_append(headers, "Cache-Control: no-cache");
  headers = curl_slist_append(headers, "Pragma: no-cache");
  const HttpLimits limits = CurrentHttpLimits();

  Transfer t;
  t.path = &target_path;
  t.max_bytes = max_bytes;
  t.watch_gate = !WorkGate().IsClosed();
  int restarts = 0;
  HttpGetResult result = HttpGetResult::kFailed;
  for (;;) {
    t.checked_answer = false;
    t.paused = t.restart = t.has_range_start = false;
    t.status = 0;
    Configure(curl, url, headers, t, limits);
    CURLcode code = curl_easy_perform(curl);
    if (code == CURLE_OK && !t.restart) {
      if (t.resuming && !t.checked_answer && !t.has_range_start) {
        // An empty answer to the range request: an empty whole body (200) replaces ours;
        // anything else (416) is not the rest of our file.
        t.restart = t.status != 200 || !StartOver(t);
      }
      if (!t.restart) {
        result = OpenTarget(t) ? HttpGetResult::kOk : HttpGetResult::kFailed;
        break;
      }
    }
    if (t.paused) {
      WorkGate().Pass();
      t.resuming = t.written > 0;
      continue;
    }
    if (t.restart && restarts++ < kMaxRestarts && StartOver(t)) {
      t.resuming = false;
      continue;
    }
    if (t.too_large) result = HttpGetResult::kTooLarge;
    // Without the query: it may carry a password.
    KEST_TRACE("HttpGetToFile %s: %s\r\n", url.substr(0, url.find('?')).c_str(),
               curl_easy_strerror(code));
    break;
  }
  if (t.fd >= 0 && ::close(t.fd) != 0 && result == HttpGetResult::kOk) {
    result = HttpGetResult::kFailed;
  }
  if (final_status) *final_status = t.status;
  curl_slist_free_all(headers);
  curl_easy_cleanup(curl);
  return result;
}

}  // namespace

void SetHttpLimits(const HttpLimits& limits) {
  std::lock_guard lock(g_limits_mutex);
  g_limits = limits;
}

HttpLimits CurrentHttpLimits() {
  std::lock_guard lock(g_limits_mutex);
  return g_limits;
}

bool HttpGetToFile(const std::string& url, const std::string& target_path) {
  return Fetch(url, target_path, UINT64_MAX) == HttpGetResult::kOk;
}

bool HttpDownloadFile(const std::string& url, const std::string& target_path) {
  long status = 0;
  if (Fetch(url, target_path, UINT64_MAX, &status) != HttpGetResult::kOk) return false;
  return status < 400;
}

HttpGetResult HttpGetToFileBounded(const std::string& url, const std::string& target_path,
                                   uint64_t max_bytes) {
  return Fetch(url, target_path, max_bytes);
}

}  // namespace kest
