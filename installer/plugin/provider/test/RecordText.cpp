#include "RecordText.h"

#include <cstdio>

namespace fwpstandin {

namespace {

std::string number(unsigned long long value) { return std::to_string(value); }

std::string hex(unsigned long value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%lx", value);
  return text;
}

std::string pointerText(const void* pointer) { return pointer != nullptr ? "set" : "null"; }

std::string blobText(const FWP_BYTE_BLOB& blob) { return number(blob.size) + ":" + pointerText(blob.data); }

std::string displayText(const FWPM_DISPLAY_DATA0& display) {
  return "name=" + wideText(display.name) + " description=" + wideText(display.description);
}

std::string valueText(FWP_DATA_TYPE type, UINT32 uint32, UINT16 uint16, UINT8 uint8) {
  switch (type) {
    case FWP_EMPTY: return "empty";
    case FWP_UINT8: return "uint8 " + number(uint8);
    case FWP_UINT16: return "uint16 " + number(uint16);
    case FWP_UINT32: return "uint32 " + number(uint32);
    default: return "type" + number(type);
  }
}

std::string valueText(const FWP_VALUE0& value) {
  return valueText(value.type, value.uint32, value.uint16, value.uint8);
}

std::string conditionText(const FWPM_FILTER_CONDITION0& condition) {
  const FWP_CONDITION_VALUE0& value = condition.conditionValue;
  return guidText(condition.fieldKey) + " match=" + number(condition.matchType) + " " +
         valueText(value.type, value.uint32, value.uint16, value.uint8);
}

std::string conditionsText(const FWPM_FILTER0& filter) {
  if (filter.filterCondition == nullptr) return "conditions=" + number(filter.numFilterConditions) + ":null";
  std::string text = "conditions=[";
  for (UINT32 i = 0; i < filter.numFilterConditions; ++i) {
    if (i > 0) text += "; ";
    text += conditionText(filter.filterCondition[i]);
  }
  return text + "]";
}

}  // namespace

std::string guidText(const GUID& guid) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
                guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  return text;
}

std::string guidText(const GUID* guid) { return guid != nullptr ? guidText(*guid) : "null"; }

std::string wideText(const wchar_t* text) {
  if (text == nullptr) return "null";
  std::string narrow = "\"";
  for (; *text != L'\0'; ++text) narrow += *text < 0x80 ? static_cast<char>(*text) : '?';
  return narrow + "\"";
}

std::string sessionText(const FWPM_SESSION0* session) {
  if (session == nullptr) return "null";
  return "key=" + guidText(session->sessionKey) + " " + displayText(session->displayData) +
         " flags=" + number(session->flags) + " wait=" + hex(session->txnWaitTimeoutInMSec) +
         " process=" + number(session->processId) + " sid=" + pointerText(session->sid) +
         " user=" + wideText(session->username) + " kernel=" + number(session->kernelMode);
}

std::string providerText(const FWPM_PROVIDER0& provider) {
  return "key=" + guidText(provider.providerKey) + " " + displayText(provider.displayData) +
         " flags=" + number(provider.flags) + " data=" + blobText(provider.providerData) +
         " service=" + wideText(provider.serviceName);
}

std::string filterText(const FWPM_FILTER0& filter) {
  return "key=" + guidText(filter.filterKey) + " " + displayText(filter.displayData) +
         " flags=" + number(filter.flags) + " provider=" + guidText(filter.providerKey) +
         " data=" + blobText(filter.providerData) + " layer=" + guidText(filter.layerKey) +
         " sublayer=" + guidText(filter.subLayerKey) + " weight=" + valueText(filter.weight) + " " +
         conditionsText(filter) + " action=" + hex(filter.action.type) + " actionkey=" +
         guidText(filter.action.filterType) + " context=" + guidText(filter.providerContextKey) +
         " reserved=" + guidText(filter.reserved) + " id=" + number(filter.filterId) +
         " effective=" + valueText(filter.effectiveWeight);
}

}  // namespace fwpstandin
