#include "tools/update-server/demo_catalogue.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/process.h"
#include "platform/text.h"
#include "server/json_read.h"

namespace kest::demo {
namespace {

namespace fs = std::filesystem;

const DemoCarKind kNamedKinds[] = {
    {"Audi", "AUDI"},        {"BMW", "BMW"},          {"Citroën", "CITROEN"},
    {"Ford", "FORD"},        {"Honda", "ASIA/HONDA"}, {"Mercedes-Benz", "BENZ"},
    {"Peugeot", "PEUGEOT"},  {"Toyota", "ASIA/TOYOTA"}, {"Volkswagen", "VW"},
    {"Volvo", "VOLVO"},
};

Status MakeFolders(const std::string& path) {
  std::error_code ec;
  fs::create_directories(path, ec);
  if (ec) return Error{ec.value(), "cannot make " + path + ": " + ec.message()};
  return Ok();
}

// `bytes` bytes: a text line naming the content, then pseudo-random filler (xorshift) that no
// compression can squeeze, so the package is as large as asked.
Status WriteDataFile(const std::string& path, const std::string& first_line, uint64_t bytes,
                     uint64_t seed) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::string head = first_line.substr(0, static_cast<size_t>(bytes));
  out.write(head.data(), static_cast<std::streamsize>(head.size()));
  uint64_t x = seed * 0x9E3779B97F4A7C15ull + 88172645463325252ull;
  std::string block(1 << 20, '\0');
  for (uint64_t done = head.size(); done < bytes && out;) {
    for (size_t i = 0; i + 8 <= block.size(); i += 8) {
      x ^= x << 13, x ^= x >> 7, x ^= x << 17;
      std::memcpy(&block[i], &x, 8);
    }
    uint64_t n = std::min<uint64_t>(block.size(), bytes - done);
    out.write(block.data(), static_cast<std::streamsize>(n));
    done += n;
  }
  out.close();
  if (!out) return Error{errno, "cannot write " + path};
  return Ok();
}

Status WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) return Error{errno, "cannot write " + path};
  return Ok();
}

std::string SevenZa() { return ::access("/usr/lib/p7zip/7za", X_OK) == 0 ? "/usr/lib/p7zip/7za"
                                                                         : "7za"; }

// A fresh work folder of its own, removed with the object.
class WorkFolder final {
 public:
  explicit WorkFolder(const std::string& inside) {
    std::string pattern = inside + "/.work-XXXXXX";
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~WorkFolder() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

uint64_t Seed(const std::string& a, const std::string& b, const std::string& c) {
  return std::hash<std::string>{}(a + "|" + b + "|" + c);
}

std::string PackageName(const std::string& kind_path, const std::string& version,
                        const std::string& code) {
  std::string name = ToLowerAscii(kind_path);
  for (char& ch : name) {
    if (ch == '/' || ch == '\\') ch = '_';
  }
  return "packages/" + name + "_" + version + "_" + code + ".7z";
}

Json::Value Version(const std::string& version, const std::string& publish,
                    const std::string& file) {
  Json::Value v(Json::objectValue);
  v["version"] = version;
  v["publishTime"] = publish;
  v["file"] = file;
  return v;
}

// A product item's package: sys/<name>/version.txt and sys/<name>/<name>.bin.
Status MakeProductPackage(const std::string& archive, const std::string& work,
                          const std::string& name, const std::string& version) {
  std::string src = work + "/src-" + name + "-" + version;
  std::string sys = src + "/sys/" + name;
  if (Status s = MakeFolders(sys); !s) return s;
  if (Status s = WriteText(sys + "/version.txt", name + " " + version + "\n"); !s) return s;
  if (Status s = WriteDataFile(sys + "/" + name + ".bin", name + " program\n", 4096,
                               Seed(name, version, "bin"));
      !s) {
    return s;
  }
  return Pack7z(archive, {src + "/sys"});
}

// The firmware item as a package container: "upbase.exe" (never installed), an archive member
// with sys/firmware/, and a plain member written beside it.
Status MakeFirmwareContainer(const std::string& path, const std::string& work,
                             const std::string& version) {
  std::string archive = work + "/firmware-" + version + ".7z";
  if (Status s = MakeProductPackage(archive, work, "firmware", version); !s) return s;
  std::ifstream in(archive, std::ios::binary);
  std::string archive_bytes((std::istreambuf_iterator<char>(in)),
                            std::istreambuf_iterator<char>());
  return WriteContainer(path, {{"upbase.exe", "MZ stand-in for the updater"},
                               {"firmware.7z", archive_bytes},
                               {"firmware.txt", "firmware " + version + "\n"}});
}

}  // namespace

std::vector<DemoCarKind> DemoCarKinds(int count) {
  std::vector<DemoCarKind> kinds;
  const int named = static_cast<int>(std::size(kNamedKinds));
  for (int i = 0; i < count; ++i) {
    if (i < named) {
      kinds.push_back(kNamedKinds[i]);
    } else {
      kinds.push_back({Format("Kind %04d", i), Format("KIND%04d", i)});
    }
  }
  return kinds;
}

std::vector<std::string> DemoVersions(int kind_index, int count) {
  std::vector<std::string> versions;
  for (int j = 1; j <= count && j <= 9; ++j) {
    versions.push_back(Format("V%d.%d0", 5 + kind_index % 10, j));
  }
  return versions;
}

Status Pack7z(const std::string& archive, const std::vector<std::string>& items) {
  ::unlink(archive.c_str());
  // Absolute paths: 7za then stores each item under its own name, where a relative path
  // would be stored whole.
  std::error_code ec;
  std::vector<std::string> argv = {SevenZa(), "a", "-t7z", "-mx0", "-bd",
                                   fs::absolute(archive, ec).string()};
  for (const std::string& item : items) argv.push_back(fs::absolute(item, ec).string());
  Expected<int> status = platform::RunAndWait(argv, {.quiet = true});
  if (!status) return status.error();
  if (*status != 0) return Error{*status, "7za could not make " + archive};
  return Ok();
}

Status MakeCarKindPackage(const std::string& archive, const std::string& path,
                          const std::string& version, const std::string& code,
                          uint64_t data_bytes, bool with_data_file) {
  std::string folder = fs::path(archive).parent_path().string();
  WorkFolder work(folder.empty() ? "." : folder);
  if (work.path().empty()) return ErrnoError("cannot make a work folder beside " + archive);
  std::string nested = path;
  for (char& c : nested) {
    if (c == '\\') c = '/';
  }
  std::string version_folder = work.path() + "/CarDB/" + nested + "/" + version;
  if (Status s = MakeFolders(version_folder); !s) return s;
  if (with_data_file) {
    std::string line = path + " " + version + " diagnostic data (" + code + ")\n";
    if (Status s = WriteDataFile(version_folder + "/data." + code, line, data_bytes,
                                 Seed(path, version, code));
        !s) {
      return s;
    }
  }
  if (Status s = WriteText(version_folder + "/menu.txt", "menu of " + path + " " + version + "\n");
      !s) {
    return s;
  }
  return Pack7z(archive, {work.path() + "/CarDB"});
}

Status WriteContainer(const std::string& path, const std::vector<ContainerMember>& members) {
  std::string data;
  std::string directory;
  for (const ContainerMember& m : members) {
    std::string size = std::to_string(m.data.size());
    if (size.size() > 9 || m.name.size() > 23) return Error{0, "container field too long"};
    std::string entry(32, '\0');
    entry.replace(0, size.size(), size);
    entry.replace(9, m.name.size(), m.name);
    directory += entry;
    data += m.data;
  }
  std::string trailer(40, '\0');
  std::string directory_size = std::to_string(directory.size());
  trailer.replace(0, directory_size.size(), directory_size);
  trailer.replace(8, 7, "KESTPKG");
  trailer.replace(24, 4, "0001");
  trailer.replace(32, 4, "0000");
  return WriteText(path, data + directory + trailer);
}

Status MakeDemoCatalogue(const std::string& folder, const DemoOptions& options) {
  for (const char* sub : {"/packages", "/config", "/custom/KS0100001"}) {
    if (Status s = MakeFolders(folder + sub); !s) return s;
  }
  WorkFolder work(folder);
  if (work.path().empty()) return ErrnoError("cannot make a work folder in " + folder);

  Json::Value root(Json::objectValue);
  Json::Value& languages = root["languages"] = Json::Value(Json::arrayValue);
  Json::Value all_ids(Json::arrayValue);
  for (const DemoLanguage& l : options.languages) {
    Json::Value entry(Json::objectValue);
    entry["langID"] = l.langID;
    entry["name"] = l.name;
    entry["langname"] = l.langname;
    languages.append(entry);
    all_ids.append(l.langID);
  }

  Json::Value& members = root["members"] = Json::Value(Json::arrayValue);
  auto add_member = [&](const char* account, const char* password, int id, int identity,
                        std::vector<const char*> sns) {
    Json::Value m(Json::objectValue);
    m["account"] = account;
    m["password"] = password;
    m["memberID"] = id;
    m["identity"] = identity;
    m["phone"] = "+49 30 1234567";
    m["email"] = std::string(account) + "@example.com";
    m["address"] = "1 Main Street";
    m["sns"] = Json::Value(Json::arrayValue);
    for (const char* sn : sns) m["sns"].append(sn);
    members.append(m);
  };
  add_member("workshop1", "secret01", 1001, 1, {"KS0100001", "KS0100002"});
  add_member("dealer01", "dealer01pw", 2001, 2, {"KS0100001", "KS0100002", "KS0100003"});

  Json::Value& serials = root["serials"] = Json::Value(Json::objectValue);
  serials["KS0100001"]["languages"] = all_ids;
  serials["KS0100001"]["customFiles"]["sys/custom/dealer.ini"] = "custom/KS0100001/dealer.ini";
  serials["KS0100002"]["languages"] = Json::Value(Json::arrayValue);
  if (!options.languages.empty()) serials["KS0100002"]["languages"].append(all_ids[0]);
  if (Status s = WriteText(folder + "/custom/KS0100001/dealer.ini",
                           "[dealer]\nname=Example Motors\n");
      !s) {
    return s;
  }

  Json::Value& cars = root["carKinds"] = Json::Value(Json::arrayValue);
  Json::Value& products = root["products"] = Json::Value(Json::arrayValue);
  Json::Value& configs = root["menuConfigs"] = Json::Value(Json::arrayValue);
  const std::vector<DemoCarKind> kinds = DemoCarKinds(options.carKinds);
  for (const DemoLanguage& l : options.languages) {
    const std::string code = ToLowerAscii(l.name);
    for (size_t k = 0; k < kinds.size(); ++k) {
      Json::Value car(Json::objectValue);
      car["langID"] = l.langID;
      car["carKindName"] = kinds[k].name;
      car["path"] = kinds[k].path;
      car["versions"] = Json::Value(Json::arrayValue);
      std::vector<std::string> versions =
          DemoVersions(static_cast<int>(k), options.versionsPerKind);
      for (size_t j = 0; j < versions.size(); ++j) {
        std::string file = PackageName(kinds[k].path, versions[j], code);
        if (Status s = MakeCarKindPackage(folder + "/" + file, kinds[k].path, versions[j], code,
                                          options.dataBytes);
            !s) {
          return s;
        }
        car["versions"].append(Version(versions[j], Format("2019-%02zu-%02zu", j + 1, k % 28 + 1),
                                       file));
      }
      cars.append(car);
    }

    if (!options.productItems) continue;
    Json::Value config(Json::objectValue);
    config["productInfoID"] = 7;
    config["lang"] = code;
    config["file"] = "config/menu_" + code + ".xml";
    configs.append(config);
    std::string menu =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<menu lang=\"" + code + "\">\n";
    for (const DemoCarKind& kind : kinds) menu += "  <item>" + kind.path + "</item>\n";
    if (Status s = WriteText(folder + "/config/menu_" + code + ".xml", menu + "</menu>\n"); !s) {
      return s;
    }
    // The last item of the answer is "system": its productInfoID is the one the run sends
    // with the menu configuration request.
    struct Item {
      const char* name;
      int id;
      std::vector<const char*> versions;
    };
    for (const Item& item : {Item{"ecudata", 8, {"V2.00"}}, Item{"firmware", 9, {"V3.00"}},
                             Item{"system", 7, {"V1.00", "V1.10"}}}) {
      Json::Value product(Json::objectValue);
      product["langID"] = l.langID;
      product["name"] = item.name;
      product["productInfoID"] = item.id;
      product["versions"] = Json::Value(Json::arrayValue);
      for (const char* version : item.versions) {
        bool container = std::string(item.name) == "firmware";
        std::string file = Format("packages/%s_%s%s", item.name, version,
                                  container ? ".pkg" : ".7z");
        if (!fs::exists(folder + "/" + file)) {  // shared by every language
          Status s = container
                         ? MakeFirmwareContainer(folder + "/" + file, work.path(), version)
                         : MakeProductPackage(folder + "/" + file, work.path(), item.name,
                                              version);
          if (!s) return s;
        }
        product["versions"].append(Version(version, "2019-03-05", file));
      }
      products.append(product);
    }
  }
  return WriteText(folder + "/catalogue.json", json::Write(root, true) + "\n");
}

Status MakeDemoCard(const std::string& folder, const DemoOptions& options) {
  const std::string marker = folder + "/.kest-demo-card";
  std::error_code ec;
  if (fs::exists(folder, ec) && !fs::is_empty(folder, ec)) {
    if (!fs::exists(marker, ec)) {
      return Error{0, folder + " holds files that no demo card put there: left alone"};
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
      fs::remove_all(entry.path(), ec);
    }
  }
  if (Status s = MakeFolders(folder); !s) return s;
  if (Status s = WriteText(marker, "made by kest-demo-catalogue\n"); !s) return s;
  if (options.languages.empty()) return Ok();
  const std::string code = ToLowerAscii(options.languages.front().name);
  const std::vector<DemoCarKind> kinds = DemoCarKinds(options.carKinds);
  auto install = [&](size_t k, size_t which) -> Status {
    std::vector<std::string> versions = DemoVersions(static_cast<int>(k), options.versionsPerKind);
    if (k >= kinds.size() || which >= versions.size()) return Ok();
    std::string path = kinds[k].path;
    std::string version_folder = folder + "/CarDB/" + path + "/" + versions[which];
    if (Status s = MakeFolders(version_folder); !s) return s;
    return WriteText(version_folder + "/data." + code, path + " " + versions[which] + "\n");
  };
  size_t newest = static_cast<size_t>(std::max(options.versionsPerKind, 1) - 1);
  for (auto [k, which] : {std::pair<size_t, size_t>{0, 0}, {1, newest}, {2, 0}, {2, newest / 2}}) {
    if (Status s = install(k, which); !s) return s;
  }
  return Ok();
}

}  // namespace kest::demo
