// The skin's `Window` element: its attributes, as a table from the attribute
// name to the frame setting it changes, and its classes. The attributes
// apply one by one in document order, so a "size" after "shadowattached"
// sees the new shadow state.
#include <cwchar>

#include "ui/controls/attribute_setters.h"
#include "ui/controls/control_resources.h"
#include "ui/resources/attribute_values.h"
#include "ui/resources/global_resources.h"
#include "ui/resources/markup/markup_node.h"
#include "ui/window/window.h"

namespace ui {
namespace {

using Value = const std::wstring&;

void ApplyAlphaFixCorner(Window& w, Value v) { w.SetAlphaFixCorner(ParseRectAttribute(v)); }

}  // namespace

void Window::ApplyAttribute(const std::wstring& name, const std::wstring& value) {
  static const attribute_setters::Table<Window> kSetters = {
      {L"size",
       [](Window& w, Value v) {
         const SIZE size = ParsePairAttribute(v);
         w.SetInitSize(size.cx, size.cy);
       }},
      {L"heightpercent",
       [](Window& w, Value v) { w.SetHeightPercent(std::wcstod(v.c_str(), nullptr)); }},
      {L"sizebox", [](Window& w, Value v) { w.SetSizeBox(ParseRectAttribute(v)); }},
      {L"caption", [](Window& w, Value v) { w.SetCaptionRect(ParseRectAttribute(v)); }},
      {L"textid", [](Window& w, Value v) { w.SetTitleText(control_resources::LookupString(v)); }},
      {L"roundcorner",
       [](Window& w, Value v) {
         const SIZE corner = ParsePairAttribute(v);
         w.SetRoundCorner(corner.cx, corner.cy);
       }},
      {L"mininfo",
       [](Window& w, Value v) {
         const SIZE size = ParsePairAttribute(v);
         w.SetMinInfo(size.cx, size.cy);
       }},
      {L"maxinfo",
       [](Window& w, Value v) {
         const SIZE size = ParsePairAttribute(v);
         w.SetMaxInfo(size.cx, size.cy);
       }},
      {L"shadowattached", attribute_setters::Bool<Window, &Window::SetShadowAttached>},
      {L"shadowimage", attribute_setters::Text<Window, &Window::SetShadowImage>},
      {L"shadowcorner", [](Window& w, Value v) { w.SetShadowCorner(ParseRectAttribute(v)); }},
      // The second name is the older one; both set the same rectangle.
      {L"alphafixcorner", ApplyAlphaFixCorner},
      {L"custom_shadow", ApplyAlphaFixCorner},
  };
  attribute_setters::Apply(kSetters, *this, name, value);
}

void Window::ApplyAttributes(const MarkupNode& element) {
  const int count = element.GetAttributeCount();
  for (int i = 0; i < count; ++i)
    ApplyAttribute(element.GetAttributeName(i), element.GetAttributeValue(i));
}

void Window::ApplyWindowElement(const MarkupNode& element) {
  if (GetHWND()) ApplyAttributes(element);
  for (MarkupNode child = element.GetChild(); child.IsValid(); child = child.GetSibling()) {
    if (std::wstring(child.GetName()) != L"Class") continue;
    const std::wstring name = TrimBlanks(child.GetAttributeValue(L"name"));
    if (!name.empty()) AddClass(name, GlobalResources::ClassAttributesOf(child));
  }
}

}  // namespace ui
