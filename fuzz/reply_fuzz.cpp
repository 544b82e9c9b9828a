// Fuzzes the update reply handler with arbitrary replies cut into arbitrary chunks.
//
// Input: the first byte picks the chunk size (1-256 bytes); the rest is the reply as the
// server would send it. The reply is fed to Updater::receive chunk by chunk and, when it was
// accepted, installed as a run does. Refusals and CXX::SystemError are expected; a crash, a
// sanitizer report, any other exception, a temporary file left behind, or an installed list
// that does not verify is a finding.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "CXXRuntime/CXXBase"
#include "Dictionary.h"
#include "Sha1Key.h"
#include "URLList.h"
#include "Writer.h"
#include "fuzz_files.h"
#include "update/Updater.h"

namespace {

// A folder of its own, so left-over temporary files are easy to see.
const std::string& folder() {
  static std::string path = [] {
    std::string p = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/quarvo-reply-fuzz-" +
                    std::to_string(getpid());
    mkdir(p.c_str(), 0700);
    return p;
  }();
  return path;
}

void writeBaseList(const std::string& path) {
  CXX::Ref<kiv::Writer> writer(kiv::Writer::createWithPath(path.c_str(), 1, 1));
  for (int pass = 0; pass < 2; ++pass) {
    writer->beginDomain(kiv::keyOf("example.test", 12));
    kiv::HostValue plain;
    plain.category = 3;
    writer->setHostValues(&plain, nullptr, nullptr, nullptr);
    writer->endDomain();
    if (pass == 0) writer->finishHeader(100.0);
  }
  writer->finish();
}

int filesIn(const std::string& path) {
  int count = 0;
  if (DIR* dir = opendir(path.c_str())) {
    while (dirent* entry = readdir(dir)) count += entry->d_name[0] != '.';
    closedir(dir);
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  size_t chunk = static_cast<size_t>(data[0]) + 1;
  std::string listPath = folder() + "/list.kiv";
  writeBaseList(listPath);
  {
    CXX::Ref<kiv::URLList> list(kiv::URLList::create(listPath.c_str(), 0));
    CXX::Ref<kiv::update::Updater> updater(kiv::update::Updater::create(list.get()));
    kiv::update::Updater::UpdateContext context;
    context.updater = updater.get();
    updater->resetReply();
    bool accepted = true;
    for (size_t at = 1; at < size && accepted; at += chunk) {
      size_t n = std::min(chunk, size - at);
      accepted = updater->receive(context, data + at, n) == n;
    }
    if (accepted && context.receiver) {
      try {
        context.receiver->finish(list.get());
      } catch (const CXX::SystemError&) {
      }
    }
    context.receiver.reset();
    // Whatever happened, the list file is sound: the old one or a verified new one.
    CXX::Ref<kiv::Dictionary> current(kiv::Dictionary::create(listPath.c_str()));
    current->verify();
  }
  if (filesIn(folder()) != 1) {
    std::fprintf(stderr, "temporary files left in %s\n", folder().c_str());
    std::abort();
  }
  return 0;
}
