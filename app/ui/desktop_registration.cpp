#include "app/ui/desktop_registration.h"

#include <QByteArray>
#include <QFile>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <pwd.h>
#include <unistd.h>

#include "app/ui/controls/images.h"
#include "platform/file_io.h"

namespace kest::ui {

namespace {

namespace fs = std::filesystem;

struct IconSize {
  int pixels;
  const char* resource;  // the picture of that size
};

constexpr IconSize kIconSizes[] = {
    {256, "128"}, {48, "128-48"}, {32, "128-32"}, {16, "128-16"}};

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return home;
  if (const passwd* entry = ::getpwuid(::getuid())) {
    if (entry->pw_dir && entry->pw_dir[0] == '/') return entry->pw_dir;
  }
  return {};
}

// Replaces `path` whole: a desktop that reads the entry while it is written sees the old one
// or the new one, never half of one.
bool WriteWhole(const std::string& path, const QByteArray& bytes) {
  std::error_code error;
  fs::create_directories(fs::path(path).parent_path(), error);
  if (error) return false;
  // Readable by the desktop's indexers, as a file the user wrote; no fsync, as every normal
  // start writes the entry again.
  std::string_view content(bytes.constData(), static_cast<size_t>(bytes.size()));
  return platform::ReplaceFileAtomically(path, content, {.mode = 0644, .sync = false}).ok();
}

bool RemoveIfThere(const std::string& path) {
  std::error_code error;
  fs::remove(path, error);
  return !error && !fs::exists(fs::symlink_status(path, error));
}

}  // namespace

std::string UserDataFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && data[0] == '/') return data;
  std::string home = HomeFolder();
  return home.empty() ? std::string() : home + "/.local/share";
}

std::string DesktopEntryPath() {
  std::string data = UserDataFolder();
  if (data.empty()) return {};
  return data + "/applications/" + kDesktopEntryName + ".desktop";
}

std::vector<std::string> DesktopIconPaths() {
  std::vector<std::string> paths;
  std::string data = UserDataFolder();
  if (data.empty()) return paths;
  for (const IconSize& size : kIconSizes) {
    paths.push_back(data + "/icons/hicolor/" + std::to_string(size.pixels) + "x" +
                    std::to_string(size.pixels) + "/apps/" + kDesktopEntryName + ".png");
  }
  return paths;
}

std::string QuoteExecArgument(const std::string& path) {
  // Inside the quotes, '"', '`', '$' and '\' take a backslash; then the value as a whole
  // follows the string rules (a backslash doubled, control characters as escapes), and '%'
  // is doubled because it starts a field code.
  std::string quoted = "\"";
  for (char c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  std::string value;
  for (char c : quoted) {
    switch (c) {
      case '\\': value += "\\\\"; break;
      case '\n': value += "\\n"; break;
      case '\t': value += "\\t"; break;
      case '\r': value += "\\r"; break;
      case '%': value += "%%"; break;
      default: value += c;
    }
  }
  return value;
}

std::string DesktopEntryText(const std::string& programPath) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Version=1.0\n"
         "Name=KEST update utility\n"
         "Comment=Keeps the storage card of a KEST scanner up to date\n"
         "Exec=" + QuoteExecArgument(programPath) + "\n"
         "Icon=" + std::string(kDesktopEntryName) + "\n"
         "Terminal=false\n"
         "Categories=Utility;\n"
         "StartupNotify=true\n";
}

bool RegisterDesktopEntry(const std::string& programPath) {
  std::string entry = DesktopEntryPath();
  if (entry.empty() || programPath.empty()) return false;
  bool ok = true;
  std::vector<std::string> icons = DesktopIconPaths();
  for (size_t i = 0; i < icons.size(); ++i) {
    QFile picture(ImagePath(QString(kIconSizes[i].resource)));
    if (!picture.open(QIODevice::ReadOnly)) {
      ok = false;
      continue;
    }
    ok &= WriteWhole(icons[i], picture.readAll());
  }
  ok &= WriteWhole(entry, QByteArray::fromStdString(DesktopEntryText(programPath)));
  return ok;
}

bool UnregisterDesktopEntry() {
  std::string entry = DesktopEntryPath();
  if (entry.empty()) return false;
  bool ok = RemoveIfThere(entry);
  for (const std::string& icon : DesktopIconPaths()) ok &= RemoveIfThere(icon);
  return ok;
}

}  // namespace kest::ui
