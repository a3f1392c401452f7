#include "ui/controls/control_registry.h"

#include <algorithm>

#include "ui/controls/box.h"
#include "ui/controls/control.h"

namespace ui {

void ControlRegistry::AddName(Control* control) {
  if (control && !control->GetName().empty()) names_[control->GetName()] = control;
}

void ControlRegistry::RemoveNamesOf(Control* control) {
  for (auto it = names_.begin(); it != names_.end();) {
    it = it->second == control ? names_.erase(it) : std::next(it);
  }
}

Control* ControlRegistry::FindName(const std::wstring& name) const {
  auto it = names_.find(name);
  return it == names_.end() ? nullptr : it->second;
}

void ControlRegistry::AddClass(const std::wstring& name, const std::wstring& attributes) {
  if (!name.empty()) classes_[name] = attributes;
}

std::wstring ControlRegistry::ClassAttributes(const std::wstring& name) const {
  auto it = classes_.find(name);
  return it == classes_.end() ? std::wstring() : it->second;
}

UINT_PTR ControlRegistry::AddTimer(std::function<void()> task, bool repeat) {
  const UINT_PTR id = next_timer_id_++;
  timers_[id] = Timer{std::move(task), repeat};
  return id;
}

bool ControlRegistry::RemoveTimer(UINT_PTR id) { return timers_.erase(id) > 0; }

std::optional<ControlRegistry::Timer> ControlRegistry::FindTimer(UINT_PTR id) const {
  auto it = timers_.find(id);
  if (it == timers_.end()) return std::nullopt;
  return it->second;
}

std::vector<UINT_PTR> ControlRegistry::TimerIds() const {
  std::vector<UINT_PTR> ids;
  for (const auto& entry : timers_) ids.push_back(entry.first);
  return ids;
}

bool ControlRegistry::IsQueued(const Control* control) const {
  return std::any_of(delete_queue_.begin(), delete_queue_.end(),
                     [control](const Queued& queued) { return queued.control == control; });
}

bool ControlRegistry::QueueDelete(std::unique_ptr<Control> control) {
  if (!control) return false;
  Control* raw = control.get();
  delete_queue_.push_back(Queued{raw, std::move(control)});
  return true;
}

bool ControlRegistry::QueueDelete(Control* control) {
  if (!control || !control->GetParent() || IsQueued(control)) return false;
  delete_queue_.push_back(Queued{control, nullptr});
  return true;
}

void ControlRegistry::Unqueue(Control* control) {
  delete_queue_.erase(std::remove_if(delete_queue_.begin(), delete_queue_.end(),
                                     [control](const Queued& queued) { return queued.control == control; }),
                      delete_queue_.end());
  for (Queued& queued : deleting_) {
    if (queued.control == control) queued.control = nullptr;
  }
}

void ControlRegistry::DeleteQueued() {
  // Deleting may queue more (a control that removes its children).
  while (!delete_queue_.empty()) {
    deleting_.swap(delete_queue_);
    // A control whose ancestor is queued too goes with that ancestor.
    auto in_batch = [this](const Control* control) {
      return std::any_of(deleting_.begin(), deleting_.end(),
                         [control](const Queued& queued) { return queued.control == control; });
    };
    std::vector<Queued> topmost;
    for (Queued& queued : deleting_) {
      bool ancestor_queued = false;
      for (Control* up = queued.control->GetParent(); up && !ancestor_queued; up = up->GetParent())
        ancestor_queued = in_batch(up);
      if (!ancestor_queued) topmost.push_back(std::move(queued));
    }
    deleting_.swap(topmost);
    topmost.clear();
    // A destructor may delete another control of the batch itself; it then
    // leaves the batch through Unqueue.
    for (size_t i = 0; i < deleting_.size(); ++i) {
      Control* control = std::exchange(deleting_[i].control, nullptr);
      std::unique_ptr<Control> owned = std::move(deleting_[i].owned);
      if (owned) {
        owned.reset();
      } else if (control && control->GetParent()) {
        // Only a box has children.
        static_cast<Box*>(control->GetParent())->Remove(control);
      }
    }
    deleting_.clear();
  }
}

}  // namespace ui
