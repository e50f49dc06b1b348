// kest languages: the package languages that the update server offers for a scanner.

#include <cstdio>

#include "app/kest_helper_app.h"
#include "cli/cli_options.h"
#include "cli/cmd_login.h"
#include "settings/package_languages.h"

namespace kest::cli {
namespace {

int RunLanguages(const CommonOptions& options, const std::vector<std::string>& args) {
  if (!args.empty()) {
    std::fprintf(stderr, "usage: kest languages\n");
    return kExitUsage;
  }
  if (int status = LogInForCommand(options, "languages"); status != kExitOk) return status;
  const LoginSession& session = TheApp().session;
  if (session.currentSerial.empty()) {
    std::fprintf(stderr, "kest languages: the account %s has no scanner\n",
                 session.account.c_str());
    return kExitFailed;
  }
  int32_t reader = FetchServerLanguages(session);
  if (reader == -1) {
    std::fprintf(stderr, "kest languages: Server connection failed: no usable language list\n");
    return kExitNoServer;
  }
  if (reader != 0) {
    std::fprintf(stderr, "kest languages: the server refused the language list (code %d)\n",
                 reader);
    return kExitRefused;
  }
  std::vector<CLanObject::MyLan> languages = ServerLanguages();
  std::printf("Package languages for %s:%s\n", session.currentSerial.c_str(),
              languages.empty() ? " none" : "");
  if (!languages.empty()) std::printf("  %-8s %-6s %s\n", "langID", "code", "name");
  for (const CLanObject::MyLan& lan : languages) {
    std::printf("  %-8s %-6s %s\n", lan.langID.c_str(), lan.name.c_str(), lan.langname.c_str());
  }
  return kExitOk;
}

}  // namespace

extern const Command kLanguagesCommand = {
    "languages",
    "list the package languages the server offers for a scanner",
    "usage: kest [--server URL] [--serial SN] languages\n"
    "\n"
    "Logs in (as kest login does) and lists the data languages that the update server offers\n"
    "for the scanner: the account's first serial number, or the one --serial names. Each line\n"
    "shows the language's identifier for requests, its code and its name.\n"
    "\n"
    "Exit status: 0 listed, 1 the account has no scanner, 2 wrong command line, 3 no usable\n"
    "answer from the server, 4 refused by the server.\n",
    RunLanguages,
};

}  // namespace kest::cli
