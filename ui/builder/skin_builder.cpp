#include "ui/builder/skin_builder.h"

#include <vector>

#include "ui/controls/box.h"
#include "ui/controls/control.h"
#include "ui/controls/control_host.h"
#include "ui/controls/control_resources.h"
#include "ui/controls/layout.h"
#include "ui/resources/attribute_values.h"
#include "ui/widgets/widget_tags.h"

namespace ui {
namespace {

// Elements that describe resources, not controls.
bool IsResourceTag(const std::wstring& tag) {
  return tag == L"Image" || tag == L"Font" || tag == L"Class" || tag == L"TextColor";
}

// The receiver of a declared event: "./name" (or ".\name") among the
// descendants of the element's control, any other name in the whole window.
Control* FindReceiver(Control* owner, IControlHost* window, const std::wstring& name) {
  if (name.size() >= 2 && name[0] == L'.' && (name[1] == L'/' || name[1] == L'\\')) {
    Box* box = owner->AsBox();
    return box ? box->FindSubControl(name.substr(2)) : nullptr;
  }
  return window ? window->FindControl(name) : nullptr;
}

}  // namespace

bool SkinBuilder::Load(const std::wstring& source) {
  if (!source.empty() && source[0] == L'<') return document_.Load(source);
  if (source.empty()) return false;
  return GlobalResources::ReadSkinDocument(source, &document_);
}

Control* SkinBuilder::Create(const std::wstring& source, CreateControlCallback callback,
                             IControlHost* window, Box* parent, Control* existing) {
  callback_ = std::move(callback);
  // A nested builder spends its top-level build's budget.
  if (budget_ == &own_budget_) own_budget_ = Budget{};
  if (!Load(source)) return nullptr;
  MarkupNode root = document_.GetRoot();
  if (!root.IsValid()) return nullptr;
  const std::wstring root_name = root.GetName();

  if (root_name == L"Global") GlobalResources::ApplyGlobalDocument(root);

  if (root_name == L"Window" && window) window->ApplyWindowElement(root);

  if (existing) {
    MarkupNode element = root.GetChild();
    while (element.IsValid() && IsResourceTag(element.GetName())) element = element.GetSibling();
    if (!element.IsValid()) return existing;
    const int count = element.GetAttributeCount();
    for (int i = 0; i < count; ++i)
      existing->ApplyAttribute(element.GetAttributeName(i), element.GetAttributeValue(i));
    if (existing->ClassExpansionStopped()) {
      Fail(L"Classes expand too far");
      return nullptr;
    }
    Control* first = nullptr;
    return BuildChildren(element, existing, window, nesting_ + 1, &first) ? existing : nullptr;
  }
  Control* first = nullptr;
  if (!BuildChildren(root, parent, window, nesting_, &first)) {
    // Without a parent the result is nobody else's; with one, the parent
    // owns it already.
    if (!parent) delete first;
    return nullptr;
  }
  return first;
}

Control* SkinBuilder::CreateControl(const std::wstring& tag) const {
  if (Control* control = CreateControlForTag(tag)) return control;
  if (const CreateControlCallback& global = GlobalResources::GetCreateControlCallback()) {
    if (Control* control = global(tag)) return control;
  }
  if (callback_) return callback_(tag);
  return nullptr;
}

bool SkinBuilder::Fail(const wchar_t* message) {
  if (budget_->error.empty()) budget_->error = message;
  return false;
}

bool SkinBuilder::BuildInclude(const MarkupNode& element, Control* parent, IControlHost* window,
                               int nesting, Control** first) {
  std::wstring source;
  if (!element.GetAttributeValue(L"source", &source) || source.empty()) return true;
  std::wstring count_text;
  int count = element.GetAttributeValue(L"count", &count_text) ? ParseIntAttribute(count_text) : 1;
  // An included file adds its controls to a box; at the top of a skin,
  // where there is no parent yet, its first control is this level's result
  // as one written here would be (a window's skin may be a single Include).
  // Under a control that is not a box they would have no owner.
  Box* box = parent ? parent->AsBox() : nullptr;
  if ((parent && !box) || count <= 0) return true;
  // A file that includes itself, or a cycle of files, nests without end; a
  // large count multiplies at every level.
  if (include_depth_ >= kMaxIncludeDepth) return Fail(L"Includes nested too deeply");
  if (count > kMaxIncludeCount) return Fail(L"Include count too large");
  for (int i = 0; i < count; ++i) {
    if (++budget_->included_files > kMaxIncludedFiles) return Fail(L"Too many included files");
    SkinBuilder nested;
    nested.budget_ = budget_;
    nested.include_depth_ = include_depth_ + 1;
    nested.nesting_ = nesting;
    Control* made = nested.Create(source, callback_, window, box);
    if (!budget_->error.empty()) return false;
    if (box || !made) continue;
    if (*first)
      delete made;
    else
      *first = made;
  }
  return true;
}

bool SkinBuilder::BuildChildren(const MarkupNode& element, Control* parent, IControlHost* window,
                                int nesting, Control** first) {
  for (MarkupNode child = element.GetChild(); child.IsValid(); child = child.GetSibling()) {
    const std::wstring tag = child.GetName();
    if (IsResourceTag(tag)) continue;

    if (tag == L"Include") {
      if (!BuildInclude(child, parent, window, nesting, first)) return false;
      continue;
    }

    if (tag == L"Event" || tag == L"BubbledEvent") {
      if (parent) AttachDeclaredEvent(child, parent, window);
      continue;
    }

    std::unique_ptr<Control> control(CreateControl(tag));
    // A tag nobody makes is skipped with its whole subtree.
    if (!control) continue;
    if (nesting > kMaxNesting) return Fail(L"Elements nested too deeply");
    if (window) control->SetWindow(window);
    const int attributes = child.GetAttributeCount();
    for (int i = 0; i < attributes; ++i)
      control->ApplyAttribute(child.GetAttributeName(i), child.GetAttributeValue(i));
    if (control->ClassExpansionStopped()) return Fail(L"Classes expand too far");
    Control* first_child = nullptr;
    if (!BuildChildren(child, control.get(), window, nesting + 1, &first_child)) return false;

    Control* made = control.get();
    if (parent) {
      // Only a box owns children; under one that is not a box the control
      // has no owner, so it goes.
      Box* box = parent->AsBox();
      if (!box) continue;
      box->Add(std::move(control));
    } else if (*first) {
      // Without a parent only the result has an owner (the caller).
      continue;
    } else {
      control.release();  // the caller's from here: see Create
    }
    if (!*first) *first = made;
  }
  return true;
}

void SkinBuilder::AttachDeclaredEvent(const MarkupNode& element, Control* parent,
                                      IControlHost* window) {
  const bool bubbled = std::wstring(element.GetName()) == L"BubbledEvent";
  Box* box = parent->AsBox();
  if (bubbled && !box) return;
  const std::vector<std::wstring> types = SplitBlanks(element.GetAttributeValue(L"type"));
  const std::vector<std::wstring> receivers =
      SplitBlanks(element.GetAttributeValue(L"receiver"));
  const std::wstring attributes = element.GetAttributeValue(L"applyattribute");
  for (const std::wstring& type_name : types) {
    const EventType type = EventTypeFromName(type_name);
    for (const std::wstring& receiver : receivers) {
      // The handler lives in `parent`'s handler table, so `parent` outlives it.
      EventCallback handler = [parent, window, receiver, attributes](EventArgs*) {
        IControlHost* host = parent->GetWindow() ? parent->GetWindow() : window;
        if (Control* target = FindReceiver(parent, host, receiver))
          target->ApplyAttributeText(attributes);
        return true;
      };
      if (bubbled)
        box->AttachXmlBubbledEvent(type, std::move(handler));
      else
        parent->AttachXmlEvent(type, std::move(handler));
    }
  }
}

}  // namespace ui
