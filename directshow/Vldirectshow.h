// Run-time bound support functions of the media framework: task memory and
// object creation (ole32), error texts (quartz), media objects (msdmo) and
// kernel streaming (Ksuser, Ksproxy). Each wrapper loads its library on first
// use and answers E_FAIL (null for the allocators, 0 for the counts of
// characters) when the library or the export is missing, which on this
// platform is always: the system's media layer does not call these.
//
// Structures of media objects and kernel streaming that nothing here reads
// are passed as opaque pointers.
//
// Threads: every wrapper may run on any thread; loading is locked.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/com/Unknown.h"
#include "platform/media/MediaTypes.h"

using media::AM_MEDIA_TYPE;
using media::WCHAR;

using HANDLE = void *;
using ACCESS_MASK = uint32_t;

// Unit initialisation clears the ole32 cells; finalisation unloads all five
// libraries. Counted like the other units.
void VldirectshowInitialization();
void VldirectshowFinalization();

// kept: the unit binds every export below, called here or not
// ole32.dll: every one of the ten exports must resolve.
HRESULT QzInitialize(void *reserved);
void QzUninitialize();
void QzFreeUnusedLibraries();
HRESULT QzGetMalloc(uint32_t memContext, com::IUnknown **malloc); // *malloc cleared first
void *QzTaskMemAlloc(size_t size);
void *QzTaskMemRealloc(void *block, size_t size);
void QzTaskMemFree(void *block);
HRESULT QzCreateFilterObject(const TGUID &clsid, com::IUnknown *outer, uint32_t clsContext,
                             const TGUID &iid, void **out);
HRESULT QzCLSIDFromString(const WCHAR *text, TGUID *clsid);
int32_t QzStringFromGUID2(const TGUID &guid, WCHAR *text, int32_t max);

// quartz.dll
uint32_t AMGetErrorTextA(HRESULT hr, char *buffer, uint32_t maxLen);
uint32_t AMGetErrorTextW(HRESULT hr, WCHAR *buffer, uint32_t maxLen);
uint32_t AMGetErrorText(HRESULT hr, WCHAR *buffer, uint32_t maxLen);

// msdmo.dll
HRESULT DMORegister(const WCHAR *name, const TGUID &clsid, const TGUID &category, uint32_t flags,
                    uint32_t inTypes, const void *inTypeList, uint32_t outTypes,
                    const void *outTypeList);
HRESULT DMOUnregister(const TGUID &clsid, const TGUID &category);
HRESULT DMOEnum(const TGUID &category, uint32_t flags, uint32_t inTypes, const void *inTypeList,
                uint32_t outTypes, const void *outTypeList,
                com::IUnknown **enumerator); // *enumerator cleared first
HRESULT DMOGetTypes(const TGUID &clsid, uint32_t inRequested, uint32_t *inSupplied, void *inTypes,
                    uint32_t outRequested, uint32_t *outSupplied, void *outTypes);
HRESULT DMOGetName(const TGUID &clsid, WCHAR name[80]);
HRESULT MoInitMediaType(AM_MEDIA_TYPE *mt, uint32_t formatBytes);
HRESULT MoFreeMediaType(AM_MEDIA_TYPE *mt);
HRESULT MoCopyMediaType(AM_MEDIA_TYPE *target, const AM_MEDIA_TYPE *source); // target cleared first
HRESULT MoCreateMediaType(AM_MEDIA_TYPE **mt, uint32_t formatBytes);
HRESULT MoDeleteMediaType(AM_MEDIA_TYPE *mt);
HRESULT MoDuplicateMediaType(AM_MEDIA_TYPE **target, const AM_MEDIA_TYPE *source);

// Ksuser.dll
uint32_t KsCreateAllocator(HANDLE connection, void *framing, HANDLE *allocator);
uint32_t KsCreateClock(HANDLE connection, void *clockCreate, HANDLE *clock);
uint32_t KsCreatePin(HANDLE filter, void *connect, ACCESS_MASK access, HANDLE *pin);
uint32_t KsCreateTopologyNode(HANDLE parent, void *nodeCreate, ACCESS_MASK access, HANDLE *node);

// Ksproxy.ax
HRESULT KsResolveRequiredAttributes(void *dataRange, void *attributes);
HRESULT KsOpenDefaultDevice(const TGUID &category, ACCESS_MASK access, HANDLE *device);
HRESULT KsSynchronousDeviceControl(HANDLE file, uint32_t ioControl, void *in, uint32_t inLength,
                                   void *out, uint32_t outLength, uint32_t *bytesReturned);
HRESULT KsGetMultiplePinFactoryItems(HANDLE file, uint32_t pinFactoryId, uint32_t propertyId,
                                     void **items);
HRESULT KsGetMediaTypeCount(HANDLE file, uint32_t pinFactoryId, uint32_t *count);
HRESULT KsGetMediaType(int32_t position, AM_MEDIA_TYPE *mt, HANDLE file,
                       uint32_t pinFactoryId); // mt cleared first

// Whether each library is loaded now.
bool QzLoaded();
bool QuartzLoaded();
bool MsDmoLoaded();
bool KsUserLoaded();
bool KsProxyLoaded();
