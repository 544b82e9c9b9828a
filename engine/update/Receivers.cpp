// The complete-list and patch receivers of an update reply (see Receivers.h).
#include "Receivers.h"

#include <istream>
#include <vector>

#include "Dictionary.h"
#include "Env.h"
#include "Patch.h"
#include "memstreambuf.h"

namespace kiv {
namespace update {

namespace {

constexpr size_t kMaxListPath = 2048;

bool createTemporaryNextTo(const std::string& listPath, std::string* path, env::FileHandle* file) {
  std::string folder;
  return temporaryFolderFor(listPath, &folder) && env::createTemporaryFile(folder.c_str(), path, file);
}

// Opens the new file and checks it whole; throws what the reader finds.
void verifyListFile(const std::string& path) {
  CXX::Ref<Dictionary> candidate(Dictionary::create(path.c_str()));
  candidate->verify();
}

// Installs a finished temporary file as the list's file, or deletes it.
void install(URLList* list, const std::string& path) {
  try {
    verifyListFile(path);
    list->replaceFile(path.c_str());
  } catch (...) {
    env::removeFile(path.c_str());
    throw;
  }
}

// A complete list file, written as it arrives into a pre-sized temporary file.
class KivUpdater : public Updater::UpdaterImpl {
 public:
  explicit KivUpdater(const std::string& listPath) : path_(listPath) {}

  ~KivUpdater() override {
    if (open_) env::closeFile(file_);
    if (created_ && !installed_) env::removeFile(path_.c_str());
  }

  bool begin(uint64_t size, double) override {
    // One complete list per reply: a second body would orphan the first file.
    if (size > kMaxListSize || created_) return false;
    if (!createTemporaryNextTo(path_, &path_, &file_)) return false;
    created_ = open_ = true;
    try {
      env::setFileSize(file_, size);  // pre-allocation only: a failure here is not fatal
    } catch (const CXX::SystemError&) {
    }
    return true;
  }

  bool write(const uint8_t* bytes, size_t count, bool last) override {
    if (!open_ || !env::writeAll(file_, bytes, count)) return false;
    if (last) {
      env::closeFile(file_);
      open_ = false;
      complete_ = true;
    }
    return true;
  }

  void finish(URLList* list) override {
    if (!complete_) return;
    installed_ = true;  // install() deletes the file itself when it fails
    install(list, path_);
  }

 private:
  std::string path_;  // the list's path, then the temporary file's
  env::FileHandle file_{};
  bool open_ = false;
  bool created_ = false;
  bool complete_ = false;
  bool installed_ = false;
};

// Patch bodies, each read into one Patch when complete, then merged with the list.
class PatchUpdater : public Updater::UpdaterImpl {
 public:
  explicit PatchUpdater(int32_t allowedBodies) : allowed_(allowedBodies) {}

  bool begin(uint64_t size, double) override {
    if (allowed_ <= 0 || size > kMaxPatchSize) return false;
    --allowed_;
    body_.clear();
    body_.reserve(static_cast<size_t>(size));
    return true;
  }

  bool write(const uint8_t* bytes, size_t count, bool last) override {
    if (!last || !body_.empty()) body_.insert(body_.end(), bytes, bytes + count);
    if (!last) return true;
    const uint8_t* start = body_.empty() ? bytes : body_.data();
    size_t length = body_.empty() ? count : body_.size();
    // Called from inside the transfer library: no exception may pass; a bad patch refuses
    // the data, which fails the transfer and the run.
    try {
      if (!patch_) patch_.reset(Patch::create());
      memstreambuf buffer(start, length);
      std::istream input(&buffer);
      input.exceptions(std::ios::failbit | std::ios::badbit | std::ios::eofbit);
      patch_->read(input);
    } catch (...) {
      return false;
    }
    body_.clear();
    return true;
  }

  void finish(URLList* list) override {
    if (!patch_) return;
    std::string path;
    env::FileHandle file{};
    {
      ReadLocked hold(list);
      // Patches need a list to apply to; without one nothing is installed, and the run
      // reports the failure (a server should answer a list dated 0 with a complete list).
      Dictionary* dictionary = list->dictionary();
      if (dictionary == nullptr) throw CXX::SystemError("patches for a list that is not loaded");
      if (!createTemporaryNextTo(list->path(), &path, &file)) throw CXX::SystemError("temporary file creation failed");
      try {
        dictionary->writeMerged(patch_.get(), file);
      } catch (...) {
        env::closeFile(file);
        env::removeFile(path.c_str());
        throw;
      }
    }
    env::closeFile(file);
    patch_.reset();
    install(list, path);
  }

 private:
  int32_t allowed_;
  std::vector<uint8_t> body_;
  CXX::Ref<Patch> patch_;
};

}  // namespace

bool temporaryFolderFor(const std::string& listPath, std::string* folder) {
  if (listPath.size() > kMaxListPath) return false;
  size_t end = listPath.size();
  while (end > 0 && env::isPathSeparator(listPath[end - 1])) --end;
  size_t slash = end;
  while (slash > 0 && !env::isPathSeparator(listPath[slash - 1])) --slash;
  if (slash == 0)
    *folder = ".";
  else if (slash == 1)
    *folder = listPath.substr(0, 1);
  else
    *folder = listPath.substr(0, slash - 1);
  return true;
}

std::unique_ptr<Updater::UpdaterImpl> makeFullListReceiver(const std::string& listPath) {
  return std::make_unique<KivUpdater>(listPath);
}

std::unique_ptr<Updater::UpdaterImpl> makePatchReceiver(int32_t allowedBodies) {
  return std::make_unique<PatchUpdater>(allowedBodies);
}

}  // namespace update
}  // namespace kiv
