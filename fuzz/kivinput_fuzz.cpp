// Fuzzes the list tool's readers with arbitrary text: the first byte picks text or JSON
// lines, the rest is the input. A ParseError is the expected answer to bad input. Whatever
// the readers accept must compile into a list that opens and passes Dictionary::verify(),
// with every host it names found; anything else is a finding.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "CXXRuntime/CXXBase"
#include "Compile.h"
#include "Dictionary.h"
#include "ListSource.h"
#include "fuzz_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzzing::ScratchFile scratch(".kiv");
  if (size == 0) return 0;
  bool json = data[0] & 1;
  std::istringstream in(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));

  try {
    kivtool::ListSource source = json ? kivtool::parseJsonLines(in, "input") : kivtool::parseText(in, "input");
    kivtool::compileList(source, scratch.path(), 1, 0);
    CXX::Ref<kiv::Dictionary> list(kiv::Dictionary::create(scratch.path().c_str()));
    list->verify();
    if (list->domainCount() != source.domains().size()) {
      std::fprintf(stderr, "%zu domains parsed, %u written\n", source.domains().size(), list->domainCount());
      std::abort();
    }
    for (const kivtool::SourceDomain& domain : source.domains()) {
      if (!list->findName(domain.host.data(), domain.host.size()).found()) {
        std::fprintf(stderr, "host '%s' was written but is not found\n", domain.host.c_str());
        std::abort();
      }
    }
  } catch (const kivtool::ParseError&) {
    return 0;
  } catch (const std::exception& error) {
    // Accepted input must compile into a sound list.
    std::fprintf(stderr, "accepted input failed later: %s\n", error.what());
    std::abort();
  }
  return 0;
}
