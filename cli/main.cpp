// kest: the update utility's jobs from the command line.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "cli/commands.h"
#include "settings/option_file.h"

namespace kest::cli {
namespace {

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "usage: kest [options] COMMAND [arguments]\n"
               "\n"
               "Keeps a KEST scanner's storage card up to date from the update server.\n"
               "\n"
               "Commands:\n");
  for (const Command& c : AllCommands()) std::fprintf(out, "  %-10s %s\n", c.name, c.synopsis);
  std::fprintf(out,
               "\n"
               "Options (before or after the command):\n"
               "  --server URL    the update server (default: from option.ini)\n"
               "  --config FILE   read settings from FILE instead of option.ini\n"
               "  --card FOLDER   the storage card's folder\n"
               "  --serial SN     the scanner serial number (default: the account's first)\n"
               "  --lang CODE     the data language (default: en)\n"
               "  -h, --help      this text, or a command's own with COMMAND --help\n"
               "\n"
               "The account and password come from $KEST_ACCOUNT and $KEST_PASSWORD, or from\n"
               "a prompt; the password is never taken from the command line.\n");
}

const Command* FindCommand(const std::string& name) {
  for (const Command& c : AllCommands()) {
    if (name == c.name) return &c;
  }
  return nullptr;
}

}  // namespace

std::string ReadAccount() {
  if (const char* env = std::getenv("KEST_ACCOUNT"); env && *env) return env;
  std::fprintf(stderr, "Account: ");
  std::string account;
  std::getline(std::cin, account);
  return account;
}

std::string ReadPassword(const std::string& account) {
  if (const char* env = std::getenv("KEST_PASSWORD")) return env;
  std::fprintf(stderr, "Password for %s: ", account.c_str());
  termios saved{};
  bool terminal = ::isatty(STDIN_FILENO) && ::tcgetattr(STDIN_FILENO, &saved) == 0;
  if (terminal) {
    termios quiet = saved;
    quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  std::string password;
  std::getline(std::cin, password);
  if (terminal) {
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::fprintf(stderr, "\n");
  }
  return password;
}

int Main(int argc, char** argv) {
  CommonOptions options;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](std::string& target) {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "kest: %s needs a value\n", arg.c_str());
        return false;
      }
      target = argv[++i];
      return true;
    };
    if (arg == "-h" || arg == "--help") {
      options.help = true;
    } else if (arg == "--server") {
      if (!value(options.server)) return kExitUsage;
    } else if (arg == "--config") {
      if (!value(options.config)) return kExitUsage;
    } else if (arg == "--card") {
      if (!value(options.card)) return kExitUsage;
    } else if (arg == "--serial") {
      if (!value(options.serial)) return kExitUsage;
    } else if (arg == "--lang") {
      if (!value(options.lang)) return kExitUsage;
    } else if (arg == "--") {
      for (++i; i < argc; ++i) positional.emplace_back(argv[i]);
    } else if (arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "kest: unknown option %s (see kest --help)\n", arg.c_str());
      return kExitUsage;
    } else {
      positional.push_back(arg);
    }
  }

  if (positional.empty()) {
    PrintUsage(options.help ? stdout : stderr);
    return options.help ? kExitOk : kExitUsage;
  }
  const Command* command = FindCommand(positional.front());
  if (!command) {
    std::fprintf(stderr, "kest: unknown command %s (see kest --help)\n",
                 positional.front().c_str());
    return kExitUsage;
  }
  if (options.help) {
    std::fputs(command->help, stdout);
    return kExitOk;
  }
  if (!options.config.empty()) SetOptionFilePath(options.config);
  if (!options.server.empty()) OverrideServerUrl(options.server);
  positional.erase(positional.begin());
  return command->run(options, positional);
}

}  // namespace kest::cli

int main(int argc, char** argv) { return kest::cli::Main(argc, argv); }
