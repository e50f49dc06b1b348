#pragma once
// CPageList: the pages of the main window by dialog id, and which of them is on show.

#include <QWidget>

#include <utility>
#include <vector>

namespace kest::ui {

class CPageList final {
 public:
  // Appends the page. An id that already has a page is refused with the "Page exists" box
  // (shown over `messageParent`); false then.
  bool Add(int id, QWidget* page, QWidget* messageParent = nullptr);
  QWidget* Find(int id) const;  // the first page of that id, or null
  // Shows the page of `id` and hides every other one; `id` becomes the current id.
  void Show(int id);

  int currentId() const { return current_id_; }
  size_t size() const { return entries_.size(); }
  const std::vector<std::pair<int, QWidget*>>& entries() const { return entries_; }

 private:
  std::vector<std::pair<int, QWidget*>> entries_;  // the pages belong to the main window
  int current_id_ = -1;
};

}  // namespace kest::ui
