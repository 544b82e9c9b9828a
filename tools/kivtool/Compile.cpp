// Feeding a parsed list to kiv::Writer (see Compile.h). Keys are hashed once and fed to both
// passes, which must see exactly the same sequence.
#include "Compile.h"

#include <filesystem>
#include <stdexcept>
#include <vector>

#include "CXXRuntime/CXXBase"
#include "Sha1Key.h"
#include "Writer.h"

namespace kivtool {

namespace {

struct KeyedDomain {
  const SourceDomain* domain;
  kiv::Key key;
  std::vector<kiv::Key> entryKeys;
};

void feed(kiv::Writer* writer, const std::vector<KeyedDomain>& domains) {
  for (const KeyedDomain& keyed : domains) {
    const SourceDomain& d = *keyed.domain;
    writer->beginDomain(keyed.key);
    writer->setHostValues(&d.plain, &d.secure, &d.wwwPlain, &d.wwwSecure);
    for (size_t i = 0; i < d.entries.size(); ++i) writer->addPath(keyed.entryKeys[i], d.entries[i].value);
    writer->endDomain();
  }
}

}  // namespace

CompileResult compileList(const ListSource& list, const std::string& output, uint32_t listType, double date) {
  std::vector<KeyedDomain> domains;
  domains.reserve(list.domains().size());
  for (const SourceDomain& domain : list.domains()) {
    KeyedDomain keyed{&domain, kiv::keyOf(domain.host.data(), domain.host.size()), {}};
    keyed.entryKeys.reserve(domain.entries.size());
    for (const SourceEntry& entry : domain.entries) keyed.entryKeys.push_back(kiv::keyOf(entry.path.data(), entry.path.size()));
    domains.push_back(std::move(keyed));
  }

  std::string partial = output + ".part";
  CompileResult result;
  result.domains = static_cast<uint32_t>(domains.size());
  result.entries = list.entryCount();
  try {
    CXX::Ref<kiv::Writer> writer(kiv::Writer::createWithPath(partial.c_str(), listType, result.domains));
    feed(writer.get(), domains);
    writer->finishHeader(date);
    feed(writer.get(), domains);
    writer->finish();
    result.fileSize = writer->fileSize();
  } catch (...) {
    std::error_code ignored;
    std::filesystem::remove(partial, ignored);
    throw;
  }
  std::error_code error;
  std::filesystem::rename(partial, output, error);
  if (error) {
    std::string reason = error.message();
    std::filesystem::remove(partial, error);
    throw std::runtime_error(output + ": cannot be replaced: " + reason);
  }
  return result;
}

}  // namespace kivtool
