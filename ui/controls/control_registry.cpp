#include "ui/controls/control_registry.h"

#include <algorithm>

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

bool ControlRegistry::QueueDelete(Control* control) {
  if (!control ||
      std::find(delete_queue_.begin(), delete_queue_.end(), control) != delete_queue_.end()) {
    return false;
  }
  delete_queue_.push_back(control);
  return true;
}

void ControlRegistry::Unqueue(Control* control) {
  delete_queue_.erase(std::remove(delete_queue_.begin(), delete_queue_.end(), control),
                      delete_queue_.end());
  std::replace(deleting_.begin(), deleting_.end(), control, static_cast<Control*>(nullptr));
}

void ControlRegistry::DeleteQueued() {
  // Deleting may queue more (a control that removes its children).
  while (!delete_queue_.empty()) {
    deleting_.swap(delete_queue_);
    // A control whose ancestor is queued too goes with that ancestor.
    std::vector<Control*> topmost;
    for (Control* control : deleting_) {
      bool ancestor_queued = false;
      for (Control* up = control->GetParent(); up && !ancestor_queued; up = up->GetParent())
        ancestor_queued = std::find(deleting_.begin(), deleting_.end(), up) != deleting_.end();
      if (!ancestor_queued) topmost.push_back(control);
    }
    deleting_.swap(topmost);
    // A destructor may delete another control of the batch itself; it then
    // leaves the batch through Unqueue.
    for (size_t i = 0; i < deleting_.size(); ++i) {
      Control* control = deleting_[i];
      deleting_[i] = nullptr;
      delete control;
    }
    deleting_.clear();
  }
}

}  // namespace ui
