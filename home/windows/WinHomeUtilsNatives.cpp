// Native methods of jni.com.quarvo.os.windows.WinHomeUtils: the proxy for every user, running
// browsers, Firefox directories, application display names and store applications.
#include <windows.h>
#include <shlwapi.h>

#include <jni.h>

#include "jni_com_quarvo_os_windows_WinHomeUtils.h"

#include <cstdint>
#include <string>

#include "BrowserTable.h"
#include "FirefoxDirectories.h"
#include "JavaCollection.h"
#include "PackageInfo.h"
#include "ProxyApplication.h"
#include "QuarvoJni/JniLocalRef.h"
#include "QuarvoJni/JniText.h"
#include "QuarvoJni/JniThrow.h"
#include "StoreApplications.h"

namespace {

const char kPackageCallbackSignature[] = "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;ILjava/util/Map;)V";

// A Java String argument as UTF-16; null for a null String or a failed copy.
bool copyText(JNIEnv* env, jstring text, std::u16string* out, bool* isNull) {
  Quarvo::jni::JniText copy(env, text);
  *isNull = copy.isNull();
  if (copy.isNull()) return true;
  if (!copy.copied()) return false;
  out->assign(reinterpret_cast<const char16_t*>(copy.units()), static_cast<std::size_t>(copy.length()));
  return true;
}

jstring newString(JNIEnv* env, const wchar_t* text) {
  if (text == nullptr) return nullptr;
  return env->NewString(reinterpret_cast<const jchar*>(text), static_cast<jsize>(wcslen(text)));
}

// 0x00BBGGRR to the 0x00RRGGBB the service expects; "no colour" passes as it is.
jint serviceColour(int32_t colour) {
  if (colour == -1) return -1;
  auto value = static_cast<uint32_t>(colour);
  return static_cast<jint>(((value & 0xFF) << 16) | (value & 0xFF00) | ((value >> 16) & 0xFF));
}

struct PackageVisit {
  JNIEnv* env;
  jobject receiver;
  jmethodID method;
  jobject extra;
};

// One Java call per package; a Java exception (or a failed string) ends the listing and is
// left pending for the service.
bool __stdcall visitPackage(const Quarvo::PackageInfo* info, void* context) {
  auto* visit = static_cast<PackageVisit*>(context);
  JNIEnv* env = visit->env;
  if (info == nullptr) return true;
  Quarvo::jni::JniLocalRef<jstring> family(env, newString(env, info->familyName));
  if (env->ExceptionCheck()) return false;
  Quarvo::jni::JniLocalRef<jstring> display(env, newString(env, info->displayName));
  if (env->ExceptionCheck()) return false;
  Quarvo::jni::JniLocalRef<jstring> logo(env, newString(env, info->logoPath));
  if (env->ExceptionCheck()) return false;
  env->CallVoidMethod(visit->receiver, visit->method, family.get(), display.get(), logo.get(),
                      serviceColour(info->backgroundColor), visit->extra);
  return !env->ExceptionCheck();
}

jmethodID packageCallback(JNIEnv* env, jobject receiver, jstring methodName) {
  Quarvo::jni::JniLocalRef<jclass> type(env, env->GetObjectClass(receiver));
  if (!type) return nullptr;
  const char* name = env->GetStringUTFChars(methodName, nullptr);
  if (name == nullptr) return nullptr;
  jmethodID method = env->GetMethodID(type.get(), name, kPackageCallbackSignature);
  env->ReleaseStringUTFChars(methodName, name);
  return method;
}

}  // namespace

extern "C" {

JNIEXPORT jboolean JNICALL Java_jni_com_quarvo_os_windows_WinHomeUtils_setProxy(JNIEnv* env, jclass, jstring httpHost,
                                                                               jint httpPort, jstring httpsHost,
                                                                               jint httpsPort) {
  std::u16string http;
  std::u16string https;
  bool httpNull = true;
  bool httpsNull = true;
  if (!copyText(env, httpHost, &http, &httpNull) || !copyText(env, httpsHost, &https, &httpsNull)) return JNI_FALSE;
  Quarvo::proxy::ProxyText text = Quarvo::proxy::proxyTextFor(httpNull ? nullptr : &http, httpPort,
                                                               httpsNull ? nullptr : &https, httpsPort);
  if (!text.accepted) return JNI_FALSE;
  return Quarvo::proxy::applyProxy(text) == 0 ? JNI_TRUE : JNI_FALSE;
}

JNIEXPORT jboolean JNICALL Java_jni_com_quarvo_os_windows_WinHomeUtils_isBrowserRunning(JNIEnv* env, jclass,
                                                                                       jstring user, jboolean) {
  std::u16string name;
  bool isNull = true;
  if (!copyText(env, user, &name, &isNull)) return JNI_FALSE;
  std::wstring wide(name.begin(), name.end());
  return Quarvo::isBrowserRunning(isNull ? nullptr : wide.c_str()) ? JNI_TRUE : JNI_FALSE;
}

JNIEXPORT jobject JNICALL Java_jni_com_quarvo_os_windows_WinHomeUtils_getFirefoxRegistryDirectories(JNIEnv* env,
                                                                                                   jclass) {
  Quarvo::JavaCollection set = Quarvo::newCollection(env, "java/util/HashSet", "add", "(Ljava/lang/Object;)Z");
  if (!set.ok()) return nullptr;
  for (const std::u16string& directory : Quarvo::firefoxDirectories()) {
    Quarvo::jni::JniLocalRef<jstring> text(
        env, env->NewString(reinterpret_cast<const jchar*>(directory.data()), static_cast<jsize>(directory.size())));
    if (!text) return nullptr;  // the VM's OutOfMemoryError goes to the service
    env->CallBooleanMethod(set.instance(), set.method(), text.get());
    if (env->ExceptionCheck()) return nullptr;
  }
  return set.release();
}

JNIEXPORT jstring JNICALL Java_jni_com_quarvo_os_windows_WinHomeUtils_getApplicationDisplayName(JNIEnv* env, jclass,
                                                                                               jstring path) {
  std::u16string text;
  bool isNull = true;
  if (!copyText(env, path, &text, &isNull) || isNull) return nullptr;
  std::wstring full(text.begin(), text.end());
  if (full.find(L'\0') != std::wstring::npos) return nullptr;
  std::size_t slash = full.find_last_of(L"\\/");
  std::wstring executable = slash == std::wstring::npos ? full : full.substr(slash + 1);
  wchar_t name[MAX_PATH];
  DWORD length = MAX_PATH;
  if (FAILED(AssocQueryStringW(ASSOCF_INIT_BYEXENAME, ASSOCSTR_FRIENDLYAPPNAME, executable.c_str(), nullptr, name,
                               &length))) {
    return nullptr;
  }
  std::size_t used = wcsnlen(name, MAX_PATH);
  return env->NewString(reinterpret_cast<const jchar*>(name), static_cast<jsize>(used));
}

JNIEXPORT jboolean JNICALL Java_jni_com_quarvo_os_windows_WinHomeUtils_isApplicationListingSupported(JNIEnv*, jclass) {
  return Quarvo::storeApplications() != nullptr ? JNI_TRUE : JNI_FALSE;
}

JNIEXPORT jboolean JNICALL Java_jni_com_quarvo_os_windows_WinHomeUtils_isPackageAvailable(JNIEnv* env, jclass,
                                                                                         jstring familyName) {
  Quarvo::ShellKit* shellKit = Quarvo::storeApplications();
  if (shellKit == nullptr || familyName == nullptr) return JNI_FALSE;
  Quarvo::ShellKit::PackageIsAvailableFn isAvailable = shellKit->packageIsAvailable();
  Quarvo::jni::JniText name(env, familyName);
  if (isAvailable == nullptr || !name.copied() || name.holdsNul()) return JNI_FALSE;
  return isAvailable(reinterpret_cast<const wchar_t*>(name.units())) ? JNI_TRUE : JNI_FALSE;
}

JNIEXPORT void JNICALL Java_jni_com_quarvo_os_windows_WinHomeUtils_getInstalledPackages(JNIEnv* env, jobject self,
                                                                                       jstring methodName,
                                                                                       jobject extra) {
  Quarvo::ShellKit* shellKit = Quarvo::storeApplications();
  if (shellKit == nullptr || methodName == nullptr) return;
  jmethodID method = packageCallback(env, self, methodName);
  if (method == nullptr) {
    env->ExceptionClear();  // ours replaces whatever the lookup raised
    Quarvo::jni::throwNew(env, "java/lang/IllegalArgumentException", "Invalid argument!");
    return;
  }
  Quarvo::ShellKit::PackageFindAllFn findAll = shellKit->packageFindAll();
  if (findAll == nullptr) return;
  PackageVisit visit{env, self, method, extra};
  auto callback = reinterpret_cast<void*>(&visitPackage);
  if (findAll(0, callback, &visit) || env->ExceptionCheck()) return;
  findAll(Quarvo::kPackageCurrentUserOnly, callback, &visit);
}

}  // extern "C"
