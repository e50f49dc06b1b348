#pragma once
// Password changes: an ordinary member changes the own password ("/autodown/resetPassword?");
// a dealer resets the password of the account that holds a scanner to the default password
// ("/autodown/resetPasswordbytrader?"). Every value is percent-encoded like the login's, so a
// password with "&", "#" or "%" reaches the server as typed.

#include <cstdint>
#include <string>

#include "server/login_session.h"

namespace kest {

// The password a dealer's reset gives the scanner's account; shown to the dealer.
inline constexpr const char* kDealerDefaultPassword = "580297";

inline constexpr size_t kPasswordMinLength = 6;
inline constexpr size_t kPasswordMaxLength = 20;

struct PasswordChangeInput {
  std::string serial;        // the serial-number box (dealer)
  std::string oldPassword;   // a dealer types the own password here
  std::string newPassword;
  std::string confirmation;
};

// The local checks, in this order: the old password differs from the session's (exact
// comparison), the new one is shorter than 6 or longer than 20 characters, the confirmation
// differs; then for a dealer an empty old password, for a member an old password equal to the
// new one. The message key of the first that fails, or an empty string.
std::string CheckPasswordChange(const LoginSession& session, const PasswordChangeInput& input);

std::string BuildMemberPasswordQuery(int32_t memberID, const std::string& newPassword,
                                     const std::string& oldPassword);
std::string BuildDealerResetQuery(int32_t memberID, const std::string& serial);

// The requests; each gives the answer's code, or -1 without an answer.
int32_t ChangeMemberPassword(const LoginSession& session, const std::string& newPassword,
                             const std::string& oldPassword);
int32_t ResetPasswordByDealer(const LoginSession& session, const std::string& serial);

// The message keys of the answer codes (-1 included).
std::string MemberPasswordMessageKey(int32_t code);
std::string DealerResetMessageKey(int32_t code);

}  // namespace kest
