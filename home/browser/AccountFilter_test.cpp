#include "AccountFilter.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace Quarvo {
namespace {

bool hidden(const wchar_t* name) { return isHiddenAccount(name, std::wcslen(name)); }

TEST(AccountFilter, HidesServiceAndMachineAccounts) {
  for (const wchar_t* name : {L"ASPNET", L"aspnet", L"AspNet", L"UpdatusUser", L"UPDATUSUSER", L"x$", L"$",
                              L"WORKSTATION$"}) {
    EXPECT_TRUE(hidden(name)) << name;
  }
}

TEST(AccountFilter, HidesNullAndEmptyNames) {
  EXPECT_TRUE(isHiddenAccount(nullptr, 0));
  EXPECT_TRUE(isHiddenAccount(nullptr, 5));
  EXPECT_TRUE(hidden(L""));
}

TEST(AccountFilter, ReportsPeopleEvenWhenTheyStartLikeAServiceAccount) {
  for (const wchar_t* name : {L"Asp", L"A", L"ASPNE", L"ASPNETX", L"Updatus", L"UpdatusUsers", L"$x", L"root",
                              L"\u00d6mer"}) {
    EXPECT_FALSE(hidden(name)) << name;
  }
}

TEST(AccountFilter, OnlyTheGivenLengthCounts) {
  EXPECT_TRUE(isHiddenAccount(L"ASPNETxyz", 6));
  EXPECT_TRUE(isHiddenAccount(L"box$ and more", 4));
  EXPECT_FALSE(isHiddenAccount(L"ASPNET", 3));
  EXPECT_TRUE(isHiddenAccount(L"ASPNET", 0));
}

}  // namespace
}  // namespace Quarvo
