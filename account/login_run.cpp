#include "account/login_run.h"

#include "platform/text.h"
#include "server/login.h"
#include "settings/language_table.h"
#include "settings/option_file.h"
#include "settings/package_languages.h"

namespace kest {

std::string LoginFailureText(int32_t code) {
  switch (code) {
    case kLoginWrongPassword: return GetLangString("wronguserpassword");
    case kLoginServerBusy:
    case kLoginNoAnswer: return GetLangString("unconnecttoservice");
    case kLoginSerialError: return GetLangString("snserror");
    default: return Format("%s ,code = %d", GetLangString("unknownerror").c_str(), code);
  }
}

int RunLogin(LoginSession& session, const LoginInput& input, LoginReporter& reporter) {
  if (input.account.empty()) {
    reporter.ShowMessage(GetLangString("usernamewrong"));
    reporter.LoginFailed();
    return 1;
  }
  // Saved before the request, whatever its outcome: the user asked for it with the click.
  SaveLoginOptions(input.remember, input.account, input.password);
  int32_t code = Login(session, input.account, input.password);
  if (code != kLoginOk) {
    reporter.ShowMessage(LoginFailureText(code));
    reporter.LoginFailed();
    return 1;
  }
  session.account = input.account;
  session.password = input.password;
  FetchServerLanguages(session);
  reporter.LoginSucceeded();
  return 0;
}

}  // namespace kest
