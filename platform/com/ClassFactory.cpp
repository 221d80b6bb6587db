#include "platform/com/ClassFactory.h"

#include <cstdlib>
#include <map>
#include <mutex>

namespace com {

namespace {

struct TClassTable {
  std::mutex m;
  std::map<TGUID, TClassFactory> factories;
};

TClassTable &Table() {
  static TClassTable table;
  return table;
}

thread_local int tInitCount = 0;

} // namespace

void RegisterClass(const TGUID &clsid, TClassFactory factory) {
  TClassTable &t = Table();
  std::lock_guard<std::mutex> lock(t.m);
  if (factory)
    t.factories[clsid] = std::move(factory);
  else
    t.factories.erase(clsid);
}

HRESULT CoCreateInstance(const TGUID &clsid, IUnknown *outer, uint32_t clsContext, const TGUID &iid,
                         void **out) {
  if (out == nullptr)
    return E_POINTER;
  *out = nullptr;
  if ((clsContext & (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER)) == 0)
    return REGDB_E_CLASSNOTREG;
  TClassFactory factory;
  {
    TClassTable &t = Table();
    std::lock_guard<std::mutex> lock(t.m);
    auto it = t.factories.find(clsid);
    if (it == t.factories.end())
      return REGDB_E_CLASSNOTREG;
    factory = it->second; // copied: the factory runs without the lock
  }
  HRESULT hr = factory(outer, iid, out);
  if (FAILED(hr))
    *out = nullptr;
  return hr;
}

void *CoTaskMemAlloc(size_t size) { return std::malloc(size == 0 ? 1 : size); }

void *CoTaskMemRealloc(void *block, size_t size) {
  return std::realloc(block, size == 0 ? 1 : size);
}

void CoTaskMemFree(void *block) { std::free(block); }

HRESULT CoInitialize(void *reserved) { return CoInitializeEx(reserved, 0); }

HRESULT CoInitializeEx(void *, uint32_t) { return ++tInitCount == 1 ? S_OK : S_FALSE; }

void CoUninitialize() {
  if (tInitCount > 0)
    --tInitCount;
}

int CoInitializeCount() { return tInitCount; }

} // namespace com
