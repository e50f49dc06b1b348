#include "settings/package_languages.h"

#include <array>
#include <fcntl.h>
#include <mutex>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "platform/file_io.h"
#include "platform/text.h"
#include "server/json_read.h"
#include "server/server_get.h"

namespace kest {
namespace {

std::mutex g_languages_mutex;
std::vector<CLanObject::MyLan> g_languages;

// The scanner reads these names from its "lang" file; the order is the order of comparison.
constexpr std::array<std::pair<std::string_view, std::string_view>, 19> kCardLanguages{{
    {"CN", "Chinese"},   {"EN", "English"},    {"RU", "Russian"}, {"JP", "Japanese"},
    {"ES", "Spanish"},   {"DE", "German"},     {"FR", "French"},  {"AB", "Arabic"},
    {"KR", "Korean"},    {"TH", "Thai"},       {"PT", "Portuguese"}, {"PL", "Polski"},
    {"SK", "Slovak"},    {"TR", "Turkish"},    {"FA", "Farsi"},   {"MM", "Burmese"},
    {"IT", "Italian"},   {"TW", "Traditional"}, {"VN", "Vietnamese"},
}};

bool WriteWholeFile(const std::string& path, std::string_view content) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = platform::WriteAll(fd, content);  // a full card: false, not a truncated file
  return ::close(fd) == 0 && ok;
}

}  // namespace

std::vector<CLanObject::MyLan> ServerLanguages() {
  std::lock_guard lock(g_languages_mutex);
  return g_languages;
}

void SetServerLanguages(std::vector<CLanObject::MyLan> languages) {
  std::lock_guard lock(g_languages_mutex);
  g_languages = std::move(languages);
}

int32_t FetchServerLanguages(const LoginSession& session) {
  std::string query = Format("token=%s&sns=%s&lang=%s&memberID=%d", session.token.c_str(),
                             session.currentSerial.c_str(), session.listLanguage.c_str(),
                             session.memberID);
  ServerOutcome outcome = ServerGet(kListLangEndpoint, query);
  if (!AnswerArrived(outcome)) return -1;
  SetServerLanguages({});
  const Answer* answer = AsAnswer(outcome);
  if (!answer) return -1;
  if (answer->status != 0) return answer->status;

  std::vector<CLanObject::MyLan> languages;
  for (const Json::Value& group : json::ReadArray(answer->root, "data")) {
    for (const Json::Value& lang : json::ReadArray(group, "langs")) {
      languages.push_back({json::ReadString(lang, "langID"), json::ReadString(lang, "name"),
                           json::ReadString(lang, "langname")});
    }
  }
  SetServerLanguages(std::move(languages));
  return 0;
}

std::string PackageLanguageName(const std::string& code) {
  for (const auto& [listed, name] : kCardLanguages) {
    if (code == listed) return std::string(name);
  }
  return {};
}

bool WriteCardLanguageFiles(const std::string& folder, const std::string& code) {
  struct stat st {};
  if (folder.empty() || ::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  std::string base = folder.back() == '/' ? folder : folder + "/";
  if (!WriteWholeFile(base + "lang.dat", code)) return false;
  return WriteWholeFile(base + "lang", PackageLanguageName(code));
}

}  // namespace kest
