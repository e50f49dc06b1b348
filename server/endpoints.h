#pragma once
// The update server's requests: each path already ends in "?", and each has the prefix of the
// temporary file that its answer travels through.

#include <string_view>

namespace kest {

struct Endpoint {
  std::string_view path;
  std::string_view prefix;
};

inline constexpr Endpoint kLoginEndpoint{"/autodown/login?", "login"};
inline constexpr Endpoint kListLangEndpoint{"/autodown/listlang?", "lang"};
inline constexpr Endpoint kListInfoEndpoint{"/autodown/listinfo?", "subcar"};
inline constexpr Endpoint kGetFile4MemberEndpoint{"/autodown/getfile4member?", "common"};
inline constexpr Endpoint kGetDownloadUrlEndpoint{"/autodown/getdownloadurl?", "load"};
inline constexpr Endpoint kDownCustomEndpoint{"/autodown/downcustom?", "login"};
inline constexpr Endpoint kGetMenuConfigEndpoint{"/autodown/getmenuconfig?", "config"};
inline constexpr Endpoint kUpdateUserEndpoint{"/autodown/updateuser?", "user"};
inline constexpr Endpoint kResetPasswordEndpoint{"/autodown/resetPassword?", "passwd"};
inline constexpr Endpoint kResetPasswordByTraderEndpoint{"/autodown/resetPasswordbytrader?",
                                                         "passwd"};

}  // namespace kest
