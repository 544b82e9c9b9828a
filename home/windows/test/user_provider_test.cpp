// getUserNames with the network-management listing replaced by scripted pages, called as the VM
// calls it: what is listed and left out, paging, errors, and that every page is freed. Also the
// choice of listing by version and the logon-user listing where its class is missing (Wine).
#include <windows.h>
#include <lm.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "LogonUserAccounts.h"
#include "NetUserAccounts.h"
#include "UserAccountSource.h"
#include "jni_com_quarvo_os_windows_WindowsUserProvider.h"
#include "jnihost/HostTest.h"

namespace {

using Quarvo::AccountSource;

constexpr const char* kProviderClass = "jni/com/quarvo/os/windows/WindowsUserProvider";

struct Record {
  const wchar_t* name;
  const wchar_t* fullName;
  DWORD flags;
};
struct Page {
  NET_API_STATUS status;
  std::vector<Record> records;
  bool noBuffer = false;
};

// The script the fake listing plays, one page per call, and what it saw.
std::vector<Page> script;
std::size_t played = 0;
std::vector<DWORD> resumeHandles;
int buffersOut = 0;

NET_API_STATUS WINAPI scriptedEnumerate(LPCWSTR server, DWORD level, DWORD filter, LPBYTE* buffer, DWORD preferred,
                                        LPDWORD read, LPDWORD total, PDWORD resume) {
  EXPECT_EQ(server, nullptr);
  EXPECT_EQ(level, 20u);
  EXPECT_EQ(filter, static_cast<DWORD>(FILTER_NORMAL_ACCOUNT));
  EXPECT_EQ(preferred, MAX_PREFERRED_LENGTH);
  if (played == script.size()) {
    ADD_FAILURE() << "called after the last page";
    return ERROR_INVALID_PARAMETER;
  }
  const Page& page = script[played++];
  resumeHandles.push_back(*resume);
  *resume = static_cast<DWORD>(played * 10);
  *read = static_cast<DWORD>(page.records.size());
  *total = *read;
  *buffer = nullptr;
  if (page.noBuffer) return page.status;
  auto* records = new USER_INFO_20[page.records.size() + 1]();
  for (std::size_t i = 0; i < page.records.size(); ++i) {
    records[i].usri20_name = const_cast<LPWSTR>(page.records[i].name);
    records[i].usri20_full_name = const_cast<LPWSTR>(page.records[i].fullName);
    records[i].usri20_flags = page.records[i].flags;
  }
  *buffer = reinterpret_cast<LPBYTE>(records);
  ++buffersOut;
  return page.status;
}

NET_API_STATUS WINAPI scriptedFree(LPVOID buffer) {
  delete[] static_cast<USER_INFO_20*>(buffer);
  --buffersOut;
  return NERR_Success;
}

const Quarvo::NetUserFunctions kScripted = {scriptedEnumerate, scriptedFree};

class UserProviderTest : public jnihost::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    script.clear();
    played = 0;
    resumeHandles.clear();
    buffersOut = 0;
    Quarvo::replaceNetUserFunctionsForTesting(&kScripted);
    ASSERT_EQ(Quarvo::systemAccountSource(), AccountSource::kNetworkManagement) << "the seam is not reached here";
  }
  void TearDown() override {
    Quarvo::replaceNetUserFunctionsForTesting(nullptr);
    EXPECT_EQ(played, script.size()) << "pages left unread";
    EXPECT_EQ(buffersOut, 0) << "pages never freed";
    HostTest::TearDown();
  }

  // getUserNames as the VM calls it; null when it gave null. Its stderr goes to `errors`.
  jnihost::Object* userNames(std::string* errors = nullptr) {
    ::testing::internal::CaptureStderr();
    jnihost::Object* map = vm.callStatic<jnihost::Object*>(
        reinterpret_cast<void*>(&Java_jni_com_quarvo_os_windows_WindowsUserProvider_getUserNames), kProviderClass);
    std::string text = ::testing::internal::GetCapturedStderr();
    if (errors != nullptr) *errors = text;
    return map;
  }
  std::map<std::string, std::string> entriesOf(jnihost::Object* map) {
    std::map<std::string, std::string> out;
    for (auto& [key, value] : vm.entries(map)) out[vm.utf8(key)] = vm.utf8(value);
    return out;
  }
};

using Entries = std::map<std::string, std::string>;

TEST_F(UserProviderTest, ListsEnabledPeopleAndLeavesOutDisabledServiceAndMachineAccounts) {
  script = {{NERR_Success,
             {{L"anna", L"Anna K", UF_NORMAL_ACCOUNT},
              {L"guest", L"", UF_NORMAL_ACCOUNT | UF_ACCOUNTDISABLE},
              {L"ASPNET", L"ASP.NET", UF_NORMAL_ACCOUNT},
              {L"updatususer", L"", UF_NORMAL_ACCOUNT},
              {L"PC01$", L"", UF_NORMAL_ACCOUNT},
              {nullptr, L"No name", UF_NORMAL_ACCOUNT},
              {L"Asp", L"", UF_NORMAL_ACCOUNT},
              {L"A", nullptr, UF_NORMAL_ACCOUNT | UF_DONT_EXPIRE_PASSWD}}}};
  std::string errors;
  jnihost::Object* map = userNames(&errors);
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(entriesOf(map), (Entries{{"anna", "Anna K"}, {"Asp", "Asp"}, {"A", "A"}}));
  EXPECT_EQ(errors, "");
}

TEST_F(UserProviderTest, ReadsEveryPageWhileMoreDataIsAnnounced) {
  script = {{ERROR_MORE_DATA, {{L"a1", L"One", 0}, {L"a2", L"", 0}}},
            {ERROR_MORE_DATA, {}},
            {ERROR_MORE_DATA, {{L"b1", L"", UF_ACCOUNTDISABLE}, {L"b2", L"Two", 0}}},
            {NERR_Success, {{L"c1", L"Three", 0}}}};
  jnihost::Object* map = userNames();
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(entriesOf(map), (Entries{{"a1", "One"}, {"a2", "a2"}, {"b2", "Two"}, {"c1", "Three"}}));
  EXPECT_EQ(resumeHandles, (std::vector<DWORD>{0, 10, 20, 30})) << "each call resumes where the last ended";
}

TEST_F(UserProviderTest, AnErrorGivesNullAndItsLineOnStandardError) {
  script = {{ERROR_MORE_DATA, {{L"a1", L"One", 0}}}, {ERROR_ACCESS_DENIED, {{L"a2", L"", 0}}}};
  std::string errors;
  EXPECT_EQ(userNames(&errors), nullptr);
  EXPECT_EQ(errors, "A system error has occurred: 5\n");
  EXPECT_EQ(thrown().className, "") << "no Java exception for a listing error";
}

TEST_F(UserProviderTest, AnnouncedRecordsWithoutABufferAreSkippedWithALine) {
  script = {{ERROR_MORE_DATA, {{L"lost", L"", 0}}, true}, {NERR_Success, {{L"kept", L"", 0}}}};
  std::string errors;
  jnihost::Object* map = userNames(&errors);
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(entriesOf(map), (Entries{{"kept", "kept"}}));
  EXPECT_EQ(errors, "An access violation has occurred\n");
}

TEST(UserAccountSource, NetworkManagementFor2000AndFromVistaOnLogonUsersOtherwise) {
  constexpr DWORD nt = VER_PLATFORM_WIN32_NT;
  EXPECT_EQ(Quarvo::accountSourceFor(nt, 5, 0), AccountSource::kNetworkManagement);
  EXPECT_EQ(Quarvo::accountSourceFor(nt, 5, 1), AccountSource::kLogonUsers);
  EXPECT_EQ(Quarvo::accountSourceFor(nt, 5, 2), AccountSource::kLogonUsers);
  EXPECT_EQ(Quarvo::accountSourceFor(nt, 5, 255), AccountSource::kLogonUsers);
  EXPECT_EQ(Quarvo::accountSourceFor(nt, 6, 0), AccountSource::kNetworkManagement);
  EXPECT_EQ(Quarvo::accountSourceFor(nt, 10, 0), AccountSource::kNetworkManagement);
  EXPECT_EQ(Quarvo::accountSourceFor(nt, 4, 0), AccountSource::kLogonUsers);
  EXPECT_EQ(Quarvo::accountSourceFor(VER_PLATFORM_WIN32_WINDOWS, 6, 0), AccountSource::kLogonUsers);
  EXPECT_EQ(Quarvo::accountSourceFor(0, 0, 0), AccountSource::kLogonUsers) << "an unreadable version";
}

// Wine registers no logon-user collection: the listing fails, lists nothing and leaves COM as
// it found it.
TEST(LogonUserAccounts, AMissingCollectionFailsAndLeavesTheThreadOutOfCom) {
  std::vector<Quarvo::UserAccount> accounts = {{u"stale", u""}};
  EXPECT_TRUE(FAILED(Quarvo::readLogonUserAccounts(&accounts)));
  EXPECT_TRUE(accounts.empty());
  HRESULT joined = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  EXPECT_EQ(joined, S_OK) << "the apartment entered for the listing was not left";
  if (SUCCEEDED(joined)) CoUninitialize();
}

TEST(LogonUserAccounts, KeepsTheCallersApartment) {
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  std::vector<Quarvo::UserAccount> accounts;
  EXPECT_TRUE(FAILED(Quarvo::readLogonUserAccounts(&accounts)));
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE) << "the caller's apartment was left";
  CoUninitialize();
  CoUninitialize();
}

}  // namespace
