// Shows the object runtime at work: class records, counting, buffers over a mapped file and
// the errors a caller sees. Run by scripts/demo.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "CXXRuntime/CXXBase"

namespace {

void show(const char* label, const CXX::Type* object) {
  char* text = object->description();
  std::printf("  %-28s %s (count %lld)\n", label, text ? text : "?",
              static_cast<long long>(object->retainCount()));
  std::free(text);
}

void showLive(const char* name) {
  CXX::MetaClass* record = CXX::MetaClass::withQualifiedName(name);
  std::printf("  live %-23s %d\n", name, record ? record->liveCount() : -1);
}

}  // namespace

int main() {
  std::printf("Class records:\n");
  for (const char* name : {"CXX::MallocBuffer", "CXX::SubBuffer", "CXX::MappedBuffer"}) {
    CXX::MetaClass* record = CXX::MetaClass::withQualifiedName(name);
    if (record == nullptr) {
      std::printf("  %-28s not registered\n", name);
      continue;
    }
    std::printf("  %-28s parent %s, %u bytes\n", record->name(), record->superclass()->name(),
                record->instanceSize());
  }

  std::printf("Objects:\n");
  const char text[] = "http://www.example.com/path?query";
  CXX::Ref<CXX::MallocBuffer> url(CXX::MallocBuffer::create(text, std::strlen(text)));
  CXX::Ref<CXX::SubBuffer> host(CXX::SubBuffer::create(url.get(), 7, 15));
  show("heap buffer", url.get());
  show("window into it", host.get());
  std::printf("  window bytes                 %.*s\n", static_cast<int>(host->length()),
              reinterpret_cast<const char*>(host->bytes()));
  std::printf("  buffer is a kind of Buffer:  %s\n",
              host->isKindOf(&CXX::Buffer::_MetaClass::instance) ? "yes" : "no");
  showLive("CXX::Buffer");
  url.reset();
  show("window, owner let go", host.get());
  host.reset();
  showLive("CXX::Buffer");

  std::printf("Errors:\n");
  try {
    CXX::MallocBuffer::create(text, 4, CXX::Allocator::none());
  } catch (const CXX::SystemError& error) {
    std::printf("  allocator without heap:      SystemError \"%s\"\n", error.what());
  }
  try {
    CXX::Ref<CXX::MallocBuffer> small(CXX::MallocBuffer::create(text, 4));
    CXX::SubBuffer::create(small.get(), 2, 4);
  } catch (const CXX::RuntimeError& error) {
    std::printf("  window past the end:         RuntimeError \"%s\"\n", error.what());
  }
  try {
    CXX::raiseSystemError("replace_file", 5);
  } catch (const std::exception& error) {
    std::printf("  failed system call:          \"%s\"\n", error.what());
  }
  return 0;
}
