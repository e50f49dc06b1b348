#pragma once
// The login worker's sequence: check the account name, remember or forget the login in
// option.ini, send the login request, and on success store the account in the session and
// fetch the server's package languages. The window runs it on a worker thread; the reporter's
// calls return after the window has handled them.

#include <cstdint>
#include <string>

#include "server/login_session.h"

namespace kest {

class LoginReporter {
 public:
  virtual void ShowMessage(const std::string& text) = 0;  // a failure, shown to the user
  virtual void LoginSucceeded() = 0;                      // 0x501
  virtual void LoginFailed() = 0;                         // 0x503

 protected:
  ~LoginReporter() = default;
};

struct LoginInput {
  std::string account;
  std::string password;
  bool remember = false;
};

// 0 when the login succeeded, 1 when it failed (after the message was shown).
//
// An empty account name fails with "usernamewrong" before anything is saved or sent. Otherwise
// the login is saved with SaveLoginOptions whatever the outcome; on code 0 the session's
// account and password become the ones sent and the package languages are fetched before
// LoginSucceeded; on any other code the session's account and password stay as they were.
int RunLogin(LoginSession& session, const LoginInput& input, LoginReporter& reporter);

// The text shown for a failed login's code: "wronguserpassword" (4000), "unconnecttoservice"
// (50000, -1), "snserror" (-2), otherwise "unknownerror" as "%s ,code = %d".
std::string LoginFailureText(int32_t code);

}  // namespace kest
