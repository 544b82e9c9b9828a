// Reading text and JSON-lines lists: names keyed as the URL check keys them, values and
// flags, and every mistake reported with its file and line.
#include <gtest/gtest.h>

#include <sstream>

#include "ListFormat.h"
#include "ListSource.h"

namespace kivtool {
namespace {

using namespace kiv::format;

ListSource text(const std::string& lines) {
  std::istringstream in(lines);
  return parseText(in, "sample.txt");
}

ListSource json(const std::string& lines) {
  std::istringstream in(lines);
  return parseJsonLines(in, "sample.jsonl");
}

std::string textError(const std::string& lines) {
  try {
    text(lines);
  } catch (const ParseError& error) {
    return error.what();
  }
  return "accepted";
}

std::string jsonError(const std::string& lines) {
  try {
    json(lines);
  } catch (const ParseError& error) {
    return error.what();
  }
  return "accepted";
}

TEST(ParseName, SplitsLikeTheUrlCheck) {
  ParsedName name = parseName("WWW.Example.TEST/a//b/./c/../d/?x=1");
  EXPECT_EQ(name.host, "example.test");
  EXPECT_TRUE(name.www);
  EXPECT_TRUE(name.entry);
  EXPECT_EQ(name.path, "a/b/d?x=1");
  EXPECT_EQ(name.kindBits, kEntryQueryBit);

  name = parseName("example.test/guide#part/2");
  EXPECT_EQ(name.path, "guide#part/2");
  EXPECT_EQ(name.kindBits, kEntryFragmentBit);

  name = parseName("example.test/?q");  // a query on the bare host: empty path part
  EXPECT_EQ(name.path, "?q");

  name = parseName("example.test/%7euser/%2f");  // unreserved escapes decoded, others upper-cased
  EXPECT_EQ(name.path, "~user/%2F");

  name = parseName("example.test/");
  EXPECT_FALSE(name.entry);
  EXPECT_FALSE(name.www);

  // "www." stays where the rest is no domain, and on IP literals.
  EXPECT_EQ(parseName("www.test").host, "www.test");
  EXPECT_FALSE(parseName("www.test").www);
  EXPECT_EQ(parseName("192.0.2.7").host, "192.0.2.7");
}

TEST(ParseName, RefusesWhatNoCheckCouldMatch) {
  const char* bad[] = {"", "http://example.test", "/news", "exa mple.test", "user@example.test",
                       "example.test:8080", "example.test/p?", "example.test/p#", "example.test/p?q#f",
                       "caf\xC3\xA9.test"};
  for (const char* name : bad) EXPECT_THROW(parseName(name), std::invalid_argument) << name;
  EXPECT_THROW(parseName("example.test/" + std::string(256, 'a')), std::invalid_argument);
  EXPECT_NO_THROW(parseName("example.test/" + std::string(255, 'a')));
}

TEST(ParseCategory, TakesZeroTo16382OrDash) {
  EXPECT_EQ(parseCategory("0"), 0);
  EXPECT_EQ(parseCategory("16382"), 16382);
  EXPECT_EQ(parseCategory("-"), std::nullopt);
  for (const char* bad : {"16383", "99999", "123456", "-1", "1.5", "", "x", "+3"})
    EXPECT_THROW(parseCategory(bad), std::invalid_argument) << bad;
}

TEST(ListSource, TextLinesBecomeDomainsWithValuesAndEntries) {
  ListSource list = text(
      "# a comment line\n"
      "\n"
      "Example.test 3 secure=4 host-only secure-host-only  # trailing comment\n"
      "www.example.test 8 secure=-\r\n"
      "example.test/news 7 prefix\n"
      "www.example.test/sport 5\n"
      "example.test/guide#intro 2 prefix\n"
      "secure.test - secure=9\n"
      "paths.test/find?q=x 6\n");
  ASSERT_EQ(list.domains().size(), 3u);
  EXPECT_EQ(list.entryCount(), 4u);

  const SourceDomain& example = list.domains()[0];
  EXPECT_EQ(example.host, "example.test");
  EXPECT_EQ(example.hostLine, 3u);
  EXPECT_EQ(example.wwwHostLine, 4u);
  EXPECT_EQ(example.plain.category, 3);
  EXPECT_TRUE(example.plain.hostOnly);
  EXPECT_EQ(example.secure.category, 4);
  EXPECT_TRUE(example.secure.hostOnly);
  EXPECT_EQ(example.wwwPlain.category, 8);
  EXPECT_FALSE(example.wwwSecure.hasCategory());
  ASSERT_EQ(example.entries.size(), 3u);
  EXPECT_EQ(example.entries[0].path, "news");
  EXPECT_EQ(example.entries[0].value, 7u | kEntryPrefixBit);
  EXPECT_EQ(example.entries[1].path, "sport");
  EXPECT_EQ(example.entries[1].value, 5u | kEntryWwwBit);
  EXPECT_EQ(example.entries[2].path, "guide#intro");
  EXPECT_EQ(example.entries[2].value, 2u | kEntryPrefixBit | kEntryFragmentBit);
  EXPECT_EQ(example.entries[2].line, 7u);

  const SourceDomain& secure = list.domains()[1];
  EXPECT_FALSE(secure.plain.hasCategory());
  EXPECT_EQ(secure.secure.category, 9);

  const SourceDomain& paths = list.domains()[2];  // entries alone make a domain with no value
  EXPECT_EQ(paths.hostLine, 0u);
  EXPECT_FALSE(paths.plain.hasCategory());
  EXPECT_EQ(paths.entries[0].value, 6u | kEntryQueryBit);
}

TEST(ListSource, TextMistakesNameFileAndLine) {
  EXPECT_EQ(textError("a.test 1\n\nb.test 2 hostonly\n"), "sample.txt:3: unknown flag 'hostonly'");
  EXPECT_EQ(textError("a.test\n"), "sample.txt:1: a category (or '-' for none) expected after 'a.test'");
  EXPECT_EQ(textError("a.test 16383\n"), "sample.txt:1: category must be 0-16382, or '-' for none, not '16383'");
  EXPECT_EQ(textError("a.test 1 secure=x\n"), "sample.txt:1: category must be 0-16382, or '-' for none, not 'x'");
  EXPECT_EQ(textError("# x\nA.test 1\na.TEST 2\n"), "sample.txt:3: a.test already given on line 2");
  EXPECT_EQ(textError("www.a.test 1\nwww.a.test 2\n"), "sample.txt:2: www.a.test already given on line 1");
  EXPECT_EQ(textError("a.test/p 1\na.test/x/../p/ 2\n"), "sample.txt:2: a.test/p already given on line 1");
  EXPECT_EQ(textError("a.test 1 prefix\n"), "sample.txt:1: 'prefix' applies to path entries, not to the host a.test");
  EXPECT_EQ(textError("a.test/p 1 host-only\n"), "sample.txt:1: path entries take only a category and 'prefix' (a.test/p)");
  EXPECT_EQ(textError("a.test/p - prefix\n"), "sample.txt:1: the path entry a.test/p needs a category");
  EXPECT_EQ(textError("a.test - host-only\n"), "sample.txt:1: 'host-only' needs a category for a.test");
  EXPECT_EQ(textError("a.test 1 secure-host-only\n"), "sample.txt:1: 'secure-host-only' needs secure=<category> for a.test");
  EXPECT_EQ(textError("\n\nhttps://a.test 1\n").rfind("sample.txt:3: names are written without a scheme", 0), 0u);
  // The same key with and without www is two entries, not a duplicate.
  EXPECT_EQ(textError("a.test/p 1\nwww.a.test/p 2\n"), "accepted");
}

TEST(ListSource, RefusesTheEntryBeyondATablesCapacity) {
  std::string lines;
  for (int i = 0; i < 1023; ++i) lines += "big.test/p" + std::to_string(i) + " 1\n";
  EXPECT_EQ(textError(lines), "accepted");
  EXPECT_EQ(textError(lines + "big.test/last 1\n"),
            "sample.txt:1024: more than 1023 path entries for big.test (one table holds at most 1023)");

  // Without www values, www entries share the main table; with them they get their own.
  std::string www;
  for (int i = 0; i < 1023; ++i) www += "www.big.test/w" + std::to_string(i) + " 1\n";
  EXPECT_EQ(textError(lines + www), "sample.txt:1024: more than 1023 path entries for big.test (one table holds at most 1023)");
  EXPECT_EQ(textError("www.big.test 4\n" + lines + www), "accepted");
  EXPECT_EQ(textError("www.big.test 4\n" + lines + www + "www.big.test/w-last 1\n"),
            "sample.txt:2048: more than 1023 path entries for www.big.test (one table holds at most 1023)");
}

TEST(ListSource, JsonLinesDescribeTheSameItems) {
  ListSource list = json(
      "{\"name\": \"example.test\", \"category\": 3, \"secure\": 4, \"hostOnly\": true, \"secureHostOnly\": false}\n"
      "  # comment lines and blank lines between objects\n"
      "{\"name\": \"example.test/news\", \"category\": 7, \"prefix\": true}\r\n"
      "{\"name\": \"secure.test\", \"category\": null, \"secure\": 9}\n");
  ASSERT_EQ(list.domains().size(), 2u);
  const SourceDomain& example = list.domains()[0];
  EXPECT_EQ(example.plain.category, 3);
  EXPECT_TRUE(example.plain.hostOnly);
  EXPECT_EQ(example.secure.category, 4);
  EXPECT_FALSE(example.secure.hostOnly);
  EXPECT_EQ(example.hostLine, 1u);
  ASSERT_EQ(example.entries.size(), 1u);
  EXPECT_EQ(example.entries[0].value, 7u | kEntryPrefixBit);
  EXPECT_EQ(example.entries[0].line, 3u);
  EXPECT_FALSE(list.domains()[1].plain.hasCategory());
  EXPECT_EQ(list.domains()[1].secure.category, 9);
}

TEST(ListSource, JsonMistakesNameFileAndLine) {
  EXPECT_EQ(jsonError("{\"name\": \"a.test\", \"category\": 1}\n{\"name\": \"b.test\", \"hostonly\": true}\n"),
            "sample.jsonl:2: unknown member \"hostonly\"");
  EXPECT_EQ(jsonError("{\"category\": 1}\n"), "sample.jsonl:1: the object needs a \"name\"");
  EXPECT_EQ(jsonError("{\"name\": 5}\n"), "sample.jsonl:1: \"name\" must be a string");
  EXPECT_EQ(jsonError("{\"name\": \"a.test\", \"category\": 2.5}\n"),
            "sample.jsonl:1: \"category\" must be a whole number 0-16382 or null");
  EXPECT_EQ(jsonError("{\"name\": \"a.test\", \"category\": -3}\n"),
            "sample.jsonl:1: \"category\" must be a whole number 0-16382 or null");
  EXPECT_EQ(jsonError("{\"name\": \"a.test\", \"category\": 20000}\n"),
            "sample.jsonl:1: category must be 0-16382, or '-' for none, not '20000'");
  EXPECT_EQ(jsonError("{\"name\": \"a.test\", \"prefix\": 1}\n"), "sample.jsonl:1: \"prefix\" must be true or false");
  EXPECT_EQ(jsonError("\n\n{\"name\": \"a.test\",\n"), "sample.jsonl:3: column 19: a member name in double quotes expected");
  EXPECT_EQ(jsonError("{\"name\": \"a.test\", \"category\": 1}\n{\"name\": \"A.test\", \"category\": 2}\n"),
            "sample.jsonl:2: a.test already given on line 1");
}

}  // namespace
}  // namespace kivtool
