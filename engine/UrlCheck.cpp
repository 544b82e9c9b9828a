// Dictionary::check: which category this list gives to a URL.
//
// The URL is parsed and normalised by uriparser (RFC 3986); the host key drops a leading
// "www." where the rest is still a domain; then, from the most specific to the least: the
// host's fragment, query and path entries, the host's own value, the values its parent
// domains pass down. "https" URLs use the secure words and fall back to the plain ones.
// Keys are built in a fixed stack buffer; nothing is allocated but the parser's own memory.
#include <uriparser/Uri.h>

#include "Dictionary.h"

namespace kiv {

using namespace format;

namespace {

constexpr size_t kKeyBufferSize = 256;  // keys longer than 255 bytes are never built

// Owns the parser's memory for the check's whole run.
class ParsedUri {
 public:
  ParsedUri() = default;
  ~ParsedUri() { uriFreeUriMembersA(&uri_); }
  ParsedUri(const ParsedUri&) = delete;
  ParsedUri& operator=(const ParsedUri&) = delete;

  bool parse(const char* first, const char* afterLast) {
    const char* errorPos = nullptr;
    return uriParseSingleUriExA(&uri_, first, afterLast, &errorPos) == URI_SUCCESS;
  }
  bool normalize() {
    unsigned int mask = 0;
    if (uriNormalizeSyntaxMaskRequiredExA(&uri_, &mask) != URI_SUCCESS) return false;
    return mask == URI_NORMALIZED || uriNormalizeSyntaxExA(&uri_, mask) == URI_SUCCESS;
  }
  const UriUriA& operator*() const { return uri_; }
  const UriUriA* operator->() const { return &uri_; }

 private:
  UriUriA uri_{};
};

size_t lengthOf(const UriTextRangeA& range) {
  return range.first && range.afterLast ? static_cast<size_t>(range.afterLast - range.first) : 0;
}

bool isIpLiteral(const UriUriA& uri) {
  return uri.hostData.ip4 || uri.hostData.ip6 || lengthOf(uri.hostData.ipFuture) > 0;
}

// A key under construction: path part, then "?query" or "#fragment".
class KeyBuffer {
 public:
  // Joins the non-empty path segments with "/"; false when it does not fit.
  bool setPath(const UriPathSegmentA* segment) {
    length_ = 0;
    for (; segment; segment = segment->next) {
      size_t n = lengthOf(segment->text);
      if (n == 0) continue;
      if (length_ > 0 && !append("/", 1)) return false;
      if (!append(segment->text.first, n)) return false;
    }
    return true;
  }
  bool append(const char* bytes, size_t n) {
    if (n > kKeyBufferSize - 1 - length_) return false;
    std::memcpy(bytes_ + length_, bytes, n);
    length_ += n;
    return true;
  }
  void truncate(size_t length) { length_ = length; }
  const char* bytes() const { return bytes_; }
  size_t length() const { return length_; }

 private:
  char bytes_[kKeyBufferSize];
  size_t length_ = 0;
};

// Cuts the key at its last "/" after stop, again and again, looking up each shorter key
// with prefixOnly; the first match ends the walk.
CheckResult walkUp(const PathTable& table, const char* key, size_t length, size_t stop) {
  for (;;) {
    size_t slash = length;
    while (slash > 0 && key[slash - 1] != '/') --slash;
    if (slash == 0 || slash - 1 <= stop) return kNoMatch;
    length = slash - 1;
    CheckResult r = table.lookup(key, length, true);
    if (isMatch(r)) return r;
  }
}

bool contains(const UriTextRangeA& range, char c) {
  return std::memchr(range.first, c, lengthOf(range)) != nullptr;
}

// Fragment or query step: key = path part + separator + component.
CheckResult searchComponent(const PathTable& table, KeyBuffer& key, size_t pathLength, char separator,
                            const UriTextRangeA& component, bool prefixKinds) {
  key.truncate(pathLength);
  size_t n = lengthOf(component);
  if (!key.append(&separator, 1) || !key.append(component.first, n)) return kNoMatch;
  CheckResult r = table.lookup(key.bytes(), key.length(), false);
  if (!isMatch(r) && prefixKinds && contains(component, '/')) r = walkUp(table, key.bytes(), key.length(), pathLength);
  return r;
}

// The URL's path, query and fragment against one table's entries.
CheckResult pathSearch(const PathTable& table, const UriUriA& uri) {
  uint8_t kinds = table.kinds();
  KeyBuffer key;
  bool pathFits = key.setPath(uri.pathHead);
  if (!pathFits) return kNoMatch;  // every kind of key starts with the path part
  size_t pathLength = key.length();

  if ((kinds & (kKindPrefixFragment | kKindExactFragment)) && lengthOf(uri.fragment) > 0) {
    CheckResult r = searchComponent(table, key, pathLength, '#', uri.fragment, kinds & kKindPrefixFragment);
    if (isMatch(r)) return r;
  }
  if ((kinds & (kKindPrefixQuery | kKindExactQuery)) && lengthOf(uri.query) > 0) {
    CheckResult r = searchComponent(table, key, pathLength, '?', uri.query, kinds & kKindPrefixQuery);
    if (isMatch(r)) return r;
  }
  if ((kinds & (kKindPrefixPath | kKindExactPath)) && pathLength > 0) {
    CheckResult r = table.lookup(key.bytes(), pathLength, false);
    if (!isMatch(r) && (kinds & kKindPrefixPath) && pathLength > 1) r = walkUp(table, key.bytes(), pathLength, 1);
    if (isMatch(r)) return r;
  }
  return kNoMatch;
}

CheckResult valueOf(uint16_t word) {
  uint16_t category = word & kCategoryMask;
  return category == kNoCategory ? kNoMatch : matchOf(category);
}

// The host's own value: plain word, or for secure URLs the secure word (none when the table
// is not extended). The host-only bit does not matter for the host itself.
CheckResult exactHostValue(const PathTable& table, bool secure) {
  if (!secure) return valueOf(table.plainWord());
  return table.extended() ? valueOf(table.secureWord()) : kNoMatch;
}

// What a parent domain passes down: nothing when its word is host-only.
CheckResult inheritedValue(const PathTable& table, bool secure, bool plainForced) {
  uint16_t word;
  if (plainForced || !secure)
    word = table.plainWord();
  else if (table.extended())
    word = table.secureWord();
  else
    return kNoMatch;
  if (word & kHostOnlyBit) return kNoMatch;
  return valueOf(word);
}

bool isSecureScheme(const UriTextRangeA& scheme) {
  return lengthOf(scheme) >= 5 && std::memcmp(scheme.first, "https", 5) == 0;
}

}  // namespace

CheckResult Dictionary::check(const char* url, size_t length) const {
  ParsedUri uri;
  if (url == nullptr || !uri.parse(url, url + length)) return kInvalidUrl;
  // The scheme as written: "HTTPS" does not make a URL secure.
  bool secure = isSecureScheme(uri->scheme);
  if (!uri.normalize()) return kInvalidUrl;
  size_t hostLength = lengthOf(uri->hostText);
  if (hostLength == 0) return kInvalidUrl;

  const char* host = uri->hostText.first;
  bool ipLiteral = isIpLiteral(*uri);
  bool stripped = false;
  if (hostLength > 4 && !ipLiteral && std::memcmp(host, "www.", 4) == 0 &&
      std::memchr(host + 4, '.', hostLength - 4) != nullptr) {
    host += 4;
    hostLength -= 4;
    stripped = true;
  }

  CheckResult r = kNoMatch;
  CheckResult fallback = kNoMatch;
  DomainRecord record = findName(host, hostLength);
  if (record.found()) {
    const PathTable& main = record.main();
    if (stripped && record.hasWwwTable()) {
      const PathTable& www = record.www();
      if (www.entryCount() > 0) r = pathSearch(www, *uri);
      if (!isMatch(r)) r = exactHostValue(www, secure);
      if (!isMatch(r)) r = exactHostValue(main, secure);
    } else {
      if (main.entryCount() > 0) r = pathSearch(main, *uri);
      if (!isMatch(r)) r = exactHostValue(main, secure);
    }
    if (isMatch(r)) return r;
    fallback = valueOf(main.plainWord());
  }
  if (ipLiteral) return r;

  // Parents from the longest to the shortest, never the top-level label alone.
  size_t last = hostLength;
  while (last > 0 && host[last - 1] != '.') --last;
  last = last > 0 ? last - 1 : 0;  // position of the last ".", or 0 when there is none
  for (size_t d = 0; d + 1 < last && !isMatch(r); ++d) {
    if (host[d] != '.') continue;
    DomainRecord parent = findName(host + d + 1, hostLength - d - 1);
    if (!parent.found()) continue;
    r = inheritedValue(parent.main(), secure, false);
    if (secure && !isMatch(fallback) && !isMatch(r)) fallback = inheritedValue(parent.main(), secure, true);
  }
  if (secure && !isMatch(r)) r = fallback;
  return r;
}

}  // namespace kiv
