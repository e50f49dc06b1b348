#pragma once
// ServerGet: one request to the update server and its parsed answer. Every request of the
// program goes through it.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include <json/value.h>

#include "server/endpoints.h"

namespace kest {

// Why a request gave no answer to read.
enum class NoAnswerReason {
  TransportFailed,   // no connection, or the transfer broke off: no answer file arrived
  AnswerUnreadable,  // the answer file arrived but could not be opened
  NotJson,           // the answer is not one JSON object with an integer status (error
                     // pages, cut-off bodies, answers above kMaxAnswerBytes)
};

struct NoAnswer {
  NoAnswerReason reason = NoAnswerReason::TransportFailed;
};

struct Answer {
  Json::Value root;  // an object; read it with server/json_read.h
  int status = 0;    // "code" ("reader" for the language list); 0 when missing
};

using ServerOutcome = std::variant<NoAnswer, Answer>;

// Answers are lists of tens of entries (a few KiB); anything this large is not one of ours,
// and parsing it would cost many times its size in memory.
inline constexpr uint64_t kMaxAnswerBytes = 8u << 20;

// GetServerUrl() + path + query, with "http://" in front when the text has no "http" anywhere.
// Nothing else is normalised: a base URL ending in "/" gives a double slash.
std::string BuildRequestUrl(std::string_view path, std::string_view query);

// Sends the request and parses its answer. The answer travels through a new file in
// TempFolder() named after `prefix`; that file is removed on every path before this returns.
// Never throws.
ServerOutcome ServerGet(std::string_view path, std::string_view query, std::string_view prefix);
inline ServerOutcome ServerGet(const Endpoint& endpoint, std::string_view query) {
  return ServerGet(endpoint.path, query, endpoint.prefix);
}

// Helpers for callers.
inline const Answer* AsAnswer(const ServerOutcome& outcome) {
  return std::get_if<Answer>(&outcome);
}
// True when an answer file arrived and could be opened, usable or not (Answer or NotJson):
// callers that drop their old state "once an answer has arrived" test this.
bool AnswerArrived(const ServerOutcome& outcome);

}  // namespace kest
