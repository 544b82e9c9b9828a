// sysbridge.dll driven as the service drives it: loaded by the test JNI host, natives found by
// their JNI names, results checked against the registry, files and system read directly.
#include <windows.h>

#include <gtest/gtest.h>
#include <iphlpapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <functional>
#include <string>
#include <vector>

#include "jnihost/HostTest.h"
#include "test_platform.h"

namespace {

using jnihost::Object;

constexpr const char* kRegistry = "jni/com/quarvo/os/windows/RegistryUtils";
constexpr const char* kWinSysKit = "jni/com/quarvo/os/windows/SysKit";
constexpr const char* kSysKit = "jni/com/quarvo/os/SysKit";
constexpr jint kHkcu = 3;
const std::u16string kTestKey = u"Software\\QuarvoSysbridgeTest";

HKEY rootKey(jint root) {
  switch (root) {
    case 1: return HKEY_CLASSES_ROOT;
    case 2: return HKEY_CURRENT_CONFIG;
    case 3: return HKEY_CURRENT_USER;
    case 4: return HKEY_LOCAL_MACHINE;
    default: return HKEY_USERS;
  }
}

const wchar_t* w(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

// Direct registry access, to check what the natives did and to set up what they read.
class Key {
 public:
  Key(HKEY root, const std::u16string& path, bool create) {
    LONG status = create ? RegCreateKeyExW(root, w(path), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr)
                         : RegOpenKeyExW(root, w(path), 0, KEY_ALL_ACCESS, &key_);
    if (status != ERROR_SUCCESS) key_ = nullptr;
  }
  ~Key() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;

  bool exists() const { return key_ != nullptr; }
  void set(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  }
  // The value's type and bytes; type REG_NONE and no bytes when it is missing.
  std::pair<DWORD, std::vector<uint8_t>> get(const wchar_t* name) const {
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (key_ == nullptr || RegQueryValueExW(key_, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
      return {REG_NONE, {}};
    }
    std::vector<uint8_t> data(size);
    RegQueryValueExW(key_, name, nullptr, &type, data.data(), &size);
    data.resize(size);
    return {type, data};
  }

 private:
  HKEY key_ = nullptr;
};

// A stored text without the terminator the registry may have kept: a caller that leaves it out
// still gets one stored when it follows the data in memory, as on Windows.
std::vector<uint8_t> storedText(std::vector<uint8_t> bytes) {
  if (bytes.size() >= 2 && bytes[bytes.size() - 1] == 0 && bytes[bytes.size() - 2] == 0) bytes.resize(bytes.size() - 2);
  return bytes;
}

std::vector<uint8_t> utf16Bytes(const std::u16string& text) {
  const auto* p = reinterpret_cast<const uint8_t*>(text.data());
  return std::vector<uint8_t>(p, p + text.size() * 2);
}

class SysBridgeTest : public jnihost::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    SHDeleteKeyW(HKEY_CURRENT_USER, w(kTestKey));
  }
  void TearDown() override {
    SHDeleteKeyW(HKEY_CURRENT_USER, w(kTestKey));
    HostTest::TearDown();
  }

  static void* fn(const std::string& cls, const std::string& name) {
    return native(library("sysbridge.dll"), "Java_jni_com_quarvo_os_" + cls + "_" + name);
  }
  Object* str(const std::u16string& s) { return vm.newString(s); }
  Object* key(const std::u16string& sub = u"") { return str(sub.empty() ? kTestKey : kTestKey + u"\\" + sub); }

  Object* getValue(jint root, Object* k, Object* n) {
    return vm.callStatic<Object*>(fn("windows_RegistryUtils", "getValue"), kRegistry, root, k, n);
  }
  jboolean setValue(jint root, Object* k, Object* n, Object* data) {
    return vm.callStatic<jboolean>(fn("windows_RegistryUtils", "setValue"), kRegistry, root, k, n, data);
  }
  Object* getStringValue(jint root, Object* k, Object* n) {
    return vm.callStatic<Object*>(fn("windows_RegistryUtils", "getStringValue"), kRegistry, root, k, n);
  }
  jboolean setStringValue(jint root, Object* k, Object* n, Object* value) {
    return vm.callStatic<jboolean>(fn("windows_RegistryUtils", "setStringValue"), kRegistry, root, k, n, value);
  }
  jint getIntegerValue(jint root, Object* k, Object* n) {
    return vm.callStatic<jint>(fn("windows_RegistryUtils", "getIntegerValue"), kRegistry, root, k, n);
  }
  jboolean setIntegerValue(jint root, Object* k, Object* n, jint value) {
    return vm.callStatic<jboolean>(fn("windows_RegistryUtils", "setIntegerValue"), kRegistry, root, k, n, value);
  }
  jboolean deleteValue(jint root, Object* k, Object* n) {
    return vm.callStatic<jboolean>(fn("windows_RegistryUtils", "deleteValue"), kRegistry, root, k, n);
  }
  jboolean deleteNode(jint root, Object* k) {
    return vm.callStatic<jboolean>(fn("windows_RegistryUtils", "deleteNode"), kRegistry, root, k);
  }
  Object* getSystemIdentifier() {
    return vm.callStatic<Object*>(fn("windows_SysKit", "getSystemIdentifier"), kWinSysKit);
  }
  Object* getTemporaryDirectory() {
    return vm.callStatic<Object*>(fn("windows_SysKit", "getTemporaryDirectory"), kWinSysKit);
  }
  Object* getApplicationSupportDirectory() {
    return vm.callStatic<Object*>(fn("windows_SysKit", "getApplicationSupportDirectory"), kWinSysKit);
  }
  void chmod(Object* path, jint mode) { vm.callStatic<void>(fn("SysKit", "chmod"), kSysKit, path, mode); }

  Key testKey(bool create = false) { return Key(HKEY_CURRENT_USER, kTestKey, create); }
};

TEST_F(SysBridgeTest, LoadsAsJni14AndExportsEveryNative) {
  EXPECT_EQ(library("sysbridge.dll").onLoad(), 0x10004);
  for (const char* name : {"getValue", "setValue", "getStringValue", "setStringValue", "getIntegerValue",
                           "setIntegerValue", "deleteValue", "deleteNode"}) {
    EXPECT_NE(library("sysbridge.dll").symbol(std::string("Java_jni_com_quarvo_os_windows_RegistryUtils_") + name),
              nullptr)
        << name;
  }
  for (const char* name : {"getSystemIdentifier", "getTemporaryDirectory", "getApplicationSupportDirectory"}) {
    EXPECT_NE(library("sysbridge.dll").symbol(std::string("Java_jni_com_quarvo_os_windows_SysKit_") + name), nullptr)
        << name;
  }
  EXPECT_NE(library("sysbridge.dll").symbol("Java_jni_com_quarvo_os_SysKit_chmod"), nullptr);
}

TEST_F(SysBridgeTest, RootsOutsideOneToFiveThrowAndTouchNothing) {
  for (jint root : {0, 6}) {
    auto expectInvalidRoot = [&](const char* call) {
      Thrown t = thrown();
      EXPECT_EQ(t.className, "java/lang/IllegalArgumentException") << call << " root " << root;
      EXPECT_EQ(t.message, "Invalid Root Key!") << call;
    };
    EXPECT_EQ(getValue(root, key(), str(u"v")), nullptr);
    expectInvalidRoot("getValue");
    EXPECT_FALSE(setValue(root, key(), str(u"v"), vm.newByteArray({1})));
    expectInvalidRoot("setValue");
    EXPECT_EQ(getStringValue(root, key(), str(u"v")), nullptr);
    expectInvalidRoot("getStringValue");
    EXPECT_FALSE(setStringValue(root, key(), str(u"v"), str(u"x")));
    expectInvalidRoot("setStringValue");
    EXPECT_EQ(getIntegerValue(root, key(), str(u"v")), -1);
    expectInvalidRoot("getIntegerValue");
    EXPECT_FALSE(setIntegerValue(root, key(), str(u"v"), 1));
    expectInvalidRoot("setIntegerValue");
    EXPECT_FALSE(deleteValue(root, key(), str(u"v")));
    expectInvalidRoot("deleteValue");
    EXPECT_FALSE(deleteNode(root, key()));
    expectInvalidRoot("deleteNode");
  }
  for (jint root = 1; root <= 5; ++root) EXPECT_FALSE(Key(rootKey(root), kTestKey, false).exists()) << root;
}

TEST_F(SysBridgeTest, EachRootLandsInItsOwnHive) {
  for (jint root = 1; root <= 5; ++root) {
    std::u16string path = root == 5 ? u".DEFAULT\\" + kTestKey : kTestKey;
    std::u16string text = u"root " + std::u16string(1, char16_t(u'0' + root));
    ASSERT_TRUE(setStringValue(root, str(path), str(u"v"), str(text))) << root;
    EXPECT_EQ(storedText(Key(rootKey(root), path, false).get(L"v").second), utf16Bytes(text)) << root;
    EXPECT_EQ(vm.text(getStringValue(root, str(path), str(u"v"))), text);
    EXPECT_TRUE(deleteNode(root, str(path)));
    EXPECT_FALSE(Key(rootKey(root), path, false).exists()) << root;
  }
}

TEST_F(SysBridgeTest, BinaryValuesRoundTripBelow1024Bytes) {
  std::vector<uint8_t> bytes(1023);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
  ASSERT_TRUE(setValue(kHkcu, key(), str(u"bin"), vm.newByteArray(bytes)));
  EXPECT_EQ(testKey().get(L"bin").first, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(vm.bytes(getValue(kHkcu, key(), str(u"bin"))), bytes);

  bytes.push_back(1);
  ASSERT_TRUE(setValue(kHkcu, key(), str(u"big"), vm.newByteArray(bytes)));
  EXPECT_EQ(getValue(kHkcu, key(), str(u"big")), nullptr);

  EXPECT_FALSE(setValue(kHkcu, key(), str(u"empty"), vm.newByteArray({})));
  EXPECT_FALSE(setValue(kHkcu, key(), str(u"null"), nullptr));
  EXPECT_EQ(testKey().get(L"empty").first, static_cast<DWORD>(REG_NONE));
  EXPECT_EQ(testKey().get(L"null").first, static_cast<DWORD>(REG_NONE));

  testKey().set(L"stored empty", REG_BINARY, "", 0);
  Object* empty = getValue(kHkcu, key(), str(u"stored empty"));
  ASSERT_NE(empty, nullptr);
  EXPECT_TRUE(vm.bytes(empty).empty());

  testKey().set(L"text", REG_SZ, L"abc", 8);
  EXPECT_EQ(getValue(kHkcu, key(), str(u"text")), nullptr);
  EXPECT_EQ(getValue(kHkcu, key(), str(u"missing")), nullptr);
}

TEST_F(SysBridgeTest, StringValuesRoundTripUnexpandedAndBeyondTheBmp) {
  std::u16string text{u'J', u'o', u's', 0xE9, u' ', 0xD83D, 0xDE00, u' ', u'%', u'P', u'A', u'T', u'H', u'%'};
  ASSERT_TRUE(setStringValue(kHkcu, key(u"a\\b"), str(u"s"), str(text)));
  auto stored = Key(HKEY_CURRENT_USER, kTestKey + u"\\a\\b", false).get(L"s");
  EXPECT_EQ(stored.first, static_cast<DWORD>(REG_SZ));
  // Written without a terminator: the registry may add one when it reads back.
  EXPECT_EQ(std::vector<uint8_t>(stored.second.begin(), stored.second.begin() + text.size() * 2), utf16Bytes(text));
  EXPECT_EQ(vm.text(getStringValue(kHkcu, key(u"a\\b"), str(u"s"))), text);

  testKey(true).set(L"expand", REG_EXPAND_SZ, L"%SystemRoot%\\x", 30);
  EXPECT_EQ(vm.utf8(getStringValue(kHkcu, key(), str(u"expand"))), "%SystemRoot%\\x");

  EXPECT_FALSE(setStringValue(kHkcu, key(), str(u"null"), nullptr));
  EXPECT_EQ(testKey().get(L"null").first, static_cast<DWORD>(REG_NONE));

  DWORD number = 5;
  testKey().set(L"dword", REG_DWORD, &number, 4);
  EXPECT_EQ(getStringValue(kHkcu, key(), str(u"dword")), nullptr);

  std::u16string big(512, u'x');
  testKey().set(L"big", REG_SZ, big.data(), 1024);
  EXPECT_EQ(getStringValue(kHkcu, key(), str(u"big")), nullptr);
}

TEST_F(SysBridgeTest, AStoredTextEndsAtItsFirstNulOrItsLastWholeUnit) {
  Key k = testKey(true);
  k.set(L"embedded", REG_SZ, L"ab\0cd", 10);
  EXPECT_EQ(vm.utf8(getStringValue(kHkcu, key(), str(u"embedded"))), "ab");

  // 1,023 bytes of text with no terminator: the reader must stop at the data's end.
  std::u16string full(512, u'q');
  k.set(L"unterminated", REG_SZ, full.data(), 1023);
  EXPECT_EQ(vm.text(getStringValue(kHkcu, key(), str(u"unterminated"))), std::u16string(511, u'q'));

  k.set(L"empty", REG_SZ, L"", 0);
  Object* empty = getStringValue(kHkcu, key(), str(u"empty"));
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(vm.text(empty), u"");
}

TEST_F(SysBridgeTest, IntegersReadAtMostFourBytes) {
  ASSERT_TRUE(setIntegerValue(kHkcu, key(), str(u"minus one"), -1));
  auto stored = testKey().get(L"minus one");
  EXPECT_EQ(stored.first, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(stored.second, (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(getIntegerValue(kHkcu, key(), str(u"minus one")), -1);
  ASSERT_TRUE(setIntegerValue(kHkcu, key(), str(u"big"), 0x7FFFFFFF));
  EXPECT_EQ(getIntegerValue(kHkcu, key(), str(u"big")), 0x7FFFFFFF);
  EXPECT_EQ(getIntegerValue(kHkcu, key(), str(u"missing")), -1);

  testKey().set(L"two", REG_BINARY, "\x34\x12", 2);
  EXPECT_EQ(getIntegerValue(kHkcu, key(), str(u"two")), 0x1234);
  testKey().set(L"five", REG_BINARY, "\x01\x02\x03\x04\x05", 5);
  EXPECT_EQ(getIntegerValue(kHkcu, key(), str(u"five")), -1);
}

TEST_F(SysBridgeTest, ANullNameIsTheDefaultValue) {
  ASSERT_TRUE(setStringValue(kHkcu, key(), nullptr, str(u"default")));
  EXPECT_EQ(storedText(testKey().get(nullptr).second), utf16Bytes(u"default"));
  EXPECT_EQ(vm.utf8(getStringValue(kHkcu, key(), nullptr)), "default");
  EXPECT_TRUE(deleteValue(kHkcu, key(), nullptr));
  EXPECT_EQ(testKey().get(nullptr).first, static_cast<DWORD>(REG_NONE));
  EXPECT_FALSE(deleteValue(kHkcu, key(), str(u"never there")));
  EXPECT_FALSE(deleteValue(kHkcu, key(u"no such key"), str(u"v")));
}

TEST_F(SysBridgeTest, ANullKeyPathTouchesNothingAndGivesTheFailureResult) {
  EXPECT_EQ(getValue(kHkcu, nullptr, str(u"v")), nullptr);
  EXPECT_FALSE(setValue(kHkcu, nullptr, str(u"v"), vm.newByteArray({1})));
  EXPECT_EQ(getStringValue(kHkcu, nullptr, str(u"v")), nullptr);
  EXPECT_FALSE(setStringValue(kHkcu, nullptr, str(u"v"), str(u"x")));
  EXPECT_EQ(getIntegerValue(kHkcu, nullptr, str(u"v")), -1);
  EXPECT_FALSE(setIntegerValue(kHkcu, nullptr, str(u"v"), 1));
  EXPECT_FALSE(deleteValue(kHkcu, nullptr, str(u"v")));
  EXPECT_FALSE(deleteNode(kHkcu, nullptr));
  // A null key path must not mean the root itself.
  EXPECT_EQ(Key(HKEY_CURRENT_USER, u"", false).get(L"v").first, static_cast<DWORD>(REG_NONE));
}

TEST_F(SysBridgeTest, AnEmbeddedNulNamesNothing) {
  ASSERT_TRUE(setStringValue(kHkcu, key(u"A"), str(u"v"), str(u"kept")));
  std::u16string withNul = kTestKey + u"\\A";
  withNul += u'\0';
  withNul += u"x";
  EXPECT_FALSE(deleteNode(kHkcu, str(withNul)));
  EXPECT_TRUE(Key(HKEY_CURRENT_USER, kTestKey + u"\\A", false).exists());
  EXPECT_EQ(getStringValue(kHkcu, str(withNul), str(u"v")), nullptr);
  EXPECT_EQ(getIntegerValue(kHkcu, str(withNul), str(u"v")), -1);
  EXPECT_FALSE(deleteValue(kHkcu, str(withNul), str(u"v")));

  std::u16string nameWithNul{u'v', 0, u'x'};
  EXPECT_FALSE(setStringValue(kHkcu, key(u"A"), str(nameWithNul), str(u"overwritten")));
  EXPECT_FALSE(setIntegerValue(kHkcu, key(u"A"), str(nameWithNul), 7));
  EXPECT_FALSE(setValue(kHkcu, key(u"A"), str(nameWithNul), vm.newByteArray({7})));
  EXPECT_FALSE(deleteValue(kHkcu, key(u"A"), str(nameWithNul)));
  EXPECT_EQ(getValue(kHkcu, key(u"A"), str(nameWithNul)), nullptr);
  EXPECT_EQ(vm.utf8(getStringValue(kHkcu, key(u"A"), str(u"v"))), "kept");
}

TEST_F(SysBridgeTest, DeleteNodeTakesTheWholeTreeAndNothingBeside) {
  EXPECT_TRUE(deleteNode(kHkcu, key(u"missing")));
  std::u16string level = u"tree";
  for (int depth = 0; depth < 4; ++depth) {
    for (size_t length = 1; length <= 255; length += 127) {
      std::u16string sibling = level + u"\\" + std::u16string(length, char16_t(u'a' + depth));
      ASSERT_TRUE(setIntegerValue(kHkcu, key(sibling), str(u"n"), depth));
    }
    level += u"\\level";
    ASSERT_TRUE(setStringValue(kHkcu, key(level), str(u"v"), str(u"deep")));
  }
  ASSERT_TRUE(setStringValue(kHkcu, key(u"treeSibling"), str(u"v"), str(u"stays")));
  ASSERT_TRUE(setStringValue(kHkcu, key(), str(u"v"), str(u"parent value")));

  EXPECT_TRUE(deleteNode(kHkcu, key(u"tree\\")));
  EXPECT_FALSE(Key(HKEY_CURRENT_USER, kTestKey + u"\\tree", false).exists());
  EXPECT_EQ(vm.utf8(getStringValue(kHkcu, key(u"treeSibling"), str(u"v"))), "stays");
  EXPECT_EQ(vm.utf8(getStringValue(kHkcu, key(), str(u"v"))), "parent value");
}

TEST_F(SysBridgeTest, DirectoriesAreTheSystemsOwn) {
  wchar_t temp[MAX_PATH + 1];
  DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(vm.text(getTemporaryDirectory()), std::u16string(reinterpret_cast<char16_t*>(temp), length));
  EXPECT_EQ(vm.text(getTemporaryDirectory()).back(), u'\\');

  wchar_t common[MAX_PATH];
  ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common), S_OK);
  EXPECT_EQ(vm.text(getApplicationSupportDirectory()), std::u16string(reinterpret_cast<char16_t*>(common)));
}

TEST_F(SysBridgeTest, TheIdentifierIsTheFirstAdaptersAddress) {
  std::vector<uint8_t> buffer(16384);
  ULONG size = static_cast<ULONG>(buffer.size());
  auto* adapters = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
  if (GetAdaptersInfo(adapters, &size) != ERROR_SUCCESS) GTEST_SKIP() << "this machine has no network adapter";
  std::vector<uint8_t> expected(adapters->Address, adapters->Address + 6);
  Object* first = getSystemIdentifier();
  EXPECT_EQ(vm.bytes(first), expected);
  EXPECT_EQ(vm.bytes(getSystemIdentifier()), expected);
}

TEST_F(SysBridgeTest, ChmodFlipsTheReadOnlyAttributeOnAnyPath) {
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  for (std::u16string name : {std::u16string(u"plain.txt"), std::u16string(u"Jos\u00E9 \u4E2D.txt")}) {
    std::u16string path = reinterpret_cast<char16_t*>(temp) + name;
    HANDLE file = CreateFileW(w(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    chmod(str(path), 0444);
    EXPECT_TRUE(GetFileAttributesW(w(path)) & FILE_ATTRIBUTE_READONLY) << vm.utf8(str(path));
    chmod(str(path), 0644);
    EXPECT_FALSE(GetFileAttributesW(w(path)) & FILE_ATTRIBUTE_READONLY);

    std::u16string withNul = path;
    withNul += u'\0';
    withNul += u"x";
    chmod(str(withNul), 0444);
    EXPECT_FALSE(GetFileAttributesW(w(path)) & FILE_ATTRIBUTE_READONLY) << "a path with U+0000 names nothing";
    chmod(nullptr, 0444);
    DeleteFileW(w(path));
  }
}

// Every native on its success and failure paths, many times: nothing left unreleased (the
// fixture checks references and copies) and no handle kept.
TEST_F(SysBridgeTest, NothingLeaksOnAnyPath) {
  auto everything = [&] {
    setStringValue(kHkcu, key(u"leak"), str(u"s"), str(u"text"));
    getStringValue(kHkcu, key(u"leak"), str(u"s"));
    getStringValue(kHkcu, key(u"none"), str(u"s"));
    setValue(kHkcu, key(u"leak"), str(u"b"), vm.newByteArray({1, 2, 3}));
    getValue(kHkcu, key(u"leak"), str(u"b"));
    getValue(kHkcu, key(u"leak"), str(u"s"));
    setIntegerValue(kHkcu, key(u"leak"), str(u"i"), 3);
    getIntegerValue(kHkcu, key(u"leak"), str(u"i"));
    getIntegerValue(kHkcu, key(u"leak"), str(u"s"));
    deleteValue(kHkcu, key(u"leak"), str(u"i"));
    deleteValue(kHkcu, key(u"leak"), str(u"i"));
    getValue(0, key(), str(u"v"));
    thrown();
    deleteNode(kHkcu, key(u"leak"));
    deleteNode(kHkcu, key(u"leak"));
    getSystemIdentifier();
    getTemporaryDirectory();
    getApplicationSupportDirectory();
    chmod(str(u"C:\\no\\such\\file"), 0444);
  };
  everything();
  std::size_t handlesBefore = CXX::testing::openHandleCount();
  for (int i = 0; i < 200; ++i) everything();
  EXPECT_EQ(CXX::testing::openHandleCount(), handlesBefore);
}

// The n-th JNI allocation fails, for every n a call makes: the call gives its failure result,
// leaves the VM's OutOfMemoryError to its caller and makes no JNI call after it (the host's
// misuse check) beyond releases.
TEST_F(SysBridgeTest, InjectedAllocationFailuresGiveTheFailureResult) {
  struct Case {
    const char* name;
    std::function<bool()> failed;  // true when the call gave its failure result
  };
  std::vector<Case> cases = {
      {"getValue", [this] { return getValue(kHkcu, key(u"oom"), str(u"b")) == nullptr; }},
      {"setValue",
       [this] { return !setValue(kHkcu, key(u"oom"), str(u"b2"), vm.newByteArray({1})); }},
      {"getStringValue",
       [this] { return getStringValue(kHkcu, key(u"oom"), str(u"s")) == nullptr; }},
      {"setStringValue",
       [this] { return !setStringValue(kHkcu, key(u"oom"), str(u"s2"), str(u"x")); }},
      {"getIntegerValue", [this] { return getIntegerValue(kHkcu, key(u"oom"), str(u"i")) == -1; }},
      {"setIntegerValue",
       [this] { return !setIntegerValue(kHkcu, key(u"oom"), str(u"i2"), 2); }},
      {"deleteValue", [this] { return !deleteValue(kHkcu, key(u"oom"), str(u"s")); }},
      {"deleteNode", [this] { return !deleteNode(kHkcu, key(u"oom\\child")); }},
      {"getSystemIdentifier", [this] { return getSystemIdentifier() == nullptr; }},
      {"getTemporaryDirectory", [this] { return getTemporaryDirectory() == nullptr; }},
      {"getApplicationSupportDirectory",
       [this] { return getApplicationSupportDirectory() == nullptr; }},
  };
  for (const Case& c : cases) {
    for (int n = 1;; ++n) {
      ASSERT_TRUE(setStringValue(kHkcu, key(u"oom"), str(u"s"), str(u"text")));
      ASSERT_TRUE(setValue(kHkcu, key(u"oom"), str(u"b"), vm.newByteArray({1, 2})));
      ASSERT_TRUE(setIntegerValue(kHkcu, key(u"oom"), str(u"i"), 1));
      ASSERT_TRUE(setIntegerValue(kHkcu, key(u"oom\\child"), str(u"i"), 1));
      vm.reset();
      vm.failAllocationAt(n);
      bool failed = c.failed();
      bool injected = vm.allocatingCalls() >= n;
      vm.failAllocationAt(0);
      Thrown t = thrown();
      if (!injected) {
        EXPECT_EQ(t.className, "") << c.name;
        break;
      }
      EXPECT_TRUE(failed) << c.name << " at allocation " << n;
      EXPECT_EQ(t.className, "java/lang/OutOfMemoryError") << c.name << " at allocation " << n;
    }
  }
}

}  // namespace
