#pragma once
// The login request: fills the login session from the server's answer.

#include <cstdint>
#include <string>

#include "server/login_session.h"

namespace kest {

// Result codes of Login (the server's "code", passed on unchanged, plus our own -1).
inline constexpr int32_t kLoginOk = 0;
inline constexpr int32_t kLoginNoAnswer = -1;       // no usable answer (or the server's -1)
inline constexpr int32_t kLoginSerialError = -2;    // account does not match its scanners
inline constexpr int32_t kLoginWrongPassword = 4000;
inline constexpr int32_t kLoginServerBusy = 50000;  // shown like a failed connection

// Sends "/autodown/login?" with the account and password percent-encoded and returns the
// answer's code, or kLoginNoAnswer.
//
// Session effects: on no answer, none. Once an answer has arrived (even one that does not
// parse): serialNumbers emptied and identity 0. With code 0 and a "data" object: memberID,
// token, identity and the serial numbers from the answer, and currentSerial set to the first
// serial number (kept as it was when the list is empty). With another code nothing else
// changes, so the token and memberID of an earlier login stay. `account` and `password` of the
// session are not touched: the caller stores them after a successful login.
int32_t Login(LoginSession& session, const std::string& account, const std::string& password);

}  // namespace kest
