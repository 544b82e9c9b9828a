// kiv::URLList: opening a list, locked queries and replacing its file.
#include "URLList.h"

#include "Env.h"

namespace kiv {

CXX_DEFINE_CLASS(URLList, "kiv", "URLList", CXX::Object)

URLList* URLList::create(const char* path, uint32_t fallbackType) {
  CXX::Ref<URLList> list(CXX::alloc<URLList>());
  list->open(path, fallbackType);
  return list.take();
}

void URLList::open(const char* path, uint32_t fallbackType) {
  CXX_REQUIRE(path);
  path_ = path;
  try {
    CXX::Ref<Dictionary> dictionary(Dictionary::create(path));
    setDictionary(dictionary.get());
    listType_ = dictionary->listType();
  } catch (const CXX::SystemError&) {
    if (fallbackType == 0) throw;
    listType_ = fallbackType;
  }
  ListLock* lock = new ListLock();
  delete lock_;
  lock_ = lock;
}

void URLList::setDictionary(Dictionary* dictionary) {
  if (dictionary) dictionary->retain();
  Dictionary* old = dictionary_.exchange(dictionary, std::memory_order_acq_rel);
  if (old) old->release();
}

double URLList::date() {
  ReadLocked hold(this);
  Dictionary* current = dictionary();
  return current ? current->date() : 0.0;
}

uint32_t URLList::domainCount() {
  ReadLocked hold(this);
  Dictionary* current = dictionary();
  return current ? current->domainCount() : 0;
}

namespace {

// Holds the write lock for a scope, exceptions included.
class WriteLocked {
 public:
  explicit WriteLocked(URLList* list) : list_(list) { list_->writeLock(); }
  ~WriteLocked() { list_->unlock(); }
  WriteLocked(const WriteLocked&) = delete;
  WriteLocked& operator=(const WriteLocked&) = delete;

 private:
  URLList* list_;
};

}  // namespace

void URLList::replaceFile(const char* newPath) {
  CXX_REQUIRE(newPath);
  WriteLocked hold(this);
  // The old mapping must be gone before the file under it is replaced.
  setDictionary(nullptr);
  env::replaceFile(path_.c_str(), newPath);
  CXX::Ref<Dictionary> dictionary(Dictionary::create(path_.c_str()));
  setDictionary(dictionary.get());
}

void URLList::dealloc() {
  delete lock_;
  lock_ = nullptr;
  setDictionary(nullptr);
  CXX::Object::dealloc();
}

}  // namespace kiv
