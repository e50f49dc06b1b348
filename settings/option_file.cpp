#include "settings/option_file.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string_view>
#include <vector>

#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include "platform/file_io.h"
#include "platform/process.h"
#include "platform/text.h"

namespace kest {
namespace {

// Buffer sizes of the private-profile reads: 260 characters for the login keys, 127 for the
// server keys, each including the terminator.
constexpr size_t kLoginValueMax = 259;
constexpr size_t kServerValueMax = 126;

std::mutex g_mutex;
std::string g_option_path;  // empty: the program folder's option.ini
std::string g_server_url;   // the cached base URL; empty until the first GetServerUrl()

std::string CurrentPath() {
  std::lock_guard lock(g_mutex);
  if (!g_option_path.empty()) return g_option_path;
  return platform::ProgramFolder() + "/option.ini";
}

std::string ReadWholeFile(const std::string& path, bool& exists) {
  std::ifstream in(path, std::ios::binary);
  exists = static_cast<bool>(in);
  std::ostringstream text;
  if (in) text << in.rdbuf();
  return text.str();
}

// Cuts to at most `max` characters, never inside a UTF-8 sequence.
std::string CutToCharacters(std::string value, size_t max) {
  size_t count = 0;
  for (size_t i = 0; i < value.size(); ++i) {
    if ((static_cast<unsigned char>(value[i]) & 0xC0) != 0x80 && count++ == max) {
      value.resize(i);
      break;
    }
  }
  return value;
}

// Reads one value the way the private-profile functions do: section and key ignore letter
// case, the first occurrence of a key wins, a missing key gives the default.
std::string ReadValue(const std::string& section, const std::string& key,
                      const std::string& fallback, size_t max) {
  bool exists = false;
  std::string text = ReadWholeFile(CurrentPath(), exists);
  if (!exists) return CutToCharacters(fallback, max);
  CSimpleIniA ini(false, true);  // not UTF-8 checked, multi-key: GetValue gives the first
  if (ini.LoadData(text.data(), text.size()) < 0) return CutToCharacters(fallback, max);
  const char* value = ini.GetValue(section.c_str(), key.c_str(), nullptr);
  return CutToCharacters(value ? std::string(value) : fallback, max);
}

// Parses the leading integer of a value as GetPrivateProfileInt does ("12abc" is 12, "x" 0).
long LeadingInteger(const std::string& value) {
  std::string trimmed = Trim(value);
  return std::strtol(trimmed.c_str(), nullptr, 10);
}

// ---- Writing: a line editor, so that everything we do not change stays byte for byte ----

struct Line {
  std::string text;    // without its line end
  std::string ending;  // "\n", "\r\n" or "" for a last line without one
};

std::vector<Line> SplitLines(const std::string& text) {
  std::vector<Line> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back({text.substr(start), ""});
      break;
    }
    bool crlf = end > start && text[end - 1] == '\r';
    lines.push_back({text.substr(start, end - start - (crlf ? 1 : 0)), crlf ? "\r\n" : "\n"});
    start = end + 1;
  }
  return lines;
}

// "[name]" → name (trimmed), else empty.
std::string SectionName(const std::string& line) {
  std::string t = Trim(line);
  if (t.size() < 2 || t.front() != '[') return {};
  size_t close = t.find(']');
  if (close == std::string::npos) return {};
  std::string name = Trim(std::string_view(t).substr(1, close - 1));
  return name.empty() ? std::string(" ") : name;  // "[]" is a section too, just unnamed
}

std::string KeyName(const std::string& line) {
  std::string t = Trim(line);
  if (t.empty() || t[0] == ';' || t[0] == '#' || t[0] == '[') return {};
  size_t eq = t.find('=');
  if (eq == std::string::npos) return {};
  return Trim(std::string_view(t).substr(0, eq));
}

// Sets (value given) or deletes (no value) section/key among the lines, in the first section of
// that name. A set replaces the first occurrence of the key and drops later duplicates, so that
// the value read back is the one written.
void EditKey(std::vector<Line>& lines, const std::string& section, const std::string& key,
             const std::string* value, const std::string& newline) {
  size_t begin = 0;
  while (begin < lines.size() && !EqualsIgnoreCase(SectionName(lines[begin].text), section)) {
    ++begin;
  }
  if (begin == lines.size()) {
    if (!value) return;
    if (!lines.empty() && lines.back().ending.empty()) lines.back().ending = newline;
    lines.push_back({"[" + section + "]", newline});
    lines.push_back({key + "=" + *value, newline});
    return;
  }
  size_t end = begin + 1;
  while (end < lines.size() && SectionName(lines[end].text).empty()) ++end;

  bool done = false;
  for (size_t i = begin + 1; i < end;) {
    if (!EqualsIgnoreCase(KeyName(lines[i].text), key)) {
      ++i;
    } else if (value && !done) {
      lines[i].text = key + "=" + *value;
      done = true;
      ++i;
    } else {
      lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
      --end;
    }
  }
  if (!value || done) return;
  // A new key goes after the section's last non-blank line, before the blank lines that part
  // it from the next section.
  size_t insert = end;
  while (insert > begin + 1 && Trim(lines[insert - 1].text).empty()) --insert;
  if (lines[insert - 1].ending.empty()) lines[insert - 1].ending = newline;
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insert), {key + "=" + *value, newline});
}

}  // namespace

std::string OptionFilePath() { return CurrentPath(); }

void SetOptionFilePath(const std::string& path) {
  std::lock_guard lock(g_mutex);
  g_option_path = path;
  g_server_url.clear();
}

bool LoadLoginOptions(std::string& account, std::string& password) {
  account.clear();
  password.clear();
  if (LeadingInteger(ReadValue("HELPER", "remember", "0", kLoginValueMax)) == 0) return false;
  account = ReadValue("HELPER", "username", "", kLoginValueMax);
  password = ReadValue("HELPER", "password", "", kLoginValueMax);
  return true;
}

bool SaveLoginOptions(bool remember, const std::string& account, const std::string& password) {
  std::string path = CurrentPath();
  std::lock_guard lock(g_mutex);  // one writer at a time inside the process
  bool exists = false;
  std::string text = ReadWholeFile(path, exists);
  std::vector<Line> lines = SplitLines(text);
  std::string newline = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
  // Values are single lines: a line break inside one would forge another key.
  auto one_line = [](std::string value) {
    for (char& c : value) {
      if (c == '\r' || c == '\n') c = ' ';
    }
    return value;
  };
  std::string flag = remember ? "1" : "0";
  EditKey(lines, "HELPER", "remember", &flag, newline);
  if (remember) {
    std::string a = one_line(account);
    std::string p = one_line(password);
    EditKey(lines, "HELPER", "username", &a, newline);
    EditKey(lines, "HELPER", "password", &p, newline);
  } else {
    EditKey(lines, "HELPER", "username", nullptr, newline);
    EditKey(lines, "HELPER", "password", nullptr, newline);
  }
  std::string out;
  for (const Line& line : lines) out += line.text + line.ending;
  // Mode 0600 (the file may hold a password), through a temporary file and a rename, so a
  // crash never leaves it half-written.
  return platform::ReplaceFileAtomically(path, out).ok();
}

namespace {

// An empty server value ("host=" left behind by hand) counts as absent: a base URL of "http://"
// alone, or an empty one, would send every request nowhere.
std::string ServerValue(const std::string& key, const std::string& fallback) {
  std::string value = ReadValue("SERVER", key, fallback, kServerValueMax);
  return Trim(value).empty() ? CutToCharacters(fallback, kServerValueMax) : value;
}

}  // namespace

std::string GetServerHost() { return ServerValue("host", kDefaultServerHost); }

std::string GetServerUrl() {
  {
    std::lock_guard lock(g_mutex);
    if (!g_server_url.empty()) return g_server_url;
  }
  std::string url = ServerValue("http", "http://" + GetServerHost());
  std::lock_guard lock(g_mutex);
  if (g_server_url.empty()) g_server_url = url;
  return g_server_url;
}

void OverrideServerUrl(const std::string& url) {
  std::lock_guard lock(g_mutex);
  g_server_url = url;
}

}  // namespace kest
