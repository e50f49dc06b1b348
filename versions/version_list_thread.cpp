#include "versions/version_list_thread.h"

#include "app/kest_helper_app.h"
#include "catalogue/card_path.h"
#include "catalogue/kest_car.h"
#include "platform/text.h"
#include "server/json_read.h"
#include "settings/language_table.h"

namespace kest {

ServerOutcome ListInfoExchange(std::string_view query) {
  return ServerGet(kListInfoEndpoint, query);
}

ListingOutcome VersionListThread::Run() {
  const LoginSession& session = TheApp().session;
  const std::string query =
      Format("token=%s&sns=%s&langId=%s&region=%d", session.token.c_str(),
             session.currentSerial.c_str(), inputs_.languageId.c_str(), session.region);

  Report([&] { reporter_.WorkStarted(); });
  Report([&] { reporter_.Progress(0); });
  Report([&] { reporter_.StatusText(GetLangString("seachinglocalversion")); });
  Report([&] { reporter_.Progress(5); });

  const ServerOutcome outcome = exchange_(query);
  if (const Answer* answer = AsAnswer(outcome); answer && answer->status == 0) {
    return ListKinds(json::ReadArray(answer->root, "data"));
  }

  Report([&] { reporter_.FillGrid(); });
  if (const Answer* answer = AsAnswer(outcome)) {
    refusal_code_ = answer->status;
    Report([&] { reporter_.WorkFinished(); });
    Report([&] { reporter_.Progress(100); });
    return ListingOutcome::kRefused;
  }
  switch (std::get<NoAnswer>(outcome).reason) {
    case NoAnswerReason::AnswerUnreadable:
      Report([&] { reporter_.StatusText("Content error:2"); });
      Report([&] { reporter_.WorkFinished(); });
      Report([&] { reporter_.Progress(100); });
      return ListingOutcome::kAnswerUnreadable;
    case NoAnswerReason::NotJson:
      Report([&] { reporter_.StatusText(GetLangString("expressxmlerror")); });
      Report([&] { reporter_.WorkFinished(); });
      Report([&] { reporter_.WorkerEnded(); });
      Report([&] { reporter_.Progress(100); });
      return ListingOutcome::kNotJson;
    case NoAnswerReason::TransportFailed:
      break;
  }
  Report([&] { reporter_.WorkFinished(); });
  Report([&] { reporter_.Progress(100); });
  return ListingOutcome::kNoConnection;
}

ListingOutcome VersionListThread::ListKinds(const Json::Value& data) {
  Report([&] { reporter_.Progress(18); });
  bool found = false;
  {
    CardListingScope listing;  // nothing writes to the card while the records are built
    const int n = static_cast<int>(data.size());
    for (int i = 0; i < n; ++i) {
      CKestCar car(inputs_.languageCode, data[static_cast<Json::ArrayIndex>(i)]);
      if (car.localVersions.size() < 2) continue;
      Report([&] { reporter_.CarFound(car); });
      Report([&] {
        reporter_.StatusText(
            Format("%s:%s", GetLangString("processing").c_str(), car.carKindName.c_str()));
      });
      Report([&] { reporter_.Progress(18 + i * 80 / n); });
      found = true;
    }
  }
  Report([&] { reporter_.FillGrid(); });
  Report([&] { reporter_.StatusText(GetLangString("beready")); });
  Report([&] { reporter_.Progress(100); });
  Report([&] { reporter_.WorkFinished(); });
  if (found) return ListingOutcome::kListed;
  Report([&] { reporter_.ShowMessage(GetLangString("notfindolder")); });
  return ListingOutcome::kNothingOlder;
}

}  // namespace kest
