#pragma once
// The program's registration with the desktop: a desktop entry in the user's applications
// folder and the program's icon in the user's icon theme folder, so that the program appears
// in the desktop's menus and launchers.
//
//   <data>/applications/kest-update-utility.desktop
//   <data>/icons/hicolor/<N>x<N>/apps/kest-update-utility.png   (N = 256, 48, 32, 16)
//
// <data> is $XDG_DATA_HOME when it is an absolute path, else $HOME/.local/share.

#include <string>
#include <vector>

namespace kest::ui {

inline constexpr const char* kDesktopEntryName = "kest-update-utility";

std::string UserDataFolder();  // no trailing "/"; empty when neither variable helps
std::string DesktopEntryPath();
std::vector<std::string> DesktopIconPaths();

// The desktop entry's text for the executable at `programPath`.
std::string DesktopEntryText(const std::string& programPath);
// The path as one argument of the entry's Exec key: quoted, with the characters that the
// desktop entry format reserves escaped.
std::string QuoteExecArgument(const std::string& path);

// Writes the entry and the icons (each file replaced whole). False when one could not be
// written.
bool RegisterDesktopEntry(const std::string& programPath);
// Removes them; files that are already gone count as removed. False when one stays.
bool UnregisterDesktopEntry();

}  // namespace kest::ui
