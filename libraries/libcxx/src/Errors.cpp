// Raising the runtime's error types, and the fatal assertion behind CXX::fatalAssertion.
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "CXXRuntime/CXXBase"

namespace CXX {

namespace {

// Windows codes that mean the caller passed bad arguments, or cancelled.
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorBadArguments = 160;
constexpr uint32_t kErrorCancelled = 1223;

}  // namespace

std::string formatString(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list measure;
  va_copy(measure, args);
  int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  std::string result;
  if (length > 0) {
    result.resize(static_cast<size_t>(length));
    // Writing the terminator into the string's own spare byte is allowed since C++11.
    if (std::vsnprintf(&result[0], result.size() + 1, format, args) != length) result.clear();
  }
  va_end(args);
  return result;
}

void raiseErrno(const char* operation, int errnum) {
  // ECANCELED is 105 in the Windows C runtime (125 on Linux); the name keeps the meaning.
  if (errnum == ECANCELED) throw UserCancelError();
  std::string message = formatString("%s: %s", operation, std::strerror(errnum));
  if (errnum == EINVAL) throw RuntimeError(std::move(message));
  throw SystemError(std::move(message));
}

void raiseSystemError(const char* operation, uint32_t code) {
  if (code == kErrorCancelled) throw UserCancelError();
  std::string message = formatString("%s: %u", operation, static_cast<unsigned>(code));
  if (code == kErrorInvalidParameter || code == kErrorBadArguments)
    throw RuntimeError(std::move(message));
  throw SystemError(std::move(message));
}

void failAssertion(const char* file, unsigned line, const char* text) {
  std::printf("%s:%u: failed assertion `%s'\n", file, line, text);
  // abort() does not flush stdio, and standard output is a pipe when the service runs us.
  std::fflush(stdout);
  std::abort();
}

}  // namespace CXX
