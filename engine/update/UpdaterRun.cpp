// Updater::update and run: one request to the update server through the web client, then
// installation of what the reply brought.
#include <curl/curl.h>

#include <cstdio>
#include <cstring>

#include "Updater.h"
#include "WebClient.h"

namespace kiv {
namespace update {

namespace {

// Any plain-HTTP endpoint with this path serves updates; the service normally passes its own.
constexpr const char* kDefaultUrl = "http://update.quarvo.com/update/kiv.php";

const char* typeName(uint32_t listType) {
  switch (listType) {
    case format::kBlackList:
      return "black";
    case format::kWhiteList:
      return "white";
    default:
      return nullptr;
  }
}

}  // namespace

bool Updater::run(const char* url) {
  try {
    if (update(url ? url : kDefaultUrl)) update(url ? url : kDefaultUrl);
    return true;
  } catch (...) {
    return false;
  }
}

bool Updater::update(const char* url) {
  if (aborted()) return false;
  UpdateContext context;
  context.updater = this;
  CXX::Ref<WebClient> client(WebClient::create(url, &Updater::handleData, &context));

  int64_t date = format::timestampFromSeconds(list_->date());
  const char* type = typeName(list_->listType());
  if (type == nullptr) throw CXX::SystemError("unsupported list type");
  char body[128];
  int written = std::snprintf(body, sizeof body, "type=%s&date=%llu", type,
                              static_cast<unsigned long long>(date));
  if (written < 1) throw CXX::SystemError("failed to prepare update request");
  size_t bodyLength = std::strlen(body);
  curl_easy_setopt(client->handle(), CURLOPT_POST, 1L);
  curl_easy_setopt(client->handle(), CURLOPT_POSTFIELDSIZE, static_cast<long>(bodyLength));
  curl_easy_setopt(client->handle(), CURLOPT_COPYPOSTFIELDS, body);

  resetReply();
  if (!aborted()) client->perform();
  if (aborted() || !context.receiver) return false;
  context.receiver->finish(list_);
  return context.fullList;
}

size_t Updater::handleData(WebClient*, const char* bytes, size_t length, void* context) {
  auto* updateContext = static_cast<UpdateContext*>(context);
  // Nothing may be thrown back through the transfer library.
  try {
    return updateContext->updater->receive(*updateContext, reinterpret_cast<const uint8_t*>(bytes), length);
  } catch (...) {
    return 0;
  }
}

}  // namespace update
}  // namespace kiv
