#include "ProcessImagePath.h"

#include <psapi.h>

#include <cwchar>

#include "CaseInsensitiveText.h"
#include "RuntimeBindings.h"

namespace Quarvo {

namespace {

// "X:\" and its terminating zero for each of 26 drives, and the list's final zero.
constexpr DWORD kDriveListCapacity = 26 * 4 + 1;

// Writes `drive` followed by `rest` when both fit with the terminating zero.
bool composePath(const wchar_t* drive, const wchar_t* rest, wchar_t* buffer, uint32_t capacity,
                 uint32_t* length) noexcept {
  const size_t driveLength = std::wcslen(drive);
  const size_t restLength = std::wcslen(rest);
  if (driveLength + restLength >= capacity) return false;
  std::wmemcpy(buffer, drive, driveLength);
  std::wmemcpy(buffer + driveLength, rest, restLength + 1);
  *length = static_cast<uint32_t>(driveLength + restLength);
  return true;
}

// The image name after the device that "X:" names, or null when the image is not on that drive.
const wchar_t* pathOnDrive(const wchar_t* image, size_t imageLength, const wchar_t* drive) noexcept {
  wchar_t device[MAX_PATH];
  if (QueryDosDeviceW(drive, device, MAX_PATH) == 0) return nullptr;
  const size_t deviceLength = std::wcslen(device);
  if (deviceLength >= imageLength || image[deviceLength] != L'\\') return nullptr;
  return startsWithIgnoringCase(image, imageLength, device, deviceLength) ? image + deviceLength : nullptr;
}

bool pathFromDeviceName(HANDLE process, wchar_t* buffer, uint32_t capacity, uint32_t* length) noexcept {
  wchar_t image[MAX_PATH];
  const DWORD imageLength = GetProcessImageFileNameW(process, image, MAX_PATH);
  if (imageLength == 0 || imageLength >= MAX_PATH) return false;
  image[imageLength] = L'\0';
  wchar_t drives[kDriveListCapacity];
  const DWORD drivesLength = GetLogicalDriveStringsW(kDriveListCapacity - 1, drives);
  if (drivesLength == 0 || drivesLength >= kDriveListCapacity) return false;
  for (const wchar_t* entry = drives; *entry; entry += std::wcslen(entry) + 1) {
    const wchar_t drive[] = {entry[0], L':', L'\0'};
    if (const wchar_t* rest = pathOnDrive(image, imageLength, drive))
      return composePath(drive, rest, buffer, capacity, length);
  }
  return false;
}

bool fullImageName(QueryFullProcessImageNameFunction query, HANDLE process, wchar_t* buffer, uint32_t capacity,
                   uint32_t* length) noexcept {
  DWORD size = capacity;
  if (!query(process, 0, buffer, &size)) return false;
  *length = size;
  return true;
}

}  // namespace

bool processImagePath(HANDLE process, wchar_t* buffer, uint32_t* length) noexcept {
  if (!buffer || !length || *length == 0) return false;
  const uint32_t capacity = *length;
  *length = 0;
  QueryFullProcessImageNameFunction query = queryFullProcessImageNameBinding().get();
  const bool found = query ? fullImageName(query, process, buffer, capacity, length)
                           : pathFromDeviceName(process, buffer, capacity, length);
  if (found) return true;
  buffer[0] = L'\0';
  *length = 0;
  return false;
}

}  // namespace Quarvo
