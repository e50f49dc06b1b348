#pragma once
// The login session: one per process, held by the application object (app/kest_helper_app.h).
// Every request builder reads it. Plain values without a lock: the login writes them while the
// pages that read them are locked away, and workers only read.

#include <cstdint>
#include <string>
#include <vector>

namespace kest {

struct LoginSession {
  std::string currentSerial;               // the serial number requests send ("sns=", "sn=")
  std::string account;                     // as typed at the last successful login
  std::string password;                    // as typed at the last successful login
  std::string token;                       // from the login answer
  std::string listLanguage = "en";         // "lang" of the server language list
  std::string packageLanguage = "en";      // data language of the card's packages
  int32_t identity = 0;                    // 2 = dealer
  std::vector<std::string> serialNumbers;  // from the login answer, in its order
  int32_t region = 2;
  int32_t memberID = 0;

  static constexpr int32_t kDealer = 2;
  bool IsDealer() const { return identity == kDealer; }
};

}  // namespace kest
