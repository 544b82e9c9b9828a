// Test-only helpers for what tests must do differently on each system: open files as the
// runtime's file handles and route standard output into a death test's captured stream.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "CXXRuntime/Platform.h"

namespace CXX::testing {

// A file in a fresh temporary folder, removed with the folder when the object goes away.
class TempFile {
 public:
  explicit TempFile(const std::string& contents);
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string read() const;

 private:
  std::filesystem::path folder_;
  std::filesystem::path path_;
};

// Opens path for reading (or reading and writing); aborts the test program on failure.
platform::FileHandle openFile(const std::filesystem::path& path, bool writable);
void closeFile(platform::FileHandle file);

// The process's open handles (file descriptors natively). Under Wine GetProcessHandleCount is a
// stub, so Windows counts the handle values that name an open object.
std::size_t openHandleCount();

// Inside a death test: standard output goes where standard error went (the stream the death
// test checks) and standard error is discarded, so a match proves the text went to stdout.
void sendStdoutToDeathTestStream();

}  // namespace CXX::testing
