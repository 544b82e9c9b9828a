// The toast export's steps against small stand-ins for the Windows Runtime objects: texts,
// the silent audio element, every reference released, and the apartment left as found.
#include <gtest/gtest.h>
#include <winstring.h>

#include <string>
#include <vector>

#include "ToastPlatform.h"
#include "WinRtToastInterfaces.h"

namespace shellkit {
namespace {

using namespace winrt;

// What the stand-ins saw, and how they should behave.
struct World {
  int live = 0;
  int textElements = 2;
  HRESULT templateResult = S_OK;
  HRESULT initializeResult = S_OK;
  int uninitialized = 0;
  int templateType = -1;
  std::vector<std::wstring> lines;  // text appended to text element i, in order
  std::vector<std::wstring> rootChildren;
  std::wstring audioSilent;
  std::wstring notifierId;
  bool shown = false;
};
World* world = nullptr;

std::wstring text(HSTRING s) {
  UINT32 n = 0;
  const wchar_t* raw = WindowsGetStringRawBuffer(s, &n);
  return std::wstring(raw, n);
}

#define UNUSED_METHOD(...) \
  HRESULT STDMETHODCALLTYPE __VA_ARGS__ override { return E_NOTIMPL; }

// Reference counting, IInspectable and QueryInterface for a stand-in implementing Base...
template <class Self, class... Bases>
class Fake : public Bases... {
 public:
  Fake() { ++world->live; }
  virtual ~Fake() { --world->live; }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = static_cast<Self*>(this)->find(iid);
    if (*out == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  UNUSED_METHOD(GetIids(ULONG*, IID**))
  UNUSED_METHOD(GetRuntimeClassName(HSTRING*))
  UNUSED_METHOD(GetTrustLevel(TrustLevel*))

 private:
  ULONG refs_ = 1;
};

#define XML_NODE_UNUSED                                                         \
  UNUSED_METHOD(get_NodeValue(IInspectable**))                                  \
  UNUSED_METHOD(put_NodeValue(IInspectable*))                                   \
  UNUSED_METHOD(get_NodeType(int*))                                             \
  UNUSED_METHOD(get_NodeName(HSTRING*))                                         \
  UNUSED_METHOD(get_ParentNode(IXmlNode**))                                     \
  UNUSED_METHOD(get_ChildNodes(IXmlNodeList**))                                 \
  UNUSED_METHOD(get_FirstChild(IXmlNode**))                                     \
  UNUSED_METHOD(get_LastChild(IXmlNode**))                                      \
  UNUSED_METHOD(get_PreviousSibling(IXmlNode**))                                \
  UNUSED_METHOD(get_NextSibling(IXmlNode**))                                    \
  UNUSED_METHOD(get_Attributes(IInspectable**))                                 \
  UNUSED_METHOD(HasChildNodes(boolean*))                                        \
  UNUSED_METHOD(get_OwnerDocument(IXmlDocument**))                              \
  UNUSED_METHOD(InsertBefore(IXmlNode*, IXmlNode*, IXmlNode**))                 \
  UNUSED_METHOD(ReplaceChild(IXmlNode*, IXmlNode*, IXmlNode**))                 \
  UNUSED_METHOD(RemoveChild(IXmlNode*, IXmlNode**))

class FakeText : public Fake<FakeText, IXmlText, IXmlNode> {
 public:
  explicit FakeText(std::wstring value) : value_(std::move(value)) {}
  void* find(REFIID iid) {
    if (iid == IID_IXmlNode) return static_cast<IXmlNode*>(this);
    if (iid == IID_IXmlText || iid == IID_IUnknown) return static_cast<IXmlText*>(this);
    return nullptr;
  }
  const std::wstring& value() const { return value_; }
  XML_NODE_UNUSED
  UNUSED_METHOD(AppendChild(IXmlNode*, IXmlNode**))

 private:
  std::wstring value_;
};

// An element: text element `index` (>= 0), the document root (-1) or a created one (-2).
class FakeElement : public Fake<FakeElement, IXmlNode, IXmlElement> {
 public:
  explicit FakeElement(int index, std::wstring tag = L"") : index_(index), tag_(std::move(tag)) {}
  void* find(REFIID iid) {
    if (iid == IID_IXmlNode || iid == IID_IUnknown) return static_cast<IXmlNode*>(this);
    if (iid == IID_IXmlElement) return static_cast<IXmlElement*>(this);
    return nullptr;
  }
  XML_NODE_UNUSED
  HRESULT STDMETHODCALLTYPE AppendChild(IXmlNode* child, IXmlNode** appended) override {
    if (index_ >= 0) {
      auto* textNode = static_cast<FakeText*>(child);
      world->lines[static_cast<size_t>(index_)] += textNode->value();
    } else if (index_ == -1) {
      world->rootChildren.push_back(static_cast<FakeElement*>(child)->tag_);
    }
    child->AddRef();
    *appended = child;
    return S_OK;
  }
  UNUSED_METHOD(get_TagName(HSTRING*))
  UNUSED_METHOD(GetAttribute(HSTRING, HSTRING*))
  HRESULT STDMETHODCALLTYPE SetAttribute(HSTRING name, HSTRING value) override {
    if (tag_ == L"audio" && text(name) == L"silent") world->audioSilent = text(value);
    return S_OK;
  }

 private:
  int index_;
  std::wstring tag_;
};

class FakeList : public Fake<FakeList, IXmlNodeList> {
 public:
  void* find(REFIID iid) { return iid == IID_IXmlNodeList || iid == IID_IUnknown ? this : nullptr; }
  HRESULT STDMETHODCALLTYPE get_Length(UINT32* value) override {
    *value = static_cast<UINT32>(world->textElements);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Item(UINT32 index, IXmlNode** node) override {
    if (static_cast<int>(index) >= world->textElements) return E_INVALIDARG;
    *node = new FakeElement(static_cast<int>(index));
    return S_OK;
  }
};

class FakeDocument : public Fake<FakeDocument, IXmlDocument> {
 public:
  void* find(REFIID iid) { return iid == IID_IXmlDocument || iid == IID_IUnknown ? this : nullptr; }
  UNUSED_METHOD(get_Doctype(IInspectable**))
  UNUSED_METHOD(get_Implementation(IInspectable**))
  HRESULT STDMETHODCALLTYPE get_DocumentElement(IXmlElement** value) override {
    *value = new FakeElement(-1, L"toast");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE CreateElement(HSTRING tag, IXmlElement** element) override {
    *element = new FakeElement(-2, text(tag));
    return S_OK;
  }
  UNUSED_METHOD(CreateDocumentFragment(IInspectable**))
  HRESULT STDMETHODCALLTYPE CreateTextNode(HSTRING data, IXmlText** node) override {
    *node = new FakeText(text(data));
    return S_OK;
  }
  UNUSED_METHOD(CreateComment(HSTRING, IInspectable**))
  UNUSED_METHOD(CreateProcessingInstruction(HSTRING, HSTRING, IInspectable**))
  UNUSED_METHOD(CreateAttribute(HSTRING, IInspectable**))
  UNUSED_METHOD(CreateEntityReference(HSTRING, IInspectable**))
  HRESULT STDMETHODCALLTYPE GetElementsByTagName(HSTRING tag, IXmlNodeList** list) override {
    if (text(tag) != L"text") return E_INVALIDARG;
    *list = new FakeList();
    return S_OK;
  }
};

class FakeToast : public Fake<FakeToast, IToastNotification> {
 public:
  void* find(REFIID iid) { return iid == IID_IToastNotification || iid == IID_IUnknown ? this : nullptr; }
};

class FakeNotifier : public Fake<FakeNotifier, IToastNotifier> {
 public:
  void* find(REFIID iid) { return iid == IID_IToastNotifier || iid == IID_IUnknown ? this : nullptr; }
  HRESULT STDMETHODCALLTYPE Show(IToastNotification* toast) override {
    world->shown = toast != nullptr;
    return S_OK;
  }
};

class FakeFactory : public Fake<FakeFactory, IToastNotificationFactory> {
 public:
  void* find(REFIID iid) { return iid == IID_IToastNotificationFactory || iid == IID_IUnknown ? this : nullptr; }
  HRESULT STDMETHODCALLTYPE CreateToastNotification(IXmlDocument*, IToastNotification** toast) override {
    *toast = new FakeToast();
    return S_OK;
  }
};

class FakeManager : public Fake<FakeManager, IToastNotificationManagerStatics> {
 public:
  void* find(REFIID iid) { return iid == IID_IToastNotificationManagerStatics || iid == IID_IUnknown ? this : nullptr; }
  UNUSED_METHOD(CreateToastNotifier(IToastNotifier**))
  HRESULT STDMETHODCALLTYPE CreateToastNotifierWithId(HSTRING id, IToastNotifier** notifier) override {
    world->notifierId = text(id);
    *notifier = new FakeNotifier();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTemplateContent(int type, IXmlDocument** document) override {
    world->templateType = type;
    if (FAILED(world->templateResult)) return world->templateResult;
    *document = new FakeDocument();
    return S_OK;
  }
};

const ToastPlatform kFakePlatform = {
    [] { return world->initializeResult; },
    [] { ++world->uninitialized; },
    [](const wchar_t* name, REFIID iid, void** factory) -> HRESULT {
      std::wstring className(name);
      if (className == L"Windows.UI.Notifications.ToastNotificationManager" && iid == IID_IToastNotificationManagerStatics)
        *factory = static_cast<IToastNotificationManagerStatics*>(new FakeManager());
      else if (className == L"Windows.UI.Notifications.ToastNotification" && iid == IID_IToastNotificationFactory)
        *factory = static_cast<IToastNotificationFactory*>(new FakeFactory());
      else
        return REGDB_E_CLASSNOTREG;
      return S_OK;
    },
};

class ToastTest : public ::testing::Test {
 protected:
  void SetUp() override {
    world = &world_;
    world_.lines.assign(4, L"");
  }
  void TearDown() override {
    EXPECT_EQ(world_.live, 0) << "a reference was not released";
    world = nullptr;
  }
  World world_;
};

TEST_F(ToastTest, ShowsTitleAndBodySilentlyForTheApplication) {
  EXPECT_EQ(displayToast(kFakePlatform, L"Quarvo.ParentalControl.1_0", L"Bedtime", L"Screens off", true), S_OK);
  EXPECT_EQ(world_.templateType, kToastText02);
  EXPECT_EQ(world_.lines[0], L"Bedtime");
  EXPECT_EQ(world_.lines[1], L"Screens off");
  EXPECT_EQ(world_.rootChildren, std::vector<std::wstring>{L"audio"});
  EXPECT_EQ(world_.audioSilent, L"true");
  EXPECT_EQ(world_.notifierId, L"Quarvo.ParentalControl.1_0");
  EXPECT_TRUE(world_.shown);
  EXPECT_EQ(world_.uninitialized, 1);
}

TEST_F(ToastTest, NullTextsAreEmptyLinesAndNotSilentAddsNoAudio) {
  EXPECT_EQ(displayToast(kFakePlatform, L"app", nullptr, nullptr, false), S_OK);
  EXPECT_EQ(world_.lines[0], L"");
  EXPECT_EQ(world_.lines[1], L"");
  EXPECT_TRUE(world_.rootChildren.empty());
  EXPECT_TRUE(world_.shown);
}

TEST_F(ToastTest, FailuresAreReturnedAndNothingIsShown) {
  world_.textElements = 1;
  EXPECT_EQ(displayToast(kFakePlatform, L"app", L"t", L"b", true), E_INVALIDARG);
  EXPECT_FALSE(world_.shown);
  world_.textElements = 2;
  world_.templateResult = E_OUTOFMEMORY;
  EXPECT_EQ(displayToast(kFakePlatform, L"app", L"t", L"b", true), E_OUTOFMEMORY);
  EXPECT_FALSE(world_.shown);
  EXPECT_EQ(world_.uninitialized, 2);
}

TEST_F(ToastTest, ThreadInAnotherApartmentIsTriedButNotUninitialised) {
  world_.initializeResult = RPC_E_CHANGED_MODE;
  EXPECT_EQ(displayToast(kFakePlatform, L"app", L"t", L"b", true), S_OK);
  EXPECT_TRUE(world_.shown);
  EXPECT_EQ(world_.uninitialized, 0);
}

TEST(ToastSystem, WithoutAToastManagerTheSystemErrorComesBack) {
  // Wine has no toast notification manager: the real platform reports the failure, which is
  // what sends connhelper to its message box.
  HRESULT hr = displayToast(systemToastPlatform(), L"app", L"t", L"b", true);
  EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
}

}  // namespace
}  // namespace shellkit
