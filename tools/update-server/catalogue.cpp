#include "tools/update-server/catalogue.h"

#include <cctype>
#include <sys/stat.h>

#include "platform/file_io.h"
#include "platform/text.h"
#include "server/json_read.h"

namespace kest::update_server {
namespace {

std::string Param(const Params& p, const std::string& key) {
  auto it = p.find(key);
  return it == p.end() ? std::string() : it->second;
}

bool HasParam(const Params& p, const std::string& key) { return p.count(key) > 0; }

Json::Value Envelope(int code) {
  Json::Value answer(Json::objectValue);
  answer["code"] = code;
  return answer;
}

Json::Value Envelope(int code, Json::Value data) {
  Json::Value answer = Envelope(code);
  answer["data"] = std::move(data);
  return answer;
}

// A relative path that stays inside the folder: no leading "/", no "..", no empty parts.
bool IsSafeRelativePath(const std::string& path) {
  if (path.empty() || path.front() == '/' || path.find('\\') != std::string::npos) return false;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string_view part(path.data() + start, end - start);
    if (part.empty() || part == "." || part == "..") return false;
    start = end + 1;
  }
  return true;
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

const char* const kArrays[] = {"languages", "members", "products", "carKinds", "menuConfigs"};

}  // namespace

Status Catalogue::Load(const std::string& folder, std::string* warnings) {
  std::string path = folder + "/" + kCatalogueFileName;
  Expected<Json::Value> root = json::ParseFile(path);
  if (!root) return Error{root.error().code, path + ": " + root.error().message};
  if (!root->isObject()) return Error{0, path + ": the document is not an object"};
  for (const char* name : kArrays) {
    const Json::Value& value = json::Member(*root, name);
    if (!value.isNull() && !value.isArray()) return Error{0, path + ": " + name + " is no list"};
    for (const Json::Value& element : value) {
      if (!element.isObject()) return Error{0, path + ": an entry of " + name + " is no object"};
    }
  }
  const Json::Value& serials = json::Member(*root, "serials");
  if (!serials.isNull() && !serials.isObject()) return Error{0, path + ": serials is no object"};
  for (const Json::Value& member : json::ReadArray(*root, "members")) {
    if (!json::IsInt32(json::Member(member, "memberID"))) {
      return Error{0, path + ": member " + json::ReadString(member, "account") +
                          " has no integer memberID"};
    }
  }

  // Every file that an answer can point to.
  std::map<std::string, std::string> files;
  std::string missing;
  auto add_file = [&](const std::string& relative) {
    if (relative.empty()) return;
    if (!IsSafeRelativePath(relative)) {
      missing += "not served (outside the folder): " + relative + "\n";
      return;
    }
    std::string full = folder + "/" + relative;
    if (!IsRegularFile(full)) missing += "missing file: " + relative + "\n";
    files[relative] = full;
  };
  for (const char* list : {"products", "carKinds"}) {
    for (const Json::Value& item : json::ReadArray(*root, list)) {
      for (const Json::Value& version : json::ReadArray(item, "versions")) {
        add_file(json::ReadString(version, "file"));
      }
    }
  }
  for (const Json::Value& config : json::ReadArray(*root, "menuConfigs")) {
    add_file(json::ReadString(config, "file"));
  }
  for (const std::string& sn : json::ReadObject(*root, "serials").getMemberNames()) {
    const Json::Value& custom = json::ReadObject(json::Member(serials, sn), "customFiles");
    for (const std::string& key : custom.getMemberNames()) {
      add_file(json::ReadString(custom, key));
    }
  }
  if (warnings) *warnings = missing;

  std::lock_guard lock(mutex_);
  folder_ = folder;
  root_ = std::move(root).value();
  files_ = std::move(files);
  tokens_.clear();
  return Ok();
}

std::string Catalogue::ServedFile(const std::string& relative) const {
  std::lock_guard lock(mutex_);
  auto it = files_.find(relative);
  return it == files_.end() ? std::string() : it->second;
}

std::string Catalogue::FileUrl(const std::string& base_url, const std::string& relative) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string url = base_url + "/files/";
  for (char c : relative) {
    auto b = static_cast<unsigned char>(c);
    if (std::isalnum(b) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
      url += c;
    } else {
      url += '%';
      url += kHex[b >> 4];
      url += kHex[b & 0x0F];
    }
  }
  return url;
}

Json::Value Catalogue::Answer(std::string_view endpoint, const Params& p,
                              const std::string& base_url) {
  std::lock_guard lock(mutex_);
  if (endpoint == "login") return Login(p);
  if (endpoint == "listlang") return ListLang(p);
  if (endpoint == "listinfo") return ListInfo(p);
  if (endpoint == "getfile4member") return GetFile4Member(p);
  if (endpoint == "getdownloadurl") return GetDownloadUrl(p, base_url);
  if (endpoint == "getmenuconfig") return GetMenuConfig(p, base_url);
  if (endpoint == "downcustom") return DownCustom(p, base_url);
  if (endpoint == "updateuser") return UpdateUser(p);
  if (endpoint == "resetPassword") return ResetPassword(p);
  if (endpoint == "resetPasswordbytrader") return ResetPasswordByTrader(p);
  return Json::Value();
}

// ---- Lookups ----

Json::Value* Catalogue::FindMember(int member_id) {
  Json::Value& members = root_["members"];
  for (Json::Value& member : members) {
    if (json::ReadInt(member, "memberID") == member_id) return &member;
  }
  return nullptr;
}

Json::Value* Catalogue::FindMemberByAccount(const std::string& account) {
  Json::Value& members = root_["members"];
  for (Json::Value& member : members) {
    if (json::ReadString(member, "account") == account) return &member;
  }
  return nullptr;
}

bool Catalogue::OwnsSerial(const Json::Value& member, const std::string& sn) const {
  for (const Json::Value& own : json::ReadArray(member, "sns")) {
    if (json::AsString(own) == sn) return true;
  }
  return false;
}

const Json::Value& Catalogue::SerialEntry(const std::string& sn) const {
  return json::ReadObject(json::ReadObject(root_, "serials"), sn);
}

int Catalogue::CheckTokenAndSerial(const Params& p, const std::string& sn_key) const {
  auto token = tokens_.find(Param(p, "token"));
  if (token == tokens_.end()) return kCodeBadToken;
  for (const Json::Value& member : json::ReadArray(root_, "members")) {
    if (json::ReadInt(member, "memberID") != token->second) continue;
    return OwnsSerial(member, Param(p, sn_key)) ? 0 : 3007;
  }
  return kCodeBadToken;  // the member was removed from the catalogue since
}

Json::Value Catalogue::VersionsOf(const Json::Value& item) const {
  Json::Value versions(Json::arrayValue);
  for (const Json::Value& v : json::ReadArray(item, "versions")) {
    Json::Value out(Json::objectValue);
    out["version"] = json::ReadString(v, "version");
    std::string path = json::ReadString(v, "path");
    out["path"] = path.empty() ? json::ReadString(v, "file") : path;
    out["publishTime"] = json::ReadString(v, "publishTime");
    versions.append(std::move(out));
  }
  return versions;
}

bool Catalogue::Commit(Json::Value changed) {
  // Mode 0600 (the file holds passwords), replaced in one step: a crash keeps the old file.
  if (!platform::ReplaceFileAtomically(folder_ + "/" + kCatalogueFileName,
                                       json::Write(changed, true) + "\n")) {
    return false;
  }
  root_ = std::move(changed);
  return true;
}

// ---- Endpoints ----

Json::Value Catalogue::Login(const Params& p) {
  const Json::Value* member = FindMemberByAccount(Param(p, "memberAccount"));
  if (!member || Param(p, "memberAccount").empty() ||
      json::ReadString(*member, "password") != Param(p, "password")) {
    return Envelope(4000);
  }
  Json::Value sns(Json::arrayValue);
  for (const Json::Value& sn : json::ReadArray(*member, "sns")) {
    const Json::Value& blocked = json::Member(SerialEntry(json::AsString(sn)), "blocked");
    if (blocked.isBool() && blocked.asBool()) {
      return Envelope(-2);  // a scanner of this account is registered to someone else
    }
    sns.append(json::AsString(sn));
  }
  std::uniform_int_distribution<uint64_t> digits;
  std::string token = Format("%016llx%016llx", static_cast<unsigned long long>(digits(random_)),
                             static_cast<unsigned long long>(digits(random_)));
  int member_id = json::ReadInt(*member, "memberID");
  if (tokens_.size() > 100000) tokens_.clear();  // a long-running demo server stays small
  tokens_[token] = member_id;

  Json::Value user(Json::objectValue);
  user["memberID"] = member_id;
  user["identity"] = json::ReadInt(*member, "identity");
  user["memberAccount"] = json::ReadString(*member, "account");
  user["address"] = json::ReadString(*member, "address");
  user["email"] = json::ReadString(*member, "email");
  user["phone"] = json::ReadString(*member, "phone");
  Json::Value data(Json::objectValue);
  data["token"] = token;
  data["sns"] = std::move(sns);
  data["user"] = std::move(user);
  return Envelope(0, std::move(data));
}

Json::Value Catalogue::ListLang(const Params& p) {
  Json::Value answer(Json::objectValue);
  int code = CheckTokenAndSerial(p, "sns");
  answer["reader"] = code;
  if (code != 0) return answer;
  const Json::Value& offered = json::Member(SerialEntry(Param(p, "sns")), "languages");
  Json::Value langs(Json::arrayValue);
  for (const Json::Value& lang : json::ReadArray(root_, "languages")) {
    std::string id = json::ReadString(lang, "langID");
    bool listed = !offered.isArray();  // a serial without its own list gets every language
    for (const Json::Value& wanted : json::ReadArray(SerialEntry(Param(p, "sns")), "languages")) {
      if (json::AsString(wanted) == id) listed = true;
    }
    if (!listed) continue;
    Json::Value out(Json::objectValue);
    out["langID"] = id;
    out["name"] = json::ReadString(lang, "name");
    out["langname"] = json::ReadString(lang, "langname");
    langs.append(std::move(out));
  }
  Json::Value group(Json::objectValue);
  group["langs"] = std::move(langs);
  answer["data"] = Json::Value(Json::arrayValue);
  answer["data"].append(std::move(group));
  return answer;
}

Json::Value Catalogue::GetFile4Member(const Params& p) {
  if (int code = CheckTokenAndSerial(p, "sns")) return Envelope(code);
  Json::Value data(Json::arrayValue);
  for (const Json::Value& item : json::ReadArray(root_, "products")) {
    if (json::ReadString(item, "langID") != Param(p, "langId")) continue;
    Json::Value out(Json::objectValue);
    out["name"] = json::ReadString(item, "name");
    out["productInfoID"] = json::ReadInt(item, "productInfoID");
    out["vers"] = VersionsOf(item);
    data.append(std::move(out));
  }
  return Envelope(0, std::move(data));
}

Json::Value Catalogue::ListInfo(const Params& p) {
  if (int code = CheckTokenAndSerial(p, "sns")) return Envelope(code);
  Json::Value data(Json::arrayValue);
  for (const Json::Value& item : json::ReadArray(root_, "carKinds")) {
    if (json::ReadString(item, "langID") != Param(p, "langId")) continue;
    Json::Value out(Json::objectValue);
    out["carKindName"] = json::ReadString(item, "carKindName");
    out["path"] = json::ReadString(item, "path");
    out["carKindFiles"] = VersionsOf(item);
    data.append(std::move(out));
  }
  return Envelope(0, std::move(data));
}

Json::Value Catalogue::GetDownloadUrl(const Params& p, const std::string& base_url) {
  std::string wanted = Param(p, "path");
  for (const char* list : {"products", "carKinds"}) {
    for (const Json::Value& item : json::ReadArray(root_, list)) {
      for (const Json::Value& v : json::ReadArray(item, "versions")) {
        std::string file = json::ReadString(v, "file");
        std::string path = json::ReadString(v, "path");
        if (!wanted.empty() && (path.empty() ? file : path) == wanted && !file.empty()) {
          return Envelope(0, FileUrl(base_url, file));
        }
      }
    }
  }
  return Envelope(kCodeNoSuchPackage);
}

Json::Value Catalogue::GetMenuConfig(const Params& p, const std::string& base_url) {
  std::string id = Param(p, "productInfoID");
  for (const Json::Value& config : json::ReadArray(root_, "menuConfigs")) {
    if (std::to_string(json::ReadInt(config, "productInfoID")) == id &&
        EqualsIgnoreCase(json::ReadString(config, "lang"), Param(p, "lang")) &&
        !json::ReadString(config, "file").empty()) {
      return Envelope(0, FileUrl(base_url, json::ReadString(config, "file")));
    }
  }
  return Envelope(kCodeNoMenuConfig);
}

Json::Value Catalogue::DownCustom(const Params& p, const std::string& base_url) {
  Json::Value data(Json::objectValue);
  const Json::Value& custom = json::ReadObject(SerialEntry(Param(p, "sn")), "customFiles");
  for (const std::string& key : custom.getMemberNames()) {
    std::string file = json::ReadString(custom, key);
    if (!file.empty()) data[key] = FileUrl(base_url, file);
  }
  return Envelope(0, std::move(data));
}

Json::Value Catalogue::UpdateUser(const Params& p) {
  Json::Value* member = FindMember(std::atoi(Param(p, "memberID").c_str()));
  if (!member || Param(p, "memberID").empty()) return Envelope(4007);
  Json::Value changed_member = *member;
  if (HasParam(p, "memberAccount")) {
    std::string account = Param(p, "memberAccount");
    size_t length = Utf8Length(account);
    if (length < 6 || length > 20) return Envelope(4051);
    const Json::Value* holder = FindMemberByAccount(account);
    if (holder && holder != member) return Envelope(4004);
    changed_member["account"] = account;
  }
  if (HasParam(p, "email")) {
    if (Param(p, "email").find('@') == std::string::npos) return Envelope(4050);
    changed_member["email"] = Param(p, "email");
  }
  if (HasParam(p, "phone")) changed_member["phone"] = Param(p, "phone");
  if (HasParam(p, "address")) changed_member["address"] = Param(p, "address");

  Json::Value saved = *member;
  *member = changed_member;
  Json::Value changed = root_;
  *member = std::move(saved);
  return Commit(std::move(changed)) ? Envelope(0) : Envelope(kCodeNotSaved);
}

Json::Value Catalogue::ResetPassword(const Params& p) {
  Json::Value* member = FindMember(std::atoi(Param(p, "memberID").c_str()));
  if (!member || Param(p, "memberID").empty()) return Envelope(4007);
  if (json::ReadString(*member, "password") != Param(p, "oldPassword")) return Envelope(4008);
  std::string password = Param(p, "password");
  size_t length = Utf8Length(password);
  if (length < 6 || length > 30) return Envelope(4009);

  std::string saved = json::ReadString(*member, "password");
  (*member)["password"] = password;
  Json::Value changed = root_;
  (*member)["password"] = saved;
  return Commit(std::move(changed)) ? Envelope(0) : Envelope(kCodeNotSaved);
}

Json::Value Catalogue::ResetPasswordByTrader(const Params& p) {
  Json::Value* dealer = FindMember(std::atoi(Param(p, "memberID").c_str()));
  if (!dealer || Param(p, "memberID").empty()) return Envelope(4007);
  if (json::ReadInt(*dealer, "identity") != 2) return Envelope(4055);
  std::string sn = Param(p, "sn");
  if (!OwnsSerial(*dealer, sn)) return Envelope(3007);
  Json::Value* owner = nullptr;
  for (Json::Value& member : root_["members"]) {
    if (json::ReadInt(member, "identity") != 2 && OwnsSerial(member, sn)) {
      owner = &member;
      break;
    }
  }
  if (!owner) return Envelope(4007);  // no workshop account holds that scanner

  std::string saved = json::ReadString(*owner, "password");
  (*owner)["password"] = kDealerDefaultPassword;
  Json::Value changed = root_;
  (*owner)["password"] = saved;
  return Commit(std::move(changed)) ? Envelope(0) : Envelope(kCodeNotSaved);
}

}  // namespace kest::update_server
