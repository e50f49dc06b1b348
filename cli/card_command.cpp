#include "cli/card_command.h"

#include <cstdio>
#include <filesystem>
#include <sys/stat.h>
#include <vector>

#include "app/kest_helper_app.h"
#include "catalogue/card_layout.h"
#include "cli/cmd_login.h"
#include "cli/terminal_text.h"
#include "install/card_folder.h"
#include "platform/text.h"
#include "resources/embedded_files.h"
#include "settings/language_table.h"
#include "settings/package_languages.h"

namespace kest::cli {
namespace {

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int UseCard(const CommonOptions& options, const char* command) {
  std::string card = Trim(options.card);
  if (card.empty()) {
    std::fprintf(stderr, "kest %s: Path cannot be empty. Name the card's folder with --card\n",
                 command);
    return kExitUsage;
  }
  std::error_code ec;
  card = std::filesystem::absolute(card, ec).lexically_normal().string();
  if (card.size() > 1 && card.back() == '/') card.pop_back();
  if (!IsFolder(card)) {
    std::fprintf(stderr, "kest %s: Invalid SD path: %s is no folder\n", command, card.c_str());
    return kExitUsage;
  }
  if (!CardRootAcceptable(card, DriveTest::kDrivePart)) {
    std::fprintf(stderr,
                 "kest %s: Select SD card or a desktop folder: %s is neither on a removable "
                 "drive nor inside the desktop folder\n",
                 command, card.c_str());
    return kExitUsage;
  }
  SetCardFolder(card);
  if (!CardHasMinimumSpace(GetCardFreeSpace())) {
    std::fprintf(stderr, "kest %s: warning: %s (%s free)\n", command,
                 GetLangString("spacenotenough").c_str(), HumanSize(GetCardFreeSpace()).c_str());
  }
  return kExitOk;
}

int ChooseLanguage(const CommonOptions& options, const char* command,
                   PackageLanguage& language) {
  LoginSession& session = TheApp().session;
  int32_t reader = FetchServerLanguages(session);
  if (reader == -1) {
    std::fprintf(stderr, "kest %s: Server connection failed: no usable language list\n",
                 command);
    return kExitNoServer;
  }
  std::vector<CLanObject::MyLan> languages = ServerLanguages();
  std::string wanted = options.lang.empty() ? "en" : options.lang;
  for (const CLanObject::MyLan& lan : languages) {
    if (EqualsIgnoreCase(lan.name, wanted)) {
      language.id = lan.langID;
      language.code = lan.name;
      session.packageLanguage = lan.name;
      return kExitOk;
    }
  }
  std::string offered;
  for (const CLanObject::MyLan& lan : languages) offered += " " + lan.name;
  std::fprintf(stderr, "kest %s: the server offers no language %s for %s (offered:%s)\n",
               command, wanted.c_str(), session.currentSerial.c_str(),
               offered.empty() ? " none" : offered.c_str());
  return reader == 0 ? kExitUsage : kExitRefused;
}

}  // namespace

int PrepareCardCommand(const CommonOptions& options, const char* command,
                       PackageLanguage& language) {
  ExtractEmbeddedFiles();
  LoadLanguageTable("en");
  if (int status = UseCard(options, command); status != kExitOk) return status;
  if (int status = LogInForCommand(options, command); status != kExitOk) return status;
  if (TheApp().session.currentSerial.empty()) {
    std::fprintf(stderr, "kest %s: the account %s has no scanner\n", command,
                 TheApp().session.account.c_str());
    return kExitFailed;
  }
  return ChooseLanguage(options, command, language);
}

}  // namespace kest::cli
