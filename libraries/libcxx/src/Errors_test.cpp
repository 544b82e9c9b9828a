// Choosing and formatting the runtime's error types.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "CXXRuntime/CXXBase"

namespace {

template <class E, class F>
std::string messageOf(F raise) {
  try {
    raise();
  } catch (const E& error) {
    return error.what();
  }
  ADD_FAILURE() << "nothing of the expected type was thrown";
  return {};
}

TEST(RaiseErrno, PicksTheTypeFromTheErrorNumber) {
  EXPECT_EQ(messageOf<CXX::RuntimeError>([] { CXX::raiseErrno("open", EINVAL); }),
            std::string("open: ") + std::strerror(EINVAL));
  EXPECT_EQ(messageOf<CXX::SystemError>([] { CXX::raiseErrno("ftruncate", ENOSPC); }),
            std::string("ftruncate: ") + std::strerror(ENOSPC));
  EXPECT_EQ(messageOf<CXX::UserCancelError>([] { CXX::raiseErrno("open", ECANCELED); }),
            "user cancel");
}

TEST(RaiseSystemError, PicksTheTypeFromTheWindowsCode) {
  EXPECT_EQ(messageOf<CXX::SystemError>([] { CXX::raiseSystemError("replace_file", 5); }),
            "replace_file: 5");
  EXPECT_EQ(messageOf<CXX::RuntimeError>([] { CXX::raiseSystemError("CreateFile", 87); }),
            "CreateFile: 87");
  EXPECT_EQ(messageOf<CXX::RuntimeError>([] { CXX::raiseSystemError("CreateFile", 160); }),
            "CreateFile: 160");
  EXPECT_EQ(messageOf<CXX::UserCancelError>([] { CXX::raiseSystemError("MapViewOfFile", 1223); }),
            "user cancel");
  EXPECT_EQ(messageOf<CXX::SystemError>([] { CXX::raiseSystemError("GetFileSizeEx", 4294967295u); }),
            "GetFileSizeEx: 4294967295");
}

TEST(ErrorTypes, AreSiblingsUnderStdException) {
  EXPECT_THROW(throw CXX::SystemError("x"), std::exception);
  EXPECT_THROW(throw CXX::RuntimeError("x"), std::exception);
  EXPECT_THROW(throw CXX::UserCancelError(), std::exception);
  bool caughtAsSystemError = false;
  try {
    try {
      throw CXX::RuntimeError("bad input");
    } catch (const CXX::SystemError&) {
      caughtAsSystemError = true;
    }
  } catch (const CXX::RuntimeError& error) {
    EXPECT_STREQ(error.what(), "bad input");
  }
  EXPECT_FALSE(caughtAsSystemError);
  EXPECT_FALSE((std::is_base_of_v<std::runtime_error, CXX::RuntimeError>));
  EXPECT_FALSE((std::is_base_of_v<std::system_error, CXX::SystemError>));
}

TEST(ErrorTypes, CopiesOwnTheirText) {
  auto* original = new CXX::SystemError(CXX::formatString("%s: %u", "SetEndOfFile", 112u));
  CXX::SystemError copy(*original);
  delete original;
  EXPECT_STREQ(copy.what(), "SetEndOfFile: 112");
}

TEST(RequireMacro, NamesTheConditionAsWritten) {
  const char* url = nullptr;
  EXPECT_EQ(messageOf<CXX::RuntimeError>([&] { CXX_REQUIRE(url); }),
            "Invalid parameter not satisfying: url");
  int* buffer = nullptr;
  EXPECT_EQ(messageOf<CXX::RuntimeError>([&] { CXX_REQUIRE(buffer != NULL); }),
            "Invalid parameter not satisfying: buffer != NULL");
}

TEST(FormatString, FormatsAnyLengthAndGivesEmptyTextForEmptyOutput) {
  EXPECT_EQ(CXX::formatString("type=%s&date=%llu", "black", 1234567890123ULL),
            "type=black&date=1234567890123");
  std::string big(5000, 'x');
  EXPECT_EQ(CXX::formatString("[%s]", big.c_str()), "[" + big + "]");
  const char* empty = "";
  EXPECT_EQ(CXX::formatString("%s", empty), "");
}

}  // namespace
