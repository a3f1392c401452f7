// Callbacks that stop calling once their owner is gone.
//
// Handlers and posted tasks often point back at an object (a window, a
// control, a thread object) that may die while the callable still sits in an
// event list, a timer or a task queue. A WeakCallback pairs the callable with
// a weak handle to a flag that lives exactly as long as its owner; once the
// owner is destroyed (or revokes its callbacks with WeakCallbackFlag::Cancel)
// the callback does nothing and returns a value-initialised result.
//
// Typical use, inside a member of an owner deriving from SupportWeakCallback:
//
//   button->AttachClick(ToWeakCallback(
//       std::bind(&BasicForm::OnClicked, this, std::placeholders::_1)));
//
// The alive test does not take a strong reference to the owner, so it does
// not keep the owner alive during the call: destroy an owner only on the
// thread that runs its weak callbacks, or after that thread has ended.
#pragma once

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

namespace base {

// The task a message loop queues: copyable, takes nothing, returns nothing.
// An empty closure is allowed and does nothing when run.
using StdClosure = std::function<void()>;

// The liveness token. Only its shared ownership count matters.
struct WeakFlag {};

using WeakFlagHandle = std::weak_ptr<WeakFlag>;

template <typename Callable>
class WeakCallback {
 public:
  WeakCallback(WeakFlagHandle flag, Callable callable)
      : flag_(std::move(flag)), callable_(std::move(callable)) {}

  // Calls through only while the owner's flag is alive; otherwise returns the
  // value-initialised result (false for event handlers, nothing for tasks).
  template <typename... Args>
  auto operator()(Args&&... args) const
      -> decltype(std::declval<const Callable&>()(std::forward<Args>(args)...)) {
    using Result = decltype(std::declval<const Callable&>()(std::forward<Args>(args)...));
    if (!Expired()) return callable_(std::forward<Args>(args)...);
    if constexpr (!std::is_void_v<Result>) return Result();
  }
  template <typename... Args>
  auto operator()(Args&&... args)
      -> decltype(std::declval<Callable&>()(std::forward<Args>(args)...)) {
    using Result = decltype(std::declval<Callable&>()(std::forward<Args>(args)...));
    if (!Expired()) return callable_(std::forward<Args>(args)...);
    if constexpr (!std::is_void_v<Result>) return Result();
  }

  // True once the owner is gone or has cancelled the flag this was made from.
  bool Expired() const { return flag_.expired(); }

  const WeakFlagHandle& flag() const { return flag_; }

 private:
  WeakFlagHandle flag_;
  Callable callable_;
};

// Base of every object whose callbacks must die with it. Copying an owner does
// not copy its flag: the copy hands out callbacks of its own.
class SupportWeakCallback {
 public:
  SupportWeakCallback() = default;
  SupportWeakCallback(const SupportWeakCallback&) {}
  SupportWeakCallback& operator=(const SupportWeakCallback&) { return *this; }
  virtual ~SupportWeakCallback() = default;

  // A weak handle to the owner's current flag, creating the flag on first use
  // (and again after a Cancel). Not synchronised: ask on the owner's thread.
  WeakFlagHandle GetWeakFlag() const {
    if (!flag_ || flag_.use_count() == 0) flag_ = std::make_shared<WeakFlag>();
    return flag_;
  }

  // Wraps a callable bound to this object so it dies with the object.
  template <typename Callable>
  WeakCallback<std::decay_t<Callable>> ToWeakCallback(Callable&& callable) const {
    return WeakCallback<std::decay_t<Callable>>(GetWeakFlag(), std::forward<Callable>(callable));
  }

 protected:
  // Drops the strong handle: every callback made so far is dead from now on.
  void ReleaseWeakFlag() { flag_.reset(); }

 private:
  // The strong handle; empty until a callback is first asked for. Mutable so
  // const members (a proxy's deletion task) can bind themselves weakly.
  mutable std::shared_ptr<WeakFlag> flag_;
};

// Embedded as a member by objects that need to revoke their outstanding
// callbacks without dying (a control cancelling its timers, for example).
class WeakCallbackFlag : public SupportWeakCallback {
 public:
  // Every callback made from the previous flag is dead; the next GetWeakFlag
  // creates a fresh flag, so callbacks made after this work again.
  void Cancel() { ReleaseWeakFlag(); }
};

// Free form for code outside the owner: binds `callable` to `owner`'s flag.
template <typename Callable>
WeakCallback<std::decay_t<Callable>> ToWeakCallback(const SupportWeakCallback* owner,
                                                    Callable&& callable) {
  return owner->ToWeakCallback(std::forward<Callable>(callable));
}

}  // namespace base
