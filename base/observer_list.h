// A list of observers that may be changed while it is being notified.
#pragma once

#include <algorithm>
#include <vector>

namespace base {

template <typename Observer>
class ObserverList {
 public:
  ObserverList() = default;
  virtual ~ObserverList() = default;
  ObserverList(const ObserverList&) = delete;
  ObserverList& operator=(const ObserverList&) = delete;

  void AddObserver(Observer* observer) {
    if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
      observers_.push_back(observer);
  }

  // During a notification the entry is only nulled, so the walk by index
  // stays valid; the hole is compacted once the outermost walk is done.
  void RemoveObserver(Observer* observer) {
    auto it = std::find(observers_.begin(), observers_.end(), observer);
    if (it == observers_.end()) return;
    if (notify_depth_ > 0)
      *it = nullptr;
    else
      observers_.erase(it);
  }

  bool HasObserver(Observer* observer) const {
    return std::find(observers_.begin(), observers_.end(), observer) != observers_.end();
  }

  // Calls `notify(observer)` for each observer. Observers added during the
  // walk are notified too (the size is re-read on every step).
  template <typename Notify>
  void ForEach(Notify&& notify) {
    ++notify_depth_;
    for (size_t i = 0; i < observers_.size(); ++i) {
      if (Observer* observer = observers_[i]) notify(observer);
    }
    if (--notify_depth_ == 0) Compact();
  }

 protected:
  virtual void Compact() {
    if (notify_depth_ != 0) return;
    observers_.erase(std::remove(observers_.begin(), observers_.end(), nullptr), observers_.end());
  }

 private:
  std::vector<Observer*> observers_;
  int notify_depth_ = 0;
};

}  // namespace base
