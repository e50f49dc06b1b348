#pragma once
// The version page's grid as the version engines see it. Row r (from 1, below the header)
// shows record r - 1 of the front end's car list: a check box, the car kind's name and path,
// a drop-down list of its versions on the card and the row's deletion state.

#include <string>
#include <vector>

namespace kest {

class CKestCar;

// The cells of a row as it is added to the grid.
struct VersionRowCells {
  bool ticked = false;                // every listed kind has two versions or more: ticked
  std::string name;                   // carKindName
  std::string path;                   // the car kind's folder below CarDB/
  std::vector<std::string> versions;  // the drop-down list: the local versions, newest first
  std::string chosen;                 // preset to the last of them, the oldest
};
VersionRowCells CellsForRecord(const CKestCar& car);

// What the deletion reads of the grid. Called on the deletion's thread; a window front end
// reads its grid on its own thread.
class VersionRows {
 public:
  virtual ~VersionRows() = default;
  // The check box of `row`; read for every row when the deletion starts.
  virtual bool IsTicked(int row) = 0;
  // The drop-down list's text of `row`; read when the deletion reaches the row, so the user
  // may still change it meanwhile. Empty when the grid has no such row.
  virtual std::string ChosenVersion(int row) = 0;
};

// Rows held in a list (the `kest` command, tests); row r is element r - 1.
struct ListedVersionRow {
  bool ticked = false;
  std::string version;
};
class ListedVersionRows final : public VersionRows {
 public:
  explicit ListedVersionRows(std::vector<ListedVersionRow> rows) : rows_(std::move(rows)) {}
  bool IsTicked(int row) override;
  std::string ChosenVersion(int row) override;
  std::vector<ListedVersionRow>& rows() { return rows_; }

 private:
  const ListedVersionRow* Row(int row) const;
  std::vector<ListedVersionRow> rows_;
};

}  // namespace kest
