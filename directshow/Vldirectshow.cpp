#include "directshow/Vldirectshow.h"

#include <atomic>
#include <cstring>

#include "directshow/VLDynamicLibrary.h"

namespace {

bool AllOf(TVLDynamicLibrary &l) { return l.AllResolved(); }

TVLDynamicLibrary &Ole32() {
  static TVLDynamicLibrary library(
      "ole32.dll", {"CoInitialize", "CoUninitialize", "CoFreeUnusedLibraries", "CoGetMalloc",
                    "CoTaskMemAlloc", "CoTaskMemRealloc", "CoTaskMemFree", "CoCreateInstance",
                    "CLSIDFromString", "StringFromGUID2"});
  return library;
}
TVLDynamicLibrary &Quartz() {
  static TVLDynamicLibrary library("quartz.dll", {"AMGetErrorTextA", "AMGetErrorTextW"});
  return library;
}
TVLDynamicLibrary &MsDmo() {
  static TVLDynamicLibrary library(
      "msdmo.dll", {"DMORegister", "DMOEnum", "DMOUnregister", "DMOGetTypes", "DMOGetName",
                    "MoInitMediaType", "MoFreeMediaType", "MoCopyMediaType", "MoCreateMediaType",
                    "MoDeleteMediaType", "MoDuplicateMediaType"});
  return library;
}
TVLDynamicLibrary &KsUser() {
  static TVLDynamicLibrary library(
      "Ksuser.dll", {"KsCreateAllocator", "KsCreateClock", "KsCreatePin", "KsCreateTopologyNode"});
  return library;
}
TVLDynamicLibrary &KsProxy() {
  static TVLDynamicLibrary library("Ksproxy.ax",
                                   {"KsResolveRequiredAttributes", "KsOpenDefaultDevice",
                                    "KsSynchronousDeviceControl", "KsGetMultiplePinFactoryItems",
                                    "KsGetMediaTypeCount", "KsGetMediaType"});
  return library;
}

// The export in cell i of a library, loading it first; null when missing.
template <class Fn> Fn Bind(TVLDynamicLibrary &library, size_t cell) {
  if (!library.Load(AllOf))
    return nullptr;
  return reinterpret_cast<Fn>(library.Cell(cell));
}

// Calls the export in cell i with args, or answers fallback when missing.
template <class R, class... A>
R Call(TVLDynamicLibrary &library, size_t cell, R fallback, A... args) {
  auto fn = Bind<R (*)(A...)>(library, cell);
  return fn ? fn(args...) : fallback;
}
template <class... A> void CallVoid(TVLDynamicLibrary &library, size_t cell, A... args) {
  if (auto fn = Bind<void (*)(A...)>(library, cell))
    fn(args...);
}

std::atomic<int> initCount{0};

} // namespace

void VldirectshowInitialization() {
  if (initCount.fetch_add(1) == 0)
    Ole32().Unload();
}
void VldirectshowFinalization() {
  if (initCount.fetch_sub(1) != 1)
    return;
  Ole32().Unload();
  Quartz().Unload();
  MsDmo().Unload();
  KsUser().Unload();
  KsProxy().Unload();
}

HRESULT QzInitialize(void *reserved) { return Call<HRESULT>(Ole32(), 0, E_FAIL, reserved); }
void QzUninitialize() { CallVoid(Ole32(), 1); }
void QzFreeUnusedLibraries() { CallVoid(Ole32(), 2); }
HRESULT QzGetMalloc(uint32_t memContext, com::IUnknown **malloc) {
  if (malloc)
    *malloc = nullptr;
  return Call<HRESULT>(Ole32(), 3, E_FAIL, memContext, malloc);
}
void *QzTaskMemAlloc(size_t size) { return Call<void *>(Ole32(), 4, nullptr, size); }
void *QzTaskMemRealloc(void *block, size_t size) {
  return Call<void *>(Ole32(), 5, nullptr, block, size);
}
void QzTaskMemFree(void *block) { CallVoid(Ole32(), 6, block); }
HRESULT QzCreateFilterObject(const TGUID &clsid, com::IUnknown *outer, uint32_t clsContext,
                             const TGUID &iid, void **out) {
  if (out)
    *out = nullptr;
  return Call<HRESULT>(Ole32(), 7, E_FAIL, &clsid, outer, clsContext, &iid, out);
}
HRESULT QzCLSIDFromString(const WCHAR *text, TGUID *clsid) {
  return Call<HRESULT>(Ole32(), 8, E_FAIL, text, clsid);
}
int32_t QzStringFromGUID2(const TGUID &guid, WCHAR *text, int32_t max) {
  return Call<int32_t>(Ole32(), 9, 0, &guid, text, max);
}

uint32_t AMGetErrorTextA(HRESULT hr, char *buffer, uint32_t maxLen) {
  return Call<uint32_t>(Quartz(), 0, 0u, hr, buffer, maxLen);
}
uint32_t AMGetErrorTextW(HRESULT hr, WCHAR *buffer, uint32_t maxLen) {
  return Call<uint32_t>(Quartz(), 1, 0u, hr, buffer, maxLen);
}
uint32_t AMGetErrorText(HRESULT hr, WCHAR *buffer, uint32_t maxLen) {
  return AMGetErrorTextW(hr, buffer, maxLen);
}

HRESULT DMORegister(const WCHAR *name, const TGUID &clsid, const TGUID &category, uint32_t flags,
                    uint32_t inTypes, const void *inTypeList, uint32_t outTypes,
                    const void *outTypeList) {
  return Call<HRESULT>(MsDmo(), 0, E_FAIL, name, &clsid, &category, flags, inTypes, inTypeList,
                       outTypes, outTypeList);
}
HRESULT DMOEnum(const TGUID &category, uint32_t flags, uint32_t inTypes, const void *inTypeList,
                uint32_t outTypes, const void *outTypeList, com::IUnknown **enumerator) {
  if (enumerator)
    *enumerator = nullptr;
  return Call<HRESULT>(MsDmo(), 1, E_FAIL, &category, flags, inTypes, inTypeList, outTypes,
                       outTypeList, enumerator);
}
HRESULT DMOUnregister(const TGUID &clsid, const TGUID &category) {
  return Call<HRESULT>(MsDmo(), 2, E_FAIL, &clsid, &category);
}
HRESULT DMOGetTypes(const TGUID &clsid, uint32_t inRequested, uint32_t *inSupplied, void *inTypes,
                    uint32_t outRequested, uint32_t *outSupplied, void *outTypes) {
  return Call<HRESULT>(MsDmo(), 3, E_FAIL, &clsid, inRequested, inSupplied, inTypes, outRequested,
                       outSupplied, outTypes);
}
HRESULT DMOGetName(const TGUID &clsid, WCHAR name[80]) {
  return Call<HRESULT>(MsDmo(), 4, E_FAIL, &clsid, name);
}
HRESULT MoInitMediaType(AM_MEDIA_TYPE *mt, uint32_t formatBytes) {
  return Call<HRESULT>(MsDmo(), 5, E_FAIL, mt, formatBytes);
}
HRESULT MoFreeMediaType(AM_MEDIA_TYPE *mt) { return Call<HRESULT>(MsDmo(), 6, E_FAIL, mt); }
HRESULT MoCopyMediaType(AM_MEDIA_TYPE *target, const AM_MEDIA_TYPE *source) {
  if (target)
    std::memset(static_cast<void *>(target), 0, sizeof *target);
  return Call<HRESULT>(MsDmo(), 7, E_FAIL, target, source);
}
HRESULT MoCreateMediaType(AM_MEDIA_TYPE **mt, uint32_t formatBytes) {
  return Call<HRESULT>(MsDmo(), 8, E_FAIL, mt, formatBytes);
}
HRESULT MoDeleteMediaType(AM_MEDIA_TYPE *mt) { return Call<HRESULT>(MsDmo(), 9, E_FAIL, mt); }
HRESULT MoDuplicateMediaType(AM_MEDIA_TYPE **target, const AM_MEDIA_TYPE *source) {
  return Call<HRESULT>(MsDmo(), 10, E_FAIL, target, source);
}

uint32_t KsCreateAllocator(HANDLE connection, void *framing, HANDLE *allocator) {
  return Call<uint32_t>(KsUser(), 0, static_cast<uint32_t>(E_FAIL), connection, framing, allocator);
}
uint32_t KsCreateClock(HANDLE connection, void *clockCreate, HANDLE *clock) {
  return Call<uint32_t>(KsUser(), 1, static_cast<uint32_t>(E_FAIL), connection, clockCreate, clock);
}
uint32_t KsCreatePin(HANDLE filter, void *connect, ACCESS_MASK access, HANDLE *pin) {
  return Call<uint32_t>(KsUser(), 2, static_cast<uint32_t>(E_FAIL), filter, connect, access, pin);
}
uint32_t KsCreateTopologyNode(HANDLE parent, void *nodeCreate, ACCESS_MASK access, HANDLE *node) {
  return Call<uint32_t>(KsUser(), 3, static_cast<uint32_t>(E_FAIL), parent, nodeCreate, access,
                        node);
}

HRESULT KsResolveRequiredAttributes(void *dataRange, void *attributes) {
  return Call<HRESULT>(KsProxy(), 0, E_FAIL, dataRange, attributes);
}
HRESULT KsOpenDefaultDevice(const TGUID &category, ACCESS_MASK access, HANDLE *device) {
  return Call<HRESULT>(KsProxy(), 1, E_FAIL, &category, access, device);
}
HRESULT KsSynchronousDeviceControl(HANDLE file, uint32_t ioControl, void *in, uint32_t inLength,
                                   void *out, uint32_t outLength, uint32_t *bytesReturned) {
  return Call<HRESULT>(KsProxy(), 2, E_FAIL, file, ioControl, in, inLength, out, outLength,
                       bytesReturned);
}
HRESULT KsGetMultiplePinFactoryItems(HANDLE file, uint32_t pinFactoryId, uint32_t propertyId,
                                     void **items) {
  return Call<HRESULT>(KsProxy(), 3, E_FAIL, file, pinFactoryId, propertyId, items);
}
HRESULT KsGetMediaTypeCount(HANDLE file, uint32_t pinFactoryId, uint32_t *count) {
  return Call<HRESULT>(KsProxy(), 4, E_FAIL, file, pinFactoryId, count);
}
HRESULT KsGetMediaType(int32_t position, AM_MEDIA_TYPE *mt, HANDLE file, uint32_t pinFactoryId) {
  if (mt)
    std::memset(static_cast<void *>(mt), 0, sizeof *mt);
  return Call<HRESULT>(KsProxy(), 5, E_FAIL, position, mt, file, pinFactoryId);
}

bool QzLoaded() { return Ole32().Loaded(); }
bool QuartzLoaded() { return Quartz().Loaded(); }
bool MsDmoLoaded() { return MsDmo().Loaded(); }
bool KsUserLoaded() { return KsUser().Loaded(); }
bool KsProxyLoaded() { return KsProxy().Loaded(); }
