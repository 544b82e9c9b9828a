// Quarvo::Message: one frame of the helper's loopback protocol, decoded.
//
// Frame: 24-byte header of six big-endian 32-bit words, then the payload.
//   magic "spp " | word 1 tag | word 2 type or form marker | word 3 | word 4 | payload length
// Word 2 = 0x100 (event form): type = word 3, code = word 4 >> 16, argument = word 4 & 0xFFFF.
// Word 2 = 0x101: type = word 3, code = word 4, argument = 0.
// Otherwise (plain form, the only one sent): type = word 2, code = word 3, argument = word 4.
#pragma once

#include <cstdint>

#include "CXXRuntime/CXXBase"

namespace Quarvo {

class RingBuffer;

namespace frame {
constexpr uint8_t kMagic[4] = {0x73, 0x70, 0x70, 0x20};  // "spp "
constexpr uint64_t kHeaderSize = 24;
constexpr uint32_t kMaxPayload = 0x8000;
constexpr uint32_t kEventForm = 0x100;
constexpr uint32_t kTypedForm = 0x101;

// The catalogue of what the helper sends and acts on.
constexpr uint32_t kTypeSession = 1;
constexpr uint32_t kCodeUserName = 1;  // helper -> service: 'S', length, ANSI user name
constexpr uint32_t kCodeStop = 2;      // service -> helper
constexpr uint32_t kTypeNotification = 2;
constexpr uint32_t kCodeShowNotification = 1;  // UTF-8 "title*body"
constexpr uint32_t kTypeReply = 0x101;
constexpr uint32_t kTypeProxyChanged = 0x102;
constexpr uint32_t kCodeRefreshProxy = 1;
}  // namespace frame

class Message : public CXX::Object {
  CXX_DECLARE_CLASS(Message)

 public:
  // The no-argument init() stays callable beside this class's own.
  using CXX::Object::init;
  // A new message holding the given numbers and payload (retained; may be null).
  static Message* create(uint32_t tag, uint32_t type, uint32_t code, uint32_t argument, CXX::Buffer* payload);
  void init(uint32_t tag, uint32_t type, uint32_t code, uint32_t argument, CXX::Buffer* payload);

  bool event() const { return event_; }
  uint32_t type() const { return type_; }
  uint32_t tag() const { return tag_; }
  uint32_t argument() const { return argument_; }
  uint32_t code() const { return code_; }
  CXX::Buffer* payload() const { return payload_; }

  // The 24 header bytes of this message in the plain form.
  void encodeHeader(uint8_t header[frame::kHeaderSize]) const;

  void dealloc() override;

 protected:
  Message() = default;

 private:
  friend Message* nextMessage(RingBuffer* queue);

  bool event_ = false;
  uint32_t type_ = 0;
  uint32_t tag_ = 0;
  uint32_t argument_ = 0;
  uint32_t code_ = 0;
  CXX::Buffer* payload_ = nullptr;
};

// Cuts the next whole frame off the front of the receive queue: a new message (owned by the
// caller), or null while the frame is incomplete. Throws CXX::RuntimeError "invalid message"
// or "message too big" without consuming anything.
Message* nextMessage(RingBuffer* queue);

}  // namespace Quarvo
