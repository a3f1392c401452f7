// Turns a skin document into a tree of controls.
//
// The builder reads the skin (a file name, or XML text that begins with
// "<"), registers what a `Global` root declares, applies a `Window` root's
// attributes to the window in document order and keeps its `Class` children
// as the window's own classes, then creates a control for every element,
// applies its attributes in order (a "class" expands where it stands), builds
// its children into it and adds it to its parent box. `Include` builds
// another skin file in place; `Event` and `BubbledEvent` attach handlers that
// apply an attribute list to a receiver when the event fires.
//
// A skin read from disk may be broken or hostile, so a build has limits:
// includes nest at most kMaxIncludeDepth deep, an include's "count" is at
// most kMaxIncludeCount, one build includes at most kMaxIncludedFiles files
// in all, and controls nest at most kMaxNesting levels (the builder, the box
// destructor and painting recurse once per level); a control's classes
// expand within Control's bounds. Past a limit the build
// fails as a load error does: Create returns null with error() set.
//
// One builder serves one Create. UI thread only.
//
//   SkinBuilder builder;
//   Control* root = builder.Create(L"basic\\basic.xml", callback, window);
//   window->AttachRoot(root);
#pragma once

#include <string>

#include "ui/resources/global_resources.h"
#include "ui/resources/markup_document.h"
#include "ui/resources/markup_node.h"

namespace ui {

class Box;
class Control;
class IControlHost;
class Window;

class SkinBuilder {
 public:
  static constexpr int kMaxIncludeDepth = 8;
  static constexpr int kMaxIncludeCount = 100;
  static constexpr int kMaxIncludedFiles = 256;
  static constexpr int kMaxNesting = 64;

  SkinBuilder() = default;
  SkinBuilder(const SkinBuilder&) = delete;
  SkinBuilder& operator=(const SkinBuilder&) = delete;

  // Builds `source` for `window` (may be null) under `parent` (null for a
  // window's root). With `existing`, the first control element's attributes
  // and children go into that control, which is then the result. Returns
  // the first control created at the top level; null when the source cannot
  // be loaded, breaks a limit or makes no control. A broken limit keeps
  // nothing made, except what already went into `parent` or `existing`.
  // `callback` makes controls for tags the built-in table and the global
  // callback do not know.
  Control* Create(const std::wstring& source, CreateControlCallback callback,
                  IControlHost* window, Box* parent = nullptr, Control* existing = nullptr);

  // The control of a built-in tag ("Button", "VBox", ...); null for others.
  static Control* CreateBuiltinControl(const std::wstring& tag);

  // The attributes of a `Window` element applied to `window` one by one in
  // document order ("size" after "shadowattached" sees the new shadow state).
  static void ApplyWindowAttributes(Window* window, const MarkupNode& window_element);

  // The last document loaded (for its error message).
  const MarkupDocument& document() const { return document_; }
  // Why the last Create broke a limit (a fixed English sentence); empty
  // when it did not.
  const std::wstring& error() const { return budget_->error; }

 private:
  // What one top-level build may still spend; its nested builders share it.
  struct Budget {
    int included_files = 0;
    std::wstring error;
  };

  bool Load(const std::wstring& source);
  // Builds the children of `element` into `parent`, at nesting level
  // `nesting`; `first` gets the first control created at this level. False
  // when a limit was broken.
  bool BuildChildren(const MarkupNode& element, Control* parent, IControlHost* window, int nesting,
                     Control** first);
  bool BuildInclude(const MarkupNode& element, Control* parent, IControlHost* window, int nesting,
                    Control** first);
  bool Fail(const wchar_t* message);
  Control* CreateControl(const std::wstring& tag) const;
  // An Event or BubbledEvent element attached to `parent`.
  static void AttachDeclaredEvent(const MarkupNode& element, Control* parent,
                                  IControlHost* window);

  MarkupDocument document_;
  CreateControlCallback callback_;
  Budget own_budget_;
  Budget* budget_ = &own_budget_;
  int include_depth_ = 0;
  // The nesting level of the controls this builder's root element makes.
  int nesting_ = 1;
};

}  // namespace ui
