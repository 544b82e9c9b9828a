// Reading list descriptions (see ListSource.h). Names go through uriparser's parse and
// syntax normalisation, the same steps the URL check takes, so a key built here is the key a
// check builds for the same URL.
#include "ListSource.h"

#include <uriparser/Uri.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "JsonLine.h"
#include "ListFormat.h"

namespace kivtool {

using namespace kiv::format;

namespace {

constexpr size_t kMaxKeyLength = 255;  // the check never builds a longer key

size_t lengthOf(const UriTextRangeA& range) {
  return range.first && range.afterLast ? static_cast<size_t>(range.afterLast - range.first) : 0;
}

std::string textOf(const UriTextRangeA& range) { return std::string(range.first ? range.first : "", lengthOf(range)); }

class ParsedUri {
 public:
  ParsedUri() = default;
  ~ParsedUri() { uriFreeUriMembersA(&uri_); }
  ParsedUri(const ParsedUri&) = delete;
  ParsedUri& operator=(const ParsedUri&) = delete;

  // The parsed ranges point into text (until normalisation copies them): it is kept here.
  bool parse(std::string text) {
    text_ = std::move(text);
    const char* errorPos = nullptr;
    if (uriParseSingleUriExA(&uri_, text_.data(), text_.data() + text_.size(), &errorPos) != URI_SUCCESS) return false;
    unsigned int mask = 0;
    if (uriNormalizeSyntaxMaskRequiredExA(&uri_, &mask) != URI_SUCCESS) return false;
    return mask == URI_NORMALIZED || uriNormalizeSyntaxExA(&uri_, mask) == URI_SUCCESS;
  }
  const UriUriA* operator->() const { return &uri_; }

 private:
  std::string text_;
  UriUriA uri_{};
};

// How a normalised name reads back in messages.
std::string shownName(const std::string& host, bool www, const std::string& path) {
  std::string shown = (www ? "www." : "") + host;
  if (!path.empty()) shown += "/" + path;
  return shown;
}

std::string trimLineEnd(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

bool endsWith(const std::string& text, const char* suffix) {
  size_t n = std::strlen(suffix);
  return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

}  // namespace

ParsedName parseName(const std::string& name) {
  if (name.empty()) throw std::invalid_argument("empty name");
  if (name.find("://") != std::string::npos)
    throw std::invalid_argument("names are written without a scheme, like 'example.test/news', not '" + name + "'");
  ParsedUri uri;
  if (!uri.parse("http://" + name)) throw std::invalid_argument("'" + name + "' is not a host name with an optional path");
  if (uri->userInfo.first)
    throw std::invalid_argument("'" + name + "' has a user part; names are hosts with paths");
  if (uri->portText.first) throw std::invalid_argument("'" + name + "' has a port; lists do not tell ports apart");

  ParsedName parsed;
  parsed.host = textOf(uri->hostText);
  if (parsed.host.empty()) throw std::invalid_argument("'" + name + "' has no host");
  bool ipLiteral = uri->hostData.ip4 || uri->hostData.ip6 || lengthOf(uri->hostData.ipFuture) > 0;
  // The check drops "www." when the rest is still a domain: "www.test" keeps it.
  if (!ipLiteral && parsed.host.size() > 4 && parsed.host.compare(0, 4, "www.") == 0 &&
      parsed.host.find('.', 4) != std::string::npos) {
    parsed.host.erase(0, 4);
    parsed.www = true;
  }

  for (const UriPathSegmentA* segment = uri->pathHead; segment; segment = segment->next) {
    if (lengthOf(segment->text) == 0) continue;
    if (!parsed.path.empty()) parsed.path += '/';
    parsed.path += textOf(segment->text);
  }
  bool hasQuery = uri->query.first != nullptr;
  bool hasFragment = uri->fragment.first != nullptr;
  if (hasQuery && hasFragment)
    throw std::invalid_argument("'" + name + "' has both a query and a fragment; an entry matches one of them");
  // The check skips empty queries and fragments: such an entry could never match.
  if (hasQuery && lengthOf(uri->query) == 0) throw std::invalid_argument("'" + name + "' has an empty query");
  if (hasFragment && lengthOf(uri->fragment) == 0) throw std::invalid_argument("'" + name + "' has an empty fragment");
  if (hasQuery) {
    parsed.path += "?" + textOf(uri->query);
    parsed.kindBits = kEntryQueryBit;
  } else if (hasFragment) {
    parsed.path += "#" + textOf(uri->fragment);
    parsed.kindBits = kEntryFragmentBit;
  }
  parsed.entry = !parsed.path.empty();
  if (parsed.path.size() > kMaxKeyLength)
    throw std::invalid_argument("the path of '" + name + "' is longer than 255 bytes and could never match");
  return parsed;
}

std::optional<uint16_t> parseCategory(const std::string& text) {
  if (text == "-") return std::nullopt;
  bool digits = !text.empty() && text.size() <= 5 && text.find_first_not_of("0123456789") == std::string::npos;
  unsigned long value = digits ? std::stoul(text) : 0;
  if (!digits || value >= kNoCategory)
    throw std::invalid_argument("category must be 0-16382, or '-' for none, not '" + text + "'");
  return static_cast<uint16_t>(value);
}

void ListSource::fail(size_t line, const std::string& message) const {
  throw ParseError(fileName_ + ":" + std::to_string(line) + ": " + message);
}

SourceDomain& ListSource::domainFor(const std::string& host) {
  auto [at, added] = byHost_.emplace(host, domains_.size());
  if (added) {
    domains_.emplace_back();
    domains_.back().host = host;
  }
  return domains_[at->second];
}

size_t ListSource::entryCount() const {
  size_t n = 0;
  for (const SourceDomain& domain : domains_) n += domain.entries.size();
  return n;
}

void ListSource::add(const Item& item, size_t line) {
  ParsedName name;
  try {
    name = parseName(item.name);
  } catch (const std::invalid_argument& error) {
    fail(line, error.what());
  }

  if (!name.entry) {
    std::string shown = shownName(name.host, name.www, "");
    if (item.prefix) fail(line, "'prefix' applies to path entries, not to the host " + shown);
    if (item.hostOnly && !item.plain) fail(line, "'host-only' needs a category for " + shown);
    if (item.secureHostOnly && !item.secure) fail(line, "'secure-host-only' needs secure=<category> for " + shown);
    SourceDomain& domain = domainFor(name.host);
    size_t& given = name.www ? domain.wwwHostLine : domain.hostLine;
    if (given) fail(line, shown + " already given on line " + std::to_string(given));
    given = line;
    kiv::HostValue plain, secure;
    plain.category = item.plain.value_or(kNoCategory);
    plain.hostOnly = item.hostOnly;
    secure.category = item.secure.value_or(kNoCategory);
    secure.hostOnly = item.secureHostOnly;
    (name.www ? domain.wwwPlain : domain.plain) = plain;
    (name.www ? domain.wwwSecure : domain.secure) = secure;
    return;
  }

  std::string shown = shownName(name.host, name.www, name.path);
  if (item.secureGiven || item.hostOnly || item.secureHostOnly)
    fail(line, "path entries take only a category and 'prefix' (" + shown + ")");
  if (!item.plain) fail(line, "the path entry " + shown + " needs a category");
  uint32_t value = *item.plain | name.kindBits;
  if (item.prefix) value |= kEntryPrefixBit;
  if (name.www) value |= kEntryWwwBit;
  auto [previous, added] = entryLines_.emplace(name.host + '\n' + (name.www ? 'w' : 'm') + name.path, line);
  if (!added) fail(line, shown + " already given on line " + std::to_string(previous->second));
  domainFor(name.host).entries.push_back(SourceEntry{name.path, value, line});
}

void ListSource::finish() const {
  // The writer refuses such tables too, but could not say which line to shorten.
  for (const SourceDomain& domain : domains_) {
    bool wwwTable = domain.wwwPlain.hasCategory() || domain.wwwSecure.hasCategory();
    uint32_t main = 0, www = 0;
    for (const SourceEntry& entry : domain.entries) {
      bool inWww = wwwTable && (entry.value & kEntryWwwBit);
      uint32_t& count = inWww ? www : main;
      if (++count > kMaxEntries)
        fail(entry.line, "more than " + std::to_string(kMaxEntries) + " path entries for " +
                             shownName(domain.host, inWww, "") + " (one table holds at most " +
                             std::to_string(kMaxEntries) + ")");
    }
  }
}

ListSource parseText(std::istream& in, const std::string& fileName) {
  ListSource list(fileName);
  size_t number = 0;
  for (std::string raw; std::getline(in, raw);) {
    ++number;
    std::string line = trimLineEnd(raw);
    if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
    std::istringstream words(line);
    std::vector<std::string> tokens;
    // A comment starts with a word that begins with "#"; a "#" inside a name is a fragment.
    for (std::string word; words >> word && word[0] != '#';) tokens.push_back(word);
    if (tokens.empty()) continue;
    if (tokens.size() < 2) list.fail(number, "a category (or '-' for none) expected after '" + tokens[0] + "'");
    Item item;
    item.name = tokens[0];
    try {
      item.plain = parseCategory(tokens[1]);
      for (size_t i = 2; i < tokens.size(); ++i) {
        const std::string& flag = tokens[i];
        if (flag == "prefix") {
          item.prefix = true;
        } else if (flag == "host-only") {
          item.hostOnly = true;
        } else if (flag == "secure-host-only") {
          item.secureHostOnly = true;
        } else if (flag.compare(0, 7, "secure=") == 0) {
          item.secure = parseCategory(flag.substr(7));
          item.secureGiven = true;
        } else {
          list.fail(number, "unknown flag '" + flag + "'");
        }
      }
    } catch (const std::invalid_argument& error) {
      list.fail(number, error.what());
    }
    list.add(item, number);
  }
  list.finish();
  return list;
}

namespace {

std::optional<uint16_t> jsonCategory(const JsonValue& value, const std::string& member) {
  if (value.kind == JsonValue::Kind::Null) return std::nullopt;
  if (!value.isInteger() || value.text[0] == '-')
    throw std::invalid_argument("\"" + member + "\" must be a whole number 0-16382 or null");
  return parseCategory(value.text);
}

bool jsonFlag(const JsonValue& value, const std::string& member) {
  if (value.kind != JsonValue::Kind::Boolean) throw std::invalid_argument("\"" + member + "\" must be true or false");
  return value.boolean;
}

}  // namespace

ListSource parseJsonLines(std::istream& in, const std::string& fileName) {
  ListSource list(fileName);
  size_t number = 0;
  for (std::string raw; std::getline(in, raw);) {
    ++number;
    std::string line = trimLineEnd(raw);
    if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
    // Blank lines and "#" comment lines are allowed between objects, as in text lists.
    size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    Item item;
    bool named = false;
    try {
      for (const auto& [member, value] : parseJsonObject(line)) {
        if (member == "name") {
          if (value.kind != JsonValue::Kind::String) throw std::invalid_argument("\"name\" must be a string");
          item.name = value.text;
          named = true;
        } else if (member == "category") {
          item.plain = jsonCategory(value, member);
        } else if (member == "secure") {
          item.secure = jsonCategory(value, member);
          item.secureGiven = true;
        } else if (member == "hostOnly") {
          item.hostOnly = jsonFlag(value, member);
        } else if (member == "secureHostOnly") {
          item.secureHostOnly = jsonFlag(value, member);
        } else if (member == "prefix") {
          item.prefix = jsonFlag(value, member);
        } else {
          throw std::invalid_argument("unknown member \"" + member + "\"");
        }
      }
    } catch (const JsonError& error) {
      list.fail(number, error.what());
    } catch (const std::invalid_argument& error) {
      list.fail(number, error.what());
    }
    if (!named) list.fail(number, "the object needs a \"name\"");
    list.add(item, number);
  }
  list.finish();
  return list;
}

ListSource parseFile(const std::string& path, InputFormat format) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ParseError(path + ": cannot be read: " + std::strerror(errno));
  std::stringstream text;
  text << in.rdbuf();
  if (format == InputFormat::Automatic) {
    format = InputFormat::Text;
    if (endsWith(path, ".jsonl") || endsWith(path, ".ndjson")) {
      format = InputFormat::JsonLines;
    } else {
      std::istringstream lines(text.str());
      for (std::string line; std::getline(lines, line);) {
        size_t first = line.find_first_not_of(" \t\r");
        if (first != std::string::npos && line.compare(first, 3, "\xEF\xBB\xBF") == 0) first += 3;
        if (first == std::string::npos || line[first] == '#') continue;
        if (line[first] == '{') format = InputFormat::JsonLines;
        break;
      }
    }
  }
  text.seekg(0);
  return format == InputFormat::JsonLines ? parseJsonLines(text, path) : parseText(text, path);
}

}  // namespace kivtool
