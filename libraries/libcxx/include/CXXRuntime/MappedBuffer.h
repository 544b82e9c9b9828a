// CXX::MappedBuffer: a buffer over a file mapped into memory, read-only or read-write.
// The file handle is not kept: the mapping keeps the file's data reachable.
#pragma once

#include "CXXRuntime/Platform.h"
#include "CXXRuntime/SimpleBuffer.h"

namespace CXX {

class MappedBuffer : public SimpleBuffer {
  CXX_DECLARE_CLASS(MappedBuffer)

 public:
  // Maps the first length bytes of file, which must already be at least that long.
  // Throws SystemError "CreateFileMapping: <code>" or "MapViewOfFile: <code>".
  static MappedBuffer* createReadOnly(platform::FileHandle file, uint64_t length);
  static MappedBuffer* create(platform::FileHandle file, uint64_t length);

  void dealloc() override;

 protected:
  MappedBuffer() = default;

 private:
  static MappedBuffer* map(platform::FileHandle file, uint64_t length, bool readOnly);
  void mapFile(platform::FileHandle file, uint64_t length, bool readOnly);

  platform::MappingHandle mapping_ = nullptr;
};

}  // namespace CXX
