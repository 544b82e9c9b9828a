// kiv::update::WebClient: one HTTP request over a libcurl easy handle, streaming the response
// body into a data handler. Any transport error or a status other than 200 is a
// CXX::SystemError; the engine has no other network code.
#pragma once

#include <cstddef>

#include "CXXRuntime/CXXBase"

typedef void CURL;

namespace kiv {
namespace update {

class WebClient : public CXX::Object {
  CXX_DECLARE_CLASS(WebClient)

 public:
  // The no-argument init() stays callable beside this class's own.
  using CXX::Object::init;
  // Accepts bytes of the body; returning less than length stops the transfer.
  using DataHandler = size_t (*)(WebClient* client, const char* bytes, size_t length, void* userData);

  // Throws CXX::RuntimeError for a null url, CXX::SystemError "curl fatal error".
  static WebClient* create(const char* url, DataHandler handler, void* userData);
  void init(const char* url, DataHandler handler, void* userData);

  // The easy handle, for request options the owner adds (the POST body).
  CURL* handle() const { return handle_; }

  // Runs the transfer on this thread; returns only for status 200.
  void perform();

  void dealloc() override;

 protected:
  WebClient() = default;

 private:
  static size_t write(char* bytes, size_t size, size_t count, void* client);

  CURL* handle_ = nullptr;
  void* userData_ = nullptr;
  DataHandler handler_ = nullptr;
};

}  // namespace update
}  // namespace kiv
