#include "versions/version_rows.h"

#include "catalogue/kest_car.h"

namespace kest {

VersionRowCells CellsForRecord(const CKestCar& car) {
  VersionRowCells cells;
  cells.name = car.carKindName;
  cells.path = car.path;
  for (const CKestVer& version : car.localVersions) cells.versions.push_back(version.version);
  cells.ticked = cells.versions.size() > 1;
  if (!cells.versions.empty()) cells.chosen = cells.versions.back();
  return cells;
}

const ListedVersionRow* ListedVersionRows::Row(int row) const {
  if (row < 1 || static_cast<size_t>(row) > rows_.size()) return nullptr;
  return &rows_[static_cast<size_t>(row) - 1];
}

bool ListedVersionRows::IsTicked(int row) {
  const ListedVersionRow* cells = Row(row);
  return cells && cells->ticked;
}

std::string ListedVersionRows::ChosenVersion(int row) {
  const ListedVersionRow* cells = Row(row);
  return cells ? cells->version : std::string();
}

}  // namespace kest
