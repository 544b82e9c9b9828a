// The list writer: record layout, both passes, limits, and files the reader accepts.
#include <gtest/gtest.h>

#include <cmath>

#include "Dictionary.h"
#include "Sha1Key.h"
#include "Writer.h"
#include "test_lists.h"
#include "test_platform.h"

namespace kiv {
namespace {

using CXX::testing::TempFile;
using namespace testing;

std::string listPath(const TempFile& folder, const char* name) { return (folder.path().parent_path() / name).string(); }

DomainRecord findHost(Dictionary* dictionary, const std::string& host) {
  return dictionary->findName(host.data(), host.size());
}

// Walks every bucket's records: each bucket must end exactly where the next one starts and
// the last one at the end of the file.
size_t checkLayout(Dictionary* dictionary) {
  size_t records = 0;
  const uint8_t* expected = dictionary->recordArea();
  for (uint32_t b = 0; b < dictionary->bucketCount(); ++b) {
    uint32_t offset = dictionary->bucketOffset(b);
    if (offset == format::kEmptyBucket) continue;
    EXPECT_EQ(dictionary->recordArea() + offset, expected) << "bucket " << b;
    const uint8_t* r = expected;
    while (r < dictionary->end() && format::bucketOf(r, dictionary->bucketCount()) == b) {
      r += DomainRecord::parse(r, static_cast<size_t>(dictionary->end() - r)).size();
      ++records;
    }
    expected = r;
  }
  EXPECT_EQ(expected, dictionary->end());
  return records;
}

TEST(Writer, WritesAListTheReaderFindsEverythingIn) {
  TempFile folder("");
  std::string path = listPath(folder, "out.kiv");
  std::vector<TestDomain> domains;
  for (int i = 0; i < 500; ++i) {
    TestDomain domain{"host" + std::to_string(i) + ".test", category(static_cast<uint16_t>(i % 100)), {}, {}, {}, {}};
    if (i % 7 == 0) domain.secure = category(200, true);
    if (i % 11 == 0) domain.entries = {{"a/b", entryValue("a/b", 3, true)}, {"q?x=1", entryValue("q?x=1", 4)}};
    domains.push_back(domain);
  }
  writeList(path, domains, format::kWhiteList, 1700000000.25);

  CXX::Ref<Dictionary> dictionary(Dictionary::create(path.c_str()));
  EXPECT_EQ(dictionary->listType(), format::kWhiteList);
  EXPECT_EQ(dictionary->domainCount(), 500u);
  EXPECT_EQ(dictionary->bucketCount(), 526u);  // floor(500 / 0.95)
  EXPECT_DOUBLE_EQ(dictionary->date(), 1700000000.25);
  EXPECT_EQ(checkLayout(dictionary.get()), 500u);
  for (int i = 0; i < 500; ++i) {
    SCOPED_TRACE(i);
    DomainRecord record = findHost(dictionary.get(), domains[i].host);
    ASSERT_TRUE(record.found());
    EXPECT_EQ(record.main().plainWord() & 0x3FFF, i % 100);
    if (i % 7 == 0) {
      EXPECT_EQ(record.main().secureWord() & 0x7FFF, 0x4000 | 200);
    }
    if (i % 11 == 0) {
      EXPECT_EQ(record.main().entryCount(), 2);
      EXPECT_EQ(record.main().kinds(), format::kKindPrefixPath | format::kKindExactQuery);
      EXPECT_EQ(record.main().lookup("a/b", 3, true), matchOf(3));
      EXPECT_EQ(record.main().lookup("q?x=1", 5, false), matchOf(4));
    }
  }
}

TEST(Writer, WwwEntriesGetTheirOwnTableOnlyWithAWwwHostValue) {
  TempFile folder("");
  std::string path = listPath(folder, "www.kiv");
  TestDomain folded{"folded.test", category(1), {}, {}, {}, {{"p", entryValue("p", 2, false, true)}, {"m", entryValue("m", 3, true)}}};
  TestDomain split{"split.test", category(1), {}, category(5), {}, {{"p", entryValue("p", 2, false, true)}, {"m", entryValue("m", 3, true)}}};
  writeList(path, {folded, split});
  CXX::Ref<Dictionary> dictionary(Dictionary::create(path.c_str()));

  DomainRecord f = findHost(dictionary.get(), "folded.test");
  EXPECT_FALSE(f.hasWwwTable());
  EXPECT_EQ(f.main().entryCount(), 2);
  EXPECT_EQ(f.main().kinds(), format::kKindExactPath | format::kKindPrefixPath);
  EXPECT_EQ(f.main().lookup("p", 1, false), matchOf(2));

  DomainRecord s = findHost(dictionary.get(), "split.test");
  ASSERT_TRUE(s.hasWwwTable());
  EXPECT_EQ(s.main().entryCount(), 1);
  EXPECT_EQ(s.main().kinds(), format::kKindPrefixPath);
  EXPECT_EQ(s.www().plainWord() & 0x3FFF, 5);
  EXPECT_EQ(s.www().entryCount(), 1);
  EXPECT_EQ(s.www().lookup("p", 1, false), matchOf(2));
  EXPECT_EQ(checkLayout(dictionary.get()), 2u);
}

TEST(Writer, TablesHoldAtMost1023Entries) {
  TempFile folder("");
  auto domainWith = [](int entries, bool www) {
    TestDomain domain{"many.test", category(1), {}, www ? category(2) : HostValue(), {}, {}};
    for (int i = 0; i < entries; ++i) {
      std::string p = "p" + std::to_string(i);
      domain.entries.push_back({p, entryValue(p, 1, false, www)});
    }
    return domain;
  };
  std::string path = listPath(folder, "limit.kiv");
  writeList(path, {domainWith(1023, false)});
  CXX::Ref<Dictionary> dictionary(Dictionary::create(path.c_str()));
  EXPECT_EQ(findHost(dictionary.get(), "many.test").main().entryCount(), 1023);
  EXPECT_EQ(findHost(dictionary.get(), "many.test").main().lookup("p1022", 5, false), matchOf(1));

  auto errorOf = [&](const TestDomain& domain) {
    try {
      writeList(listPath(folder, "refused.kiv"), {domain});
    } catch (const CXX::RuntimeError& error) {
      return std::string(error.what());
    }
    return std::string("(written)");
  };
  EXPECT_EQ(errorOf(domainWith(1024, false)), "path count too large: 1024 > 1024");
  EXPECT_EQ(errorOf(domainWith(1024, true)), "www path count too large: 1024 > 1024");
}

TEST(Writer, EmptyListGetsOneEmptyBucket) {
  TempFile folder("");
  std::string path = listPath(folder, "empty.kiv");
  writeList(path, {});
  CXX::Ref<Dictionary> dictionary(Dictionary::create(path.c_str()));
  EXPECT_EQ(dictionary->bucketCount(), 1u);
  EXPECT_EQ(dictionary->domainCount(), 0u);
  EXPECT_FALSE(findHost(dictionary.get(), "any.test").found());
}

TEST(Writer, WritesIntoACallerFileHandle) {
  TempFile target("previous contents that must not survive");
  CXX::platform::FileHandle file = CXX::testing::openFile(target.path(), true);
  Key key = keyOf("example.test", 12);
  HostValue seven = category(7);
  CXX::Ref<Writer> writer(Writer::create(file, format::kBlackList, 1));
  for (int pass = 0; pass < 2; ++pass) {
    writer->beginDomain(key);
    writer->setHostValues(&seven, nullptr, nullptr, nullptr);
    writer->endDomain();
    if (pass == 0) writer->finishHeader(0.0);
  }
  writer->finish();
  CXX::testing::closeFile(file);
  EXPECT_EQ(target.read().size(), 32u + 4 + 12);
  CXX::Ref<Dictionary> dictionary(Dictionary::create(target.path().string().c_str()));
  EXPECT_EQ(findHost(dictionary.get(), "example.test").main().plainWord(), 7);
}

TEST(Writer, SecondPassThatDiffersIsRefused) {
  TempFile folder("");
  CXX::Ref<Writer> writer(Writer::createWithPath(listPath(folder, "differs.kiv").c_str(), 1, 1));
  writer->beginDomain(keyOf("a.test", 6));
  writer->endDomain();
  writer->finishHeader(0.0);
  writer->beginDomain(keyOf("a.test", 6));
  writer->addPath(keyOf("extra", 5), 1);  // a bigger record than measured
  EXPECT_THROW(writer->endDomain(), CXX::RuntimeError);
}

TEST(Writer, PathThatCannotBeCreatedFailsInOpen) {
  TempFile folder("");
  std::string path = listPath(folder, "no-such-folder/out.kiv");
  CXX::Ref<Writer> writer(Writer::createWithPath(path.c_str(), 1, 0));
  try {
    writer->finishHeader(0.0);
    FAIL() << "expected an error";
  } catch (const CXX::SystemError& error) {
    EXPECT_EQ(std::string(error.what()).rfind("open: ", 0), 0u) << error.what();
  }
}

TEST(ListFormat, TimestampsRoundToMicrosecondsAndClampOutOfRange) {
  EXPECT_EQ(format::timestampFromSeconds(1.0000004), 1000000);
  EXPECT_EQ(format::timestampFromSeconds(1.0000006), 1000001);
  EXPECT_EQ(format::timestampFromSeconds(-1.5), -1500000);
  EXPECT_EQ(format::timestampFromSeconds(1e300), INT64_MAX);
  EXPECT_EQ(format::timestampFromSeconds(-1e300), INT64_MIN);
  EXPECT_EQ(format::timestampFromSeconds(std::nan("")), 0);
  EXPECT_EQ(format::bucketCountFor(0), 1u);
  EXPECT_EQ(format::bucketCountFor(1000000), 1052631u);
}

}  // namespace
}  // namespace kiv
