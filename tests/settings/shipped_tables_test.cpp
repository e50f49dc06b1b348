// The tables that ship in Language/: each one must be usable whole by the program.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <pugixml.hpp>
#include <set>

#include "settings/language_table.h"

namespace kest {
namespace {

namespace fs = std::filesystem;

std::map<std::string, std::string> ReadTable(const std::string& path,
                                             std::vector<std::string>& duplicates) {
  pugi::xml_document document;
  pugi::xml_parse_result result = document.load_file(path.c_str());
  EXPECT_TRUE(result) << path << ": " << result.description() << " at " << result.offset;
  std::map<std::string, std::string> values;
  for (pugi::xml_node entry : document.document_element().children("string")) {
    if (!values.emplace(entry.attribute("name").value(), entry.text().get()).second) {
      duplicates.push_back(entry.attribute("name").value());
    }
  }
  return values;
}

TEST(ShippedLanguageTables, EveryTableHasEveryKeyOnceWithText) {
  std::vector<std::string> duplicates;
  std::map<std::string, std::string> english =
      ReadTable(KEST_LANGUAGE_SOURCE_DIR "/en.xml", duplicates);
  EXPECT_EQ(english.size(), 98u);
  EXPECT_EQ(english["EXEHAVESTART"], "The program has started.");
  EXPECT_EQ(english["status_findlatestupdateinfo"],
            "Status  Searching for the latest update information");

  std::set<std::string> codes;
  for (const auto& file : fs::directory_iterator(KEST_LANGUAGE_SOURCE_DIR)) {
    codes.insert(file.path().stem().string());
  }
  EXPECT_EQ(codes, (std::set<std::string>{"cn", "de", "en", "jp", "kr", "ru"}));
  for (const std::string& code : codes) {
    SCOPED_TRACE(code);
    std::map<std::string, std::string> table =
        ReadTable(KEST_LANGUAGE_SOURCE_DIR "/" + code + ".xml", duplicates);
    for (const auto& [key, text] : english) {
      EXPECT_FALSE(table[key].empty()) << key;
    }
    EXPECT_EQ(table.size(), english.size());
    // The status line sets its first word bold: the text of "status" and one character more.
    EXPECT_EQ(table["status_findlatestupdateinfo"].rfind(table["status"] + " ", 0), 0u);
  }
  EXPECT_TRUE(duplicates.empty());
}

}  // namespace
}  // namespace kest
