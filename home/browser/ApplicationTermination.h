// Ends every running instance of an application, for the service's "stop this application".
#pragma once

namespace Quarvo {

// `application` is "pkg:" followed by a package family name for a store application, or the
// full image path of a desktop program; both are matched ignoring case. With a `user`, only
// processes running under that account name (ignoring case) are affected; null means all users.
// A store application is terminated at once. A desktop process is asked to close its top-level
// windows and terminated when it has not ended within a second. Nothing is reported: processes
// that cannot be opened or refuse to end are passed over.
void terminateApplication(const wchar_t* application, const wchar_t* user) noexcept;

}  // namespace Quarvo
