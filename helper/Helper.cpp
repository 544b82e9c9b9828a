// Quarvo::Helper: the platform-independent behaviour of the session helper.
#include "Helper.h"

#include <cstring>

namespace Quarvo {

CXX_DEFINE_ABSTRACT_CLASS(Helper, "Quarvo", "Helper", Connection::Handler, "Quarvo:: Helper")

void Helper::connectionChanged(Connection* connection, bool connected) {
  if (connected) sendUserName(connection);
}

Message* Helper::requestReceived(Connection*, Message* message) {
  if (message->type() == frame::kTypeSession && message->code() == frame::kCodeStop) stop();
  if (message->type() == frame::kTypeNotification) notificationReceived(message);
  return nullptr;
}

void Helper::eventReceived(Connection*, Message* message) {
  if (message->code() == 1) eventHook();
}

void Helper::createConnection() {
  CXX::Ref<Connection> connection(openConnection(kServiceHost, kServicePort));
  CXX::assignRetained(connection_, connection.get());
  // A first attempt that cannot even start (the network stack not ready yet, say) is retried
  // like any lost connection.
  connection_->start();
}

void Helper::closeConnection() {
  if (connection_ == nullptr) return;
  connection_->shutDown();
  CXX::releaseAndClear(connection_);
}

void Helper::sendUserName(Connection* connection) {
  CXX::Ref<CXX::Buffer> name(copyUserName());
  if (!name || name->length() == 0) return;
  uint64_t n = name->length();
  CXX::Ref<CXX::MallocBuffer> payload(CXX::MallocBuffer::create(nullptr, n + 5));
  uint8_t* out = payload->mutableBytes();
  out[0] = 0x53;  // 'S': a typed string
  out[1] = static_cast<uint8_t>(n >> 24);
  out[2] = static_cast<uint8_t>(n >> 16);
  out[3] = static_cast<uint8_t>(n >> 8);
  out[4] = static_cast<uint8_t>(n);
  std::memcpy(out + 5, name->bytes(), static_cast<size_t>(n));
  CXX::Ref<Message> message(Message::create(0, frame::kTypeSession, frame::kCodeUserName, 0, payload.get()));
  connection->send(message.get());
}

void Helper::notificationReceived(Message* message) {
  CXX::Buffer* payload = message->payload();
  if (message->code() != frame::kCodeShowNotification || payload == nullptr) return;
  const uint8_t* bytes = payload->bytes();
  uint64_t length = payload->length();
  const void* star = length ? std::memchr(bytes, '*', static_cast<size_t>(length)) : nullptr;
  if (star == nullptr || star == bytes) return;
  uint64_t at = static_cast<uint64_t>(static_cast<const uint8_t*>(star) - bytes);
  CXX::Ref<CXX::SubBuffer> title(CXX::SubBuffer::create(payload, 0, at));
  CXX::Ref<CXX::SubBuffer> body(CXX::SubBuffer::create(payload, at + 1, length - at - 1));
  showNotification(title.get(), body.get());
}

void Helper::dealloc() {
  closeConnection();
  Connection::Handler::dealloc();
}

}  // namespace Quarvo
