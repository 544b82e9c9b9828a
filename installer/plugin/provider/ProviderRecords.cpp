#include "ProviderRecords.h"

namespace setup {

const GUID kProviderKey = {0x405c1382, 0xf428, 0x4b19, {0x9e, 0x35, 0x6d, 0xca, 0xc2, 0x32, 0xf0, 0x72}};
const GUID kProxyFilterKey4343 = {0x23a57a92, 0x3222, 0x4f0a, {0x81, 0x7f, 0x73, 0x7e, 0x4c, 0x66, 0x27, 0x43}};
const GUID kProxyFilterKey4350 = {0x6f566593, 0x1854, 0x46bc, {0xb1, 0x40, 0x47, 0xef, 0xc7, 0x54, 0x31, 0x23}};

namespace {

// The records take mutable texts; the platform only reads them.
wchar_t sessionName[] = L"Parental Control Setup";
wchar_t providerName[] = L"Parental Control Provider";
wchar_t filterName[] = L"Parental Control Local Proxy";
wchar_t filterDescription[] = L"Parental Control Proxy Connection";

constexpr UINT32 kWaitForever = 0xFFFFFFFF;

}  // namespace

FWPM_SESSION0 setupSessionRecord() noexcept {
  FWPM_SESSION0 session = {};
  session.displayData.name = sessionName;
  session.txnWaitTimeoutInMSec = kWaitForever;
  return session;
}

FWPM_PROVIDER0 providerRecord() noexcept {
  FWPM_PROVIDER0 provider = {};
  provider.providerKey = kProviderKey;
  provider.displayData.name = providerName;
  provider.flags = fwp::kProviderFlagPersistent;
  return provider;
}

ProxyPortFilter::ProxyPortFilter(const GUID& key, UINT16 port) noexcept
    : providerKey_(kProviderKey), conditions_(), filter_() {
  conditions_[0].fieldKey = fwp::kConditionFlags;
  conditions_[0].matchType = FWP_MATCH_FLAGS_ALL_SET;
  conditions_[0].conditionValue.type = FWP_UINT32;
  conditions_[0].conditionValue.uint32 = FWP_CONDITION_FLAG_IS_LOOPBACK;
  conditions_[1].fieldKey = fwp::kConditionIpLocalPort;
  conditions_[1].matchType = FWP_MATCH_EQUAL;
  conditions_[1].conditionValue.type = FWP_UINT16;
  conditions_[1].conditionValue.uint16 = port;

  filter_.filterKey = key;
  filter_.displayData.name = filterName;
  filter_.displayData.description = filterDescription;
  filter_.flags = fwp::kFilterFlagPersistent | fwp::kFilterFlagClearActionRight;
  filter_.providerKey = &providerKey_;
  filter_.layerKey = fwp::kLayerAleAuthRecvAcceptV4;
  filter_.weight.type = FWP_EMPTY;
  filter_.numFilterConditions = 2;
  filter_.filterCondition = conditions_;
  filter_.action.type = FWP_ACTION_PERMIT;
}

}  // namespace setup
