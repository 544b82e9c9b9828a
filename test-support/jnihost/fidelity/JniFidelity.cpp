// Natives of jni.com.quarvo.testsupport.JniFidelity: JNI behaviour our natives rely on, checked
// from the native side. Loaded by a real VM and by the test JNI host, each must pass them all.
#include <jni.h>

#include "jni_com_quarvo_testsupport_JniFidelity.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

class Checks {
 public:
  explicit Checks(JNIEnv* env) : env_(env) {}

  void expect(bool ok, const std::string& what) {
    if (!ok) failures_ += what + "\n";
  }
  void expectEqual(long long got, long long want, const std::string& what) {
    expect(got == want, what + ": expected " + std::to_string(want) + ", got " + std::to_string(got));
  }
  // Clears the pending exception and checks its class.
  void expectThrown(const char* className, const std::string& what) {
    jthrowable thrown = env_->ExceptionOccurred();
    if (thrown == nullptr) {
      expect(false, what + ": nothing thrown");
      return;
    }
    env_->ExceptionClear();
    jclass expected = env_->FindClass(className);
    expect(expected != nullptr && env_->IsInstanceOf(thrown, expected), what + ": not a " + className);
    env_->DeleteLocalRef(expected);
    env_->DeleteLocalRef(thrown);
  }
  jstring result() { return env_->NewStringUTF(failures_.c_str()); }

 private:
  JNIEnv* env_;
  std::string failures_;
};

std::string hex(const char* bytes) {
  std::string out;
  char part[4];
  for (const char* p = bytes; *p != 0; ++p) {
    std::snprintf(part, sizeof part, "%02X", static_cast<unsigned char>(*p));
    out += part;
  }
  return out;
}

// The UTF-16 units of a string made from modified UTF-8 bytes.
std::vector<jchar> unitsOf(JNIEnv* env, const char* bytes) {
  jstring s = env->NewStringUTF(bytes);
  std::vector<jchar> units(static_cast<std::size_t>(env->GetStringLength(s)));
  if (!units.empty()) env->GetStringRegion(s, 0, static_cast<jsize>(units.size()), units.data());
  env->DeleteLocalRef(s);
  return units;
}

void checkUtfOut(Checks& c, JNIEnv* env, jstring sample) {
  c.expectEqual(env->GetStringLength(sample), 8, "GetStringLength");
  c.expectEqual(env->GetStringUTFLength(sample), 18, "GetStringUTFLength");
  const char* utf = env->GetStringUTFChars(sample, nullptr);
  c.expect(hex(utf) == "61C08062EDA0BDEDB880EDA080C3A9E282AC", "GetStringUTFChars gave " + hex(utf));
  env->ReleaseStringUTFChars(sample, utf);
  char region[16] = {};
  env->GetStringUTFRegion(sample, 3, 2, region);
  c.expect(hex(region) == "EDA0BDEDB880", "GetStringUTFRegion gave " + hex(region));
  jchar units[2] = {};
  env->GetStringRegion(sample, 1, 2, units);
  c.expect(units[0] == 0 && units[1] == 'b', "GetStringRegion(1, 2)");
  env->GetStringRegion(sample, 7, 2, units);
  c.expectThrown("java/lang/StringIndexOutOfBoundsException", "GetStringRegion past the end");
  const jchar* chars = env->GetStringChars(sample, nullptr);
  jstring copy = env->NewString(chars, env->GetStringLength(sample));
  env->ReleaseStringChars(sample, chars);
  const char* copyUtf = env->GetStringUTFChars(copy, nullptr);
  c.expect(hex(copyUtf) == "61C08062EDA0BDEDB880EDA080C3A9E282AC", "NewString round trip");
  env->ReleaseStringUTFChars(copy, copyUtf);
  env->DeleteLocalRef(copy);
}

void checkUtfIn(Checks& c, JNIEnv* env) {
  c.expect(unitsOf(env, "\xC0\x80") == std::vector<jchar>{0}, "C0 80 reads as U+0000");
  c.expect(unitsOf(env, "\xED\xA0\xBD\xED\xB8\x80") == std::vector<jchar>{0xD83D, 0xDE00},
           "surrogate halves read as two units");
  c.expect(unitsOf(env, "x\xC3\xA9\xE2\x82\xAC") == std::vector<jchar>{'x', 0xE9, 0x20AC}, "2- and 3-byte forms");
}

jclass find(JNIEnv* env, const char* name) { return env->FindClass(name); }

// Calls into Java, each followed by the exception check -Xcheck:jni insists on.
bool callBoolean(JNIEnv* env, jobject o, jmethodID m, jobject arg) {
  jboolean result = env->CallBooleanMethod(o, m, arg);
  return !env->ExceptionCheck() && result;
}

jint callInt(JNIEnv* env, jobject o, jmethodID m) {
  jint result = env->CallIntMethod(o, m);
  return env->ExceptionCheck() ? -1 : result;
}

jobject callObject(JNIEnv* env, jobject o, jmethodID m, jobject first, jobject second) {
  jobject result = env->CallObjectMethod(o, m, first, second);
  return env->ExceptionCheck() ? nullptr : result;
}

}  // namespace

extern "C" {

JNIEXPORT jstring JNICALL Java_jni_com_quarvo_testsupport_JniFidelity_strings(JNIEnv* env, jclass, jstring sample) {
  Checks c(env);
  checkUtfOut(c, env, sample);
  checkUtfIn(c, env);
  c.expect(env->NewStringUTF(nullptr) == nullptr, "NewStringUTF(null) is null");
  return c.result();
}

JNIEXPORT jstring JNICALL Java_jni_com_quarvo_testsupport_JniFidelity_arrays(JNIEnv* env, jclass, jbyteArray bytes) {
  Checks c(env);
  c.expectEqual(env->GetArrayLength(bytes), 3, "GetArrayLength");
  jbyte* elems = env->GetByteArrayElements(bytes, nullptr);
  elems[1] = 7;
  env->ReleaseByteArrayElements(bytes, elems, JNI_ABORT);
  elems = env->GetByteArrayElements(bytes, nullptr);
  elems[0] = 9;
  env->ReleaseByteArrayElements(bytes, elems, 0);
  jbyte first[2] = {};
  env->GetByteArrayRegion(bytes, 0, 2, first);
  c.expect(first[0] == 9 && first[1] == 2, "release modes: mode 0 copies back, JNI_ABORT does not");
  env->GetByteArrayRegion(bytes, 2, 2, first);
  c.expectThrown("java/lang/ArrayIndexOutOfBoundsException", "GetByteArrayRegion past the end");
  env->SetByteArrayRegion(bytes, -1, 1, first);
  c.expectThrown("java/lang/ArrayIndexOutOfBoundsException", "SetByteArrayRegion before the start");
  jbyteArray empty = env->NewByteArray(0);
  c.expect(empty != nullptr && env->GetArrayLength(empty) == 0, "NewByteArray(0)");
  jbyte* none = env->GetByteArrayElements(empty, nullptr);
  c.expect(none != nullptr, "elements of an empty array are not null");
  env->ReleaseByteArrayElements(empty, none, JNI_ABORT);
  env->DeleteLocalRef(empty);
  return c.result();
}

JNIEXPORT jstring JNICALL Java_jni_com_quarvo_testsupport_JniFidelity_exceptions(JNIEnv* env, jclass) {
  Checks c(env);
  jclass illegal = find(env, "java/lang/IllegalArgumentException");
  c.expectEqual(env->ThrowNew(illegal, "bad root"), 0, "ThrowNew");
  c.expect(env->ExceptionCheck(), "ExceptionCheck after ThrowNew");
  jthrowable thrown = env->ExceptionOccurred();
  env->ExceptionClear();
  c.expect(!env->ExceptionCheck(), "ExceptionCheck after ExceptionClear");
  jclass runtime = find(env, "java/lang/RuntimeException");
  c.expect(env->IsInstanceOf(thrown, runtime), "an IllegalArgumentException is a RuntimeException");
  jclass throwable = find(env, "java/lang/Throwable");
  jmethodID getMessage = env->GetMethodID(throwable, "getMessage", "()Ljava/lang/String;");
  auto message = static_cast<jstring>(env->CallObjectMethod(thrown, getMessage));
  c.expect(!env->ExceptionCheck(), "getMessage threw");
  const char* text = message == nullptr ? nullptr : env->GetStringUTFChars(message, nullptr);
  c.expect(text != nullptr && std::strcmp(text, "bad root") == 0, "the message ThrowNew gave");
  if (text != nullptr) env->ReleaseStringUTFChars(message, text);

  env->Throw(thrown);
  jthrowable again = env->ExceptionOccurred();
  env->ExceptionClear();
  c.expect(env->IsSameObject(again, thrown), "Throw makes that very object pending");

  c.expect(env->GetMethodID(runtime, "noSuchMethod", "()V") == nullptr, "GetMethodID of a missing method");
  c.expectThrown("java/lang/NoSuchMethodError", "GetMethodID of a missing method");
  c.expect(find(env, "no/such/Clazz") == nullptr, "FindClass of a missing class");
  c.expectThrown("java/lang/NoClassDefFoundError", "FindClass of a missing class");
  for (jobject ref : {static_cast<jobject>(illegal), static_cast<jobject>(thrown), static_cast<jobject>(runtime),
                      static_cast<jobject>(throwable), static_cast<jobject>(message), static_cast<jobject>(again)}) {
    env->DeleteLocalRef(ref);
  }
  return c.result();
}

JNIEXPORT jstring JNICALL Java_jni_com_quarvo_testsupport_JniFidelity_collections(JNIEnv* env, jclass) {
  Checks c(env);
  jclass setClass = find(env, "java/util/HashSet");
  jobject set = env->NewObject(setClass, env->GetMethodID(setClass, "<init>", "()V"));
  jmethodID add = env->GetMethodID(setClass, "add", "(Ljava/lang/Object;)Z");
  jstring a = env->NewStringUTF("a");
  jstring otherA = env->NewStringUTF("a");
  jstring b = env->NewStringUTF("b");
  c.expect(callBoolean(env, set, add, a), "HashSet.add of a new element");
  c.expect(!callBoolean(env, set, add, otherA), "HashSet.add of an equal string");
  c.expect(callBoolean(env, set, add, b), "HashSet.add of another element");
  c.expectEqual(callInt(env, set, env->GetMethodID(setClass, "size", "()I")), 2, "HashSet.size");

  jclass listClass = find(env, "java/util/ArrayList");
  jobject list = env->NewObject(listClass, env->GetMethodID(listClass, "<init>", "()V"));
  jmethodID listAdd = env->GetMethodID(listClass, "add", "(Ljava/lang/Object;)Z");
  c.expect(callBoolean(env, list, listAdd, a) && callBoolean(env, list, listAdd, otherA), "ArrayList.add");
  c.expectEqual(callInt(env, list, env->GetMethodID(listClass, "size", "()I")), 2, "ArrayList.size");

  jclass mapClass = find(env, "java/util/HashMap");
  jobject map = env->NewObject(mapClass, env->GetMethodID(mapClass, "<init>", "()V"));
  jmethodID put = env->GetMethodID(mapClass, "put", "(Ljava/lang/Object;Ljava/lang/Object;)Ljava/lang/Object;");
  c.expect(callObject(env, map, put, a, b) == nullptr, "HashMap.put of a new key");
  jobject previous = callObject(env, map, put, otherA, a);
  c.expect(env->IsSameObject(previous, b), "HashMap.put of an equal key gives the previous value");
  c.expectEqual(callInt(env, map, env->GetMethodID(mapClass, "size", "()I")), 1, "HashMap.size");
  for (jobject ref : {static_cast<jobject>(setClass), set, static_cast<jobject>(a), static_cast<jobject>(otherA),
                      static_cast<jobject>(b), static_cast<jobject>(listClass), list, static_cast<jobject>(mapClass),
                      map, previous}) {
    env->DeleteLocalRef(ref);
  }
  return c.result();
}

JNIEXPORT jstring JNICALL Java_jni_com_quarvo_testsupport_JniFidelity_references(JNIEnv* env, jclass) {
  Checks c(env);
  c.expectEqual(env->PushLocalFrame(4), 0, "PushLocalFrame");
  jstring inner = env->NewStringUTF("inner");
  auto kept = static_cast<jstring>(env->PopLocalFrame(inner));
  c.expect(kept != nullptr && env->GetStringLength(kept) == 5, "PopLocalFrame keeps its result");
  c.expectEqual(env->GetObjectRefType(kept), JNILocalRefType, "a local's type");
  jobject global = env->NewGlobalRef(kept);
  c.expectEqual(env->GetObjectRefType(global), JNIGlobalRefType, "a global's type");
  c.expect(env->IsSameObject(global, kept), "a global and its local are the same object");
  env->DeleteGlobalRef(global);
  jobject local = env->NewLocalRef(kept);
  c.expect(env->IsSameObject(local, kept), "NewLocalRef");
  env->DeleteLocalRef(local);
  env->DeleteLocalRef(kept);
  c.expectEqual(env->EnsureLocalCapacity(100), 0, "EnsureLocalCapacity");
  c.expect(env->IsSameObject(nullptr, nullptr), "null is null");
  return c.result();
}

JNIEXPORT jstring JNICALL Java_jni_com_quarvo_testsupport_JniFidelity_threads(JNIEnv* env, jclass) {
  Checks c(env);
  JavaVM* vm = nullptr;
  c.expectEqual(env->GetJavaVM(&vm), 0, "GetJavaVM");
  void* mine = nullptr;
  c.expect(vm->GetEnv(&mine, JNI_VERSION_1_4) == JNI_OK && mine == env, "GetEnv on the calling thread");
  std::string failures;
  std::thread worker([&] {
    void* before = &failures;
    jint detached = vm->GetEnv(&before, JNI_VERSION_1_4);
    if (detached != JNI_EDETACHED || before != nullptr) failures += "GetEnv before attaching\n";
    JNIEnv* other = nullptr;
    if (vm->AttachCurrentThread(reinterpret_cast<void**>(&other), nullptr) != JNI_OK || other == nullptr) {
      failures += "AttachCurrentThread\n";
      return;
    }
    void* after = nullptr;
    if (vm->GetEnv(&after, JNI_VERSION_1_4) != JNI_OK || after != other || other == env) failures += "GetEnv attached\n";
    if (other->NewStringUTF("worker") == nullptr) failures += "NewStringUTF on an attached thread\n";
    if (vm->DetachCurrentThread() != JNI_OK) failures += "DetachCurrentThread\n";
    if (vm->GetEnv(&after, JNI_VERSION_1_4) != JNI_EDETACHED) failures += "GetEnv after detaching\n";
  });
  worker.join();
  c.expect(failures.empty(), failures);
  return c.result();
}

}  // extern "C"
