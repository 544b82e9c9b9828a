// kiv::URLList: one open list behind a KivFile handle. Owns the current Dictionary and guards
// it with a writer-preferring reader/writer lock, so checks from many threads run while the
// updater swaps the file. Keeps the list type even when no file could be loaded.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "CXXRuntime/CXXBase"
#include "CheckResult.h"
#include "Dictionary.h"
#include "ListLock.h"

namespace kiv {

class URLList : public CXX::Object {
  CXX_DECLARE_CLASS(URLList)

 public:
  // A new list on path. With fallbackType 0 an unreadable file throws CXX::SystemError;
  // otherwise the list takes that type and starts without a dictionary (not loaded).
  static URLList* create(const char* path, uint32_t fallbackType);
  void open(const char* path, uint32_t fallbackType);

  void readLock() { lock_->readLock(); }
  void writeLock() { lock_->writeLock(); }
  void unlock() { lock_->unlock(); }

  // Under the read lock. Without a dictionary: 0x8002, 0.0 and 0.
  CheckResult check(const char* url, size_t length);
  double date();
  uint32_t domainCount();

  bool isLoaded() const { return dictionary_.load(std::memory_order_acquire) != nullptr; }
  uint32_t listType() const { return listType_; }
  const std::string& path() const { return path_; }
  // The current dictionary; the caller holds the read lock.
  Dictionary* dictionary() const { return dictionary_.load(std::memory_order_acquire); }

  // Under the write lock: drops the dictionary, moves the file at newPath over the list's
  // file (or into place when there was none) and opens it. Throws CXX::SystemError
  // "replace_file: <code>" or an open error; the list then stays not loaded.
  void replaceFile(const char* newPath);

  void dealloc() override;

 protected:
  URLList() = default;

 private:
  // Holds dictionary (retained), releasing the one held before.
  void setDictionary(Dictionary* dictionary);

  std::string path_;
  uint32_t listType_ = 0;
  ListLock* lock_ = nullptr;
  // Read without the lock by isLoaded() while replaceFile() swaps it: atomic.
  std::atomic<Dictionary*> dictionary_{nullptr};
};

// Holds a URL list's read lock for a scope.
class ReadLocked {
 public:
  explicit ReadLocked(URLList* list) : list_(list) { list_->readLock(); }
  ~ReadLocked() { list_->unlock(); }
  ReadLocked(const ReadLocked&) = delete;
  ReadLocked& operator=(const ReadLocked&) = delete;

 private:
  URLList* list_;
};

}  // namespace kiv
