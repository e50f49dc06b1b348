// KEST update utility: the window program.

#include "app/ui/standard_pages.h"
#include "app/ui/window_program.h"

int main(int argc, char** argv) {
  return kest::ui::RunWindowProgram(argc, argv, kest::ui::StandardPages());
}
