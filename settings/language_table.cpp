#include "settings/language_table.h"

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <optional>
#include <pugixml.hpp>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

#include "platform/debug_trace.h"
#include "platform/process.h"
#include "platform/system_language.h"
#include "resources/embedded_files.h"

namespace kest {
namespace {

// A loaded table never changes: a new load builds a new one and swaps the pointer, so a reader
// on another thread keeps the table it started with.
struct Table {
  std::unordered_map<std::string, std::string> values;
};

std::mutex g_mutex;
std::shared_ptr<const Table> g_table;
std::string g_code = "en";
std::string g_folder;  // empty: the program folder's Language/

// Reads the whole file, or nothing when it cannot be opened or a read fails part of the way: a
// table is taken whole or not at all.
std::optional<std::string> ReadWholeFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  std::string content;
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    content.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return content;
}

// The element's text: all its character data, child elements' included, in document order,
// without the blanks and line breaks that lay out the file around it.
std::string ElementText(const pugi::xml_node& element) {
  std::string text;
  for (pugi::xml_node node = element.first_child(); node; ) {
    if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
      text += node.value();
    }
    if (node.first_child()) {
      node = node.first_child();
      continue;
    }
    while (node && node != element && !node.next_sibling()) node = node.parent();
    if (!node || node == element) break;
    node = node.next_sibling();
  }
  size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return {};
  size_t end = text.find_last_not_of(" \t\r\n");
  return text.substr(begin, end - begin + 1);
}

std::shared_ptr<const Table> ParseTable(const std::string& path) {
  std::optional<std::string> content = ReadWholeFile(path);
  if (!content) return nullptr;
  pugi::xml_document document;
  // A malformed file leaves a partial tree behind in pugixml: only the result counts.
  pugi::xml_parse_result result =
      document.load_buffer(content->data(), content->size(), pugi::parse_default);
  // pugixml also accepts several root elements, which no well-formed document has.
  size_t roots = 0;
  for (pugi::xml_node node : document.children()) roots += node.type() == pugi::node_element;
  if (!result || roots != 1) {
    KEST_TRACE("language table %s: %s at %td\r\n", path.c_str(), result.description(),
               result.offset);
    return nullptr;
  }
  auto table = std::make_shared<Table>();
  for (pugi::xml_node entry : document.document_element().children()) {
    if (entry.type() != pugi::node_element) continue;
    // The first entry of a key wins: emplace keeps the value already there.
    table->values.emplace(entry.attribute("name").value(), ElementText(entry));
  }
  return table;
}

// Codes name a file in the tables' folder; anything that could name another place is refused.
bool IsPlainCode(const std::string& code) {
  if (code.empty() || code.size() > 32) return false;
  for (char c : code) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '_' || c == '-';
    if (!ok) return false;
  }
  return true;
}

}  // namespace

std::string LanguageFolder() {
  std::lock_guard lock(g_mutex);
  if (!g_folder.empty()) return g_folder;
  return platform::ProgramFolder() + "/Language/";
}

void SetLanguageFolder(const std::string& folder) {
  std::lock_guard lock(g_mutex);
  g_folder = folder;
  if (!g_folder.empty() && g_folder.back() != '/') g_folder += '/';
}

std::string UiLanguageCodeFor(uint16_t languageId) {
  switch (languageId) {
    case 1031: return "de";
    case 1041: return "jp";
    case 1042: return "kr";
    case 1049: return "ru";
    case 2052: return "cn";
    default: return "en";
  }
}

void SelectUiLanguage() {
  LoadLanguageTable(UiLanguageCodeFor(platform::SystemDefaultLanguageId()));
}

bool LoadLanguageTable(const std::string& code) {
  std::shared_ptr<const Table> table;
  std::string used = code;
  if (IsPlainCode(code)) table = ParseTable(LanguageFolder() + code + ".xml");
  if (!table) {
    used = "en";
    std::string fallback = EnXmlPath();
    if (!fallback.empty()) table = ParseTable(fallback);
  }
  std::lock_guard lock(g_mutex);
  g_table = table;
  g_code = used;
  return table != nullptr;
}

std::string GetLangString(std::string_view key) {
  std::shared_ptr<const Table> table;
  {
    std::lock_guard lock(g_mutex);
    table = g_table;
  }
  if (!table) return kLangNotFound;
  auto it = table->values.find(std::string(key));
  return it == table->values.end() ? std::string(kLangNotFound) : it->second;
}

std::string CurrentUiLanguage() {
  std::lock_guard lock(g_mutex);
  return g_code;
}

}  // namespace kest
