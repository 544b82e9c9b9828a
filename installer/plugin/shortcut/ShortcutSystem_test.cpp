// Links the system makes (Wine's shell link under test): written where asked, and read back.
#include "ShortcutAction.h"

#include "ComRef.h"
#include "InstallerState.h"
#include "test_platform.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shobjidl.h>

#include <filesystem>
#include <string>
#include <vector>

namespace setup {
namespace {

using shellkit::ComRef;
using testing::InstallerState;

std::u16string utf16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

struct LinkContents {
  HRESULT status = E_FAIL;
  std::wstring target;
  std::wstring arguments;
};

LinkContents readLink(const std::wstring& path) {
  LinkContents contents;
  ComRef<IShellLinkW> link;
  contents.status = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IShellLinkW),
                                     link.receiveVoid());
  if (FAILED(contents.status)) return contents;
  ComRef<IPersistFile> file;
  if (FAILED(contents.status = link->QueryInterface(__uuidof(IPersistFile), file.receiveVoid()))) return contents;
  if (FAILED(contents.status = file->Load(path.c_str(), STGM_READ))) return contents;
  std::vector<wchar_t> text(4096);
  if (FAILED(contents.status = link->GetPath(text.data(), static_cast<int>(text.size()), nullptr, SLGP_RAWPATH)))
    return contents;
  contents.target = text.data();
  if (FAILED(contents.status = link->GetArguments(text.data(), static_cast<int>(text.size())))) return contents;
  contents.arguments = text.data();
  return contents;
}

// Folders beyond MAX_PATH, reached with the "\\?\" prefix; removed with whatever files they
// hold, deepest first.
class LongPathTree {
 public:
  ~LongPathTree() {
    for (auto folder = folders_.rbegin(); folder != folders_.rend(); ++folder) {
      for (const std::wstring& name : namesIn(*folder)) DeleteFileW(verbatim(*folder + L"\\" + name).c_str());
      RemoveDirectoryW(verbatim(*folder).c_str());
    }
  }

  bool makeFolder(const std::wstring& path) {
    if (!CreateDirectoryW(verbatim(path).c_str(), nullptr)) return false;
    folders_.push_back(path);
    return true;
  }

  static std::vector<std::wstring> namesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(verbatim(folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      const std::wstring name = found.cFileName;
      if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
  }

 private:
  static std::wstring verbatim(const std::wstring& path) { return L"\\\\?\\" + path; }

  std::vector<std::wstring> folders_;
};

class SystemShortcut : public ::testing::Test {
 protected:
  void SetUp() override {
    comReady_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    ASSERT_TRUE(comReady_);
  }
  void TearDown() override {
    if (comReady_) CoUninitialize();
  }

  std::wstring folder() const { return target_.path().parent_path().wstring(); }
  std::wstring target() const { return target_.path().wstring(); }

 private:
  CXX::testing::TempFile target_{""};
  bool comReady_ = false;
};

TEST_F(SystemShortcut, SavedLinkPointsAtTheTargetWithoutArguments) {
  const std::wstring shortcut = folder() + L"\\App.lnk";
  InstallerState frame(1024, u'#');
  frame.pushForPopping({utf16(shortcut), utf16(target()), u"Maker.App"});

  createShortcut(frame.call());

  ASSERT_EQ(frame.variable(10), u"0");
  const LinkContents link = readLink(shortcut);
  ASSERT_EQ(link.status, S_OK);
  EXPECT_EQ(link.target, target());
  EXPECT_EQ(link.arguments, L"");
}

TEST_F(SystemShortcut, LongShortcutPathIsSavedWholeOrRefusedNeverCut) {
  constexpr std::size_t length = 600;
  LongPathTree tree;
  const std::wstring outer = folder() + L"\\" + std::wstring(200, L'o');
  const std::wstring inner = outer + L"\\" + std::wstring(200, L'i');
  ASSERT_TRUE(tree.makeFolder(outer));
  ASSERT_TRUE(tree.makeFolder(inner));
  // The name is long enough that a path cut to 511 characters would still end inside it.
  ASSERT_LT(inner.size() + 1, 511u);
  const std::wstring name = std::wstring(length - inner.size() - 1 - 4, L'n') + L".lnk";
  const std::wstring shortcut = inner + L"\\" + name;
  ASSERT_EQ(shortcut.size(), length);
  InstallerState frame(1024, u'#');
  frame.pushForPopping({utf16(shortcut), utf16(target()), u"Maker.App"});

  createShortcut(frame.call());

  const std::vector<std::wstring> names = LongPathTree::namesIn(inner);
  if (frame.variable(10) == u"0") {
    EXPECT_EQ(names, std::vector<std::wstring>{name});
  } else {
    EXPECT_EQ(frame.variable(10).substr(0, 1), u"-");
    EXPECT_TRUE(names.empty());
  }
}

}  // namespace
}  // namespace setup
