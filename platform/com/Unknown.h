// COM basics: result codes, the IUnknown base of every interface with
// intrusive reference counts, a reference-counted implementation base and the
// one smart pointer for interfaces.
//
// Rules for interfaces:
// - An interface is an abstract class deriving `public virtual com::IUnknown`
//   (virtual, so an object implementing several interfaces has one IUnknown
//   and one reference count).
// - An interface that can be asked for by QueryInterface declares
//   `static constexpr com::TGUID IID = com::TGUID::FromLiteral("{...}");`.
//   Interfaces without an identifier are still counted but cannot be queried.
// - An implementation derives from TInterfacedObject and the interfaces, and
//   answers QueryInterface with QueryInterfaceFor<I1, I2, ...>(this, iid, out).
// - Counted objects are created with MakeCom<T>(args...), never with a bare
//   new: the count starts at 0 and the first TComPtr takes it to 1, so a
//   constructor must not hand out counted references to itself.
// Reference counts are atomic: AddRef and Release may run on any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "platform/com/Guid.h"

namespace com {

using HRESULT = int32_t;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
inline constexpr HRESULT E_ACCESSDENIED = static_cast<HRESULT>(0x80070005u);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

struct IUnknown {
  static constexpr TGUID IID = TGUID::FromLiteral("{00000000-0000-0000-C000-000000000046}");

  // On success *out holds a counted reference to the interface iid; on
  // failure *out is null. E_POINTER when out is null.
  virtual HRESULT QueryInterface(const TGUID &iid, void **out) = 0;
  // Both return the new count (informational only).
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;

protected:
  virtual ~IUnknown() = default;
};

using IInterface = IUnknown;
inline constexpr TGUID IID_IUnknown = IUnknown::IID;

template <class I>
concept HasIID = requires {
  { I::IID } -> std::convertible_to<TGUID>;
};

// QueryInterface for an object implementing the listed interfaces (IUnknown
// is always answered).
template <class... Interfaces, class Self>
HRESULT QueryInterfaceFor(Self *self, const TGUID &iid, void **out) {
  if (out == nullptr)
    return E_POINTER;
  *out = nullptr;
  if (iid == IUnknown::IID) {
    *out = static_cast<IUnknown *>(self);
  } else {
    ((*out == nullptr && iid == Interfaces::IID ? (void)(*out = static_cast<Interfaces *>(self))
                                                : (void)0),
     ...);
  }
  if (*out == nullptr)
    return E_NOINTERFACE;
  self->AddRef();
  return S_OK;
}

// The class library's reference-counted interfaced object: frees itself when
// its count returns to 0. Derived classes answer QueryInterface for their own
// interfaces (this base answers IUnknown only).
class TInterfacedObject : public virtual IUnknown {
public:
  TInterfacedObject() = default;
  TInterfacedObject(const TInterfacedObject &) = delete;
  TInterfacedObject &operator=(const TInterfacedObject &) = delete;

  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return QueryInterfaceFor<>(this, iid, out);
  }
  uint32_t AddRef() override { return refCount_.fetch_add(1, std::memory_order_relaxed) + 1; }
  uint32_t Release() override {
    uint32_t n = refCount_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (n == 0)
      delete this;
    return n;
  }
  uint32_t RefCount() const { return refCount_.load(std::memory_order_relaxed); }

protected:
  ~TInterfacedObject() override = default;

private:
  std::atomic<uint32_t> refCount_{0};
};

// The smart pointer for interfaces: holds one counted reference.
template <class T> class TComPtr {
public:
  TComPtr() = default;
  TComPtr(std::nullptr_t) {}
  // Takes a new reference (AddRef).
  template <class U, class = std::enable_if_t<std::is_convertible_v<U *, T *>>>
  TComPtr(U *p) : p_(p) {
    if (p_)
      p_->AddRef();
  }
  TComPtr(const TComPtr &o) : TComPtr(o.p_) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U *, T *>>>
  TComPtr(const TComPtr<U> &o) : TComPtr(o.Get()) {}
  TComPtr(TComPtr &&o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U *, T *>>>
  TComPtr(TComPtr<U> &&o) noexcept : p_(o.Detach()) {}
  ~TComPtr() { Reset(); }

  TComPtr &operator=(TComPtr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }

  // Adopts a reference the caller already owns (no AddRef).
  static TComPtr Attach(T *p) {
    TComPtr r;
    r.p_ = p;
    return r;
  }
  // Gives up the reference without releasing it.
  T *Detach() { return std::exchange(p_, nullptr); }
  void Reset() {
    if (T *p = std::exchange(p_, nullptr))
      p->Release();
  }

  T *Get() const { return p_; }
  T *operator->() const { return p_; }
  T &operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // Out-parameter for QueryInterface-style calls: releases the current
  // reference and returns the slot to fill.
  void **PutVoid() {
    Reset();
    return reinterpret_cast<void **>(&p_);
  }

  // Asks src for T (T must have an IID); null when src is null or does not
  // implement T.
  template <class U> static TComPtr Query(U *src) {
    static_assert(HasIID<T>, "the interface has no IID");
    TComPtr r;
    if (src)
      src->QueryInterface(T::IID, r.PutVoid());
    return r;
  }
  template <class U> static TComPtr Query(const TComPtr<U> &src) { return Query(src.Get()); }

  friend bool operator==(const TComPtr &a, const TComPtr &b) { return a.p_ == b.p_; }
  friend bool operator==(const TComPtr &a, std::nullptr_t) { return a.p_ == nullptr; }

private:
  T *p_ = nullptr;
};

// Creates a counted object and returns the first reference to it.
template <class T, class... Args> TComPtr<T> MakeCom(Args &&...args) {
  return TComPtr<T>(new T(std::forward<Args>(args)...));
}

} // namespace com

using com::E_ABORT;
using com::E_ACCESSDENIED;
using com::E_FAIL;
using com::E_INVALIDARG;
using com::E_NOINTERFACE;
using com::E_NOTIMPL;
using com::E_OUTOFMEMORY;
using com::E_POINTER;
using com::E_UNEXPECTED;
using com::FAILED;
using com::HRESULT;
using com::IID_IUnknown;
using com::IInterface;
using com::IUnknown;
using com::S_FALSE;
using com::S_OK;
using com::SUCCEEDED;
using com::TInterfacedObject;
