#pragma once
// The member's contact details: loading them (the login request sent again with the session's
// account and password) and changing them ("/autodown/updateuser?").

#include <cstdint>
#include <string>

#include "server/login_session.h"

namespace kest {

// The user record as the server holds it, or as the user typed it.
struct UserRecord {
  std::string name;  // "memberAccount"
  std::string phone;
  std::string email;
  std::string address;
  bool operator==(const UserRecord&) const = default;
};

// Local limits of the change, in characters.
inline constexpr size_t kUserNameMinLength = 6;
inline constexpr size_t kUserNameMaxLength = 15;  // the name field takes no more
inline constexpr size_t kPhoneMaxLength = 20;
inline constexpr size_t kAddressMaxLength = 50;

// Answer codes of the change.
inline constexpr int32_t kUserInfoChanged = 0;
inline constexpr int32_t kUserNameTaken = 4004;
inline constexpr int32_t kEmailRefused = 4050;
inline constexpr int32_t kUserNameRefused = 4051;

// Sends the login request with the session's account and password. With code 0 it fills
// `record` from "data"/"user" and stores "memberID" in the session, and returns true; on any
// other outcome `record` and the session stay as they were.
bool LoadUserRecord(LoginSession& session, UserRecord& record);

// The local checks of a change, in this order: telephone over 20 characters, address over 50,
// user name under 6 or over 15, an e-mail that is not empty and has no "@", and an e-mail too
// long to be sent (its UTF-8 form over 256 bytes, which the request's encoding would turn into
// an empty value; no e-mail address is that long). Returns the message key of the first check
// that fails, or an empty string.
std::string CheckUserInfoChange(const UserRecord& typed);

// "memberID=N" followed by "&memberAccount=", "&phone=", "&email=", "&address=" and each
// percent-encoded value, in this order, each only when its value is not empty (the server
// keeps what is left out).
std::string BuildUpdateUserQuery(int32_t memberID, const UserRecord& typed);

// Sends the change for the session's memberID; the answer's code, or -1 without an answer.
int32_t ChangeUserInfo(const LoginSession& session, const UserRecord& typed);

// The message key of a change's answer code (-1 included).
std::string UserInfoChangeMessageKey(int32_t code);

}  // namespace kest
