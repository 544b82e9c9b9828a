// Portable part of the test helpers.
#include <mutex>
#include <random>
#include <fstream>
#include <sstream>

#include "test_platform.h"

namespace CXX::testing {

TempFile::TempFile(const std::string& contents) {
  // Random names: CTest runs several test processes at once, each with its own counters.
  static std::mt19937_64 random{std::random_device{}()};
  static std::mutex lock;
  do {
    std::lock_guard<std::mutex> hold(lock);
    folder_ = std::filesystem::temp_directory_path() / ("quarvo-test-" + std::to_string(random()));
  } while (!std::filesystem::create_directory(folder_));
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
