// kiv::update::memstreambuf: a read-only stream buffer over bytes already in memory, so a
// patch body received into a buffer is read through std::istream without a copy.
#pragma once

#include <cstddef>
#include <streambuf>

namespace kiv {
namespace update {

class memstreambuf : public std::streambuf {
 public:
  memstreambuf(const void* bytes, size_t length) {
    char* begin = const_cast<char*>(static_cast<const char*>(bytes));  // never written through
    setg(begin, begin, begin + length);
  }
};

}  // namespace update
}  // namespace kiv
