#include "server/login.h"

#include "server/json_read.h"
#include "server/server_get.h"
#include "server/url_encode.h"

namespace kest {

int32_t Login(LoginSession& session, const std::string& account, const std::string& password) {
  std::string query =
      "memberAccount=" + UrlEncodeUtf8(account) + "&password=" + UrlEncodeUtf8(password);
  ServerOutcome outcome = ServerGet(kLoginEndpoint, query);
  if (!AnswerArrived(outcome)) return kLoginNoAnswer;

  session.serialNumbers.clear();
  session.identity = 0;
  const Answer* answer = AsAnswer(outcome);
  if (!answer) return kLoginNoAnswer;
  if (answer->status != kLoginOk) return answer->status;

  const Json::Value& data = json::Member(answer->root, "data");
  // A success without its payload is no login: reporting 0 would let the user in with no
  // token and no member, and every later request would fail in a way nobody could explain.
  if (!data.isObject()) return kLoginNoAnswer;
  const Json::Value& sns = json::ReadArray(data, "sns");
  const Json::Value& user = json::ReadObject(data, "user");
  session.memberID = json::ReadInt(user, "memberID");
  session.token = json::ReadString(data, "token");
  session.identity = json::ReadInt(user, "identity");
  for (const Json::Value& sn : sns) {
    if (sn.isString() && !sn.asString().empty()) session.serialNumbers.push_back(sn.asString());
  }
  if (!session.serialNumbers.empty()) session.currentSerial = session.serialNumbers.front();
  return kLoginOk;
}

}  // namespace kest
