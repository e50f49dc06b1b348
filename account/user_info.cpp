#include "account/user_info.h"

#include "platform/text.h"
#include "server/endpoints.h"
#include "server/json_read.h"
#include "server/server_get.h"
#include "server/url_encode.h"

namespace kest {

bool LoadUserRecord(LoginSession& session, UserRecord& record) {
  std::string query = "memberAccount=" + UrlEncodeUtf8(session.account) +
                      "&password=" + UrlEncodeUtf8(session.password);
  ServerOutcome outcome = ServerGet(kLoginEndpoint, query);
  const Answer* answer = AsAnswer(outcome);
  if (!answer || answer->status != 0) return false;
  const Json::Value& user = json::ReadObject(json::ReadObject(answer->root, "data"), "user");
  record.name = json::ReadString(user, "memberAccount");
  record.address = json::ReadString(user, "address");
  record.email = json::ReadString(user, "email");
  record.phone = json::ReadString(user, "phone");
  session.memberID = json::ReadInt(user, "memberID");
  return true;
}

std::string CheckUserInfoChange(const UserRecord& typed) {
  if (Utf8Length(typed.phone) > kPhoneMaxLength) return "modifyphonelenleast20";
  if (Utf8Length(typed.address) > kAddressMaxLength) return "modifyaddrlenleast50";
  size_t name = Utf8Length(typed.name);
  if (name < kUserNameMinLength || name > kUserNameMaxLength) return "modifyuselenleast4top15";
  if (!typed.email.empty() && typed.email.find('@') == std::string::npos) {
    return "modifyemailformatwrong";
  }
  if (!typed.email.empty() && UrlEncodeUtf8(typed.email).empty()) return "modifyemailformatwrong";
  return {};
}

std::string BuildUpdateUserQuery(int32_t memberID, const UserRecord& typed) {
  std::string query = "memberID=" + std::to_string(memberID);
  const std::pair<const char*, const std::string*> fields[] = {
      {"&memberAccount=", &typed.name},
      {"&phone=", &typed.phone},
      {"&email=", &typed.email},
      {"&address=", &typed.address},
  };
  for (const auto& [key, value] : fields) {
    if (!value->empty()) query += key + UrlEncodeUtf8(*value);
  }
  return query;
}

int32_t ChangeUserInfo(const LoginSession& session, const UserRecord& typed) {
  ServerOutcome outcome =
      ServerGet(kUpdateUserEndpoint, BuildUpdateUserQuery(session.memberID, typed));
  const Answer* answer = AsAnswer(outcome);
  return answer ? answer->status : -1;
}

std::string UserInfoChangeMessageKey(int32_t code) {
  switch (code) {
    case kUserInfoChanged: return "altersucc";
    case kUserNameRefused: return "usernameformaterror";
    case kUserNameTaken: return "usernamerename";
    case kEmailRefused: return "regemailformaterror";
    default: return "modifyfailed";
  }
}

}  // namespace kest
