#include "install/card_folder.h"

#include <mutex>
#include <sys/stat.h>

#include "platform/free_space.h"

namespace kest {
namespace {

std::mutex g_mutex;
std::string g_card_folder;

}  // namespace

bool SetCardFolder(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  std::lock_guard lock(g_mutex);
  g_card_folder = path;
  return true;
}

std::string CardFolder() {
  std::lock_guard lock(g_mutex);
  return g_card_folder;
}

uint64_t GetCardFreeSpace() {
  return platform::FreeBytesForUser(CardFolder()).value_or(0);
}

}  // namespace kest
