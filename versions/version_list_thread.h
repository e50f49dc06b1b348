#pragma once
// The version listing: asks the server for the car kinds of the session's scanner in one data
// language (the same list request as the update search), lets each car kind record find its
// versions on the card, and hands every kind with two versions or more to the front end.

#include <functional>
#include <string>
#include <string_view>

#include "server/server_get.h"
#include "versions/version_reporter.h"

namespace kest {

struct ListingInputs {
  std::string languageId;    // "langID" of the chosen package language, sent as langId
  std::string languageCode;  // its "name" ("EN"), stored in every car kind record
};

enum class ListingOutcome {
  kListed,            // at least one kind with older versions ("beready")
  kNothingOlder,      // the list arrived; no kind has two versions ("notfindolder")
  kRefused,           // the answer's "code" was not 0 (refusalCode())
  kNoConnection,      // no answer arrived
  kAnswerUnreadable,  // the answer file could not be read ("Content error:2")
  kNotJson,           // the answer was no JSON ("expressxmlerror")
};

// The list request for a query; ServerGet with the "/autodown/listinfo?" endpoint unless a
// test stands in for it with an outcome that no server can cause from outside.
using ListExchange = std::function<ServerOutcome(std::string_view query)>;
ServerOutcome ListInfoExchange(std::string_view query);

class VersionListThread final {
 public:
  VersionListThread(ListingReporter& reporter, ListingInputs inputs,
                    ListExchange exchange = ListInfoExchange)
      : reporter_(reporter), inputs_(std::move(inputs)), exchange_(std::move(exchange)) {}

  // Runs the whole listing on the calling thread (the front end's worker). Reads token,
  // currentSerial and region of TheApp().session and the card folder when it starts.
  //
  // Reports: WorkStarted, Progress 0, the "searching" text, Progress 5. Then, with a list:
  // Progress 18; per kind with two versions or more CarFound, a "Processing:<name>" text and
  // Progress 18 + i * 80 / n (i its place among all n kinds of the answer); FillGrid, "Ready",
  // Progress 100, WorkFinished, and the "notfindolder" message when no kind was found.
  // Without one: FillGrid, then
  //   unreadable answer:        the text "Content error:2", WorkFinished, Progress 100;
  //   answer that is no JSON:   "Web access failed", WorkFinished, WorkerEnded, Progress 100;
  //   refused or no connection: WorkFinished, Progress 100 (no text).
  ListingOutcome Run();

  // The answer's "code" after kRefused.
  int refusalCode() const { return refusal_code_; }

 private:
  ListingOutcome ListKinds(const Json::Value& data);

  ListingReporter& reporter_;
  ListingInputs inputs_;
  ListExchange exchange_;
  int refusal_code_ = 0;
};

}  // namespace kest
