// The engine's one seam to the file system and scheduler: opening list files, sizing and
// replacing them, yielding the processor. env_win.cpp implements it with Win32 (the shipped
// code), env_posix.cpp with POSIX for the host-native build and its tests.
//
// Failures raise the runtime's errors with the Windows operation names ("CreateFile: 2");
// the POSIX build reports errno values in their place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "CXXRuntime/Platform.h"

namespace kiv {
namespace env {

using CXX::platform::FileHandle;

// Opens an existing file for reading, shared with other readers. Raises "CreateFile".
FileHandle openForReading(const char* path);
// Raises "GetFileSizeEx".
uint64_t fileSize(FileHandle file);
void closeFile(FileHandle file);

// Gives the file the exact size, leaving its position at the start. Raises
// "SetFilePointer(end)", "SetEndOfFile" or "SetFilePointer(begin)".
void setFileSize(FileHandle file, uint64_t size);

// A file opened by path for writing: created if missing, truncated, permissions 0644.
struct WritableFile {
  int descriptor = -1;
  FileHandle handle{};  // for mapping
};
// Raises the error-number messages "open" and "ftruncate".
WritableFile createForWriting(const char* path);
void truncateTo(const WritableFile& file, uint64_t size);
void closeWritable(const WritableFile& file);
void removeFile(const char* path);

// Creates a new, unique file in directory, open for reading and writing, and returns its path
// in *path; false when no file could be made (up to 5 tries).
bool createTemporaryFile(const char* directory, std::string* path, FileHandle* file);
// Writes all bytes, repeating partial writes; false when a write fails or writes nothing.
bool writeAll(FileHandle file, const void* bytes, size_t length);

// Moves the file at newPath over path (or into place when path does not exist yet).
// Raises "replace_file".
void replaceFile(const char* path, const char* newPath);

// Whether c separates path components here ("/" everywhere, also "\\" on Windows).
bool isPathSeparator(char c);

// Lets another thread run (a lock waiter's back-off).
void yieldProcessor();

}  // namespace env
}  // namespace kiv
