#pragma once
// The user's desktop folder, as the desktop environments agree on it: XDG_DESKTOP_DIR of the
// user-dirs.dirs file in $XDG_CONFIG_HOME (default ~/.config), else $HOME/Desktop.

#include <optional>
#include <string>
#include <string_view>

namespace kest::platform {

// XDG_DESKTOP_DIR from the text of a user-dirs.dirs file: a quoted value that is "$HOME/..."
// or an absolute path, with backslash escapes. The last assignment wins, as when the shell
// sources the file. Nothing when the file has no usable entry. No trailing "/".
std::optional<std::string> ParseDesktopDir(std::string_view userDirs, std::string_view home);

// The desktop folder (no trailing "/"), or empty when not even a home folder is known.
std::string DesktopFolder();

}  // namespace kest::platform
