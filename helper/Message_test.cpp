// Cutting frames out of the receive queue and decoding their three header forms.
#include <gtest/gtest.h>

#include <string>

#include "Message.h"
#include "RingBuffer.h"

namespace Quarvo {
namespace {

std::string word(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

std::string frameBytes(uint32_t tag, uint32_t w2, uint32_t w3, uint32_t w4, const std::string& payload,
                       int64_t length = -1) {
  return "spp " + word(tag) + word(w2) + word(w3) + word(w4) +
         word(length < 0 ? static_cast<uint32_t>(payload.size()) : static_cast<uint32_t>(length)) + payload;
}

std::string payloadOf(const Message* message) {
  return std::string(reinterpret_cast<const char*>(message->payload()->bytes()), message->payload()->length());
}

class NextMessage : public ::testing::Test {
 protected:
  void queue(const std::string& bytes) { queue_->write(bytes.data(), bytes.size()); }
  CXX::Ref<Message> next() { return CXX::Ref<Message>(nextMessage(queue_.get())); }
  std::string errorOfNext() {
    try {
      next();
    } catch (const CXX::RuntimeError& error) {
      return error.what();
    }
    return "(none)";
  }

  CXX::Ref<RingBuffer> queue_{RingBuffer::create()};
};

TEST_F(NextMessage, FramesSplitAtEveryByteComeOutWholeOnce) {
  std::string bytes = frameBytes(7, 2, 1, 0, "Title*Body");
  for (size_t split = 0; split <= bytes.size(); ++split) {
    SCOPED_TRACE(split);
    CXX::Ref<RingBuffer> fresh(RingBuffer::create());
    queue_ = std::move(fresh);
    queue(bytes.substr(0, split));
    if (split < bytes.size()) {
      EXPECT_FALSE(next());
      EXPECT_EQ(queue_->size(), split);  // nothing consumed
      queue(bytes.substr(split));
    }
    CXX::Ref<Message> message = next();
    ASSERT_TRUE(message);
    EXPECT_EQ(message->tag(), 7u);
    EXPECT_EQ(message->type(), 2u);
    EXPECT_EQ(payloadOf(message.get()), "Title*Body");
    EXPECT_FALSE(next());
  }
}

TEST_F(NextMessage, TwoAndAHalfFramesInOneRead) {
  std::string a = frameBytes(1, 1, 2, 0, ""), b = frameBytes(2, 258, 1, 0, "xy"), c = frameBytes(3, 2, 1, 0, "t*b");
  queue(a + b + c.substr(0, 10));
  EXPECT_EQ(next()->code(), 2u);
  EXPECT_EQ(next()->type(), 258u);
  EXPECT_FALSE(next());
  queue(c.substr(10));
  EXPECT_EQ(payloadOf(next().get()), "t*b");
}

TEST_F(NextMessage, BadFramesRaiseWithoutConsuming) {
  queue("spp");
  EXPECT_FALSE(next());
  queue_->drop(3);
  queue("sppX");
  EXPECT_EQ(errorOfNext(), "invalid message");
  EXPECT_EQ(queue_->size(), 4u);
  queue_->drop(4);
  queue(frameBytes(0, 1, 1, 0, "", 0x8001));
  EXPECT_EQ(errorOfNext(), "message too big");
  EXPECT_EQ(queue_->size(), 24u);
}

TEST_F(NextMessage, LargestPayloadAndEmptyPayload) {
  std::string big(0x8000, 'z');
  queue(frameBytes(0, 2, 1, 0, big) + frameBytes(0, 1, 2, 0, ""));
  CXX::Ref<Message> large = next();
  EXPECT_EQ(large->payload()->length(), 0x8000u);
  CXX::Ref<Message> empty = next();
  ASSERT_NE(empty->payload(), nullptr);
  EXPECT_EQ(empty->payload()->length(), 0u);
}

TEST_F(NextMessage, DecodesTheThreeHeaderForms) {
  queue(frameBytes(9, 0x100, 5, 0x00010002, "") + frameBytes(9, 0x101, 0x101, 77, "") + frameBytes(9, 0x101, 258, 1, ""));
  CXX::Ref<Message> event = next();
  EXPECT_TRUE(event->event());
  EXPECT_EQ(event->type(), 5u);
  EXPECT_EQ(event->code(), 1u);
  EXPECT_EQ(event->argument(), 2u);
  CXX::Ref<Message> reply = next();
  EXPECT_FALSE(reply->event());
  EXPECT_EQ(reply->type(), 0x101u);
  EXPECT_EQ(reply->code(), 77u);
  EXPECT_EQ(reply->argument(), 0u);
  EXPECT_EQ(next()->type(), 258u);
}

TEST(MessageEncoding, HeaderIsThePlainFormWithThePayloadLength) {
  CXX::Ref<CXX::MallocBuffer> payload(CXX::MallocBuffer::create("abc", 3));
  CXX::Ref<Message> message(Message::create(1, 2, 3, 4, payload.get()));
  uint8_t header[24];
  message->encodeHeader(header);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(header), 24), frameBytes(1, 2, 3, 4, "", 3));
  EXPECT_EQ(payload->retainCount(), 2);
  message.reset();
  EXPECT_EQ(payload->retainCount(), 1);
}

}  // namespace
}  // namespace Quarvo
