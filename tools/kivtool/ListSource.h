// A filter list as a person writes it: host lines and path entries read from a text list or a
// JSON-lines file, checked and grouped into one domain per host key, ready to be fed to
// kiv::Writer. Names are normalised and keyed exactly as the URL check does it, so what a line
// says is what a check finds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "PathTable.h"

namespace kivtool {

// An input error, its message already prefixed with "file:line: ".
class ParseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One line of input in either format, before it is checked.
struct Item {
  std::string name;               // "example.test", "www.example.test/news", "example.test/s?q=1"
  std::optional<uint16_t> plain;  // category for plain URLs (https falls back to it); empty: none
  std::optional<uint16_t> secure; // category for https URLs; empty: none
  bool secureGiven = false;
  bool hostOnly = false;
  bool secureHostOnly = false;
  bool prefix = false;
};

// A name split the way the URL check splits a URL.
struct ParsedName {
  std::string host;       // the key's host: normalised, "www." dropped where the check drops it
  bool www = false;       // "www." was dropped: values go to the www table / get the www bit
  bool entry = false;     // a path, query or fragment was given
  std::string path;       // entry key: path segments joined by "/", then "?query" or "#fragment"
  uint32_t kindBits = 0;  // kEntryQueryBit or kEntryFragmentBit for query and fragment entries
};

// Splits and normalises a name; throws std::invalid_argument with the reason.
ParsedName parseName(const std::string& name);

// Category text: decimal 0-16382, or "-" for none. Throws std::invalid_argument.
std::optional<uint16_t> parseCategory(const std::string& text);

struct SourceEntry {
  std::string path;  // key string
  uint32_t value;    // category and the prefix, www, query and fragment bits
  size_t line;
};

struct SourceDomain {
  std::string host;
  kiv::HostValue plain, secure, wwwPlain, wwwSecure;
  size_t hostLine = 0;     // line of the host line; 0 when the host came only from entries
  size_t wwwHostLine = 0;  // line of the www host line
  std::vector<SourceEntry> entries;
};

class ListSource {
 public:
  explicit ListSource(std::string fileName) : fileName_(std::move(fileName)) {}

  // Adds one line's item; throws ParseError naming the file and line.
  void add(const Item& item, size_t line);
  // Refuses tables the format cannot hold (more than 1023 entries); throws ParseError.
  void finish() const;

  const std::string& fileName() const { return fileName_; }
  const std::vector<SourceDomain>& domains() const { return domains_; }
  size_t entryCount() const;

  [[noreturn]] void fail(size_t line, const std::string& message) const;

 private:
  SourceDomain& domainFor(const std::string& host);

  std::string fileName_;
  std::vector<SourceDomain> domains_;  // in order of first mention
  std::unordered_map<std::string, size_t> byHost_;
  std::unordered_map<std::string, size_t> entryLines_;  // host, www flag and key -> line
};

enum class InputFormat { Automatic, Text, JsonLines };

// The parsers; fileName names the input in messages. Both finish() the list.
ListSource parseText(std::istream& in, const std::string& fileName);
ListSource parseJsonLines(std::istream& in, const std::string& fileName);
// Reads the file at path. Automatic picks JSON lines for ".jsonl" or ".ndjson" names, or when
// the first line that is not blank or a comment starts with "{". Throws ParseError, also for
// a file that cannot be read.
ListSource parseFile(const std::string& path, InputFormat format);

}  // namespace kivtool
