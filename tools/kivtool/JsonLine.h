// One line of a JSON-lines list: a flat JSON object whose values are strings, numbers,
// true, false or null. Nested objects and arrays are refused: no list item needs them, and a
// small strict reader gives better messages than a general one.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace kivtool {

struct JsonValue {
  enum class Kind { String, Number, Boolean, Null };
  Kind kind = Kind::Null;
  std::string text;      // the decoded string, or the number as written
  bool boolean = false;

  // A number written as an integer (no fraction, no exponent).
  bool isInteger() const;
};

// Thrown with the 1-based column where the object went wrong.
class JsonError : public std::runtime_error {
 public:
  JsonError(size_t column, const std::string& message)
      : std::runtime_error("column " + std::to_string(column) + ": " + message), column_(column) {}
  size_t column() const { return column_; }

 private:
  size_t column_;
};

// Members in the order written; a name given twice is refused.
std::vector<std::pair<std::string, JsonValue>> parseJsonObject(const std::string& line);

}  // namespace kivtool
