#include "ManifestColorReader.h"

#include <windows.h>
#include <xmllite.h>

#include <string>
#include <string_view>

#include "ColorParser.h"
#include "ComRef.h"

namespace shellkit {

namespace {

// What a search gives when the document ends first (XmlLite's own "unexpected end of input").
constexpr HRESULT kEndOfDocument = static_cast<HRESULT>(0xC00CEE39);

using CreateXmlReaderFn = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

// The system folder only, so a planted copy beside the host program is never taken
// (LOAD_LIBRARY_SEARCH_SYSTEM32; ShellKit runs on Windows 8 and later, which all know it).
constexpr DWORD kSearchSystem32 = 0x00000800;

// xmllite.dll is bound at run time; it must outlive every reader made from it.
class XmlLiteModule {
 public:
  XmlLiteModule() : module_(LoadLibraryExW(L"xmllite.dll", nullptr, kSearchSystem32)) {}
  ~XmlLiteModule() {
    if (module_) FreeLibrary(module_);
  }
  XmlLiteModule(const XmlLiteModule&) = delete;
  XmlLiteModule& operator=(const XmlLiteModule&) = delete;

  CreateXmlReaderFn createXmlReader() const {
    if (!module_) return nullptr;
    return reinterpret_cast<CreateXmlReaderFn>(reinterpret_cast<void*>(GetProcAddress(module_, "CreateXmlReader")));
  }

 private:
  HMODULE module_;
};

HRESULT makeReader(const XmlLiteModule& xmlLite, IStream* manifest, ComRef<IXmlReader>& reader) {
  CreateXmlReaderFn create = xmlLite.createXmlReader();
  if (!create) return E_NOINTERFACE;
  HRESULT hr = create(__uuidof(IXmlReader), reader.receiveVoid(), nullptr);
  if (FAILED(hr)) return hr;
  if (!reader) return E_POINTER;
  hr = reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
  if (FAILED(hr)) return hr;
  // Reading here only runs forward, so a reader that does not offer random access (Wine's says
  // E_NOTIMPL) serves as well; any other refusal is a failure like the rest.
  hr = reader->SetProperty(XmlReaderProperty_RandomAccess, TRUE);
  if (FAILED(hr) && hr != E_NOTIMPL) return hr;
  return reader->SetInput(manifest);
}

struct NodePlace {
  XmlNodeType type = XmlNodeType_None;
  UINT line = 0;
  UINT position = 0;
  bool operator==(const NodePlace& other) const {
    return type == other.type && line == other.line && position == other.position;
  }
};

// Reads forward to the start of a non-empty element called `localName`, passing over every other
// element with its content.
HRESULT findElement(IXmlReader& reader, std::wstring_view localName) {
  UINT skipDepth = 0;  // > 0 while inside an element being passed over
  NodePlace last;
  for (;;) {
    XmlNodeType type = XmlNodeType_None;
    HRESULT hr = reader.Read(&type);
    if (hr == S_FALSE) return kEndOfDocument;
    if (FAILED(hr)) return hr;
    // Wine's reader, at the end of a document cut short after white space, gives that white
    // space again and again; two nodes never start at one place, so a repeat is the end.
    UINT line = 0;
    UINT position = 0;
    bool placed = SUCCEEDED(reader.GetLineNumber(&line)) && SUCCEEDED(reader.GetLinePosition(&position)) && line > 0;
    NodePlace place = placed ? NodePlace{type, line, position} : NodePlace{};
    if (placed && place == last) return kEndOfDocument;
    last = place;
    if (type == XmlNodeType_EndElement) {
      if (skipDepth > 0) --skipDepth;
      continue;
    }
    if (type != XmlNodeType_Element || reader.IsEmptyElement()) continue;
    if (skipDepth > 0) {
      ++skipDepth;
      continue;
    }
    const WCHAR* name = nullptr;
    UINT length = 0;
    hr = reader.GetLocalName(&name, &length);
    if (FAILED(hr)) return hr;
    if (name && std::wstring_view(name, length) == localName) return S_OK;
    skipDepth = 1;
  }
}

HRESULT readBackgroundColor(IXmlReader& reader, std::u16string& value) {
  for (std::wstring_view element : {L"Package", L"Applications", L"Application", L"VisualElements"}) {
    HRESULT hr = findElement(reader, element);
    if (FAILED(hr)) return hr;
  }
  HRESULT hr = reader.MoveToAttributeByName(L"BackgroundColor", nullptr);
  if (FAILED(hr)) return hr;
  if (hr == S_FALSE) return S_OK;  // no attribute: an empty value
  const WCHAR* text = nullptr;
  UINT length = 0;
  hr = reader.GetValue(&text, &length);
  if (FAILED(hr)) return hr;
  if (text) value.assign(text, text + length);
  return S_OK;
}

}  // namespace

std::int32_t readManifestBackgroundColor(IStream* manifest, std::int32_t current) {
  if (!manifest) return kUnreadableManifestColor;
  XmlLiteModule xmlLite;
  ComRef<IXmlReader> reader;
  std::u16string value;
  if (FAILED(makeReader(xmlLite, manifest, reader)) || FAILED(readBackgroundColor(*reader.get(), value))) {
    return kUnreadableManifestColor;
  }
  return parseBackgroundColor(value, current);
}

}  // namespace shellkit
