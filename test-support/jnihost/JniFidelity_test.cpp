// The fidelity natives, run in the JNI host: the same checks JniFidelityTest runs in a real VM.
#include <gtest/gtest.h>

#include "jnihost/HostTest.h"

namespace jnihost {
namespace {

class JniFidelityTest : public HostTest {
 protected:
  std::string run(const char* name, Object* arg = nullptr) {
    void* fn = native(library(JNIHOST_FIDELITY_LIBRARY), std::string("Java_jni_com_quarvo_testsupport_JniFidelity_") + name);
    Object* failures = arg == nullptr ? vm.callStatic<Object*>(fn, kClass) : vm.callStatic<Object*>(fn, kClass, arg);
    return vm.utf8(failures);
  }
  static constexpr const char* kClass = "jni/com/quarvo/testsupport/JniFidelity";
};

TEST_F(JniFidelityTest, Strings) {
  std::u16string sample{u'a', 0, u'b', 0xD83D, 0xDE00, 0xD800, 0xE9, 0x20AC};
  EXPECT_EQ(run("strings", vm.newString(sample)), "");
}

TEST_F(JniFidelityTest, Arrays) {
  Object* bytes = vm.newByteArray({1, 2, 3});
  EXPECT_EQ(run("arrays", bytes), "");
  EXPECT_EQ(vm.bytes(bytes), (std::vector<std::uint8_t>{9, 2, 3}));
}

TEST_F(JniFidelityTest, Exceptions) { EXPECT_EQ(run("exceptions"), ""); }

TEST_F(JniFidelityTest, Collections) { EXPECT_EQ(run("collections"), ""); }

TEST_F(JniFidelityTest, References) { EXPECT_EQ(run("references"), ""); }

TEST_F(JniFidelityTest, Threads) { EXPECT_EQ(run("threads"), ""); }

}  // namespace
}  // namespace jnihost
