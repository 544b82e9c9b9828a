// The flat JSON object reader (see JsonLine.h), after RFC 8259's grammar.
#include "JsonLine.h"

#include <cstdint>

namespace kivtool {

bool JsonValue::isInteger() const {
  return kind == Kind::Number && text.find_first_of(".eE") == std::string::npos;
}

namespace {

class Reader {
 public:
  explicit Reader(const std::string& text) : text_(text) {}

  std::vector<std::pair<std::string, JsonValue>> object() {
    std::vector<std::pair<std::string, JsonValue>> members;
    skipSpace();
    expect('{', "an object must start with '{'");
    skipSpace();
    if (peek() == '}') {
      ++at_;
    } else {
      for (;;) {
        skipSpace();
        if (peek() != '"') fail("a member name in double quotes expected");
        size_t nameAt = at_;
        std::string name = string();
        for (const auto& member : members)
          if (member.first == name) fail(nameAt, "\"" + name + "\" given twice");
        skipSpace();
        expect(':', "':' expected after a member name");
        skipSpace();
        members.emplace_back(std::move(name), value());
        skipSpace();
        if (peek() == ',') {
          ++at_;
          continue;
        }
        expect('}', "',' or '}' expected");
        break;
      }
    }
    skipSpace();
    if (at_ != text_.size()) fail("text after the object");
    return members;
  }

 private:
  [[noreturn]] void fail(size_t at, const std::string& message) const { throw JsonError(at + 1, message); }
  [[noreturn]] void fail(const std::string& message) const { fail(at_, message); }

  int peek() const { return at_ < text_.size() ? static_cast<unsigned char>(text_[at_]) : -1; }
  void expect(char c, const char* message) {
    if (peek() != c) fail(message);
    ++at_;
  }
  void skipSpace() {
    while (peek() == ' ' || peek() == '\t' || peek() == '\r' || peek() == '\n') ++at_;
  }
  bool literal(const char* word) {
    size_t n = std::char_traits<char>::length(word);
    if (text_.compare(at_, n, word) != 0) return false;
    at_ += n;
    return true;
  }

  JsonValue value() {
    JsonValue v;
    int c = peek();
    if (c == '"') {
      v.kind = JsonValue::Kind::String;
      v.text = string();
    } else if (c == '-' || (c >= '0' && c <= '9')) {
      v.kind = JsonValue::Kind::Number;
      v.text = number();
    } else if (literal("true")) {
      v.kind = JsonValue::Kind::Boolean;
      v.boolean = true;
    } else if (literal("false")) {
      v.kind = JsonValue::Kind::Boolean;
    } else if (literal("null")) {
      v.kind = JsonValue::Kind::Null;
    } else if (c == '{' || c == '[') {
      fail("nested objects and arrays are not used in list items");
    } else {
      fail("a value expected");
    }
    return v;
  }

  std::string number() {
    size_t start = at_;
    auto digits = [this] {
      size_t first = at_;
      while (peek() >= '0' && peek() <= '9') ++at_;
      if (at_ == first) fail("digit expected");
    };
    if (peek() == '-') ++at_;
    if (peek() == '0')
      ++at_;
    else
      digits();
    if (peek() == '.') {
      ++at_;
      digits();
    }
    if (peek() == 'e' || peek() == 'E') {
      ++at_;
      if (peek() == '+' || peek() == '-') ++at_;
      digits();
    }
    return text_.substr(start, at_ - start);
  }

  unsigned hex4() {
    unsigned v = 0;
    for (int i = 0; i < 4; ++i) {
      int c = peek();
      unsigned d;
      if (c >= '0' && c <= '9')
        d = static_cast<unsigned>(c - '0');
      else if (c >= 'a' && c <= 'f')
        d = static_cast<unsigned>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F')
        d = static_cast<unsigned>(c - 'A' + 10);
      else
        fail("four hex digits expected after \\u");
      v = v << 4 | d;
      ++at_;
    }
    return v;
  }

  static void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | cp >> 6);
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | cp >> 12);
      out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | cp >> 18);
      out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }

  std::string string() {
    ++at_;  // the opening quote
    std::string out;
    for (;;) {
      int c = peek();
      if (c < 0) fail("unterminated string");
      if (c < 0x20) fail("control character in a string");
      ++at_;
      if (c == '"') return out;
      if (c != '\\') {
        out += static_cast<char>(c);
        continue;
      }
      int e = peek();
      ++at_;
      switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          uint32_t cp = hex4();
          if (cp >= 0xD800 && cp < 0xDC00) {
            if (!literal("\\u")) fail("a high surrogate must be followed by a low one");
            uint32_t low = hex4();
            if (low < 0xDC00 || low >= 0xE000) fail("a high surrogate must be followed by a low one");
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          } else if (cp >= 0xDC00 && cp < 0xE000) {
            fail("a low surrogate without a high one");
          }
          appendUtf8(out, cp);
          break;
        }
        default:
          fail(at_ - 1, "unknown escape in a string");
      }
    }
  }

  const std::string& text_;
  size_t at_ = 0;
};

}  // namespace

std::vector<std::pair<std::string, JsonValue>> parseJsonObject(const std::string& line) {
  return Reader(line).object();
}

}  // namespace kivtool
