// ComPtr: owns one reference to a COM interface and releases it when it
// goes, so that every early return of a function that creates or queries
// an object gives its references back. A raw interface pointer elsewhere
// only borrows.
//
// Out-parameters of CoCreateInstance and QueryInterface are filled through
// Receive(), which first releases whatever the owner held:
//
//   ComPtr<IShellLinkA> link;
//   CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
//                    IID_IShellLinkA, link.Receive());
//
// An owner is used on the thread (apartment) that obtained the reference.
#pragma once

#include <utility>

namespace qm {

template <class T>
class ComPtr {
public:
  ComPtr() = default;
  // Takes over a reference the caller already holds (no AddRef).
  explicit ComPtr(T* adopted) : p_(adopted) {}
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.p_, nullptr));
    return *this;
  }

  // Releases the held reference and takes over adopted (no AddRef).
  void Reset(T* adopted = nullptr) {
    T* old = std::exchange(p_, adopted);
    if (old) old->Release();
  }
  // Releases the held reference; the address to receive a new one.
  void** Receive() {
    Reset();
    return reinterpret_cast<void**>(&p_);
  }
  // Gives the reference to the caller, who must release it.
  T* Detach() { return std::exchange(p_, nullptr); }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

private:
  T* p_ = nullptr;
};

}  // namespace qm
