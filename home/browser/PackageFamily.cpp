#include "PackageFamily.h"

#include "RuntimeBindings.h"

namespace Quarvo {

uint32_t packageFamilyNameOf(HANDLE process, uint32_t* length, wchar_t* buffer) noexcept {
  GetPackageFamilyNameFunction getPackageFamilyName = getPackageFamilyNameBinding().get();
  if (!getPackageFamilyName) return ERROR_NOT_SUPPORTED;
  return static_cast<uint32_t>(getPackageFamilyName(process, length, buffer));
}

bool isImmersive(HANDLE process) noexcept {
  if (IsImmersiveProcessFunction isImmersiveProcess = isImmersiveProcessBinding().get())
    return isImmersiveProcess(process) != FALSE;
  // Only a packaged process has a family name to ask room for.
  uint32_t length = 0;
  return packageFamilyNameOf(process, &length, nullptr) == ERROR_INSUFFICIENT_BUFFER;
}

}  // namespace Quarvo
