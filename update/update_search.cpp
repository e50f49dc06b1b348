#include "update/update_search.h"

#include "app/kest_helper_app.h"
#include "catalogue/card_path.h"
#include "catalogue/kest_car.h"
#include "catalogue/kest_pro_item.h"
#include "catalogue/kest_product.h"
#include "platform/text.h"
#include "server/json_read.h"
#include "server/server_get.h"
#include "settings/language_table.h"

namespace kest {
namespace {

std::string ProcessingText(const std::string& name) {
  return Format("%s:%s", GetLangString("processing").c_str(), name.c_str());
}

}  // namespace

SearchOutcome UpdateSearch::Run() {
  const LoginSession& session = TheApp().session;
  token_ = session.token;
  serial_ = session.currentSerial;
  region_ = session.region;

  Report([&] { reporter_.WorkStarted(); });
  Report([&] { reporter_.ClearGridReady(); });
  Report([&] { reporter_.Progress(0); });
  Report([&] { reporter_.StatusText(GetLangString("seachingupgradeversion")); });
  Report([&] { reporter_.Progress(5); });

  FetchProductItems();
  bool cars_arrived = FetchCarKinds();

  Report([&] { reporter_.FillGrid(); });
  if (cars_arrived) {
    Report([&] { reporter_.StatusText(GetLangString("beready")); });
    Report([&] { reporter_.Progress(100); });
    Report([&] { reporter_.WorkFinished(); });
    return SearchOutcome::kReady;
  }
  Report([&] { reporter_.StatusText(GetLangString("expressxmlerror")); });
  Report([&] { reporter_.WorkFinished(); });
  Report([&] { reporter_.WorkerEnded(); });
  Report([&] { reporter_.Progress(100); });
  return SearchOutcome::kWebAccessFailed;
}

void UpdateSearch::FetchProductItems() {
  std::string query = Format("token=%s&sns=%s&fileFolderType=%d&region=%d&langId=%s",
                             token_.c_str(), serial_.c_str(), 0, region_,
                             inputs_.languageId.c_str());
  ServerOutcome outcome = ServerGet(kGetFile4MemberEndpoint, query);
  const Answer* answer = AsAnswer(outcome);
  if (!answer || answer->status != 0) return;  // no product items; the car kinds follow
  const Json::Value& data = json::ReadArray(answer->root, "data");
  const int n = static_cast<int>(data.size());
  for (int i = 0; i < n; ++i) {
    CKestProItem item(data[static_cast<Json::ArrayIndex>(i)]);
    Report([&] { reporter_.ProItemFound(item); });
    Report([&] { reporter_.StatusText(ProcessingText(item.name)); });
    Report([&] { reporter_.Progress(6 + 8 * i / n); });
  }
}

bool UpdateSearch::FetchCarKinds() {
  std::string query = Format("token=%s&sns=%s&langId=%s&region=%d", token_.c_str(),
                             serial_.c_str(), inputs_.languageId.c_str(), region_);
  ServerOutcome outcome = ServerGet(kListInfoEndpoint, query);
  const Answer* answer = AsAnswer(outcome);
  if (!answer || answer->status != 0) return false;
  CardListingScope listing;  // nothing writes to the card while the records are built
  for (const Json::Value& element : json::ReadArray(answer->root, "data")) {
    CKestCar car(inputs_.languageCode, element);
    Report([&] { reporter_.CarFound(car); });
    Report([&] { reporter_.StatusText(ProcessingText(car.carKindName)); });
  }
  return true;
}

void CatalogueCollector::ProItemFound(const CKestProItem& item) {
  catalogue_.proItems.push_back(item);
}

void CatalogueCollector::CarFound(const CKestCar& car) { catalogue_.cars.push_back(car); }

}  // namespace kest
