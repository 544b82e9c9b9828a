// Every field of the records the stand-in platform receives, as one line of text, so a test
// compares a whole record at once.
#pragma once

#include <string>

#include "FwpApi.h"

namespace fwpstandin {

std::string guidText(const GUID& guid);
std::string guidText(const GUID* guid);  // "null" for none
std::string wideText(const wchar_t* text);  // quoted, or "null"
std::string sessionText(const FWPM_SESSION0* session);
std::string providerText(const FWPM_PROVIDER0& provider);
std::string filterText(const FWPM_FILTER0& filter);

}  // namespace fwpstandin
