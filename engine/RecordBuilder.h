// One domain record under construction for kiv::Writer. In measuring mode (the writer's
// first pass) it only counts what the record will hold; otherwise it keeps the entries and
// serialises the record into a buffer reused for every domain.
#pragma once

#include <cstdint>
#include <vector>

#include "ListFormat.h"
#include "PathTable.h"

namespace kiv {

class RecordBuilder {
 public:
  void setMeasuring(bool measuring) { measuring_ = measuring; }
  bool measuring() const { return measuring_; }

  void begin(const Key& key);
  void setHostValues(const HostValue* mainPlain, const HostValue* mainSecure, const HostValue* wwwPlain,
                     const HostValue* wwwSecure);
  void addPath(const Key& key, uint32_t value);
  // Lays the record out (when not measuring) and returns its size. Throws CXX::RuntimeError
  // for 1024 or more entries in one table.
  size_t serialise();
  // The serialised record.
  const uint8_t* bytes() const { return record_.data(); }

 private:
  struct Entry {
    Key key;
    uint32_t value;
  };

  static uint8_t kindOf(uint32_t value);

  bool measuring_ = true;
  Key key_{};
  uint32_t entryCount_ = 0;
  uint16_t wwwEntryCount_ = 0;
  HostValue mainPlain_, wwwPlain_, mainSecure_, wwwSecure_;
  uint8_t mainKinds_ = 0;
  uint8_t wwwKinds_ = 0;
  std::vector<Entry> entries_;   // in the order added; capacity kept across domains
  std::vector<uint8_t> record_;  // the serialised record; capacity kept across domains
};

}  // namespace kiv
