// Fuzzes the patch reader and the merged rewrite with arbitrary patch bytes.
//
// Input: any bytes, read as one or more patch files in a row (as one update response carries
// them), then merged into a small fixed list. CXX::SystemError and the stream's failure are
// the expected answers to damage; a crash, a sanitizer report, any other exception, or a
// merged list that does not pass Dictionary::verify() is a finding.
#include <cstdint>
#include <istream>
#include <string>

#include "CXXRuntime/CXXBase"
#include "Dictionary.h"
#include "Sha1Key.h"
#include "Writer.h"
#include "fuzz_files.h"
#include "update/Patch.h"
#include "update/memstreambuf.h"

namespace {

// The current list every patch is merged into: a few hosts with entries and a www table.
const fuzzing::ScratchFile& baseList() {
  static fuzzing::ScratchFile file(".base.kiv");
  static bool written = [] {
    const char* hosts[] = {"example.test", "a.example.test", "news.test", "site.test"};
    CXX::Ref<kiv::Writer> writer(kiv::Writer::createWithPath(file.path().c_str(), 1, 4));
    for (int pass = 0; pass < 2; ++pass) {
      for (const char* host : hosts) {
        writer->beginDomain(kiv::keyOf(host, std::strlen(host)));
        kiv::HostValue plain, www;
        plain.category = 3;
        www.category = 4;
        writer->setHostValues(&plain, nullptr, host[0] == 's' ? &www : nullptr, nullptr);
        writer->addPath(kiv::keyOf("news", 4), 7 | kiv::format::kEntryPrefixBit);
        writer->addPath(kiv::keyOf("w", 1), 9 | kiv::format::kEntryWwwBit);
        writer->endDomain();
      }
      if (pass == 0) writer->finishHeader(100.0);
    }
    writer->finish();
    return true;
  }();
  (void)written;
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CXX::Ref<kiv::update::Patch> patch(kiv::update::Patch::create());
  kiv::update::memstreambuf buffer(data, size);
  std::istream input(&buffer);
  input.exceptions(std::ios::failbit | std::ios::badbit | std::ios::eofbit);
  try {
    for (int files = 0; files < 8 && input.peek() != std::char_traits<char>::eof(); ++files) patch->read(input);
  } catch (const CXX::SystemError&) {
    return 0;
  } catch (const std::ios::failure&) {
    if (patch->domainCount() == 0) return 0;  // nothing read whole: nothing to merge
  }

  static fuzzing::ScratchFile merged(".merged.kiv");
  CXX::Ref<kiv::Dictionary> list(kiv::Dictionary::create(baseList().path().c_str()));
  merged.write("", 0);
  FILE* out = std::fopen(merged.path().c_str(), "r+b");
  try {
    list->writeMerged(patch.get(), fileno(out));
  } catch (const CXX::RuntimeError&) {
    std::fclose(out);
    return 0;  // a domain with 1024 entries: refused, as it should be
  }
  std::fclose(out);
  CXX::Ref<kiv::Dictionary> result(kiv::Dictionary::create(merged.path().c_str()));
  result->verify();  // throws (and so reports) when the merge wrote an unsound list
  return 0;
}
