#include "ManifestColorReader.h"

#include <shlwapi.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ColorParser.h"
#include "ComRef.h"
#include "test_platform.h"

namespace {

using shellkit::ComRef;
using shellkit::kNoColor;
using shellkit::kUnreadableManifestColor;
using shellkit::readManifestBackgroundColor;

constexpr std::int32_t kCurrent = 0x123456;

const std::string kPackageStart =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<Package xmlns=\"http://schemas.microsoft.com/appx/manifest/foundation/windows10\"\n"
    "         xmlns:uap=\"http://schemas.microsoft.com/appx/manifest/uap/windows10\">\n"
    "  <Identity Name=\"Quarvo.Sample\" Publisher=\"CN=Quarvo\" Version=\"1.0.0.0\" />\n"
    "  <Properties><DisplayName>Sample</DisplayName><Logo>Assets\\Logo.png</Logo></Properties>\n";

// A manifest whose one application carries `visualElements`.
std::string manifest(const std::string& visualElements) {
  return kPackageStart +
         "  <Applications>\n"
         "    <Application Id=\"App\" Executable=\"Sample.exe\" EntryPoint=\"Sample.App\">\n"
         "      " + visualElements + "\n"
         "    </Application>\n"
         "  </Applications>\n"
         "</Package>\n";
}

std::string visualElements(const std::string& background) {
  return "<uap:VisualElements DisplayName=\"Sample\" Square150x150Logo=\"Assets\\Tile.png\" " + background +
         " Description=\"A sample\"><uap:DefaultTile Wide310x150Logo=\"Assets\\Wide.png\" /></uap:VisualElements>";
}

void openStream(const CXX::testing::TempFile& file, ComRef<IStream>& stream) {
  HRESULT hr = SHCreateStreamOnFileW(file.path().wstring().c_str(), STGM_READ | STGM_SHARE_DENY_WRITE, stream.receive());
  EXPECT_EQ(hr, S_OK);
}

std::int32_t readColor(const std::string& xml, std::int32_t current = kCurrent) {
  CXX::testing::TempFile file(xml);
  ComRef<IStream> stream;
  openStream(file, stream);
  if (!stream) return kUnreadableManifestColor - 1;  // the EXPECT above has already failed
  return readManifestBackgroundColor(stream.get(), current);
}

TEST(ManifestColorReader, TheFirstApplicationsVisualElementsGiveTheColour) {
  EXPECT_EQ(readColor(manifest(visualElements("BackgroundColor=\"#0078D7\""))), 0xD77800)
      << "a prefixed uap:VisualElements matches by its local name";
  EXPECT_EQ(readColor(manifest(visualElements("BackgroundColor=\"CornflowerBlue\""))), 0xED9564);
  EXPECT_EQ(readColor(manifest(visualElements("BackgroundColor=\"transparent\""))), kNoColor);
  EXPECT_EQ(readColor(manifest("<VisualElements BackgroundColor=\"red\"><DefaultTile /></VisualElements>")), 0x0000FF)
      << "no prefix";
}

TEST(ManifestColorReader, AShortHashValueKeepsTheCurrentColour) {
  EXPECT_EQ(readColor(manifest(visualElements("BackgroundColor=\"#FFF\""))), kCurrent);
  EXPECT_EQ(readColor(manifest(visualElements("BackgroundColor=\"#FFF\"")), kNoColor), kNoColor);
}

TEST(ManifestColorReader, AMissingOrPrefixedAttributeIsNoColour) {
  EXPECT_EQ(readColor(manifest(visualElements(""))), kNoColor);
  EXPECT_EQ(readColor(manifest(visualElements("uap:BackgroundColor=\"red\""))), kNoColor)
      << "an attribute in a namespace is another attribute";
  EXPECT_EQ(readColor(manifest(visualElements("backgroundcolor=\"red\""))), kNoColor) << "names keep their case";
}

TEST(ManifestColorReader, SelfClosingElementsNeverMatch) {
  EXPECT_EQ(readColor(manifest("<uap:VisualElements BackgroundColor=\"red\" />")), kUnreadableManifestColor);
  // The search runs on past the self-closing one and finds the next application's.
  std::string xml = kPackageStart +
                    "  <Applications>\n"
                    "    <Application Id=\"A\"><uap:VisualElements BackgroundColor=\"red\" /></Application>\n"
                    "    <Application Id=\"B\">" + visualElements("BackgroundColor=\"blue\"") + "</Application>\n"
                    "  </Applications>\n"
                    "</Package>\n";
  EXPECT_EQ(readColor(xml), kUnreadableManifestColor)
      << "the next Application is another element to the search for VisualElements, passed over whole";
  EXPECT_EQ(readColor("<Package />"), kUnreadableManifestColor);
}

TEST(ManifestColorReader, OtherElementsArePassedOverWithTheirContent) {
  // A VisualElements before Applications, and an Application inside Extensions: both passed over.
  std::string xml = kPackageStart +
                    "  <Resources><VisualElements BackgroundColor=\"red\"><x /></VisualElements></Resources>\n"
                    "  <Applications>\n"
                    "    <Extensions><Application><VisualElements BackgroundColor=\"lime\"><x /></VisualElements>"
                    "</Application></Extensions>\n"
                    "    <Application Id=\"App\">" + visualElements("BackgroundColor=\"navy\"") + "</Application>\n"
                    "  </Applications>\n"
                    "</Package>\n";
  EXPECT_EQ(readColor(xml), 0x800000);
  // An Applications element nested in a passed-over element is passed over too, even when deep.
  std::string nested = kPackageStart +
                       "  <Dependencies><a><b><Applications><Application>" + visualElements("BackgroundColor=\"red\"") +
                       "</Application></Applications></b></a></Dependencies>\n"
                       "</Package>\n";
  EXPECT_EQ(readColor(nested), kUnreadableManifestColor);
}

TEST(ManifestColorReader, UnreadableDocumentsGiveTheFallbackColour) {
  std::string whole = manifest(visualElements("BackgroundColor=\"#0078D7\""));
  std::string withDtd = "<?xml version=\"1.0\"?>\n<!DOCTYPE Package [ <!ENTITY c \"#0078D7\"> ]>\n" +
                        whole.substr(whole.find("<Package"));
  EXPECT_EQ(readColor(withDtd), kUnreadableManifestColor) << "DTDs are refused";
  EXPECT_EQ(readColor(whole.substr(0, whole.find("<Application "))), kUnreadableManifestColor) << "cut short";
  EXPECT_EQ(readColor(""), kUnreadableManifestColor);
  EXPECT_EQ(readColor("not xml at all"), kUnreadableManifestColor);
  EXPECT_EQ(readColor("<Package><Applications></Package>"), kUnreadableManifestColor) << "mismatched tags";
  EXPECT_EQ(readManifestBackgroundColor(nullptr, kCurrent), kUnreadableManifestColor);
}

std::int32_t readMemory(const std::string& xml) {
  ComRef<IStream> stream;
  *stream.receive() = SHCreateMemStream(reinterpret_cast<const BYTE*>(xml.data()), static_cast<UINT>(xml.size()));
  if (!stream) return kUnreadableManifestColor - 1;
  return readManifestBackgroundColor(stream.get(), kCurrent);
}

// Reading stops at the VisualElements start tag, so a cut anywhere after it still gives the colour.
TEST(ManifestColorReader, ADocumentCutBeforeTheColourGivesTheFallbackAndAfterItTheColour) {
  std::string whole = manifest(visualElements("BackgroundColor=\"#0078D7\""));
  std::size_t tagEnd = whole.find('>', whole.find("<uap:VisualElements")) + 1;
  // Wine's reader stops the whole process (a failed assertion) on some cuts inside the XML
  // declaration or right at its end, so the cuts start after its line break.
  for (std::size_t length = whole.find("?>\n") + 3; length < tagEnd; ++length) {
    ASSERT_EQ(readMemory(whole.substr(0, length)), kUnreadableManifestColor) << "cut at " << length;
  }
  for (std::size_t length = tagEnd; length <= whole.size(); ++length) {
    ASSERT_EQ(readMemory(whole.substr(0, length)), 0xD77800) << "cut at " << length;
  }
}

TEST(ManifestColorReader, ReadsFromTheStreamsCurrentPosition) {
  CXX::testing::TempFile file(manifest(visualElements("BackgroundColor=\"teal\"")));
  ComRef<IStream> stream;
  openStream(file, stream);
  ASSERT_TRUE(stream);
  EXPECT_EQ(readManifestBackgroundColor(stream.get(), kCurrent), 0x808000);
  LARGE_INTEGER start{};
  ASSERT_EQ(stream->Seek(start, STREAM_SEEK_SET, nullptr), S_OK);
  EXPECT_EQ(readManifestBackgroundColor(stream.get(), kCurrent), 0x808000) << "again after seeking back";
  // Left where the first read stopped, the stream no longer holds a whole manifest.
  EXPECT_EQ(readManifestBackgroundColor(stream.get(), kCurrent), kUnreadableManifestColor);
}

}  // namespace
