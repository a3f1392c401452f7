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
  FirstMade made;
  if (!Build(source, std::move(callback), window, parent, existing, &made)) return nullptr;
  // With a parent (or `existing`) the result is owned already; without one
  // it is the caller's from here.
  if (made.owned) return made.owned.release();
  return made.control;
}

std::unique_ptr<Control> SkinBuilder::CreateRoot(const std::wstring& source,
                                                 CreateControlCallback callback, IControlHost* window) {
  FirstMade made;
  if (!Build(source, std::move(callback), window, nullptr, nullptr, &made)) return nullptr;
  return std::move(made.owned);
}

bool SkinBuilder::Build(const std::wstring& source, CreateControlCallback callback,
                        IControlHost* window, Box* parent, Control* existing, FirstMade* made) {
  callback_ = std::move(callback);
  // A nested builder spends its top-level build's budget.
  if (budget_ == &own_budget_) own_budget_ = Budget{};
  if (!Load(source)) return false;
  MarkupNode root = document_.GetRoot();
  if (!root.IsValid()) return false;
  const std::wstring root_name = root.GetName();

  if (root_name == L"Global") GlobalResources::ApplyGlobalDocument(root);

  if (root_name == L"Window" && window) window->ApplyWindowElement(root);

  if (existing) {
    MarkupNode element = root.GetChild();
    while (element.IsValid() && IsResourceTag(element.GetName())) element = element.GetSibling();
    made->control = existing;
    if (!element.IsValid()) return true;
    const int count = element.GetAttributeCount();
    for (int i = 0; i < count; ++i)
      existing->ApplyAttribute(element.GetAttributeName(i), element.GetAttributeValue(i));
    if (existing->ClassExpansionStopped()) return Fail(L"Classes expand too far");
    FirstMade children;
    return BuildChildren(element, existing, window, nesting_ + 1, &children);
  }
  return BuildChildren(root, parent, window, nesting_, made);
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
                               int nesting, FirstMade* first) {
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
    FirstMade made;
    // Only a broken limit matters here: a file that does not load adds nothing.
    nested.Build(source, callback_, window, box, nullptr, &made);
    if (!budget_->error.empty()) return false;
    if (box || !made.control) continue;
    // Without a box only this level's first control has an owner (the
    // caller); a later one goes with `made`.
    if (!first->control) *first = std::move(made);
  }
  return true;
}

bool SkinBuilder::BuildChildren(const MarkupNode& element, Control* parent, IControlHost* window,
                                int nesting, FirstMade* first) {
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
    FirstMade children;
    if (!BuildChildren(child, control.get(), window, nesting + 1, &children)) return false;

    Control* made = control.get();
    if (parent) {
      // Only a box owns children; under one that is not a box the control
      // has no owner, so it goes.
      Box* box = parent->AsBox();
      if (!box) continue;
      box->Add(std::move(control));
    } else if (first->control) {
      // Without a parent only the result has an owner (the caller).
      continue;
    } else {
      first->owned = std::move(control);  // Create hands it over
    }
    if (!first->control) first->control = made;
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
