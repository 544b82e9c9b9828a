// The toast export's work: build a ToastText02 document, fill its two lines, optionally make
// it silent, and show it through a notifier for the application identifier.
#include <winstring.h>

#include <cwchar>

#include "ComRef.h"
#include "ToastPlatform.h"
#include "WinRtToastInterfaces.h"

namespace shellkit {

using namespace winrt;

namespace {

// A string reference over the caller's text, valid for the scope (no copy is made).
class StringRef {
 public:
  explicit StringRef(const wchar_t* text) {
    if (text == nullptr) text = L"";
    if (FAILED(WindowsCreateStringReference(text, static_cast<UINT32>(wcslen(text)), &header_, &string_)))
      string_ = nullptr;  // the empty string
  }
  StringRef(const StringRef&) = delete;
  StringRef& operator=(const StringRef&) = delete;
  HSTRING get() const { return string_; }

 private:
  HSTRING_HEADER header_{};
  HSTRING string_ = nullptr;
};

// Appends a text node holding text to the element; failures leave the element empty.
void appendText(IXmlDocument* document, IXmlNode* element, const wchar_t* text) {
  ComRef<IXmlText> textNode;
  StringRef value(text);
  if (FAILED(document->CreateTextNode(value.get(), textNode.receive()))) return;
  ComRef<IXmlNode> node;
  if (FAILED(textNode->QueryInterface(IID_IXmlNode, node.receiveVoid()))) return;
  ComRef<IXmlNode> appended;
  element->AppendChild(node.get(), appended.receive());
}

HRESULT fillTexts(IXmlDocument* document, const wchar_t* title, const wchar_t* body) {
  ComRef<IXmlNodeList> texts;
  StringRef tag(L"text");
  HRESULT hr = document->GetElementsByTagName(tag.get(), texts.receive());
  if (FAILED(hr)) return hr;
  UINT32 length = 0;
  hr = texts->get_Length(&length);
  if (FAILED(hr)) return hr;
  if (length < 2) return E_INVALIDARG;
  const wchar_t* lines[2] = {title, body};
  for (UINT32 i = 0; i < 2; ++i) {
    ComRef<IXmlNode> element;
    hr = texts->Item(i, element.receive());
    if (FAILED(hr)) return hr;
    appendText(document, element.get(), lines[i]);
  }
  return hr;
}

HRESULT makeSilent(IXmlDocument* document) {
  ComRef<IXmlElement> root;
  HRESULT hr = document->get_DocumentElement(root.receive());
  if (FAILED(hr)) return hr;
  ComRef<IXmlElement> audio;
  StringRef audioTag(L"audio");
  hr = document->CreateElement(audioTag.get(), audio.receive());
  if (FAILED(hr)) return hr;
  StringRef silent(L"silent"), yes(L"true");
  hr = audio->SetAttribute(silent.get(), yes.get());
  if (FAILED(hr)) return hr;
  ComRef<IXmlNode> rootNode, audioNode;
  hr = root->QueryInterface(IID_IXmlNode, rootNode.receiveVoid());
  if (FAILED(hr)) return hr;
  hr = audio->QueryInterface(IID_IXmlNode, audioNode.receiveVoid());
  if (FAILED(hr)) return hr;
  ComRef<IXmlNode> appended;
  return rootNode->AppendChild(audioNode.get(), appended.receive());
}

HRESULT show(const ToastPlatform& platform, IToastNotificationManagerStatics* manager, IXmlDocument* document,
             const wchar_t* appId) {
  ComRef<IToastNotifier> notifier;
  StringRef id(appId);
  HRESULT hr = manager->CreateToastNotifierWithId(id.get(), notifier.receive());
  if (FAILED(hr)) return hr;
  ComRef<IToastNotificationFactory> factory;
  hr = platform.activationFactory(L"Windows.UI.Notifications.ToastNotification", IID_IToastNotificationFactory,
                                  factory.receiveVoid());
  if (FAILED(hr)) return hr;
  ComRef<IToastNotification> toast;
  hr = factory->CreateToastNotification(document, toast.receive());
  if (FAILED(hr)) return hr;
  return notifier->Show(toast.get());
}

}  // namespace

HRESULT displayToast(const ToastPlatform& platform, const wchar_t* appId, const wchar_t* title, const wchar_t* body,
                     bool silent) {
  // A thread already in a single-threaded apartment refuses; the toast is tried regardless,
  // and only our own initialisation is undone.
  bool initialized = SUCCEEDED(platform.initialize());
  HRESULT hr;
  {
    ComRef<IToastNotificationManagerStatics> manager;
    hr = platform.activationFactory(L"Windows.UI.Notifications.ToastNotificationManager",
                                    IID_IToastNotificationManagerStatics, manager.receiveVoid());
    if (SUCCEEDED(hr)) {
      ComRef<IXmlDocument> document;
      hr = manager->GetTemplateContent(kToastText02, document.receive());
      if (SUCCEEDED(hr)) hr = fillTexts(document.get(), title, body);
      if (SUCCEEDED(hr) && silent) hr = makeSilent(document.get());
      if (SUCCEEDED(hr)) hr = show(platform, manager.get(), document.get(), appId);
    }
  }
  if (initialized) platform.uninitialize();
  return hr;
}

}  // namespace shellkit
