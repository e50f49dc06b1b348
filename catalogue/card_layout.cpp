#include "catalogue/card_layout.h"

#include <dirent.h>
#include <sys/stat.h>

#include "app/kest_helper_app.h"
#include "catalogue/card_path.h"
#include "catalogue/kest_car.h"
#include "install/card_folder.h"
#include "platform/desktop_folder.h"
#include "platform/removable_drive.h"
#include "platform/text.h"

namespace kest {

bool ScanLocalVersions(CKestCar& car) {
  car.localVersions.clear();
  std::optional<std::string> folder = FindCarKindFolder(CardFolder(), car.path);
  if (!folder) return false;
  DIR* dir = ::opendir(folder->c_str());
  if (!dir) return false;
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] == '.') continue;  // also "." and ".."
    bool is_folder = entry->d_type == DT_DIR;
    if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
      struct stat st {};
      is_folder = ::stat(JoinPath(*folder, entry->d_name).c_str(), &st) == 0 &&
                  S_ISDIR(st.st_mode);
    }
    if (is_folder) car.localVersions.emplace_back(std::string(entry->d_name));
  }
  ::closedir(dir);
  SortNewestFirst(car.localVersions);
  return !car.localVersions.empty();
}

bool IsVersionOnCard(const CKestCar& car, std::string_view label) {
  std::optional<std::string> version = FindVersionFolder(CardFolder(), car.path, label);
  if (!version) return false;
  std::string data = "data." + TheApp().session.packageLanguage;
  return FindEntryIgnoringCase(*version, data, EntryKind::kFile).has_value();
}

bool CardRootAcceptable(const std::string& path, DriveTest test) {
  bool removable = test == DriveTest::kWholeText ? platform::IsRemovableDriveRoot(path)
                                                 : platform::IsOnRemovableDrive(path);
  if (removable) return true;
  std::string desktop = platform::DesktopFolder();
  if (desktop.empty()) return true;
  return Contains(path, desktop + "/");
}

bool CardHasMinimumSpace(uint64_t free_bytes) { return free_bytes >= kCardMinimumFreeBytes; }

bool RoomToInstall(uint64_t free_bytes, uint64_t pending_bytes) {
  return free_bytes >= pending_bytes + kInstallMarginBytes;
}

bool RoomToResume(uint64_t free_bytes, uint64_t pending_bytes) {
  return free_bytes > pending_bytes + kInstallMarginBytes;
}

}  // namespace kest
