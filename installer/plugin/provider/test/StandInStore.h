// The state of the test-only FWPUCLNT.DLL, kept in a file (named by QUARVO_FWP_STORE) so it
// outlasts each load of the library: the committed objects, every call with what it received,
// and a request to fail one call. Shared by the stand-in and the tests that read it.
#pragma once

#include <string>
#include <vector>

namespace fwpstandin {

constexpr const char* kStoreVariable = "QUARVO_FWP_STORE";

// A provider or filter as the platform keeps it; `record` lists every field it was added with.
struct StoredObject {
  std::string kind;  // "provider" or "filter"
  std::string key;
  std::string providerKey;  // filters: the provider they belong to, or "null"
  std::string record;

  bool operator==(const StoredObject& other) const {
    return kind == other.kind && key == other.key && providerKey == other.providerKey && record == other.record;
  }
};

// One call of an exported function; `engine` is the session it named (for the open, the one it
// made), `detail` its other arguments and records.
struct Call {
  std::string function;
  unsigned long status = 0;
  unsigned long engine = 0;
  std::string detail;
};

// Fails the `nth` (from 1) call of `function` with `status`, without effect.
struct FailureRequest {
  std::string function;
  int nth = 0;
  unsigned long status = 0;
};

struct Store {
  std::vector<StoredObject> objects;
  std::vector<Call> calls;
  FailureRequest failure;
  int loads = 0;  // times the library was loaded

  // A missing or unreadable file is an empty store.
  static Store load(const std::string& path);
  bool save(const std::string& path) const;

  std::vector<std::string> callNames() const;
  int callCount(const std::string& function) const;
};

}  // namespace fwpstandin
