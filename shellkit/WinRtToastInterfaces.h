// The few Windows Runtime interfaces the toast exports call, declared here because the
// mingw-w64 headers lack them. IIDs and method order follow the Windows SDK metadata; only the
// methods up to the last one called are declared for each interface, which is all a vtable
// call needs (the objects themselves come from the system).
#pragma once

#include <inspectable.h>
#include <windows.h>
#include <winstring.h>

namespace shellkit {
namespace winrt {

// Windows.UI.Notifications.ToastTemplateType.ToastText02: a title line and a body line.
constexpr int kToastText02 = 5;

struct IXmlNode;
struct IXmlNodeList;
struct IXmlElement;
struct IXmlText;
struct IToastNotifier;
struct IToastNotification;

// {F7F3A506-1E87-42D6-BCFB-B8C809FA5494}
struct IXmlDocument : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE get_Doctype(IInspectable** value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Implementation(IInspectable** value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_DocumentElement(IXmlElement** value) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateElement(HSTRING tagName, IXmlElement** element) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateDocumentFragment(IInspectable** fragment) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateTextNode(HSTRING data, IXmlText** text) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateComment(HSTRING data, IInspectable** comment) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateProcessingInstruction(HSTRING target, HSTRING data, IInspectable** pi) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateAttribute(HSTRING name, IInspectable** attribute) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateEntityReference(HSTRING name, IInspectable** reference) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetElementsByTagName(HSTRING tagName, IXmlNodeList** elements) = 0;
};

// {8C60AD77-83A4-4EC1-9C54-7BA429E13DA6}
struct IXmlNodeList : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE get_Length(UINT32* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE Item(UINT32 index, IXmlNode** node) = 0;
};

// {1C741D59-2122-47D5-A856-83F3D4214875}
struct IXmlNode : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE get_NodeValue(IInspectable** value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_NodeValue(IInspectable* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_NodeType(int* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_NodeName(HSTRING* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ParentNode(IXmlNode** value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ChildNodes(IXmlNodeList** value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_FirstChild(IXmlNode** value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_LastChild(IXmlNode** value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_PreviousSibling(IXmlNode** value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_NextSibling(IXmlNode** value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Attributes(IInspectable** value) = 0;
  virtual HRESULT STDMETHODCALLTYPE HasChildNodes(boolean* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_OwnerDocument(IXmlDocument** value) = 0;
  virtual HRESULT STDMETHODCALLTYPE InsertBefore(IXmlNode* newChild, IXmlNode* referenceChild, IXmlNode** inserted) = 0;
  virtual HRESULT STDMETHODCALLTYPE ReplaceChild(IXmlNode* newChild, IXmlNode* referenceChild, IXmlNode** previous) = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveChild(IXmlNode* child, IXmlNode** removed) = 0;
  virtual HRESULT STDMETHODCALLTYPE AppendChild(IXmlNode* newChild, IXmlNode** appended) = 0;
};

// {2DFB8A1F-6B10-4EF8-9F83-EFCCE8FAEC37}
struct IXmlElement : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE get_TagName(HSTRING* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetAttribute(HSTRING name, HSTRING* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetAttribute(HSTRING name, HSTRING value) = 0;
};

// {F931A4CB-308D-4760-A1D5-43B67450AC7E}; only queried for IXmlNode.
struct IXmlText : IInspectable {};

// {50AC103F-D235-4598-BBEF-98FE4D1A3AD4}
struct IToastNotificationManagerStatics : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE CreateToastNotifier(IToastNotifier** notifier) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateToastNotifierWithId(HSTRING applicationId, IToastNotifier** notifier) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTemplateContent(int type, IXmlDocument** content) = 0;
};

// {75927B93-03F3-41EC-91D3-6E5BAC1B38E7}
struct IToastNotifier : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE Show(IToastNotification* notification) = 0;
};

// {04124B20-82C6-4229-B109-FD9ED4662B53}
struct IToastNotificationFactory : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE CreateToastNotification(IXmlDocument* content, IToastNotification** notification) = 0;
};

// {997E2675-059E-4E60-8B06-1760917C8B80}; handed to Show only.
struct IToastNotification : IInspectable {};

extern const IID IID_IXmlDocument;
extern const IID IID_IXmlNode;
extern const IID IID_IXmlNodeList;
extern const IID IID_IXmlElement;
extern const IID IID_IXmlText;
extern const IID IID_IToastNotificationManagerStatics;
extern const IID IID_IToastNotifier;
extern const IID IID_IToastNotificationFactory;
extern const IID IID_IToastNotification;

}  // namespace winrt
}  // namespace shellkit
