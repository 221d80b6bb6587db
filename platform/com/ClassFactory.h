// Object creation and task memory of the component object model, in process:
//
// - A class-factory table maps class identifiers to creation functions;
//   CoCreateInstance looks the class up and asks the new object for the
//   interface. Unknown classes answer REGDB_E_CLASSNOTREG, an outer object
//   (aggregation) CLASS_E_NOAGGREGATION unless the factory accepts one.
// - CoTaskMemAlloc/Realloc/Free: the allocator every "task memory" block
//   (format blocks, strings handed to a caller, enumerated records) comes
//   from; plain malloc underneath, so blocks cross threads freely.
// - CoInitialize/CoUninitialize keep a per-thread count only: the first call
//   of a thread answers S_OK, later ones S_FALSE; CoUninitialize without a
//   matching CoInitialize does nothing. Creation does not require it.
//
// Every function is safe from any thread. Factories run on the caller's
// thread, without the table's lock held.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/com/Unknown.h"

namespace com {

inline constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
inline constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0u);

inline constexpr uint32_t CLSCTX_INPROC_SERVER = 1;
inline constexpr uint32_t CLSCTX_INPROC_HANDLER = 2;
inline constexpr uint32_t CLSCTX_ALL = 0x17;

// Creates one object: answers the interface iid of a new instance in *out
// (null and a failure code otherwise). outer is the aggregating object or
// null.
using TClassFactory = std::function<HRESULT(IUnknown *outer, const TGUID &iid, void **out)>;

// Registers (or replaces) the factory of a class; a null factory removes it.
void RegisterClass(const TGUID &clsid, TClassFactory factory);

// Helper for the common case: a counted object of class T created with its
// default constructor, no aggregation.
template <class T> TClassFactory FactoryOf() {
  return [](IUnknown *outer, const TGUID &iid, void **out) -> HRESULT {
    if (out == nullptr)
      return E_POINTER;
    *out = nullptr;
    if (outer != nullptr)
      return CLASS_E_NOAGGREGATION;
    TComPtr<T> object = MakeCom<T>();
    return object->QueryInterface(iid, out);
  };
}

HRESULT CoCreateInstance(const TGUID &clsid, IUnknown *outer, uint32_t clsContext, const TGUID &iid,
                         void **out);

void *CoTaskMemAlloc(size_t size);
// kept: the media unit's QzTaskMemRealloc binds it
void *CoTaskMemRealloc(void *block, size_t size);
void CoTaskMemFree(void *block);

HRESULT CoInitialize(void *reserved = nullptr);
HRESULT CoInitializeEx(void *reserved, uint32_t coInit);
void CoUninitialize();
// The calling thread's count of CoInitialize calls not yet undone.
int CoInitializeCount();

} // namespace com
