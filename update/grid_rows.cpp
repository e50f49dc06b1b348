#include "update/grid_rows.h"

#include "catalogue/kest_product.h"
#include "platform/text.h"

namespace kest {

std::optional<GridRow> ListedRows::ReadRow(int row) {
  if (row < 1 || static_cast<size_t>(row) > rows_.size()) return std::nullopt;
  return rows_[static_cast<size_t>(row) - 1];
}

namespace {

template <typename Record>
GridRow RowFor(const Record& record, const std::string& name, const std::string& path) {
  std::vector<std::string> texts;
  record.ListVersionTexts(texts);
  return GridRow{name, path, texts.empty() ? std::string() : texts.front(), true,
                 record.NeedsUpdate()};
}

}  // namespace

std::vector<GridRow> RowsAfterSearch(const CKestProduct& catalogue) {
  std::vector<GridRow> rows;
  rows.reserve(catalogue.proItems.size() + catalogue.cars.size());
  for (const CKestProItem& item : catalogue.proItems) {
    rows.push_back(RowFor(item, item.name, item.pathText));
  }
  for (const CKestCar& car : catalogue.cars) {
    rows.push_back(RowFor(car, car.carKindName, car.path));
  }
  return rows;
}

std::string ChosenVersionLabel(std::string_view selector_text) {
  size_t bar = selector_text.find('|');
  if (bar == std::string_view::npos || bar == 0) return {};
  return Trim(selector_text.substr(0, bar));
}

}  // namespace kest
