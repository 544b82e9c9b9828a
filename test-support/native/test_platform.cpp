// Portable part of the test helpers.
#include <atomic>
#include <fstream>
#include <sstream>

#include "test_platform.h"

namespace CXX::testing {

TempFile::TempFile(const std::string& contents) {
  static std::atomic<int> serial{0};
  folder_ = std::filesystem::temp_directory_path() /
            ("cxxruntime-test-" + std::to_string(reinterpret_cast<uintptr_t>(this)) + "-" +
             std::to_string(serial++));
  std::filesystem::create_directories(folder_);
  path_ = folder_ / "file.bin";
  std::ofstream(path_, std::ios::binary) << contents;
}

TempFile::~TempFile() {
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

std::string TempFile::read() const {
  std::ifstream in(path_, std::ios::binary);
  std::ostringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

}  // namespace CXX::testing
