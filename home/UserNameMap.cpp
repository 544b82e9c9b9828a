#include "UserNameMap.h"

#include "QuarvoJni/JniLocalRef.h"

namespace Quarvo {

namespace {

using jni::JniLocalRef;

std::size_t withoutTrailingZeros(const std::u16string& text) {
  std::size_t length = text.size();
  while (length > 0 && text[length - 1] == u'\0') --length;
  return length;
}

jstring javaString(JNIEnv* env, const std::u16string& text, std::size_t length) {
  static_assert(sizeof(char16_t) == sizeof(jchar), "UTF-16 units");
  return env->NewString(reinterpret_cast<const jchar*>(text.data()), static_cast<jsize>(length));
}

// One entry; its references go before the next, so a long list needs no bigger frame.
bool putOne(JNIEnv* env, const JavaCollection& map, const UserAccount& account, HiddenAccountTest hidden) {
  const std::size_t loginLength = withoutTrailingZeros(account.login);
  if (loginLength == 0 || hidden(account.login.data(), loginLength)) return true;
  JniLocalRef<jstring> key(env, javaString(env, account.login, loginLength));
  if (!key) return false;
  const std::size_t fullLength = withoutTrailingZeros(account.fullName);
  JniLocalRef<jstring> fullName(env, fullLength == 0 ? nullptr : javaString(env, account.fullName, fullLength));
  if (fullLength != 0 && !fullName) return false;
  jstring value = fullName ? fullName.get() : key.get();
  JniLocalRef<jobject> previous(env, env->CallObjectMethod(map.instance(), map.method(), key.get(), value));
  return !env->ExceptionCheck();
}

}  // namespace

bool putUserNames(JNIEnv* env, const JavaCollection& map, const std::vector<UserAccount>& accounts,
                  HiddenAccountTest hidden) {
  for (const UserAccount& account : accounts) {
    if (!putOne(env, map, account, hidden)) return false;
  }
  return true;
}

jobject newUserNameMap(JNIEnv* env, const std::vector<UserAccount>& accounts, HiddenAccountTest hidden) {
  JavaCollection map =
      newCollection(env, "java/util/HashMap", "put", "(Ljava/lang/Object;Ljava/lang/Object;)Ljava/lang/Object;");
  if (!map.ok()) return nullptr;
  if (!putUserNames(env, map, accounts, hidden)) return nullptr;
  return map.release();
}

}  // namespace Quarvo
