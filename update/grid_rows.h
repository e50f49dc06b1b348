#pragma once
// The rows the update run handles, as the front end's grid shows them: row 1 is the first
// below the header, in the grid's current order (the user may have sorted or filtered it).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kest {

class CKestProduct;

struct GridRow {
  std::string name;         // column 1: carKindName or the product item's name
  std::string path;         // column 2: the car kind's path, or the item's (empty) pathText
  std::string versionText;  // column 3: the version selector's text, "V10.20 | 2019-04-01"
  bool hasCheckBox = false;  // column 0 holds a check box
  bool ticked = false;
};

class GridRows {
 public:
  virtual ~GridRows() = default;
  // The cells of `row`, or nothing when the grid has no such row. Called on the run's
  // thread while the front end keeps the grid unchanged.
  virtual std::optional<GridRow> ReadRow(int row) = 0;
};

// Rows held in a list (the `kest` command, tests).
class ListedRows final : public GridRows {
 public:
  explicit ListedRows(std::vector<GridRow> rows) : rows_(std::move(rows)) {}
  std::optional<GridRow> ReadRow(int row) override;
  std::vector<GridRow>& rows() { return rows_; }
  const std::vector<GridRow>& rows() const { return rows_; }

 private:
  std::vector<GridRow> rows_;
};

// The rows a grid shows after a search: one per product item, then one per car kind, in
// catalogue order, each showing its newest version and ticked when NeedsUpdate holds.
std::vector<GridRow> RowsAfterSearch(const CKestProduct& catalogue);

// The version label of a selector text: the part before its first "|", trimmed of blanks;
// empty when the text has no "|" after its first character.
std::string ChosenVersionLabel(std::string_view selector_text);

}  // namespace kest
