#pragma once
// The stand-in server's data: one JSON file (catalogue.json) in a folder, and the package,
// configuration and custom files beside it. The format is described in README.md.
//
// Thread-safe: the HTTP server calls in from its worker threads.

#include <map>
#include <mutex>
#include <random>
#include <string>
#include <string_view>
#include <unordered_map>

#include <json/value.h>

#include "platform/expected.h"

namespace kest::update_server {

using Params = std::multimap<std::string, std::string>;  // the decoded query

inline constexpr const char* kCatalogueFileName = "catalogue.json";
inline constexpr const char* kDealerDefaultPassword = "580297";

// Codes of our own, beyond the ones the client knows by meaning.
inline constexpr int kCodeBadToken = 4010;       // token missing, unknown or of another member
inline constexpr int kCodeNoSuchPackage = 4040;  // getdownloadurl: no version has that path
inline constexpr int kCodeNoMenuConfig = 4041;   // getmenuconfig: nothing for that product/lang
inline constexpr int kCodeNotSaved = 5000;       // the change could not be written back

class Catalogue final {
 public:
  // Reads folder/catalogue.json. Fails on a file that is missing, not JSON, or whose
  // top-level members have the wrong type; `warnings` gets one line per file that a version,
  // menu configuration or custom file names but that is not there (served as 404).
  Status Load(const std::string& folder, std::string* warnings = nullptr);

  // The answer object of an endpoint ("login", "listlang", ...); `base_url` ("http://host:port")
  // starts the addresses of files. Unknown endpoints give a null value.
  Json::Value Answer(std::string_view endpoint, const Params& params,
                     const std::string& base_url);

  // The full path of a served file, from its path relative to the folder (as it appears after
  // "/files/" in an address); empty when the catalogue names no such file.
  std::string ServedFile(const std::string& relative) const;

  // "/files/" + the relative path, percent-encoded, appended to base_url.
  static std::string FileUrl(const std::string& base_url, const std::string& relative);

 private:
  Json::Value Login(const Params& p);
  Json::Value ListLang(const Params& p);
  Json::Value ListInfo(const Params& p);
  Json::Value GetFile4Member(const Params& p);
  Json::Value GetDownloadUrl(const Params& p, const std::string& base_url);
  Json::Value GetMenuConfig(const Params& p, const std::string& base_url);
  Json::Value DownCustom(const Params& p, const std::string& base_url);
  Json::Value UpdateUser(const Params& p);
  Json::Value ResetPassword(const Params& p);
  Json::Value ResetPasswordByTrader(const Params& p);

  Json::Value* FindMember(int member_id);
  Json::Value* FindMemberByAccount(const std::string& account);
  bool OwnsSerial(const Json::Value& member, const std::string& sn) const;
  // The member a request's token belongs to, when it also owns the serial `sn`; else the code.
  int CheckTokenAndSerial(const Params& p, const std::string& sn_key) const;
  Json::Value VersionsOf(const Json::Value& item) const;
  const Json::Value& SerialEntry(const std::string& sn) const;
  // Commits `changed` (a modified copy of the document) to disk and memory, or leaves both.
  bool Commit(Json::Value changed);

  mutable std::mutex mutex_;
  std::string folder_;
  Json::Value root_;
  std::map<std::string, std::string> files_;         // relative path -> full path
  std::unordered_map<std::string, int> tokens_;      // token -> memberID
  std::mt19937_64 random_{std::random_device{}()};
};

}  // namespace kest::update_server
