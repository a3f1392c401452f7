// The lookup tables a host keeps for its control tree: controls by name,
// the classes of the host's own skin, the tasks of its timers, and controls
// waiting for their delayed delete.
//
// The registry only stores; the host decides what a timer id means to the
// system (a native window sets and kills a Win32 timer for each one) and when
// the queued controls are deleted (after the current message).
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {

class Control;

class ControlRegistry {
 public:
  struct Timer {
    std::function<void()> task;
    bool repeat = false;
  };

  // The host runs DeleteQueued before it goes: the destructors of queued
  // controls call back into it.
  ControlRegistry() = default;
  ControlRegistry(const ControlRegistry&) = delete;
  ControlRegistry& operator=(const ControlRegistry&) = delete;

  // --- names ------------------------------------------------------------------
  // Enters a named control; it replaces an earlier one of the same name.
  void AddName(Control* control);
  void RemoveNamesOf(Control* control);
  Control* FindName(const std::wstring& name) const;

  // --- classes ----------------------------------------------------------------
  void AddClass(const std::wstring& name, const std::wstring& attributes);
  // Empty when the class is unknown.
  std::wstring ClassAttributes(const std::wstring& name) const;

  // --- timers -----------------------------------------------------------------
  // A new timer id (never 0) for `task`.
  UINT_PTR AddTimer(std::function<void()> task, bool repeat);
  // False when no timer had that id.
  bool RemoveTimer(UINT_PTR id);
  // A copy, so the task may stop its own timer while it runs.
  std::optional<Timer> FindTimer(UINT_PTR id) const;
  std::vector<UINT_PTR> TimerIds() const;
  void ClearTimers() { timers_.clear(); }

  // --- delayed deletes ----------------------------------------------------------
  // A control out of any tree (a window's old root): the registry owns it
  // until DeleteQueued. False for null.
  bool QueueDelete(std::unique_ptr<Control> control);
  // A control in a tree stays its parent box's: DeleteQueued has the box
  // remove it. False for null, for a control without a parent, or one
  // queued already.
  bool QueueDelete(Control* control);
  // The control is being destroyed some other way: it must not be deleted
  // again.
  void Unqueue(Control* control);
  // Deletes the queued controls, including those their destruction queues.
  void DeleteQueued();

 private:
  std::map<std::wstring, Control*> names_;
  std::map<std::wstring, std::wstring> classes_;
  std::map<UINT_PTR, Timer> timers_;
  // Window timer ids below 0x100 are left to the system's and child windows'.
  UINT_PTR next_timer_id_ = 0x100;
  struct Queued {
    Control* control = nullptr;
    // Set for a control out of any tree.
    std::unique_ptr<Control> owned;
  };
  bool IsQueued(const Control* control) const;

  std::vector<Queued> delete_queue_;
  // The batch DeleteQueued is deleting.
  std::vector<Queued> deleting_;
};

}  // namespace ui
