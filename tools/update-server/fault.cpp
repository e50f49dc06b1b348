#include "tools/update-server/fault.h"

#include <charconv>

namespace kest::update_server {
namespace {

struct KindName {
  std::string_view name;
  FaultKind kind;
  bool needs_number;
};

constexpr KindName kKinds[] = {
    {"html404", FaultKind::kHtml404, false},   {"notjson", FaultKind::kNotJson, false},
    {"code", FaultKind::kCode, true},          {"body", FaultKind::kBody, false},
    {"delay", FaultKind::kDelay, true},        {"truncate", FaultKind::kTruncate, false},
    {"drop", FaultKind::kDrop, false},         {"bandwidth", FaultKind::kBandwidth, true},
    {"norange", FaultKind::kNoRange, false},
};

}  // namespace

Expected<Fault> ParseFault(std::string_view text) {
  size_t colon = text.find(':');
  std::string_view name = text.substr(0, colon);
  std::string_view arg = colon == std::string_view::npos ? "" : text.substr(colon + 1);
  for (const KindName& k : kKinds) {
    if (k.name != name) continue;
    Fault fault{k.kind, 0, {}};
    if (k.kind == FaultKind::kBody) {
      fault.text = std::string(arg);
    } else if (k.needs_number) {
      auto [end, ec] = std::from_chars(arg.data(), arg.data() + arg.size(), fault.arg);
      bool positive_needed = k.kind != FaultKind::kCode;
      if (arg.empty() || ec != std::errc() || end != arg.data() + arg.size() ||
          (positive_needed && fault.arg <= 0)) {
        return Error{0, "fault " + std::string(name) + " needs a number: " + std::string(text)};
      }
    } else if (colon != std::string_view::npos) {
      return Error{0, "fault " + std::string(name) + " takes no argument: " + std::string(text)};
    }
    return fault;
  }
  return Error{0, "unknown fault: " + std::string(text)};
}

std::string FaultText(const Fault& fault) {
  for (const KindName& k : kKinds) {
    if (k.kind != fault.kind) continue;
    std::string text(k.name);
    // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on ":" + string.
    if (k.kind == FaultKind::kBody) text.append(":").append(fault.text);
    if (k.needs_number) text.append(":").append(std::to_string(fault.arg));
    return text;
  }
  return "?";
}

Expected<EndpointFault> ParseEndpointFault(std::string_view text) {
  size_t eq = text.find('=');
  if (eq == std::string_view::npos || eq == 0) {
    return Error{0, "expected ENDPOINT=KIND[:ARG]: " + std::string(text)};
  }
  Expected<Fault> fault = ParseFault(text.substr(eq + 1));
  if (!fault) return fault.error();
  return EndpointFault{std::string(text.substr(0, eq)), *fault};
}

}  // namespace kest::update_server
