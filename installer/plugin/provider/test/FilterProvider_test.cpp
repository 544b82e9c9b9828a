// The provider actions against the test-only platform beside this program: the records it
// receives field by field, the transactions, and what each failure leaves behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ProviderHarness.h"

namespace setup::testing {
namespace {

using fwpstandin::Call;
using fwpstandin::Store;
using fwpstandin::StoredObject;
using Names = std::vector<std::string>;

const std::string kZeroKey = "{00000000-0000-0000-0000-000000000000}";
const std::string kProviderKey = "{405C1382-F428-4B19-9E35-6DCAC232F072}";
const std::string kFilter4343Key = "{23A57A92-3222-4F0A-817F-737E4C662743}";
const std::string kFilter4350Key = "{6F566593-1854-46BC-B140-47EFC7543123}";

const std::string kSessionRecord = "key=" + kZeroKey +
                                   " name=\"Parental Control Setup\" description=null flags=0 wait=0xffffffff"
                                   " process=0 sid=null user=null kernel=0";
const std::string kProviderRecord =
    "key=" + kProviderKey + " name=\"Parental Control Provider\" description=null flags=1 data=0:null service=null";

std::string filterRecord(const std::string& key, const std::string& port) {
  return "key=" + key +
         " name=\"Parental Control Local Proxy\" description=\"Parental Control Proxy Connection\" flags=9"
         " provider=" + kProviderKey + " data=0:null layer={E1CD9FE7-F4B5-4273-96C0-592E487B8650}"
         " sublayer=" + kZeroKey + " weight=empty"
         " conditions=[{632CE23B-5167-435C-86D7-E903684AA80C} match=6 uint32 1;"
         " {0C1BA1AF-5765-453F-AF22-A8F791AC775B} match=0 uint16 " + port + "]"
         " action=0x1002 actionkey=" + kZeroKey + " context=" + kZeroKey + " reserved=null id=0 effective=empty";
}

const std::vector<StoredObject> kInstalled = {
    {"provider", kProviderKey, "null", kProviderRecord},
    {"filter", kFilter4343Key, kProviderKey, filterRecord(kFilter4343Key, "4343")},
    {"filter", kFilter4350Key, kProviderKey, filterRecord(kFilter4350Key, "4350")},
};

const Names kInstallCalls = {"FwpmEngineOpen0",  "FwpmTransactionBegin0",  "FwpmProviderAdd0", "FwpmFilterAdd0",
                             "FwpmFilterAdd0",   "FwpmTransactionCommit0", "FwpmEngineClose0"};
const Names kUninstallCalls = {"FwpmEngineOpen0",        "FwpmTransactionBegin0",    "FwpmFilterDeleteByKey0",
                               "FwpmFilterDeleteByKey0", "FwpmProviderDeleteByKey0", "FwpmTransactionCommit0",
                               "FwpmEngineClose0"};

constexpr unsigned long kFilterNotFound = 0x80320003;
constexpr unsigned long kProviderNotFound = 0x80320005;
constexpr unsigned long kAlreadyExists = 0x80320009;

std::string pushed(unsigned long status) { return std::to_string(static_cast<int>(status)); }

std::vector<unsigned long> statuses(const Store& store) {
  std::vector<unsigned long> result;
  for (const Call& call : store.calls) result.push_back(call.status);
  return result;
}

// Every call after the open names the session the open made.
void expectOneSession(const Store& store) {
  ASSERT_FALSE(store.calls.empty());
  for (const Call& call : store.calls) EXPECT_EQ(call.engine, store.calls.front().engine) << call.function;
}

class ProviderTest : public ::testing::Test {
 protected:
  void installed() {
    ASSERT_EQ(library.install(), "0");
    store.clearCalls();
  }

  StandInStoreFile store;
  ProviderLibrary library;
};

TEST_F(ProviderTest, InstallHandsThePlatformExactlyTheRecordsOfProviderAndFilters) {
  EXPECT_EQ(library.install(), "0");

  Store after = store.read();
  EXPECT_EQ(after.objects, kInstalled);
  ASSERT_EQ(after.callNames(), kInstallCalls);
  expectOneSession(after);
  EXPECT_EQ(after.calls[0].detail, "server=null authn=4294967295 identity=null session=[" + kSessionRecord + "]");
  EXPECT_EQ(after.calls[1].detail, "flags=0");
  EXPECT_EQ(after.calls[2].detail, "sd=null provider=[" + kProviderRecord + "]");
  EXPECT_EQ(after.calls[3].detail, "sd=null id=null filter=[" + filterRecord(kFilter4343Key, "4343") + "]");
  EXPECT_EQ(after.calls[4].detail, "sd=null id=null filter=[" + filterRecord(kFilter4350Key, "4350") + "]");
  EXPECT_EQ(statuses(after), std::vector<unsigned long>(7, 0));
}

TEST_F(ProviderTest, InstallingAgainCountsObjectsAlreadyThereAsSuccess) {
  installed();

  EXPECT_EQ(library.install(), "0");

  Store after = store.read();
  EXPECT_EQ(after.objects, kInstalled);
  ASSERT_EQ(after.callNames(), kInstallCalls);
  EXPECT_EQ(statuses(after), (std::vector<unsigned long>{0, 0, kAlreadyExists, kAlreadyExists, kAlreadyExists, 0, 0}));
}

TEST_F(ProviderTest, UninstallRemovesFiltersThenProviderAndASecondOneReportsTheProviderMissing) {
  installed();

  EXPECT_EQ(library.uninstall(), "0");
  Store after = store.read();
  EXPECT_TRUE(after.objects.empty());
  ASSERT_EQ(after.callNames(), kUninstallCalls);
  expectOneSession(after);
  EXPECT_EQ(after.calls[2].detail, "key=" + kFilter4350Key);
  EXPECT_EQ(after.calls[3].detail, "key=" + kFilter4343Key);
  EXPECT_EQ(after.calls[4].detail, "key=" + kProviderKey);
  store.clearCalls();

  EXPECT_EQ(library.uninstall(), pushed(kProviderNotFound));
  EXPECT_EQ(pushed(kProviderNotFound), "-2144206843");
  after = store.read();
  EXPECT_TRUE(after.objects.empty());
  EXPECT_EQ(after.callNames(), (Names{"FwpmEngineOpen0", "FwpmTransactionBegin0", "FwpmFilterDeleteByKey0",
                                      "FwpmFilterDeleteByKey0", "FwpmProviderDeleteByKey0", "FwpmTransactionAbort0",
                                      "FwpmEngineClose0"}));
  EXPECT_EQ(statuses(after),
            (std::vector<unsigned long>{0, 0, kFilterNotFound, kFilterNotFound, kProviderNotFound, 0, 0}));
}

TEST_F(ProviderTest, UninstallRemovesAProviderLeftWithoutItsFilters) {
  installed();
  Store providerOnly = store.read();
  providerOnly.objects.resize(1);
  store.write(providerOnly);

  EXPECT_EQ(library.uninstall(), "0");

  Store after = store.read();
  EXPECT_TRUE(after.objects.empty());
  EXPECT_EQ(after.callNames(), kUninstallCalls);
}

TEST_F(ProviderTest, InstallAfterUninstallRestoresEverything) {
  installed();
  ASSERT_EQ(library.uninstall(), "0");

  EXPECT_EQ(library.install(), "0");

  EXPECT_EQ(store.read().objects, kInstalled);
}

// A platform call that fails: the action pushes its status, the store keeps what it had, and
// the session (when one was opened) is closed exactly once.
struct Failure {
  const char* name;
  bool install;
  const char* function;
  int nth;
  unsigned long status;
  Names calls;
};

void PrintTo(const Failure& failure, std::ostream* out) { *out << failure.name; }

class ProviderFailureTest : public ProviderTest, public ::testing::WithParamInterface<Failure> {};

TEST_P(ProviderFailureTest, PushesTheStatusAndLeavesTheStoreAsItWas) {
  const Failure& failure = GetParam();
  if (!failure.install) installed();
  std::vector<StoredObject> before = store.read().objects;
  store.failCall(failure.function, failure.nth, failure.status);

  std::string result = failure.install ? library.install() : library.uninstall();

  EXPECT_EQ(result, pushed(failure.status));
  Store after = store.read();
  EXPECT_EQ(after.objects, before);
  EXPECT_EQ(after.callNames(), failure.calls);
  EXPECT_EQ(after.callCount("FwpmEngineClose0"), failure.calls.size() > 1 ? 1 : 0);
  expectOneSession(after);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, ProviderFailureTest,
    ::testing::Values(
        Failure{"InstallOpen", true, "FwpmEngineOpen0", 1, ERROR_ACCESS_DENIED, {"FwpmEngineOpen0"}},
        Failure{"InstallBegin", true, "FwpmTransactionBegin0", 1, 0x8032000B,
                {"FwpmEngineOpen0", "FwpmTransactionBegin0", "FwpmEngineClose0"}},
        Failure{"InstallProvider", true, "FwpmProviderAdd0", 1, ERROR_ACCESS_DENIED,
                {"FwpmEngineOpen0", "FwpmTransactionBegin0", "FwpmProviderAdd0", "FwpmTransactionAbort0",
                 "FwpmEngineClose0"}},
        Failure{"InstallSecondFilter", true, "FwpmFilterAdd0", 2, 0x80320004,
                {"FwpmEngineOpen0", "FwpmTransactionBegin0", "FwpmProviderAdd0", "FwpmFilterAdd0", "FwpmFilterAdd0",
                 "FwpmTransactionAbort0", "FwpmEngineClose0"}},
        Failure{"InstallCommit", true, "FwpmTransactionCommit0", 1, 0x80320017, kInstallCalls},
        Failure{"UninstallOpen", false, "FwpmEngineOpen0", 1, ERROR_ACCESS_DENIED, {"FwpmEngineOpen0"}},
        Failure{"UninstallBegin", false, "FwpmTransactionBegin0", 1, 0x8032000B,
                {"FwpmEngineOpen0", "FwpmTransactionBegin0", "FwpmEngineClose0"}},
        Failure{"UninstallProvider", false, "FwpmProviderDeleteByKey0", 1, ERROR_ACCESS_DENIED,
                {"FwpmEngineOpen0", "FwpmTransactionBegin0", "FwpmFilterDeleteByKey0", "FwpmFilterDeleteByKey0",
                 "FwpmProviderDeleteByKey0", "FwpmTransactionAbort0", "FwpmEngineClose0"}},
        Failure{"UninstallCommit", false, "FwpmTransactionCommit0", 1, 0x80320017, kUninstallCalls}),
    [](const ::testing::TestParamInfo<Failure>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace setup::testing
