// global.xml applied to the tables a skin fills: its root attributes, fonts,
// text colours and classes; and the classes' own entries on the registry.
#include "ui/resources/global_resources.h"

#include <string>
#include <string_view>

#include "base/text/trim.h"
#include "ui/render/color_table.h"
#include "ui/render/font_table.h"
#include "ui/resources/attribute_table.h"
#include "ui/resources/attribute_values.h"
#include "ui/resources/class_table.h"
#include "ui/resources/global_text_colors.h"
#include "ui/resources/markup/markup_document.h"
#include "ui/resources/markup/markup_node.h"
#include "ui/resources/skin_tables.h"

namespace ui {
namespace {

void ApplyFont(const MarkupNode& node) {
  FontTable& fonts = SkinFonts();
  std::wstring id = node.GetAttributeValue(L"id");
  const std::wstring face = node.GetAttributeValue(L"name");
  if (face.empty()) return;
  if (id.empty()) id = std::to_wstring(fonts.GetFontCount());
  fonts.AddFont(id, face, ParseIntAttribute(node.GetAttributeValue(L"size")),
                ParseBoolAttribute(node.GetAttributeValue(L"bold")),
                ParseBoolAttribute(node.GetAttributeValue(L"underline")),
                ParseBoolAttribute(node.GetAttributeValue(L"italic")),
                ParseBoolAttribute(node.GetAttributeValue(L"default")));
}

void ApplyTextColor(const MarkupNode& node) {
  const std::wstring name = node.GetAttributeValue(L"name");
  if (name.empty()) return;
  SkinColors().AddColor(name, node.GetAttributeValue(L"value"));
}

}  // namespace

// [SECTION] global.xml

void GlobalResources::ApplyGlobalDocument(const MarkupDocument& document) {
  ApplyGlobalDocument(document.GetRoot());
}

void GlobalResources::ApplyGlobalDocument(const MarkupNode& root) {
  if (!root.IsValid()) return;
  // global.xml's own attributes: the colours every control falls back to.
  static const attribute_setters::Table<GlobalTextColors> kGlobalSetters = {
      {L"defaultfontcolor",
       [](GlobalTextColors& colors, const std::wstring& value) { colors.normal_name = value; }},
      {L"disabledfontcolor",
       [](GlobalTextColors& colors, const std::wstring& value) { colors.disabled_name = value; }},
      {L"linkfontcolor",
       [](GlobalTextColors& colors, const std::wstring& value) {
         colors.link = SkinColors().LookupColor(value);
       }},
      {L"linkhoverfontcolor",
       [](GlobalTextColors& colors, const std::wstring& value) {
         colors.link_hover = SkinColors().LookupColor(value);
       }},
      {L"selectedcolor",
       [](GlobalTextColors& colors, const std::wstring& value) {
         colors.selected = SkinColors().LookupColor(value);
       }},
  };
  const int count = root.GetAttributeCount();
  for (int i = 0; i < count; ++i) {
    attribute_setters::Apply(kGlobalSetters, SkinTextColors(),
                             std::wstring(root.GetAttributeName(i)),
                             root.GetAttributeValue(i));
  }
  for (MarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
    const std::wstring_view tag = node.GetName();
    if (tag == L"Font") {
      ApplyFont(node);
    } else if (tag == L"TextColor") {
      ApplyTextColor(node);
    } else if (tag == L"Class") {
      const std::wstring name = node.GetAttributeValue(L"name");
      if (!name.empty()) AddClass(name, ClassAttributesOf(node));
    }
  }
}

// [SECTION] Classes

void GlobalResources::AddClass(const std::wstring& name, const std::wstring& attributes) {
  SkinClasses().Add(name, attributes);
}

std::wstring GlobalResources::LookupClass(const std::wstring& name) {
  return SkinClasses().Lookup(name);
}

std::wstring GlobalResources::ClassAttributesOf(const MarkupNode& class_element) {
  std::wstring text;
  const int count = class_element.GetAttributeCount();
  for (int i = 0; i < count; ++i) {
    const std::wstring_view name = class_element.GetAttributeName(i);
    const std::wstring_view value = class_element.GetAttributeValue(i);
    if (name == L"name") continue;
    if (name == L"value") {
      // A ready-made attribute list.
      text.append(value);
    } else {
      // "_value" is how a class passes a "value" attribute on to its controls.
      text.append(L" ").append(name == L"_value" ? L"value" : name).append(L"=\"");
      text.append(value).append(L"\"");
    }
  }
  return std::wstring(base::TrimBlanks(text, base::Blanks::kMarkupSpace));
}

}  // namespace ui
