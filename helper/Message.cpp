// Quarvo::Message and the frame parser (see Message.h).
#include "Message.h"

#include <cstring>

#include "RingBuffer.h"

namespace Quarvo {

CXX_DEFINE_CLASS(Message, "Quarvo", "Message", CXX::Object)

namespace {

uint32_t readWord(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 | p[3];
}

void writeWord(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}

}  // namespace

Message* Message::create(uint32_t tag, uint32_t type, uint32_t code, uint32_t argument, CXX::Buffer* payload) {
  CXX::Ref<Message> message(CXX::alloc<Message>());
  message->init(tag, type, code, argument, payload);
  return message.take();
}

void Message::init(uint32_t tag, uint32_t type, uint32_t code, uint32_t argument, CXX::Buffer* payload) {
  tag_ = tag;
  type_ = type;
  code_ = code;
  argument_ = argument;
  CXX::assignRetained(payload_, payload);
}

void Message::encodeHeader(uint8_t header[frame::kHeaderSize]) const {
  std::memcpy(header, frame::kMagic, 4);
  writeWord(header + 4, tag_);
  writeWord(header + 8, type_);
  writeWord(header + 12, code_);
  writeWord(header + 16, argument_);
  writeWord(header + 20, payload_ ? static_cast<uint32_t>(payload_->length()) : 0);
}

void Message::dealloc() {
  CXX::releaseAndClear(payload_);
  CXX::Object::dealloc();
}

Message* nextMessage(RingBuffer* queue) {
  uint8_t header[frame::kHeaderSize];
  uint64_t queued = queue->size();
  if (queued < 4) return nullptr;
  queue->peek(header, 4);
  if (std::memcmp(header, frame::kMagic, 4) != 0) throw CXX::RuntimeError("invalid message");
  if (queued < frame::kHeaderSize) return nullptr;
  queue->peek(header, frame::kHeaderSize);
  uint32_t length = readWord(header + 20);
  if (length > frame::kMaxPayload) throw CXX::RuntimeError("message too big");
  if (queued < frame::kHeaderSize + length) return nullptr;

  queue->drop(frame::kHeaderSize);
  CXX::Ref<CXX::MallocBuffer> payload(CXX::MallocBuffer::create(nullptr, length));
  queue->peek(payload->mutableBytes(), length);
  queue->drop(length);

  uint32_t word2 = readWord(header + 8), word3 = readWord(header + 12), word4 = readWord(header + 16);
  CXX::Ref<Message> message(Message::create(readWord(header + 4), word2, word3, word4, payload.get()));
  if (word2 == frame::kEventForm) {
    message->event_ = true;
    message->type_ = word3;
    message->code_ = word4 >> 16;
    message->argument_ = word4 & 0xFFFF;
  } else if (word2 == frame::kTypedForm) {
    message->type_ = word3;
    message->code_ = word4;
    message->argument_ = 0;
  }
  return message.take();
}

}  // namespace Quarvo
