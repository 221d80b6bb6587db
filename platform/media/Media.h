// Entry points of the media framework stand-in: object creation, monikers and
// their parsing, the running object table, reference clocks, and the calls
// that answer E_NOTIMPL here (compound files, property frames).
//
// Creating objects: media::CoCreateInstance registers the framework's classes
// on first use and then creates through the class table of platform/com:
//   CLSID_FilterGraph (IGraphBuilder, IFilterGraph2, IMediaControl,
//   IMediaEventEx, IMediaFilter, IMediaEventSink), CLSID_CaptureGraphBuilder2,
//   CLSID_SampleGrabber, CLSID_SystemDeviceEnum, CLSID_FilterMapper2,
//   CLSID_MemoryAllocator, CLSID_SystemClock, CLSID_NullRenderer.
// Devices: ICreateDevEnum::CreateClassEnumerator(CLSID_AudioInputDeviceCategory
// or CLSID_AudioRendererCategory) lists ALSA devices (unless disabled) and the
// virtual devices of VirtualAudio.h. Display names read
// "@device:cm:{category}\<id>"; "@device:*:{category}" names the category's
// default device.
//
// Every function may be called from any thread.
//
// Typical use:
//   TComPtr<IGraphBuilder> graph;
//   media::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
//                           IGraphBuilder::IID, graph.PutVoid());
//   ICreateDevEnum (CLSID_SystemDeviceEnum) -> IEnumMoniker -> IMoniker:
//   BindToStorage(IPropertyBag) reads "FriendlyName", BindToObject(IBaseFilter)
//   makes the device's filter. Tests install devices with VirtualAudio.h and
//   drive an output's clock through TVirtualRenderDevice::Clock().
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>

#include "platform/media/Interfaces.h"

namespace media {

// Registers the framework's classes with platform/com (idempotent).
void RegisterMediaClasses();

HRESULT CoCreateInstance(const TGUID &clsid, IUnknown *outer, DWORD clsContext, const TGUID &iid,
                         void **out);
using com::CLSCTX_INPROC_HANDLER;
using com::CLSCTX_INPROC_SERVER;
using com::CoInitialize;
using com::CoTaskMemAlloc;
using com::CoTaskMemFree;
using com::CoTaskMemRealloc;
using com::CoUninitialize;

HRESULT CreateBindCtx(DWORD reserved, IBindCtx **ctx);
// Device display names ("@device:cm:{category}\id", "@device:*:{category}");
// MK_E_SYNTAX for anything else, MK_E_NOOBJECT when no device matches.
HRESULT MkParseDisplayName(IBindCtx *ctx, LPCOLESTR name, ULONG *eaten, IMoniker **moniker);
// Item moniker "<delimiter><item>" (running object table names).
HRESULT CreateItemMoniker(LPCOLESTR delimiter, LPCOLESTR item, IMoniker **moniker);
// The process's running object table: a map from display name to object.
HRESULT GetRunningObjectTable(DWORD reserved, IRunningObjectTable **table);

inline constexpr DWORD STGM_WRITE = 0x1;
inline constexpr DWORD STGM_READWRITE = 0x2;
inline constexpr DWORD STGM_SHARE_EXCLUSIVE = 0x10;
inline constexpr DWORD STGM_CREATE = 0x1000;
inline constexpr DWORD STGM_TRANSACTED = 0x10000;
inline constexpr DWORD STGC_DEFAULT = 0;
// Compound files are not offered: E_NOTIMPL, *storage null.
HRESULT StgCreateDocfile(LPCOLESTR name, DWORD mode, DWORD reserved, IStorage **storage);
// Property frames are not offered: E_NOTIMPL.
HRESULT OleCreatePropertyFrame(void *owner, uint32_t x, uint32_t y, LPCOLESTR caption,
                               ULONG objectCount, IUnknown **objects, ULONG pageCount,
                               const TGUID *pages, uint32_t locale, DWORD reserved,
                               void *reserved2);
uint32_t GetCurrentProcessId();

// "@device:cm:{category}\id" and "@device:*:{category}".
std::string DeviceDisplayName(const TGUID &category, const std::string &id);
std::string DefaultDeviceDisplayName(const TGUID &category);

// ---- Reference clocks --------------------------------------------------------
// The system clock: CLOCK_MONOTONIC in 100 ns units; advises fire from one
// clock thread.
TComPtr<IReferenceClock> CreateSystemClock();

// A clock that moves only when told: advises due by the new time fire on the
// thread that moves it (periodic ones once per elapsed period, at most 10000
// per move). Safe from any thread.
class TManualReferenceClock final : public com::TInterfacedObject, public IReferenceClock {
public:
  explicit TManualReferenceClock(REFERENCE_TIME start = 0) : now_(start) {}
  HRESULT QueryInterface(const TGUID &iid, void **out) override;
  uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
  uint32_t Release() override { return TInterfacedObject::Release(); }

  HRESULT GetTime(REFERENCE_TIME *time) override;
  HRESULT AdviseTime(REFERENCE_TIME baseTime, REFERENCE_TIME streamTime, HEVENT event,
                     DWORD_PTR *cookie) override;
  HRESULT AdvisePeriodic(REFERENCE_TIME startTime, REFERENCE_TIME period, HSEMAPHORE semaphore,
                         DWORD_PTR *cookie) override;
  HRESULT Unadvise(DWORD_PTR cookie) override;

  void SetTime(REFERENCE_TIME time);
  void Advance(REFERENCE_TIME delta);
  size_t AdviseCount() const;

private:
  struct TAdvise {
    REFERENCE_TIME due;
    REFERENCE_TIME period; // 0: one-shot
    HEVENT event;
    HSEMAPHORE semaphore;
  };
  mutable std::recursive_mutex m_;
  REFERENCE_TIME now_;
  std::map<DWORD_PTR, TAdvise> advises_;
  DWORD_PTR next_ = 1;
};

// ---- Back-end selection ------------------------------------------------------
// ALSA devices and a running sound server's are listed unless disabled (tests
// that want only virtual devices disable it). Default: enabled.
void SetAlsaEnabled(bool enabled);
bool AlsaEnabled();

} // namespace media
