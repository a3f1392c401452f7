// Turns a skin document into a tree of controls.
//
// The builder reads the skin (a file name, or XML text that begins with
// "<"), registers what a `Global` root declares, hands a `Window` root to
// the window (IControlHost::ApplyWindowElement: its attributes in document
// order, its `Class` children as the window's own classes), then creates a
// control for every element,
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
//   std::unique_ptr<Control> root = builder.CreateRoot(L"basic\\basic.xml", callback, window);
//   window->AttachRoot(std::move(root));
#pragma once

#include <memory>
#include <string>

#include "ui/resources/global_resources.h"
#include "ui/resources/markup/markup_document.h"
#include "ui/resources/markup/markup_node.h"

namespace ui {

class Box;
class Control;
class IControlHost;

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
  // Without either, the result is the caller's to own.
  // `callback` makes controls for tags neither the widgets' table
  // (CreateControlForTag) nor the global callback knows.
  Control* Create(const std::wstring& source, CreateControlCallback callback,
                  IControlHost* window, Box* parent = nullptr, Control* existing = nullptr);
  // Create for a tree nobody holds yet (a window's root): the same build
  // with neither a parent nor an existing control, its result owned by type.
  std::unique_ptr<Control> CreateRoot(const std::wstring& source, CreateControlCallback callback,
                                      IControlHost* window);

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

  // The first control one level of a build made. Without a parent nobody
  // else owns it, so `owned` holds it until Create hands it to its caller;
  // any later control made there has no owner and goes at once.
  struct FirstMade {
    Control* control = nullptr;
    std::unique_ptr<Control> owned;
  };

  bool Load(const std::wstring& source);
  // Create's work, with what it made in `made`. False when the source cannot
  // be loaded or a limit was broken; `made` then drops what it owns.
  bool Build(const std::wstring& source, CreateControlCallback callback, IControlHost* window,
             Box* parent, Control* existing, FirstMade* made);
  // Builds the children of `element` into `parent`, at nesting level
  // `nesting`; `first` gets the first control created at this level. False
  // when a limit was broken.
  bool BuildChildren(const MarkupNode& element, Control* parent, IControlHost* window, int nesting,
                     FirstMade* first);
  bool BuildInclude(const MarkupNode& element, Control* parent, IControlHost* window, int nesting,
                    FirstMade* first);
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
