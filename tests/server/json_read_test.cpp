// Reading answers of any shape: every helper on every kind of value, never a throw.

#include <gtest/gtest.h>

#include "server/json_read.h"

namespace kest {
namespace {

TEST(JsonRead, WrongTypesReadAsEmptyValues) {
  Expected<Json::Value> root = json::ParseText(R"({
    "int": 42, "real": 4000.0, "frac": 1.5, "text": "42", "big": 3000000000, "neg": -2,
    "yes": true, "none": null, "list": [1, "a"], "obj": {"k": "v"}})");
  ASSERT_TRUE(root.ok());
  const Json::Value& r = *root;
  struct Case {
    const char* key;
    int32_t as_int;
    std::string as_string;
    bool array, object;
  } cases[] = {
      {"int", 42, "", false, false},    {"real", 4000, "", false, false},
      {"frac", 0, "", false, false},    {"text", 0, "42", false, false},
      {"big", 0, "", false, false},     {"neg", -2, "", false, false},
      {"yes", 0, "", false, false},     {"none", 0, "", false, false},
      {"list", 0, "", true, false},     {"obj", 0, "", false, true},
      {"missing", 0, "", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(json::ReadInt(r, c.key), c.as_int) << c.key;
    EXPECT_EQ(json::ReadString(r, c.key), c.as_string) << c.key;
    EXPECT_EQ(json::ReadArray(r, c.key).size(), c.array ? 2u : 0u) << c.key;
    EXPECT_EQ(json::ReadObject(r, c.key).size(), c.object ? 1u : 0u) << c.key;
    // Reading members of a value that is no object, and iterating what comes back.
    const Json::Value& value = json::Member(r, c.key);
    EXPECT_TRUE(json::Member(value, "k").isNull() || c.object) << c.key;
    for (const Json::Value& element : json::ReadArray(value, "x")) (void)element;
  }
}

TEST(JsonRead, ParseReportsInsteadOfThrowing) {
  EXPECT_FALSE(json::ParseText("{\"a\": ").ok());
  EXPECT_FALSE(json::ParseText(std::string(5000, '[')).ok());  // deeper than the reader allows
  EXPECT_TRUE(json::ParseText("// a comment\n{\"a\": 1}").ok());
  Expected<Json::Value> missing = json::ParseFile("/nonexistent/answer.json");
  ASSERT_FALSE(missing.ok());
  EXPECT_NE(missing.error().code, 0);
}

}  // namespace
}  // namespace kest
