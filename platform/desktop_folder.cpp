#include "platform/desktop_folder.h"

#include <cstdlib>
#include <fstream>
#include <pwd.h>
#include <sstream>
#include <unistd.h>

#include "platform/text.h"

namespace kest::platform {
namespace {

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home == '/') return WithoutTrailingSlash(home);
  if (passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir && *entry->pw_dir == '/') {
    return WithoutTrailingSlash(entry->pw_dir);
  }
  return {};
}

// The quoted value after "=": "..." with backslash escapes. Nothing when it is not quoted.
std::optional<std::string> QuotedValue(std::string_view text) {
  if (text.empty() || text.front() != '"') return std::nullopt;
  std::string value;
  for (size_t i = 1; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      value += text[++i];
    } else if (text[i] == '"') {
      return value;
    } else {
      value += text[i];
    }
  }
  return std::nullopt;  // no closing quote
}

}  // namespace

std::optional<std::string> ParseDesktopDir(std::string_view userDirs, std::string_view home) {
  std::optional<std::string> found;
  std::istringstream lines{std::string(userDirs)};
  std::string line;
  while (std::getline(lines, line)) {
    std::string t = Trim(line);
    constexpr std::string_view kKey = "XDG_DESKTOP_DIR=";
    if (!StartsWith(t, kKey)) continue;
    std::optional<std::string> value = QuotedValue(std::string_view(t).substr(kKey.size()));
    if (!value) continue;
    std::string path;
    if (StartsWith(*value, "$HOME")) {
      std::string_view rest = std::string_view(*value).substr(5);
      if (!rest.empty() && rest.front() != '/') continue;  // "$HOMEX" is no home path
      if (home.empty()) continue;
      path = std::string(home) + std::string(rest);
    } else if (StartsWith(*value, "/")) {
      path = *value;
    } else {
      continue;  // relative paths are not allowed in the file
    }
    found = WithoutTrailingSlash(path);
  }
  return found;
}

std::string DesktopFolder() {
  std::string home = HomeFolder();
  std::string config;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
    config = xdg;
  } else if (!home.empty()) {
    config = home + "/.config";
  }
  if (!config.empty()) {
    std::ifstream in(WithoutTrailingSlash(config) + "/user-dirs.dirs", std::ios::binary);
    std::ostringstream text;
    if (in) text << in.rdbuf();
    if (std::optional<std::string> desktop = ParseDesktopDir(text.str(), home)) return *desktop;
  }
  return home.empty() ? std::string() : home + "/Desktop";
}

}  // namespace kest::platform
