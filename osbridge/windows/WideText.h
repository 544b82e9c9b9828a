// Java's UTF-16 units are Windows' wide characters: the same 16-bit units in the same order.
#pragma once

#include <jni.h>

namespace Quarvo {
namespace os {

static_assert(sizeof(wchar_t) == sizeof(jchar), "Windows wide characters are UTF-16 units");

inline const wchar_t* wide(const jchar* units) { return reinterpret_cast<const wchar_t*>(units); }
inline const jchar* javaUnits(const wchar_t* text) { return reinterpret_cast<const jchar*>(text); }

}  // namespace os
}  // namespace Quarvo
