#include "account/password_change.h"

#include "platform/text.h"
#include "server/endpoints.h"
#include "server/server_get.h"
#include "server/url_encode.h"

namespace kest {

namespace {

int32_t StatusOf(const ServerOutcome& outcome) {
  const Answer* answer = AsAnswer(outcome);
  return answer ? answer->status : -1;
}

}  // namespace

std::string CheckPasswordChange(const LoginSession& session, const PasswordChangeInput& input) {
  if (input.oldPassword != session.password) return "regpasswdwrong";
  size_t length = Utf8Length(input.newPassword);
  if (length < kPasswordMinLength || length > kPasswordMaxLength) return "passwordlenleast6top20";
  if (input.newPassword != input.confirmation) return "altercodenotequal";
  if (session.IsDealer()) {
    if (input.oldPassword.empty()) return "inputdealercode";
  } else if (input.oldPassword == input.newPassword) {
    return "newoldpasswordsame";
  }
  return {};
}

std::string BuildMemberPasswordQuery(int32_t memberID, const std::string& newPassword,
                                     const std::string& oldPassword) {
  return "memberID=" + std::to_string(memberID) + "&password=" + UrlEncodeUtf8(newPassword) +
         "&oldPassword=" + UrlEncodeUtf8(oldPassword);
}

std::string BuildDealerResetQuery(int32_t memberID, const std::string& serial) {
  return "memberID=" + std::to_string(memberID) + "&sn=" + UrlEncodeUtf8(serial);
}

int32_t ChangeMemberPassword(const LoginSession& session, const std::string& newPassword,
                             const std::string& oldPassword) {
  return StatusOf(ServerGet(kResetPasswordEndpoint,
                            BuildMemberPasswordQuery(session.memberID, newPassword, oldPassword)));
}

int32_t ResetPasswordByDealer(const LoginSession& session, const std::string& serial) {
  return StatusOf(
      ServerGet(kResetPasswordByTraderEndpoint, BuildDealerResetQuery(session.memberID, serial)));
}

std::string MemberPasswordMessageKey(int32_t code) {
  switch (code) {
    case 0: return "altercodesucc";
    case 4007:
    case 4008: return "regpasswdwrong";
    case 4009: return "passwoldformaterror";
    default: return "altercodefail";
  }
}

std::string DealerResetMessageKey(int32_t code) {
  switch (code) {
    case 0: return "altercodesucc";
    case 3007: return "equipmenterror";
    case 4007: return "userwrong";
    case 4008: return "dealercodeerror";
    case 4009: return "passwoldformaterror";
    case 4055: return "usernotdealer";
    default: return "altercodefail";
  }
}

}  // namespace kest
