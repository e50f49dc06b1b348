#include "app/ui/page_list.h"

#include "app/ui/controls/message_box.h"
#include "app/ui/controls/ui_text.h"

namespace kest::ui {

bool CPageList::Add(int id, QWidget* page, QWidget* messageParent) {
  for (const auto& [entry_id, entry_page] : entries_) {
    if (entry_id == id && entry_page) {
      ShowPlain(messageParent, Tr("hasexitpage"));
      return false;
    }
  }
  entries_.emplace_back(id, page);
  return true;
}

QWidget* CPageList::Find(int id) const {
  for (const auto& [entry_id, entry_page] : entries_) {
    if (entry_id == id) return entry_page;
  }
  return nullptr;
}

void CPageList::Show(int id) {
  for (const auto& [entry_id, entry_page] : entries_) {
    if (entry_page) entry_page->setVisible(entry_id == id);
  }
  current_id_ = id;
}

}  // namespace kest::ui
