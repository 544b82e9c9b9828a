// kiv::update::Updater: the updater object and the reply grammar. The request itself is in
// UpdaterRun.cpp, the only part that needs the transfer library.
#include "Updater.h"

#include <cstring>

#include "Receivers.h"

namespace kiv {
namespace update {

CXX_DEFINE_CLASS(Updater, "kiv::update", "Updater", CXX::Object)

namespace {

constexpr size_t kMaxBufferedLine = 128;
constexpr int32_t kMaxPatchCount = 256;

// Reads a decimal number (with an optional sign) at p; false when there is none or it does
// not fit in 64 bits.
bool parseNumber(const uint8_t*& p, const uint8_t* end, int64_t* value) {
  bool negative = false;
  if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
  if (p == end || *p < '0' || *p > '9') return false;
  uint64_t n = 0;
  for (; p < end && *p >= '0' && *p <= '9'; ++p) {
    if (n > (UINT64_MAX - 9) / 10) return false;
    n = n * 10 + static_cast<uint64_t>(*p - '0');
  }
  if (n > static_cast<uint64_t>(INT64_MAX)) return false;
  *value = negative ? -static_cast<int64_t>(n) : static_cast<int64_t>(n);
  return true;
}

// "<word> <first><separator><second>...\n": the two numbers, or false when malformed.
bool parseHeaderLine(const uint8_t* line, size_t length, const char* word, size_t minimumLength, int64_t* first,
                     int64_t* second) {
  size_t wordLength = std::strlen(word);
  if (length < minimumLength || std::memcmp(line, word, wordLength) != 0 || line[wordLength] != ' ') return false;
  const uint8_t* p = line + wordLength + 1;
  const uint8_t* end = line + length - 1;  // the "\n"
  if (!parseNumber(p, end, first)) return false;
  if (p >= end) return false;  // the separator must come before the line's end
  ++p;
  return parseNumber(p, end, second);
}

bool fitsInt32(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

}  // namespace

Updater* Updater::create(URLList* list) {
  CXX_REQUIRE(list);
  CXX::Ref<Updater> updater(CXX::alloc<Updater>());
  updater->list_ = CXX::retained(list);
  updater->lineBuffer_.reserve(256);
  return updater.take();
}

void Updater::resetReply() {
  bodyRemaining_ = 0;
  lineBuffer_.clear();
}

size_t Updater::receive(UpdateContext& context, const uint8_t* bytes, size_t length) {
  size_t left = length;
  while (left > 0 && !aborted()) {
    if (bodyRemaining_ > 0) {
      size_t n = bodyRemaining_ < left ? static_cast<size_t>(bodyRemaining_) : left;
      if (!context.receiver || !context.receiver->write(bytes, n, n == bodyRemaining_)) return 0;
      bodyRemaining_ -= n;
      bytes += n;
      left -= n;
      continue;
    }
    const uint8_t* line = nullptr;
    size_t lineLength = 0;
    Line taken = takeLine(bytes, left, &line, &lineLength);
    if (taken == Line::kTooLong) return 0;
    if (taken == Line::kBuffered) break;
    if (!handleLine(context, line, lineLength)) return 0;
  }
  return aborted() ? 0 : length;
}

Updater::Line Updater::takeLine(const uint8_t*& bytes, size_t& left, const uint8_t** line, size_t* lineLength) {
  const void* newline = std::memchr(bytes, '\n', left);
  if (newline == nullptr) {
    if (lineBuffer_.size() + left > kMaxBufferedLine) return Line::kTooLong;
    lineBuffer_.append(reinterpret_cast<const char*>(bytes), left);
    bytes += left;
    left = 0;
    return Line::kBuffered;
  }
  size_t taken = static_cast<size_t>(static_cast<const uint8_t*>(newline) - bytes) + 1;
  if (lineBuffer_.empty()) {
    *line = bytes;
    *lineLength = taken;
  } else {
    if (lineBuffer_.size() + taken > kMaxBufferedLine) return Line::kTooLong;
    lineBuffer_.append(reinterpret_cast<const char*>(bytes), taken);
    *line = reinterpret_cast<const uint8_t*>(lineBuffer_.data());
    *lineLength = lineBuffer_.size();
  }
  bytes += taken;
  left -= taken;
  return Line::kComplete;
}

bool Updater::handleLine(UpdateContext& context, const uint8_t* line, size_t length) {
  int64_t first = 0, second = 0;
  if (!context.receiver) {
    // "kivp <version>,<count>"
    if (!parseHeaderLine(line, length, "kivp", 9, &first, &second)) return false;
    if (first != 1 || !fitsInt32(second) || second > kMaxPatchCount) return false;
    if (second < 0) {
      context.receiver = makeFullListReceiver(list_->path());
      context.fullList = true;
    } else {
      context.receiver = makePatchReceiver(static_cast<int32_t>(second));
    }
    lineBuffer_.clear();
    return true;
  }
  // "patch <microseconds>,<size>"
  if (!parseHeaderLine(line, length, "patch", 10, &first, &second)) return false;
  if (first <= 0 || !fitsInt32(second) || second <= 0) return false;
  if (!context.receiver->begin(static_cast<uint64_t>(second), format::secondsFromTimestamp(first))) return false;
  lineBuffer_.clear();
  bodyRemaining_ = static_cast<uint64_t>(second);
  return true;
}

void Updater::dealloc() {
  CXX::releaseAndClear(list_);
  CXX::Object::dealloc();
}

}  // namespace update
}  // namespace kiv
