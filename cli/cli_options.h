#pragma once
// What every `kest` command receives: the options common to all commands, already parsed, and
// the command's own arguments in order.

#include <cstdio>
#include <string>
#include <vector>

namespace kest::cli {

struct CommonOptions {
  std::string server;  // --server URL: overrides option.ini
  std::string config;  // --config FILE: another option.ini
  std::string card;    // --card FOLDER: the SD card root
  std::string serial;  // --serial SN: the scanner serial number (default: the account's first)
  std::string lang;    // --lang CODE: the data language (default: en)
  bool help = false;
};

// Exit statuses shared by every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;     // the job ran and failed (or some rows failed)
inline constexpr int kExitUsage = 2;      // wrong command line
inline constexpr int kExitNoServer = 3;   // the server gave no usable answer
inline constexpr int kExitRefused = 4;    // the server refused (login, rights)

struct Command {
  const char* name;
  const char* synopsis;  // one line for `kest --help`
  const char* help;      // the text of `kest NAME --help`
  int (*run)(const CommonOptions& options, const std::vector<std::string>& args);
};

// The password for commands that log in: $KEST_PASSWORD when set, else a prompt on the
// terminal without echo. Never taken from the command line.
std::string ReadPassword(const std::string& account);
// The account for commands that log in: $KEST_ACCOUNT, else a prompt.
std::string ReadAccount();

}  // namespace kest::cli
