#pragma once
// Faults that the stand-in update server can inject per endpoint, so that tests can meet the
// failures of a real server and a real network on demand.

#include <string>
#include <string_view>

#include "platform/expected.h"

namespace kest::update_server {

enum class FaultKind {
  kHtml404,    // 404 with an HTML error page
  kNotJson,    // 200 with a body that is not JSON
  kCode,       // the endpoint's answer is {"code": arg} ({"reader": arg} for listlang)
  kBody,       // 200 with `text` as the body, verbatim (answers of a wrong shape)
  kDelay,      // waits arg milliseconds before answering (a stalled server)
  kTruncate,   // sends the headers and half the body, then closes the connection
  kDrop,       // closes the connection without any answer
  kBandwidth,  // sends at most arg bytes per second
  kNoRange,    // ignores Range requests and answers 200 with the whole body
};

struct Fault {
  FaultKind kind = FaultKind::kNotJson;
  long arg = 0;
  std::string text;
};

// "html404", "notjson", "code:N", "body:TEXT", "delay:MS", "truncate", "drop",
// "bandwidth:BYTES_PER_S", "norange".
Expected<Fault> ParseFault(std::string_view text);
std::string FaultText(const Fault& fault);  // the inverse, for the log

// "ENDPOINT=KIND[:ARG]" as given to --fault; ENDPOINT is an endpoint name ("login",
// "listinfo", ...), "files" for the files the answers point to, or "*" for every request.
struct EndpointFault {
  std::string endpoint;
  Fault fault;
};
Expected<EndpointFault> ParseEndpointFault(std::string_view text);

}  // namespace kest::update_server
