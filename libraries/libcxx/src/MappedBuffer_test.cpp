// Mapping files: failures named after the failed call, read-only views, write-back.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "CXXRuntime/CXXBase"
#include "test_platform.h"

namespace {

using CXX::Ref;
using CXX::testing::TempFile;

std::string systemErrorOf(CXX::platform::FileHandle file, uint64_t length, bool readOnly) {
  try {
    if (readOnly)
      CXX::MappedBuffer::createReadOnly(file, length)->release();
    else
      CXX::MappedBuffer::create(file, length)->release();
  } catch (const CXX::SystemError& error) {
    return error.what();
  }
  return "(no SystemError)";
}

TEST(MappedBuffer, EmptyFileFailsInCreateFileMapping) {
  int32_t live = CXX::MappedBuffer::_MetaClass::instance.liveCount();
  TempFile empty("");
  CXX::platform::FileHandle file = CXX::testing::openFile(empty.path(), false);
  std::string message = systemErrorOf(file, 0, true);
  CXX::testing::closeFile(file);
  EXPECT_EQ(message.rfind("CreateFileMapping: ", 0), 0u) << message;
  EXPECT_EQ(CXX::MappedBuffer::_MetaClass::instance.liveCount(), live);
}

TEST(MappedBuffer, ViewLongerThanTheFileFailsInMapViewOfFile) {
  TempFile small("0123456789");
  CXX::platform::FileHandle file = CXX::testing::openFile(small.path(), false);
  std::string message = systemErrorOf(file, 1 << 20, true);
  CXX::testing::closeFile(file);
  EXPECT_EQ(message.rfind("MapViewOfFile: ", 0), 0u) << message;
}

TEST(MappedBuffer, ReadOnlyViewOutlivesTheFileHandle) {
  TempFile list("list contents");
  CXX::platform::FileHandle file = CXX::testing::openFile(list.path(), false);
  Ref<CXX::MappedBuffer> buffer(CXX::MappedBuffer::createReadOnly(file, 13));
  CXX::testing::closeFile(file);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer->bytes()), buffer->length()),
            "list contents");
}

TEST(MappedBuffer, ReadWriteChangesReachTheFileAfterRelease) {
  TempFile output(std::string(8, '.'));
  CXX::platform::FileHandle file = CXX::testing::openFile(output.path(), true);
  CXX::MappedBuffer* buffer = CXX::MappedBuffer::create(file, 8);
  CXX::testing::closeFile(file);
  std::memcpy(buffer->mutableBytes() + 2, "KIV", 3);
  buffer->release();
  EXPECT_EQ(output.read(), "..KIV...");
}

TEST(MappedBuffer, PrefixOfALargerFileMapsJustThatPrefix) {
  TempFile list("headerbody");
  CXX::platform::FileHandle file = CXX::testing::openFile(list.path(), false);
  Ref<CXX::MappedBuffer> buffer(CXX::MappedBuffer::createReadOnly(file, 6));
  CXX::testing::closeFile(file);
  EXPECT_EQ(buffer->length(), 6u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer->bytes()), 6), "header");
}

}  // namespace
