// Native bytes handed to Java as a new byte[].
#pragma once

#include <jni.h>

namespace Quarvo {
namespace os {

// Null, with the VM's exception pending, when the array cannot be made or filled.
jbyteArray newJavaBytes(JNIEnv* env, const void* bytes, jsize size);

}  // namespace os
}  // namespace Quarvo
