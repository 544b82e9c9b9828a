// The JNI host's own checks: what it must catch, count and fail on purpose. Its agreement with a
// real VM is JniFidelity_test.cpp's business.
#include <gtest/gtest.h>

#include <thread>

#include "jnihost/HostTest.h"
#include "jnihost/ModifiedUtf8.h"

namespace jnihost {
namespace {

using Native = void(JNICALL*)(JNIEnv*, jclass);

// Runs `body` as a static native of a test class, in its own frame.
void runNative(Native body) { Vm::instance().callStatic<void>(reinterpret_cast<void*>(body), "test/Natives"); }

class JniHostTest : public HostTest {
 protected:
  // Collects misuse instead of failing, for tests of the checks themselves.
  std::vector<std::string>& recordMisuse() {
    vm.setMisuseHandler([this](const std::string& what) { misuse_.push_back(what); });
    return misuse_;
  }
  std::vector<std::string> misuse_;
};

TEST(ModifiedUtf8, EncodesEachUnitAsTheVmDoes) {
  EXPECT_EQ(toModifiedUtf8(std::u16string{u'a', 0, u'b'}), std::string("a\xC0\x80" "b"));
  EXPECT_EQ(toModifiedUtf8(std::u16string{0xD83D, 0xDE00}), "\xED\xA0\xBD\xED\xB8\x80");
  EXPECT_EQ(toModifiedUtf8(std::u16string{0xD800}), "\xED\xA0\x80");
  EXPECT_EQ(toModifiedUtf8(u"\u00E9\u20AC"), "\xC3\xA9\xE2\x82\xAC");
}

TEST(ModifiedUtf8, DecodesLenientlyByteForByte) {
  EXPECT_EQ(fromModifiedUtf8("a\xC0\x80"), (std::u16string{u'a', 0}));
  EXPECT_EQ(fromModifiedUtf8("\xED\xA0\xBD\xED\xB8\x80"), (std::u16string{0xD83D, 0xDE00}));
  // Not modified UTF-8: a 4-byte form and bytes starting nothing stand for themselves.
  EXPECT_EQ(fromModifiedUtf8("\xF0\x9F\x98\x80"), (std::u16string{0xF0, 0x9F, 0x98, 0x80}));
  EXPECT_EQ(fromModifiedUtf8("\x80" "a\xC3"), (std::u16string{0x80, u'a', 0xC3}));
}

TEST(ModifiedUtf8, StandardUtf8RoundTripsSupplementaryCharacters) {
  std::u16string text{u'x', 0xD83D, 0xDE00, 0xE9};
  EXPECT_EQ(toUtf8(text), "x\xF0\x9F\x98\x80\xC3\xA9");
  EXPECT_EQ(fromUtf8(toUtf8(text)), text);
  EXPECT_EQ(toUtf8(std::u16string{0xDC00}), "\xEF\xBF\xBD");
}

TEST_F(JniHostTest, LocalsDieWithTheirFrameAndGlobalsAreCounted) {
  static jobject global = nullptr;
  runNative([](JNIEnv* env, jclass) {
    for (int i = 0; i < 5; ++i) env->NewStringUTF("x");
    EXPECT_EQ(Vm::instance().liveLocalRefs(), 6u);  // five strings and the class argument
    global = env->NewGlobalRef(env->NewStringUTF("kept"));
  });
  EXPECT_EQ(vm.liveLocalRefs(), 0u);
  EXPECT_EQ(vm.liveGlobalRefs(), 1u);
  runNative([](JNIEnv* env, jclass) {
    EXPECT_EQ(env->GetStringLength(static_cast<jstring>(global)), 4);
    env->DeleteGlobalRef(global);
  });
  EXPECT_EQ(vm.liveGlobalRefs(), 0u);
}

TEST_F(JniHostTest, UnreleasedCopiesAreCountedUntilReleased) {
  static jbyteArray array = nullptr;
  static jbyte* elems = nullptr;
  runNative([](JNIEnv* env, jclass) {
    array = static_cast<jbyteArray>(env->NewGlobalRef(env->NewByteArray(2)));
    elems = env->GetByteArrayElements(array, nullptr);
    elems[0] = 5;
  });
  EXPECT_EQ(vm.unreleasedCopies(), 1u);
  runNative([](JNIEnv* env, jclass) {
    env->ReleaseByteArrayElements(array, elems, JNI_COMMIT);  // copies back, keeps the copy
    EXPECT_EQ(Vm::instance().unreleasedCopies(), 1u);
    env->ReleaseByteArrayElements(array, elems, JNI_ABORT);
    jbyte first = 0;
    env->GetByteArrayRegion(array, 0, 1, &first);
    EXPECT_EQ(first, 5);
    env->DeleteGlobalRef(array);
  });
  EXPECT_EQ(vm.unreleasedCopies(), 0u);
}

TEST_F(JniHostTest, EachMisuseIsCaught) {
  std::vector<std::string>& misuse = recordMisuse();
  static jobject stale = nullptr;
  runNative([](JNIEnv* env, jclass) { stale = env->NewStringUTF("gone when the call returns"); });
  runNative([](JNIEnv* env, jclass) {
    env->GetStringLength(static_cast<jstring>(stale));
    jstring s = env->NewStringUTF("s");
    env->DeleteLocalRef(s);
    env->GetStringLength(s);
    env->ReleaseStringUTFChars(static_cast<jstring>(env->NewStringUTF("t")), "never got");
    env->DeleteGlobalRef(env->NewStringUTF("a local"));
    env->PopLocalFrame(nullptr);
    env->ThrowNew(env->FindClass("java/lang/IllegalStateException"), "pending");
    env->NewStringUTF("made with an exception pending");
    env->ExceptionClear();
    env->GetStringLength(nullptr);
  });
  std::vector<std::string> expected = {
      "GetStringLength given a stale local reference",
      "GetStringLength given a stale local reference",
      "ReleaseStringUTFChars given characters that were not got from this string",
      "DeleteGlobalRef given a local reference",
      "PopLocalFrame without a matching PushLocalFrame",
      "NewStringUTF called with an exception pending (java/lang/IllegalStateException)",
      "GetStringLength given a null string",
  };
  EXPECT_EQ(misuse, expected);
}

TEST_F(JniHostTest, ReferencesAndEnvironmentsBelongToTheirThread) {
  std::vector<std::string>& misuse = recordMisuse();
  static jobject local = nullptr;
  static JNIEnv* mainEnv = nullptr;
  runNative([](JNIEnv* env, jclass) {
    local = env->NewStringUTF("main's");
    mainEnv = env;
    std::thread([] {
      JNIEnv* env2 = nullptr;
      JavaVM* javaVm = Vm::instance().javaVm();
      ASSERT_EQ(javaVm->AttachCurrentThread(reinterpret_cast<void**>(&env2), nullptr), JNI_OK);
      env2->GetStringLength(static_cast<jstring>(local));
      mainEnv->NewStringUTF("on the wrong thread");
      javaVm->DetachCurrentThread();
    }).join();
  });
  ASSERT_EQ(misuse.size(), 2u);
  EXPECT_EQ(misuse[0], "GetStringLength given a local reference of another thread");
  EXPECT_EQ(misuse[1], "NewStringUTF called with the JNIEnv of another thread");
}

TEST_F(JniHostTest, ThreadsAttachAndDetach) {
  JavaVM* javaVm = vm.javaVm();
  std::thread([&] {
    void* env = &javaVm;
    EXPECT_EQ(javaVm->GetEnv(&env, JNI_VERSION_1_4), JNI_EDETACHED);
    EXPECT_EQ(env, nullptr);
    vm.failNextAttach();
    JNIEnv* attached = nullptr;
    EXPECT_EQ(javaVm->AttachCurrentThread(reinterpret_cast<void**>(&attached), nullptr), JNI_ERR);
    ASSERT_EQ(javaVm->AttachCurrentThread(reinterpret_cast<void**>(&attached), nullptr), JNI_OK);
    attached->NewStringUTF("lives until the thread detaches");
    EXPECT_EQ(vm.liveLocalRefs(), 1u);
    EXPECT_EQ(javaVm->GetEnv(&env, JNI_VERSION_1_4), JNI_OK);
    EXPECT_EQ(env, attached);
    EXPECT_EQ(javaVm->DetachCurrentThread(), JNI_OK);
    EXPECT_EQ(vm.liveLocalRefs(), 0u);
    EXPECT_EQ(javaVm->GetEnv(&env, JNI_VERSION_1_4), JNI_EDETACHED);
  }).join();
}

TEST_F(JniHostTest, TheNthAllocatingCallFailsAsTheVmDoes) {
  vm.failAllocationAt(3);
  runNative([](JNIEnv* env, jclass) {
    EXPECT_NE(env->NewStringUTF("first"), nullptr);
    jstring second = env->NewStringUTF("second");
    EXPECT_EQ(env->GetStringUTFChars(second, nullptr), nullptr);
    jthrowable oom = env->ExceptionOccurred();
    env->ExceptionClear();
    EXPECT_TRUE(env->IsInstanceOf(oom, env->FindClass("java/lang/OutOfMemoryError")));
    EXPECT_NE(env->NewByteArray(1), nullptr);
  });
  EXPECT_EQ(vm.allocatingCalls(), 4);
}

TEST_F(JniHostTest, TestClassesRunCallablesAndLogTheirCalls) {
  vm.defineClass("test/Listener")
      .method("accept", "(ILjava/lang/String;)Z",
              [](CallContext& c) { return Value::of(std::int64_t{c.args[0].number == 42 ? 1 : 0}); })
      .method("refuse", "()V", [](CallContext& c) {
        c.vm.throwNew("java/lang/IllegalStateException", "refused");
        return Value{};
      });
  Object* listener = vm.newInstance("test/Listener");
  vm.callInstance<void>(reinterpret_cast<void*>(+[](JNIEnv* env, jobject me) {
                          jclass cls = env->GetObjectClass(me);
                          jmethodID accept = env->GetMethodID(cls, "accept", "(ILjava/lang/String;)Z");
                          EXPECT_TRUE(env->CallBooleanMethod(me, accept, 42, env->NewStringUTF("n")));
                          EXPECT_FALSE(env->ExceptionCheck());
                          EXPECT_FALSE(env->CallBooleanMethod(me, accept, 7, nullptr));
                          EXPECT_FALSE(env->ExceptionCheck());
                          env->CallVoidMethod(me, env->GetMethodID(cls, "refuse", "()V"));
                        }),
                        listener);
  std::vector<CallRecord> calls = vm.calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].methodName, "accept");
  EXPECT_EQ(calls[0].thread, std::this_thread::get_id());
  EXPECT_EQ(vm.utf8(calls[0].args[1].object), "n");
  EXPECT_EQ(calls[1].args[1].object, nullptr);
  EXPECT_TRUE(calls[2].threw);
  Thrown left = thrown();
  EXPECT_EQ(left.className, "java/lang/IllegalStateException");
  EXPECT_EQ(left.message, "refused");
}

TEST_F(JniHostTest, MissingMethodsAndClassesAreReportedTheJvmWay) {
  vm.defineClass("test/Sparse").method("gone", "()V", [](CallContext&) { return Value{}; }).remove("gone", "()V");
  runNative([](JNIEnv* env, jclass) {
    EXPECT_EQ(env->GetMethodID(env->FindClass("test/Sparse"), "gone", "()V"), nullptr);
    env->ExceptionClear();
    EXPECT_EQ(env->FindClass("test/Unknown"), nullptr);
    EXPECT_TRUE(env->ExceptionCheck());
    env->ExceptionClear();
  });
}

TEST_F(JniHostTest, ADescriptorGivenToFindClassIsAcceptedWithAWarning) {
  vm.setWarningHandler(nullptr);
  runNative([](JNIEnv* env, jclass) {
    jclass cls = env->FindClass("Ljava/util/HashSet;");
    EXPECT_NE(env->GetMethodID(cls, "add", "(Ljava/lang/Object;)Z"), nullptr);
  });
  ASSERT_EQ(vm.warnings().size(), 1u);
  EXPECT_NE(vm.warnings()[0].find("Ljava/util/HashSet;"), std::string::npos);
}

TEST_F(JniHostTest, StandInCollectionsAreReadableByTests) {
  Object* made = vm.callStatic<Object*>(reinterpret_cast<void*>(+[](JNIEnv* env, jclass) -> jobject {
                                            jclass cls = env->FindClass("java/util/HashMap");
                                            jobject map = env->NewObject(cls, env->GetMethodID(cls, "<init>", "()V"));
                                            jmethodID put = env->GetMethodID(
                                                cls, "put", "(Ljava/lang/Object;Ljava/lang/Object;)Ljava/lang/Object;");
                                            env->CallObjectMethod(map, put, env->NewStringUTF("k"), env->NewStringUTF("v"));
                                            return map;
                                          }),
                                          "test/Natives");
  auto entries = vm.entries(made);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(vm.utf8(entries[0].first), "k");
  EXPECT_EQ(vm.utf8(entries[0].second), "v");
}

TEST_F(JniHostTest, LocalsBeyondTheFramesCapacityWarnLikeCheckJni) {
  vm.setWarningHandler(nullptr);
  runNative([](JNIEnv* env, jclass) {
    for (int i = 0; i < 40; ++i) env->NewStringUTF("leak in a loop");
  });
  ASSERT_EQ(vm.warnings().size(), 1u);
  EXPECT_EQ(vm.warnings()[0], "JNI local refs: 33, exceeds capacity: 16");
}

TEST_F(JniHostTest, ACallIntoJavaMustBeFollowedByAnExceptionCheck) {
  vm.setWarningHandler(nullptr);
  runNative([](JNIEnv* env, jclass) {
    jclass cls = env->FindClass("java/util/ArrayList");
    jobject list = env->NewObject(cls, env->GetMethodID(cls, "<init>", "()V"));
    jmethodID size = env->GetMethodID(cls, "size", "()I");
    env->CallIntMethod(list, size);
    env->ExceptionCheck();
    env->CallIntMethod(list, size);
    env->DeleteLocalRef(list);  // allowed before the check
    env->DeleteLocalRef(env->NewStringUTF("not allowed"));
  });
  std::vector<std::string> expected = {"JNI call made without checking exceptions when required to from CallIntMethodV"};
  EXPECT_EQ(vm.warnings(), expected);
}

using JniHostDeathTest = JniHostTest;

TEST_F(JniHostDeathTest, AnUnimplementedFunctionStopsNamingItself) {
  EXPECT_DEATH(runNative([](JNIEnv* env, jclass cls) { env->MonitorEnter(cls); }),
               "JNI function MonitorEnter is not implemented");
}

}  // namespace
}  // namespace jnihost
