#pragma once
// The program's pages for the main window: the home page and the Password Reset page; the
// Update and Ver. Management pages are empty until their pages arrive.

#include "app/ui/main_window_pages.h"

namespace kest::ui {

MainWindowPages StandardPages();

}  // namespace kest::ui
