// The flat JSON object reader: values, escapes, and the column of each mistake.
#include <gtest/gtest.h>

#include "JsonLine.h"

namespace kivtool {
namespace {

TEST(JsonLine, ReadsEveryKindOfValueInOrder) {
  auto members = parseJsonObject(R"( {"name": "a.test", "category": 12, "f": -1.5e3, "on": true, "off": false, "none": null} )");
  ASSERT_EQ(members.size(), 6u);
  EXPECT_EQ(members[0].first, "name");
  EXPECT_EQ(members[0].second.text, "a.test");
  EXPECT_TRUE(members[1].second.isInteger());
  EXPECT_EQ(members[1].second.text, "12");
  EXPECT_EQ(members[2].second.text, "-1.5e3");
  EXPECT_FALSE(members[2].second.isInteger());
  EXPECT_TRUE(members[3].second.boolean);
  EXPECT_EQ(members[4].second.kind, JsonValue::Kind::Boolean);
  EXPECT_FALSE(members[4].second.boolean);
  EXPECT_EQ(members[5].second.kind, JsonValue::Kind::Null);
  EXPECT_TRUE(parseJsonObject("{}").empty());
}

TEST(JsonLine, DecodesEscapesToUtf8) {
  auto members = parseJsonObject(R"({"s": "a\"b\\c\/d\n\u00e9\u20ac\ud83d\ude00"})");
  EXPECT_EQ(members[0].second.text, "a\"b\\c/d\n\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
}

TEST(JsonLine, RefusesBrokenObjectsAtTheirColumn) {
  struct Case {
    const char* line;
    size_t column;
    const char* message;
  } cases[] = {
      {"[1]", 1, "an object must start with '{'"},
      {R"({"a": 1,})", 9, "a member name in double quotes expected"},
      {R"({"a" 1})", 6, "':' expected"},
      {R"({"a": 1 "b": 2})", 9, "',' or '}' expected"},
      {R"({"a": {"b": 1}})", 7, "nested objects and arrays"},
      {R"({"a": tru})", 7, "a value expected"},
      {R"({"a": 01})", 8, "',' or '}' expected"},
      {R"({"a": 1.})", 9, "digit expected"},
      {R"({"a": "x)", 9, "unterminated string"},
      {R"({"a": "\q"})", 9, "unknown escape"},
      {R"({"a": "\ud83d"})", 14, "a high surrogate must be followed by a low one"},
      {R"({"a": "\ude00"})", 14, "a low surrogate without a high one"},
      {R"({"a": 1, "a": 2})", 10, "\"a\" given twice"},
      {R"({"a": 1} x)", 10, "text after the object"},
      {"{\"a\": \"tab\there\"}", 11, "control character"},
  };
  for (const Case& c : cases) {
    try {
      parseJsonObject(c.line);
      ADD_FAILURE() << c.line << " was accepted";
    } catch (const JsonError& error) {
      EXPECT_EQ(error.column(), c.column) << c.line;
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << c.line << ": " << error.what();
    }
  }
}

}  // namespace
}  // namespace kivtool
