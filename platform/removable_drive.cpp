#include "platform/removable_drive.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/text.h"

namespace kest::platform {
namespace {

namespace fs = std::filesystem;

// mountinfo escapes blank, tab, newline and backslash in paths as three octal digits.
std::string Unescape(std::string_view field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      int value = 0;
      bool octal = true;
      for (size_t k = 1; k <= 3; ++k) {
        char c = field[i + k];
        octal = octal && c >= '0' && c <= '7';
        value = value * 8 + (c - '0');
      }
      if (octal) {
        out += static_cast<char>(value);
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && line[i] == ' ') ++i;
    size_t start = i;
    while (i < line.size() && line[i] != ' ') ++i;
    if (i > start) fields.push_back(line.substr(start, i - start));
  }
  return fields;
}

// "/media/stick" contains "/media/stick" and "/media/stick/a", not "/media/sticker".
bool MountContains(std::string_view mountPoint, std::string_view path) {
  if (mountPoint == "/") return StartsWith(path, "/");
  return StartsWith(path, mountPoint) &&
         (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

bool ParseDeviceNumber(std::string_view text, unsigned& major, unsigned& minor) {
  size_t colon = text.find(':');
  if (colon == std::string_view::npos) return false;
  std::string a(text.substr(0, colon));
  std::string b(text.substr(colon + 1));
  if (a.empty() || b.empty()) return false;
  char* end = nullptr;
  unsigned long ma = std::strtoul(a.c_str(), &end, 10);
  if (*end) return false;
  unsigned long mi = std::strtoul(b.c_str(), &end, 10);
  if (*end) return false;
  major = static_cast<unsigned>(ma);
  minor = static_cast<unsigned>(mi);
  return true;
}

std::string ReadSmallFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  if (in) text << in.rdbuf();
  return text.str();
}

std::string Resolved(const std::string& path) {
  std::error_code ec;
  fs::path p = fs::absolute(path, ec);
  if (ec) return {};
  fs::path canonical = fs::weakly_canonical(p, ec);
  return ec ? p.lexically_normal().string() : canonical.string();
}

}  // namespace

std::optional<MountEntry> FindMountForPath(std::string_view mountinfo, std::string_view path) {
  std::optional<MountEntry> best;
  size_t start = 0;
  while (start < mountinfo.size()) {
    size_t end = mountinfo.find('\n', start);
    if (end == std::string_view::npos) end = mountinfo.size();
    std::string_view line = mountinfo.substr(start, end - start);
    start = end + 1;
    // id parent major:minor root mountpoint options [optional...] - fstype source superoptions
    std::vector<std::string_view> f = Fields(line);
    size_t dash = 6;
    while (dash < f.size() && f[dash] != "-") ++dash;
    if (f.size() < 5 || dash + 2 >= f.size()) continue;
    MountEntry entry;
    if (!ParseDeviceNumber(f[2], entry.major, entry.minor)) continue;
    entry.mountPoint = Unescape(f[4]);
    if (!MountContains(entry.mountPoint, path)) continue;
    entry.fileSystem = Unescape(f[dash + 1]);
    entry.source = Unescape(f[dash + 2]);
    // Longest mount point wins; of equal ones the later, which is mounted over the earlier.
    if (!best || entry.mountPoint.size() >= best->mountPoint.size()) best = std::move(entry);
  }
  return best;
}

bool IsRemovableDevice(const BlockDeviceFacts& facts) {
  if (facts.removableFlag) return true;
  if (StartsWith(facts.name, "mmcblk") || Contains(facts.devicePath, "/mmc_host/")) return true;
  // Below a USB host controller: a path component "usbN" (the root hub of bus N).
  std::string_view path = facts.devicePath;
  size_t at = 0;
  while ((at = path.find("/usb", at)) != std::string_view::npos) {
    size_t i = at + 4;
    size_t digits = i;
    while (digits < path.size() && path[digits] >= '0' && path[digits] <= '9') ++digits;
    if (digits > i && (digits == path.size() || path[digits] == '/')) return true;
    at = i;
  }
  return false;
}

std::optional<BlockDeviceFacts> ReadBlockDeviceFacts(unsigned major, unsigned minor) {
  std::error_code ec;
  std::string link = "/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor);
  fs::path device = fs::canonical(link, ec);
  if (ec) return std::nullopt;
  if (fs::exists(device / "partition", ec)) device = device.parent_path();
  BlockDeviceFacts facts;
  facts.name = device.filename().string();
  facts.devicePath = device.string();
  facts.removableFlag = Trim(ReadSmallFile((device / "removable").string())) == "1";
  return facts;
}

std::optional<MountEntry> MountForPath(const std::string& path) {
  std::string resolved = Resolved(path);
  if (resolved.empty()) return std::nullopt;
  return FindMountForPath(ReadSmallFile("/proc/self/mountinfo"), resolved);
}

bool IsOnRemovableDrive(const std::string& path) {
  std::optional<MountEntry> mount = MountForPath(path);
  if (!mount) return false;
  std::optional<BlockDeviceFacts> facts = ReadBlockDeviceFacts(mount->major, mount->minor);
  return facts && IsRemovableDevice(*facts);
}

bool IsRemovableDriveRoot(const std::string& path) {
  std::optional<MountEntry> mount = MountForPath(path);
  return mount && mount->mountPoint == Resolved(path) && IsOnRemovableDrive(path);
}

}  // namespace kest::platform
