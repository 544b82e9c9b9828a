// The account map against the test JNI host: what reaches Java, what is left out, and that a
// failing VM (out of memory, a throwing put) stops the filling with its exception pending and
// no reference left behind.
#include "UserNameMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "jnihost/HostTest.h"

namespace {

using jnihost::CallContext;
using jnihost::Object;
using jnihost::Value;
using Quarvo::UserAccount;

constexpr const char* kPut = "(Ljava/lang/Object;Ljava/lang/Object;)Ljava/lang/Object;";

// Stands in for the account filter: hides "svc" only, so the map code alone decides the rest.
bool hidesSvc(const char16_t* login, std::size_t length) { return std::u16string(login, length) == u"svc"; }

class UserNameMapTest : public jnihost::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    vm.defineClass("java/lang/ReflectiveOperationException", "java/lang/Exception");
    vm.defineClass("java/lang/InstantiationException", "java/lang/ReflectiveOperationException");
  }

  // newUserNameMap called from inside a native: the map as Java would see it (null when none).
  Object* mapOf(const std::vector<UserAccount>& accounts) {
    jnihost::Vm::NativeFrame frame(vm);
    return frame.resolve(Quarvo::newUserNameMap(frame.env(), accounts, hidesSvc));
  }

  std::vector<std::pair<std::string, std::string>> entriesOf(Object* map) {
    std::vector<std::pair<std::string, std::string>> out;
    for (auto& [key, value] : vm.entries(map)) out.emplace_back(vm.utf8(key), vm.utf8(value));
    return out;
  }
};

using Entries = std::vector<std::pair<std::string, std::string>>;

TEST_F(UserNameMapTest, MapsLoginsToFullNamesInListOrder) {
  Object* map = mapOf({{u"root", u"Root User"}, {u"Asp", u""}, {u"A", u"Anna"}, {u"b\u00e9", u"B\u00e9a"}});
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(vm.className(map), "java/util/HashMap");
  EXPECT_EQ(entriesOf(map), (Entries{{"root", "Root User"}, {"Asp", "Asp"}, {"A", "Anna"}, {"b\xc3\xa9", "B\xc3\xa9" "a"}}));
}

TEST_F(UserNameMapTest, StripsTrailingZerosAndSkipsEmptyAndHiddenLogins) {
  Object* map = mapOf({{std::u16string(u"anna\0\0", 6), std::u16string(u"Anna K\0", 7)},
                       {std::u16string(u"\0", 1), u"Nobody"},
                       {u"", u"Empty"},
                       {std::u16string(u"svc\0", 4), u"Service"},
                       {u"svc2", std::u16string(u"\0\0", 2)},
                       {std::u16string(u"a\0b", 3), u""}});
  ASSERT_NE(map, nullptr);
  std::vector<std::pair<Object*, Object*>> entries = vm.entries(map);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(vm.text(entries[0].first), u"anna");
  EXPECT_EQ(vm.text(entries[0].second), u"Anna K");
  EXPECT_EQ(vm.text(entries[1].first), u"svc2");
  EXPECT_EQ(entries[1].second, entries[1].first) << "a full name of zeros is no full name";
  EXPECT_EQ(vm.text(entries[2].first), std::u16string(u"a\0b", 3)) << "only trailing zeros go";
}

TEST_F(UserNameMapTest, AnEmptyListGivesAnEmptyMap) {
  Object* map = mapOf({});
  ASSERT_NE(map, nullptr);
  EXPECT_TRUE(vm.entries(map).empty());
}

TEST_F(UserNameMapTest, EveryAllocationFailureGivesNullWithTheExceptionPending) {
  const std::vector<UserAccount> accounts = {{u"root", u""}, {u"anna", u"Anna"}, {u"svc", u"S"}, {u"bo", u"Bo"}};
  ASSERT_NE(mapOf(accounts), nullptr);
  const int allocations = vm.allocatingCalls();
  ASSERT_EQ(allocations, 1 + 1 + 2 + 2) << "map, root, anna and her name, bo and his name";
  for (int n = 1; n <= allocations; ++n) {
    SCOPED_TRACE(n);
    vm.reset();
    vm.failAllocationAt(n);
    EXPECT_EQ(mapOf(accounts), nullptr);
    Thrown e = thrown();
    EXPECT_EQ(e.className, n == 1 ? "java/lang/InstantiationException" : "java/lang/OutOfMemoryError");
  }
}

class RecordingMapTest : public UserNameMapTest {
 protected:
  static Value none(CallContext&) { return Value{}; }

  // putUserNames into a test map whose put runs `body`; false when the filling stopped.
  bool fill(const char* mapClass, const std::vector<UserAccount>& accounts) {
    jnihost::Vm::NativeFrame frame(vm);
    Quarvo::JavaCollection map = Quarvo::newCollection(frame.env(), mapClass, "put", kPut);
    EXPECT_TRUE(map.ok());
    if (!map.ok()) return false;
    return Quarvo::putUserNames(frame.env(), map, accounts, hidesSvc);
  }
  std::size_t puts() {
    std::vector<jnihost::CallRecord> calls = vm.calls();
    return static_cast<std::size_t>(
        std::count_if(calls.begin(), calls.end(), [](const jnihost::CallRecord& c) { return c.methodName == "put"; }));
  }
};

TEST_F(RecordingMapTest, AThrowingPutEndsTheFillingWithItsExceptionPending) {
  vm.defineClass("test/FullMap").method("<init>", "()V", none).method("put", kPut, [](CallContext& c) {
    c.vm.throwNew("java/lang/IllegalStateException", "map full");
    return Value{};
  });
  EXPECT_FALSE(fill("test/FullMap", {{u"a", u""}, {u"b", u""}, {u"c", u""}}));
  EXPECT_EQ(puts(), 1u);
  Thrown e = thrown();
  EXPECT_EQ(e.className, "java/lang/IllegalStateException");
  EXPECT_EQ(e.message, "map full");
}

TEST_F(RecordingMapTest, ManyAccountsKeepLocalReferencesBounded) {
  static std::size_t mostLocals;
  mostLocals = 0;
  vm.defineClass("test/CountingMap").method("<init>", "()V", none).method("put", kPut, [](CallContext& c) {
    mostLocals = std::max(mostLocals, c.vm.liveLocalRefs());
    return Value::of(c.args[0].object);  // a previous value: one more local for the caller
  });
  std::vector<UserAccount> accounts;
  for (int i = 0; i < 500; ++i) accounts.push_back({u"user" + std::u16string(1, char16_t(u'A' + i % 26)), u"Name"});
  const std::size_t before = vm.liveLocalRefs();
  EXPECT_TRUE(fill("test/CountingMap", accounts));
  EXPECT_EQ(puts(), 500u);
  EXPECT_LE(mostLocals, before + 8) << "references of earlier entries were kept";
}

}  // namespace
