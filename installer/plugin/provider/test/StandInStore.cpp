#include "StandInStore.h"

#include <fstream>
#include <sstream>

namespace fwpstandin {

namespace {

std::string rest(std::istringstream& line) {
  std::string text;
  std::getline(line >> std::ws, text);
  return text;
}

void readLine(Store& store, const std::string& text) {
  std::istringstream line(text);
  std::string tag;
  line >> tag;
  if (tag == "object") {
    StoredObject object;
    line >> object.kind >> object.key >> object.providerKey;
    object.record = rest(line);
    store.objects.push_back(object);
  } else if (tag == "call") {
    Call call;
    line >> call.function >> std::hex >> call.status >> std::dec >> call.engine;
    call.detail = rest(line);
    store.calls.push_back(call);
  } else if (tag == "loads") {
    line >> store.loads;
  } else if (tag == "fail") {
    line >> store.failure.function >> store.failure.nth >> std::hex >> store.failure.status;
  }
}

}  // namespace

Store Store::load(const std::string& path) {
  Store store;
  std::ifstream file(path);
  std::string text;
  while (std::getline(file, text)) readLine(store, text);
  return store;
}

bool Store::save(const std::string& path) const {
  std::ofstream file(path, std::ios::trunc);
  for (const StoredObject& object : objects) {
    file << "object " << object.kind << ' ' << object.key << ' ' << object.providerKey << ' ' << object.record << '\n';
  }
  for (const Call& call : calls) {
    file << "call " << call.function << ' ' << std::hex << call.status << std::dec << ' ' << call.engine << ' '
         << call.detail << '\n';
  }
  file << "loads " << loads << '\n';
  if (!failure.function.empty()) {
    file << "fail " << failure.function << ' ' << failure.nth << ' ' << std::hex << failure.status << std::dec << '\n';
  }
  return static_cast<bool>(file.flush());
}

std::vector<std::string> Store::callNames() const {
  std::vector<std::string> names;
  for (const Call& call : calls) names.push_back(call.function);
  return names;
}

int Store::callCount(const std::string& function) const {
  int count = 0;
  for (const Call& call : calls) count += call.function == function;
  return count;
}

}  // namespace fwpstandin
