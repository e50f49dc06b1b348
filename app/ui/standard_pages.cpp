#include "app/ui/standard_pages.h"

#include "account/ui/alter_passwd.h"
#include "account/ui/pell_page_index.h"

namespace kest::ui {

MainWindowPages StandardPages() {
  MainWindowPages pages;
  pages.home = [](QWidget* parent, CMainWindowLink& main) -> QWidget* {
    return new CPellPageindex(parent, main);
  };
  pages.password = [](QWidget* parent, CMainWindowLink& main) -> QWidget* {
    return new CAlterPasswd(parent, main);
  };
  return pages;
}

}  // namespace kest::ui
