// Error types thrown through the engine and the helper program, and the helpers that raise them.
// All three derive from std::exception directly so that one handler at a native-method
// boundary catches them all; none of them derives from another.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace CXX {

// The caller passed something invalid or broke a precondition.
class RuntimeError : public std::exception {
 public:
  explicit RuntimeError(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& message() const noexcept { return message_; }

 private:
  std::string message_;
};

// An operating-system call, the network, a file or its contents failed.
class SystemError : public std::exception {
 public:
  explicit SystemError(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& message() const noexcept { return message_; }

 private:
  std::string message_;
};

// The operation was cancelled.
class UserCancelError : public std::exception {
 public:
  const char* what() const noexcept override { return "user cancel"; }
};

// printf-style formatting into a string; a bad format or an empty output gives "".
std::string formatString(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Throws for a C library error number: EINVAL -> RuntimeError, ECANCELED -> UserCancelError,
// anything else -> SystemError, with the message "<operation>: <strerror text>".
[[noreturn]] void raiseErrno(const char* operation, int errnum);

// Throws for a Windows error code: 87 and 160 -> RuntimeError, 1223 -> UserCancelError,
// anything else -> SystemError, with the message "<operation>: <code in decimal>".
[[noreturn]] void raiseSystemError(const char* operation, uint32_t code);

// Throws RuntimeError "Invalid parameter not satisfying: <condition>" unless condition holds.
#define CXX_REQUIRE(condition)                                                      \
  do {                                                                              \
    if (!(condition))                                                               \
      throw ::CXX::RuntimeError("Invalid parameter not satisfying: " #condition);   \
  } while (0)

// Prints "<file>:<line>: failed assertion `<text>'" to standard output and aborts.
// Callers use CXX::fatalAssertion from CXXRuntime/CXXBase, which supplies the location.
[[noreturn]] void failAssertion(const char* file, unsigned line, const char* text);

}  // namespace CXX
