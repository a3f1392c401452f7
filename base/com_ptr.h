// A COM interface pointer that releases its reference, an owner of a
// CoInitialize on the current thread, and an owner of memory COM hands out.
#pragma once

#include <objbase.h>

#include <utility>

#include "base/unique_any.h"

namespace base {

template <typename Interface>
class com_ptr {
 public:
  com_ptr() = default;
  com_ptr(std::nullptr_t) {}
  // Takes over a reference the caller already holds.
  static com_ptr Attach(Interface* p) {
    com_ptr result;
    result.p_ = p;
    return result;
  }
  ~com_ptr() { reset(); }
  com_ptr(const com_ptr& o) : p_(o.p_) {
    if (p_) p_->AddRef();
  }
  com_ptr& operator=(const com_ptr& o) {
    if (o.p_) o.p_->AddRef();
    reset();
    p_ = o.p_;
    return *this;
  }
  com_ptr(com_ptr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  com_ptr& operator=(com_ptr&& o) noexcept {
    if (this != &o) {
      reset();
      p_ = std::exchange(o.p_, nullptr);
    }
    return *this;
  }

  Interface* get() const { return p_; }
  Interface* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  void reset() {
    if (auto* p = std::exchange(p_, nullptr)) p->Release();
  }
  // For out-parameters of CoCreateInstance and QueryInterface.
  Interface** put() {
    reset();
    return &p_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }

  template <typename Other>
  HRESULT QueryTo(com_ptr<Other>& out) const {
    if (!p_) return E_POINTER;
    return p_->QueryInterface(__uuidof(Other), out.put_void());
  }

 private:
  Interface* p_ = nullptr;
};

// CoInitialize for the lifetime of the object; CoUninitialize only if it
// succeeded.
class unique_couninitialize {
 public:
  unique_couninitialize() : hr_(::CoInitialize(nullptr)) {}
  ~unique_couninitialize() {
    if (SUCCEEDED(hr_)) ::CoUninitialize();
  }
  unique_couninitialize(const unique_couninitialize&) = delete;
  unique_couninitialize& operator=(const unique_couninitialize&) = delete;
  HRESULT result() const { return hr_; }

 private:
  HRESULT hr_;
};

namespace detail {
template <typename T>
void FreeCoTaskMemValue(T* memory) {
  ::CoTaskMemFree(memory);
}
}  // namespace detail

// A block the system allocated for the caller with CoTaskMemAlloc (a known
// folder's path, a shell item list), given back with CoTaskMemFree. Pass
// put() as the out-parameter: a function that fails may still have set it.
template <typename T>
using unique_cotaskmem_ptr = unique_any<T*, detail::FreeCoTaskMemValue<T>>;

}  // namespace base
