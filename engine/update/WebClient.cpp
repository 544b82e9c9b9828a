// kiv::update::WebClient over libcurl's easy interface.
#include "WebClient.h"

#include <curl/curl.h>

namespace kiv {
namespace update {

CXX_DEFINE_CLASS(WebClient, "kiv::update", "WebClient", CXX::Object)

namespace {

[[noreturn]] void raiseCurlError(CURLcode code) {
  const char* text = curl_easy_strerror(code);
  throw CXX::SystemError(text && *text ? text : "undefined curl error");
}

}  // namespace

WebClient* WebClient::create(const char* url, DataHandler handler, void* userData) {
  CXX::Ref<WebClient> client(CXX::alloc<WebClient>());
  client->init(url, handler, userData);
  return client.take();
}

void WebClient::init(const char* url, DataHandler handler, void* userData) {
  CXX_REQUIRE(url);
  userData_ = userData;
  handler_ = handler;
  handle_ = curl_easy_init();
  if (handle_ == nullptr) throw CXX::SystemError("curl fatal error");
  // The library runs inside the service's process: no signals. Only the connection phase is
  // limited; a slow transfer may take as long as it takes (the service can abort it).
  curl_easy_setopt(handle_, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle_, CURLOPT_CONNECTTIMEOUT, 10L);
  curl_easy_setopt(handle_, CURLOPT_URL, url);
  curl_easy_setopt(handle_, CURLOPT_TRANSFER_ENCODING, 1L);
  curl_easy_setopt(handle_, CURLOPT_USERAGENT, "Quarvo Library v3/");
  curl_easy_setopt(handle_, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, &WebClient::write);
}

size_t WebClient::write(char* bytes, size_t size, size_t count, void* context) {
  auto* client = static_cast<WebClient*>(context);
  if (client->handler_ == nullptr) return 0;
  return client->handler_(client, bytes, size * count, client->userData_);
}

void WebClient::perform() {
  CURLcode result = curl_easy_perform(handle_);
  if (result != CURLE_OK) raiseCurlError(result);
  long status = 0;
  result = curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &status);
  if (result != CURLE_OK) raiseCurlError(result);
  if (status != 200) throw CXX::SystemError("unexpected http status (not 200 OK).");
}

void WebClient::dealloc() {
  if (handle_) curl_easy_cleanup(handle_);
  handle_ = nullptr;
  CXX::Object::dealloc();
}

}  // namespace update
}  // namespace kiv
