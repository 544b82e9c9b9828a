// Test-only FWPUCLNT.DLL: the nine management functions the plug-in binds, over objects kept in
// the store file. Changes made in a transaction reach the file at commit and are dropped at
// abort; the statuses are the platform's (already exists, not found, in use). Built a second
// time without FwpmFilterDeleteByKey0 (FWP_STANDIN_PARTIAL), as a system missing one function.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "FwpApi.h"
#include "RecordText.h"
#include "StandInStore.h"

namespace fwpstandin {

namespace {

constexpr DWORD kFilterNotFound = 0x80320003;
constexpr DWORD kProviderNotFound = 0x80320005;
constexpr DWORD kAlreadyExists = 0x80320009;
constexpr DWORD kInUse = 0x8032000A;
constexpr DWORD kTransactionInProgress = 0x8032000B;
constexpr DWORD kNoTransaction = 0x8032000D;

struct Session {
  bool inTransaction = false;
  std::vector<StoredObject> pending;
};

std::map<unsigned long, Session> sessions;
unsigned long nextEngine = 1;

std::string storePath() {
  char path[MAX_PATH];
  DWORD length = GetEnvironmentVariableA(kStoreVariable, path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}

unsigned long engineNumber(HANDLE engine) { return static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(engine)); }

Session* sessionFor(HANDLE engine) {
  auto found = sessions.find(engineNumber(engine));
  return found != sessions.end() ? &found->second : nullptr;
}

// The objects a session's changes go to: its transaction's, or the committed ones directly.
std::vector<StoredObject>& objectsOf(Session& session, Store& store) {
  return session.inTransaction ? session.pending : store.objects;
}

std::vector<StoredObject>::iterator find(std::vector<StoredObject>& objects, const std::string& kind,
                                         const std::string& key) {
  return std::find_if(objects.begin(), objects.end(),
                      [&](const StoredObject& object) { return object.kind == kind && object.key == key; });
}

bool hasFilterOf(const std::vector<StoredObject>& objects, const std::string& provider) {
  return std::any_of(objects.begin(), objects.end(),
                     [&](const StoredObject& object) { return object.kind == "filter" && object.providerKey == provider; });
}

DWORD requestedFailure(const Store& store, const char* function) {
  const FailureRequest& failure = store.failure;
  bool due = failure.function == function && store.callCount(function) + 1 == failure.nth;
  return due ? static_cast<DWORD>(failure.status) : ERROR_SUCCESS;
}

// Loads the store, answers a requested failure or runs `body`, records the call, saves.
template <class Body>
DWORD handle(const char* function, unsigned long engine, const std::string& detail, Body body) {
  std::string path = storePath();
  if (path.empty()) return ERROR_PATH_NOT_FOUND;
  Store store = Store::load(path);
  DWORD status = requestedFailure(store, function);
  if (status == ERROR_SUCCESS) status = body(store, engine);
  store.calls.push_back({function, status, engine, detail});
  store.save(path);
  return status;
}

// As handle, for calls within an open session.
template <class Body>
DWORD inSession(const char* function, HANDLE engine, const std::string& detail, Body body) {
  return handle(function, engineNumber(engine), detail, [&](Store& store, unsigned long) -> DWORD {
    Session* session = sessionFor(engine);
    return session != nullptr ? body(store, *session) : static_cast<DWORD>(ERROR_INVALID_HANDLE);
  });
}

std::string engineOpenDetail(const wchar_t* server, UINT32 authn, const void* identity, const FWPM_SESSION0* session) {
  return "server=" + wideText(server) + " authn=" + std::to_string(authn) + " identity=" +
         (identity != nullptr ? "set" : "null") + " session=[" + sessionText(session) + "]";
}

}  // namespace

}  // namespace fwpstandin

using namespace fwpstandin;

extern "C" {

__declspec(dllexport) DWORD WINAPI FwpmEngineOpen0(const wchar_t* serverName, UINT32 authnService,
                                                   SEC_WINNT_AUTH_IDENTITY_W* authIdentity,
                                                   const FWPM_SESSION0* session, HANDLE* engineHandle) {
  unsigned long engine = nextEngine;
  std::string detail = engineOpenDetail(serverName, authnService, authIdentity, session);
  return handle("FwpmEngineOpen0", engine, detail, [&](Store&, unsigned long) -> DWORD {
    if (engineHandle == nullptr) return ERROR_INVALID_PARAMETER;
    sessions[engine] = Session();
    ++nextEngine;
    *engineHandle = reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(engine));
    return ERROR_SUCCESS;
  });
}

__declspec(dllexport) DWORD WINAPI FwpmEngineClose0(HANDLE engineHandle) {
  return inSession("FwpmEngineClose0", engineHandle, "", [&](Store&, Session&) -> DWORD {
    sessions.erase(engineNumber(engineHandle));
    return ERROR_SUCCESS;
  });
}

__declspec(dllexport) DWORD WINAPI FwpmTransactionBegin0(HANDLE engineHandle, UINT32 flags) {
  return inSession("FwpmTransactionBegin0", engineHandle, "flags=" + std::to_string(flags),
                   [&](Store& store, Session& session) -> DWORD {
                     if (session.inTransaction) return kTransactionInProgress;
                     session.inTransaction = true;
                     session.pending = store.objects;
                     return ERROR_SUCCESS;
                   });
}

__declspec(dllexport) DWORD WINAPI FwpmTransactionCommit0(HANDLE engineHandle) {
  return inSession("FwpmTransactionCommit0", engineHandle, "", [&](Store& store, Session& session) -> DWORD {
    if (!session.inTransaction) return kNoTransaction;
    store.objects = session.pending;
    session = Session();
    return ERROR_SUCCESS;
  });
}

__declspec(dllexport) DWORD WINAPI FwpmTransactionAbort0(HANDLE engineHandle) {
  return inSession("FwpmTransactionAbort0", engineHandle, "", [&](Store&, Session& session) -> DWORD {
    if (!session.inTransaction) return kNoTransaction;
    session = Session();
    return ERROR_SUCCESS;
  });
}

__declspec(dllexport) DWORD WINAPI FwpmProviderAdd0(HANDLE engineHandle, const FWPM_PROVIDER0* provider,
                                                    PSECURITY_DESCRIPTOR sd) {
  if (provider == nullptr) return ERROR_INVALID_PARAMETER;
  std::string record = providerText(*provider);
  std::string detail = std::string("sd=") + (sd != nullptr ? "set" : "null") + " provider=[" + record + "]";
  return inSession("FwpmProviderAdd0", engineHandle, detail, [&](Store& store, Session& session) -> DWORD {
    std::vector<StoredObject>& objects = objectsOf(session, store);
    std::string key = guidText(provider->providerKey);
    if (find(objects, "provider", key) != objects.end()) return kAlreadyExists;
    objects.push_back({"provider", key, "null", record});
    return ERROR_SUCCESS;
  });
}

__declspec(dllexport) DWORD WINAPI FwpmProviderDeleteByKey0(HANDLE engineHandle, const GUID* key) {
  if (key == nullptr) return ERROR_INVALID_PARAMETER;
  std::string text = guidText(*key);
  return inSession("FwpmProviderDeleteByKey0", engineHandle, "key=" + text,
                   [&](Store& store, Session& session) -> DWORD {
                     std::vector<StoredObject>& objects = objectsOf(session, store);
                     auto found = find(objects, "provider", text);
                     if (found == objects.end()) return kProviderNotFound;
                     if (hasFilterOf(objects, text)) return kInUse;
                     objects.erase(found);
                     return ERROR_SUCCESS;
                   });
}

__declspec(dllexport) DWORD WINAPI FwpmFilterAdd0(HANDLE engineHandle, const FWPM_FILTER0* filter,
                                                  PSECURITY_DESCRIPTOR sd, UINT64* id) {
  if (filter == nullptr) return ERROR_INVALID_PARAMETER;
  std::string record = filterText(*filter);
  std::string detail = std::string("sd=") + (sd != nullptr ? "set" : "null") + " id=" + (id != nullptr ? "set" : "null") +
                       " filter=[" + record + "]";
  return inSession("FwpmFilterAdd0", engineHandle, detail, [&](Store& store, Session& session) -> DWORD {
    std::vector<StoredObject>& objects = objectsOf(session, store);
    std::string key = guidText(filter->filterKey);
    std::string provider = guidText(filter->providerKey);
    if (find(objects, "filter", key) != objects.end()) return kAlreadyExists;
    if (filter->providerKey != nullptr && find(objects, "provider", provider) == objects.end()) return kProviderNotFound;
    objects.push_back({"filter", key, provider, record});
    return ERROR_SUCCESS;
  });
}

#ifndef FWP_STANDIN_PARTIAL
__declspec(dllexport) DWORD WINAPI FwpmFilterDeleteByKey0(HANDLE engineHandle, const GUID* key) {
  if (key == nullptr) return ERROR_INVALID_PARAMETER;
  std::string text = guidText(*key);
  return inSession("FwpmFilterDeleteByKey0", engineHandle, "key=" + text, [&](Store& store, Session& session) -> DWORD {
    std::vector<StoredObject>& objects = objectsOf(session, store);
    auto found = find(objects, "filter", text);
    if (found == objects.end()) return kFilterNotFound;
    objects.erase(found);
    return ERROR_SUCCESS;
  });
}
#endif

}  // extern "C"

// Each load is recorded, so a test sees when the plug-in loaded the platform.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  std::string path = storePath();
  if (path.empty()) return TRUE;
  Store store = Store::load(path);
  ++store.loads;
  store.save(path);
  return TRUE;
}
