// The service's map of local accounts, login name to display name, from the accounts an
// account source listed.
#pragma once

#include <jni.h>

#include <cstddef>
#include <string>
#include <vector>

#include "JavaCollection.h"

namespace Quarvo {

// One listed account. Either text may end in zero characters (a source may count the
// terminator); an empty full name means the account has none.
struct UserAccount {
  std::u16string login;
  std::u16string fullName;
};

// Accounts the service is never shown (service and machine accounts).
using HiddenAccountTest = bool (*)(const char16_t* login, std::size_t length);

// Puts each account, in list order, into `map` (a HashMap and its put): trailing zeros stripped,
// empty and hidden logins skipped, the login standing in for a missing full name. False when a
// Java exception stopped it; the exception is left pending for the caller's caller.
bool putUserNames(JNIEnv* env, const JavaCollection& map, const std::vector<UserAccount>& accounts,
                  HiddenAccountTest hidden);

// A new java.util.HashMap filled by putUserNames; null with an exception pending on failure.
jobject newUserNameMap(JNIEnv* env, const std::vector<UserAccount>& accounts, HiddenAccountTest hidden);

}  // namespace Quarvo
