// Fuzzes the list reader and the URL check with damaged list files.
//
// Input: a URL up to the first newline, then the bytes of a list file (without a newline the
// whole input is the list and a few fixed URLs are checked). The list is written to a scratch
// file and opened with kiv::Dictionary. A CXX::SystemError from opening, verifying or checking
// is the expected answer to damage; anything else is a finding: a crash, a sanitizer report,
// another exception, or a list that passed Dictionary::verify() and still failed a look-up
// (verify promises that no look-up can meet damage after it).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "CXXRuntime/CXXBase"
#include "Dictionary.h"
#include "Inspect.h"
#include "fuzz_files.h"

namespace {

const char* const kFixedUrls[] = {
    "http://www.example.test/news/today?x=1#top",
    "https://a.b.example.test/",
    "http://192.0.2.7/p",
};

void checkOne(const kiv::Dictionary& list, const char* url, size_t length, bool verified) {
  try {
    list.check(url, length);
  } catch (const CXX::SystemError& error) {
    if (verified) {
      std::fprintf(stderr, "a verified list failed a check of '%.*s': %s\n", static_cast<int>(length), url,
                   error.what());
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzzing::ScratchFile scratch(".kiv");
  const char* bytes = reinterpret_cast<const char*>(data);
  const char* newline = static_cast<const char*>(std::memchr(bytes, '\n', size));
  size_t urlLength = newline ? static_cast<size_t>(newline - bytes) : 0;
  size_t listStart = newline ? urlLength + 1 : 0;
  scratch.write(bytes + listStart, size - listStart);

  kiv::Dictionary* opened;
  try {
    opened = kiv::Dictionary::create(scratch.path().c_str());
  } catch (const CXX::SystemError&) {
    return 0;
  }
  CXX::Ref<kiv::Dictionary> list(opened);

  bool verified = false;
  try {
    list->verify();
    verified = true;
  } catch (const CXX::SystemError&) {
  }
  if (newline) {
    // Copied out so that a read past the URL's end is caught by AddressSanitizer.
    std::string url(bytes, urlLength);
    checkOne(*list, url.data(), url.size(), verified);
  } else {
    for (const char* url : kFixedUrls) checkOne(*list, url, std::strlen(url), verified);
  }

  // The list tool's walks report damage in their output; they must never throw or crash.
  kivtool::ListInfo info = kivtool::inspectList(*list);
  if (verified != info.damage.empty()) {
    std::fprintf(stderr, "verify() and the tool's walk disagree: %s\n", info.damage.c_str());
    std::abort();
  }
  std::ostringstream sink;
  kivtool::printInfo(sink, info);
  kivtool::dumpList(sink, *list);
  return 0;
}
