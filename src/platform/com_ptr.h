// An owning COM interface pointer: each copy holds its own reference and releases it once.
#pragma once
#include <unknwn.h>

namespace platform {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr& other) : p_(other.p_) {
    if (p_) p_->AddRef();
  }
  ComPtr& operator=(const ComPtr& other) {
    ComPtr copy(other);
    Swap(copy);
    return *this;
  }
  ~ComPtr() { Reset(); }

  // Takes a pointer the caller already holds a reference of.
  static ComPtr Adopt(T* p) {
    ComPtr c;
    c.p_ = p;
    return c;
  }
  // Shares a pointer: adds a reference.
  static ComPtr Share(T* p) {
    if (p) p->AddRef();
    return Adopt(p);
  }

  void Reset() {
    if (p_) {
      T* p = p_;
      p_ = nullptr;
      p->Release();
    }
  }
  T** Receive() {
    Reset();
    return &p_;
  }
  void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }
  T* Detach() {
    T* p = p_;
    p_ = nullptr;
    return p;
  }
  void Swap(ComPtr& other) {
    T* p = p_;
    p_ = other.p_;
    other.p_ = p;
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

}  // namespace platform
