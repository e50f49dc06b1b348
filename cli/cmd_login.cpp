// kest login: logs in to the update server and shows the member, the role and the scanners'
// serial numbers.

#include <algorithm>
#include <cstdio>

#include "app/kest_helper_app.h"
#include "cli/cli_options.h"
#include "cli/cmd_login.h"
#include "server/login.h"
#include "settings/option_file.h"

namespace kest::cli {

int LogInForCommand(const CommonOptions& options, const char* command) {
  std::string account = ReadAccount();
  if (account.empty()) {
    std::fprintf(stderr, "kest %s: Username error: no account given ($KEST_ACCOUNT)\n", command);
    return kExitUsage;
  }
  std::string password = ReadPassword(account);
  LoginSession& session = TheApp().session;
  int32_t code = Login(session, account, password);
  switch (code) {
    case kLoginOk:
      break;
    case kLoginWrongPassword:
      std::fprintf(stderr, "kest %s: User name or password error\n", command);
      return kExitRefused;
    case kLoginSerialError:
      std::fprintf(stderr,
                   "kest %s: the server reports a serial-number error: log in with the member "
                   "account that the scanner belongs to\n",
                   command);
      return kExitRefused;
    case kLoginNoAnswer:
    case kLoginServerBusy:
      std::fprintf(stderr,
                   "kest %s: Server connection failed: no usable answer from %s (check the "
                   "address, --server or option.ini, and the network)\n",
                   command, GetServerUrl().c_str());
      return kExitNoServer;
    default:
      std::fprintf(stderr, "kest %s: Unknown error ,code = %d\n", command, code);
      return kExitRefused;
  }
  session.account = account;
  session.password = password;
  if (!options.serial.empty()) {
    const auto& own = session.serialNumbers;
    if (std::find(own.begin(), own.end(), options.serial) == own.end()) {
      std::fprintf(stderr, "kest %s: serial number %s does not belong to %s\n", command,
                   options.serial.c_str(), account.c_str());
      return kExitUsage;
    }
    session.currentSerial = options.serial;
  }
  return kExitOk;
}

namespace {

int RunLogin(const CommonOptions& options, const std::vector<std::string>& args) {
  if (!args.empty()) {
    std::fprintf(stderr, "usage: kest login\n");
    return kExitUsage;
  }
  if (int status = LogInForCommand(options, "login"); status != kExitOk) return status;
  const LoginSession& session = TheApp().session;
  std::printf("Member: %s (memberID %d)\n", session.account.c_str(), session.memberID);
  std::printf("Role: %s\n", session.IsDealer() ? "dealer" : "member");
  std::printf("Serial numbers:%s\n", session.serialNumbers.empty() ? " none" : "");
  for (const std::string& sn : session.serialNumbers) {
    std::printf("  %s%s\n", sn.c_str(), sn == session.currentSerial ? "  (current)" : "");
  }
  return kExitOk;
}

}  // namespace

extern const Command kLoginCommand = {
    "login",
    "log in to the update server and show the account's scanners",
    "usage: kest [--server URL] [--serial SN] login\n"
    "\n"
    "Logs in to the update server and shows the member, the role (member or dealer) and the\n"
    "serial numbers of the account's scanners. The account comes from $KEST_ACCOUNT and the\n"
    "password from $KEST_PASSWORD, or from prompts; the password is never taken from the\n"
    "command line. The server is the one of option.ini unless --server names another.\n"
    "\n"
    "Exit status: 0 logged in, 2 wrong command line or a serial number not of the account,\n"
    "3 no usable answer from the server, 4 login refused (wrong account or password, serial\n"
    "number error, another server code).\n",
    RunLogin,
};

}  // namespace kest::cli
