// kiv::update::Updater: keeps one open list current. One run posts the list's type and date
// to the update server and receives either a complete list, written to a temporary file next
// to the list and installed, or patch files, folded and merged with the current list into a
// temporary file that is installed. Installation swaps the file under the list's write lock,
// so checks on other threads go on throughout. abort() may be called from any thread.
//
// Reply grammar (every line ends with "\n"):
//   "kivp <version>,<count>"   version 1; count <= 256; a negative count announces a
//                              complete list, otherwise at most count patch bodies follow
//   "patch <microseconds>,<size>" then exactly size bytes of body, any number of times
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "CXXRuntime/CXXBase"
#include "URLList.h"

namespace kiv {
namespace update {

class WebClient;

class Updater : public CXX::Object {
  CXX_DECLARE_CLASS(Updater)

 public:
  // The receiver of one response's bodies.
  class UpdaterImpl {
   public:
    virtual ~UpdaterImpl() = default;
    // After a successful transfer: install what was received.
    virtual void finish(URLList* list) = 0;
    // A body of size bytes dated date (seconds) starts; false refuses it.
    virtual bool begin(uint64_t size, double date) = 0;
    // Bytes of the current body; last is true for the chunk that completes it.
    virtual bool write(const uint8_t* bytes, size_t count, bool last) = 0;
  };

  // What one run's transfer hands to the response handler.
  struct UpdateContext {
    bool fullList = false;
    Updater* updater = nullptr;
    std::unique_ptr<UpdaterImpl> receiver;
  };

  static Updater* create(URLList* list);

  // One request and its installation; true when a complete list was installed (the caller
  // then asks again for patches newer than it). Throws on any failure.
  bool update(const char* url);
  // run(): update, and once more after a complete list; false on any error, true at once
  // once aborted.
  bool run(const char* url);
  void abort() { aborted_.store(true, std::memory_order_relaxed); }
  bool aborted() const { return aborted_.load(std::memory_order_relaxed); }

  // The response handler: accepts a chunk of the reply, or returns less than length to
  // stop the transfer. Public so the reply grammar can be driven without a network.
  size_t receive(UpdateContext& context, const uint8_t* bytes, size_t length);
  // Starts a fresh reply (body and line state cleared).
  void resetReply();

  URLList* list() const { return list_; }
  void dealloc() override;

 protected:
  Updater() = default;

 private:
  static size_t handleData(WebClient* client, const char* bytes, size_t length, void* context);
  // The next complete line from the chunk, buffering partial ones; see receive().
  enum class Line { kComplete, kBuffered, kTooLong };
  Line takeLine(const uint8_t*& bytes, size_t& left, const uint8_t** line, size_t* lineLength);
  bool handleLine(UpdateContext& context, const uint8_t* line, size_t length);

  std::atomic<bool> aborted_{false};
  std::string lineBuffer_;
  URLList* list_ = nullptr;
  uint64_t bodyRemaining_ = 0;
};

}  // namespace update
}  // namespace kiv
