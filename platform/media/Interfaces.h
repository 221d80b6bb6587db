// The media framework's interfaces: abstract classes with intrusive counts
// (platform/com rules), method names and arguments as the framework's callers
// use them. Out-parameters receive counted references the caller releases
// (wrap them with TComPtr<I>::Attach); task-memory blocks handed out are
// freed by the caller with CoTaskMemFree.
//
// Threads. The stand-in is free-threaded: every object guards itself.
// - Graph building (AddFilter, Connect, RenderStream, FindInterface), state
//   changes (Run/Pause/Stop) and teardown may run on any thread, one at a
//   time per graph; the platform's own objects never require the main thread.
// - Streaming (GetBuffer, Receive, SampleCB, Deliver) runs on the capture
//   filter's device thread or on the caller's delivery thread; Stop and
//   Decommit release any thread blocked there.
// - Graph events are queued on the graph; each one is announced by posting
//   WM_GRAPHNOTIFY (1025) to the notify window, whose procedure runs on the
//   main thread (platform/mainloop). GetEvent and FreeEventParams may run on
//   any thread.
// - Reference clocks call their advise targets from the clock's own thread.
#pragma once

#include "platform/media/MediaTypes.h"

namespace mainloop {
class THiddenWindow;
}
namespace sys {
class TEvent;
class TSemaphore;
} // namespace sys

namespace media {

#define MEDIA_IID(text) static constexpr TGUID IID = TGUID::FromLiteral(text)

struct IReferenceClock;
struct IPin;
struct IEnumPins;
struct IEnumMediaTypes;
struct IEnumFilters;
struct IMediaSample;
struct IMemAllocator;
struct IGraphBuilder;
struct IMoniker;
struct IBindCtx;
struct IStream;

// Window handle of SetNotifyWindow: the main-thread hidden window.
using OAHWND = mainloop::THiddenWindow *;
// The "semaphore" of AdvisePeriodic: released once per period (a release past
// its maximum is dropped). The "event" of AdviseTime: set once.
using HSEMAPHORE = sys::TSemaphore *;
using HEVENT = sys::TEvent *;

struct IPersist : public virtual IUnknown {
  MEDIA_IID("{0000010C-0000-0000-C000-000000000046}");
  virtual HRESULT GetClassID(CLSID *clsid) = 0;
};

struct IMediaFilter : public virtual IPersist {
  MEDIA_IID("{56A86899-0AD4-11CE-B03A-0020AF0BA770}");
  virtual HRESULT Stop() = 0;
  virtual HRESULT Pause() = 0;
  virtual HRESULT Run(REFERENCE_TIME start) = 0;
  virtual HRESULT GetState(DWORD msTimeout, FILTER_STATE *state) = 0;
  virtual HRESULT SetSyncSource(IReferenceClock *clock) = 0;
  virtual HRESULT GetSyncSource(IReferenceClock **clock) = 0;
};

struct IBaseFilter : public virtual IMediaFilter {
  MEDIA_IID("{56A86895-0AD4-11CE-B03A-0020AF0BA770}");
  virtual HRESULT EnumPins(IEnumPins **pins) = 0;
  virtual HRESULT FindPin(LPCWSTR id, IPin **pin) = 0;
  virtual HRESULT QueryFilterInfo(FILTER_INFO *info) = 0;
  virtual HRESULT JoinFilterGraph(IFilterGraph *graph, LPCWSTR name) = 0;
  virtual HRESULT QueryVendorInfo(LPWSTR *vendorInfo) = 0;
};

struct IQualityControl : public virtual IUnknown {
  MEDIA_IID("{56A868A5-0AD4-11CE-B03A-0020AF0BA770}");
  virtual HRESULT Notify(IBaseFilter *self, Quality q) = 0;
  virtual HRESULT SetSink(IQualityControl *sink) = 0;
};

struct IPin : public virtual IUnknown {
  MEDIA_IID("{56A86891-0AD4-11CE-B03A-0020AF0BA770}");
  virtual HRESULT Connect(IPin *receivePin, const AM_MEDIA_TYPE *mt) = 0;
  virtual HRESULT ReceiveConnection(IPin *connector, const AM_MEDIA_TYPE *mt) = 0;
  virtual HRESULT Disconnect() = 0;
  virtual HRESULT ConnectedTo(IPin **pin) = 0;
  virtual HRESULT ConnectionMediaType(AM_MEDIA_TYPE *mt) = 0;
  virtual HRESULT QueryPinInfo(PIN_INFO *info) = 0;
  virtual HRESULT QueryDirection(PIN_DIRECTION *dir) = 0;
  virtual HRESULT QueryId(LPWSTR *id) = 0;
  virtual HRESULT QueryAccept(const AM_MEDIA_TYPE *mt) = 0;
  virtual HRESULT EnumMediaTypes(IEnumMediaTypes **types) = 0;
  virtual HRESULT QueryInternalConnections(IPin **pins, ULONG *count) = 0;
  virtual HRESULT EndOfStream() = 0;
  virtual HRESULT BeginFlush() = 0;
  virtual HRESULT EndFlush() = 0;
  virtual HRESULT NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) = 0;
};

struct IEnumPins : public virtual IUnknown {
  MEDIA_IID("{56A86892-0AD4-11CE-B03A-0020AF0BA770}");
  virtual HRESULT Next(ULONG count, IPin **pins, ULONG *fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumPins **clone) = 0;
};

struct IEnumMediaTypes : public virtual IUnknown {
  MEDIA_IID("{89C31040-846B-11CE-97D3-00AA0055595A}");
  // Each type is a task-memory record (DeleteMediaType frees it).
  virtual HRESULT Next(ULONG count, AM_MEDIA_TYPE **types, ULONG *fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumMediaTypes **clone) = 0;
};

struct IEnumFilters : public virtual IUnknown {
  MEDIA_IID("{56A86893-0AD4-11CE-B03A-0020AF0BA770}");
  virtual HRESULT Next(ULONG count, IBaseFilter **filters, ULONG *fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumFilters **clone) = 0;
};

struct IReferenceClock : public virtual IUnknown {
  MEDIA_IID("{56A86897-0AD4-11CE-B03A-0020AF0BA770}");
  virtual HRESULT GetTime(REFERENCE_TIME *time) = 0;
  // Sets the event once the clock reaches base + offset.
  virtual HRESULT AdviseTime(REFERENCE_TIME baseTime, REFERENCE_TIME streamTime, HEVENT event,
                             DWORD_PTR *cookie) = 0;
  // Releases the semaphore once at start and then every period.
  virtual HRESULT AdvisePeriodic(REFERENCE_TIME startTime, REFERENCE_TIME period,
                                 HSEMAPHORE semaphore, DWORD_PTR *cookie) = 0;
  // Synchronous: once it returns, the advise's target is not touched again.
  virtual HRESULT Unadvise(DWORD_PTR cookie) = 0;
};

struct IMediaSample : public virtual IUnknown {
  MEDIA_IID("{56A8689A-0AD4-11CE-B03A-0020AF0BA770}");
  virtual HRESULT GetPointer(BYTE **buffer) = 0;
  virtual LONG GetSize() = 0;
  virtual HRESULT GetTime(REFERENCE_TIME *start, REFERENCE_TIME *end) = 0;
  virtual HRESULT SetTime(REFERENCE_TIME *start, REFERENCE_TIME *end) = 0;
  virtual HRESULT IsSyncPoint() = 0;
  virtual HRESULT SetSyncPoint(BOOL sync) = 0;
  virtual HRESULT IsPreroll() = 0;
  virtual HRESULT SetPreroll(BOOL preroll) = 0;
  virtual LONG GetActualDataLength() = 0;
  virtual HRESULT SetActualDataLength(LONG length) = 0;
  virtual HRESULT GetMediaType(AM_MEDIA_TYPE **mt) = 0;
  virtual HRESULT SetMediaType(AM_MEDIA_TYPE *mt) = 0;
  virtual HRESULT IsDiscontinuity() = 0;
  virtual HRESULT SetDiscontinuity(BOOL discontinuity) = 0;
  virtual HRESULT GetMediaTime(int64_t *start, int64_t *end) = 0;
  virtual HRESULT SetMediaTime(int64_t *start, int64_t *end) = 0;
};

struct IMemAllocator : public virtual IUnknown {
  MEDIA_IID("{56A8689C-0AD4-11CE-B03A-0020AF0BA770}");
  virtual HRESULT SetProperties(ALLOCATOR_PROPERTIES *request, ALLOCATOR_PROPERTIES *actual) = 0;
  virtual HRESULT GetProperties(ALLOCATOR_PROPERTIES *props) = 0;
  virtual HRESULT Commit() = 0;
  // Wakes every GetBuffer waiting for a free sample (VFW_E_NOT_COMMITTED).
  virtual HRESULT Decommit() = 0;
  // Waits for a free sample unless flags hold AM_GBF_NOWAIT (VFW_E_TIMEOUT).
  virtual HRESULT GetBuffer(IMediaSample **sample, REFERENCE_TIME *start, REFERENCE_TIME *end,
                            DWORD flags) = 0;
  virtual HRESULT ReleaseBuffer(IMediaSample *sample) = 0;
};

struct IMemInputPin : public virtual IUnknown {
  MEDIA_IID("{56A8689D-0AD4-11CE-B03A-0020AF0BA770}");
  virtual HRESULT GetAllocator(IMemAllocator **allocator) = 0;
  virtual HRESULT NotifyAllocator(IMemAllocator *allocator, BOOL readOnly) = 0;
  virtual HRESULT GetAllocatorRequirements(ALLOCATOR_PROPERTIES *props) = 0;
  virtual HRESULT Receive(IMediaSample *sample) = 0;
  virtual HRESULT ReceiveMultiple(IMediaSample **samples, LONG count, LONG *processed) = 0;
  virtual HRESULT ReceiveCanBlock() = 0;
};

struct IFilterGraph : public virtual IUnknown {
  MEDIA_IID("{56A8689F-0AD4-11CE-B03A-0020AF0BA770}");
  // A null or empty name becomes "Filter"; a taken name is numbered
  // ("Name 0001") and answers VFW_S_DUPLICATE_NAME. A filter already in the
  // graph answers VFW_E_DUPLICATE_NAME.
  virtual HRESULT AddFilter(IBaseFilter *filter, LPCWSTR name) = 0;
  virtual HRESULT RemoveFilter(IBaseFilter *filter) = 0;
  virtual HRESULT EnumFilters(IEnumFilters **filters) = 0;
  virtual HRESULT FindFilterByName(LPCWSTR name, IBaseFilter **filter) = 0;
  virtual HRESULT ConnectDirect(IPin *out, IPin *in, const AM_MEDIA_TYPE *mt) = 0;
  virtual HRESULT Reconnect(IPin *pin) = 0;
  virtual HRESULT Disconnect(IPin *pin) = 0;
  virtual HRESULT SetDefaultSyncSource() = 0;
};

struct IGraphBuilder : public virtual IFilterGraph {
  MEDIA_IID("{56A868A9-0AD4-11CE-B03A-0020AF0BA770}");
  // Direct connection only (no intermediate filters are inserted).
  virtual HRESULT Connect(IPin *out, IPin *in) = 0;
  // Connects an output pin to a new default audio renderer.
  virtual HRESULT Render(IPin *out) = 0;
  virtual HRESULT RenderFile(LPCWSTR file, LPCWSTR playList) = 0; // E_NOTIMPL
  virtual HRESULT Abort() = 0;
  virtual HRESULT ShouldOperationContinue() = 0;
};

struct IFilterGraph2 : public virtual IGraphBuilder {
  MEDIA_IID("{36B73882-C2C8-11CF-8B46-00805F6CEF60}");
  virtual HRESULT ReconnectEx(IPin *pin, const AM_MEDIA_TYPE *mt) = 0;
};

struct IMediaControl : public virtual IUnknown {
  MEDIA_IID("{56A868B1-0AD4-11CE-B03A-0020AF0BA770}");
  // Renderers are paused first, then every filter runs with one stream base.
  virtual HRESULT Run() = 0;
  virtual HRESULT Pause() = 0;
  // Sources stop first; every blocked Receive/GetBuffer is released.
  virtual HRESULT Stop() = 0;
  virtual HRESULT GetState(LONG msTimeout, OAFilterState *state) = 0;
  virtual HRESULT StopWhenReady() = 0;
};

struct IMediaEvent : public virtual IUnknown {
  MEDIA_IID("{56A868B6-0AD4-11CE-B03A-0020AF0BA770}");
  // The oldest queued event; E_ABORT when none arrives within msTimeout.
  virtual HRESULT GetEvent(LONG *code, LONG_PTR *param1, LONG_PTR *param2, LONG msTimeout) = 0;
  virtual HRESULT WaitForCompletion(LONG msTimeout, LONG *code) = 0;
  virtual HRESULT CancelDefaultHandling(LONG code) = 0;
  virtual HRESULT RestoreDefaultHandling(LONG code) = 0;
  // Releases what GetEvent handed out with the event (an interface parameter).
  virtual HRESULT FreeEventParams(LONG code, LONG_PTR param1, LONG_PTR param2) = 0;
};

struct IMediaEventEx : public virtual IMediaEvent {
  MEDIA_IID("{56A868C0-0AD4-11CE-B03A-0020AF0BA770}");
  // Each event queued from now on posts msg (wParam 0, lParam instance) to
  // the window; a null window stops the posts. The window must outlive the
  // setting or be unset first; posts to a destroyed window are dropped.
  virtual HRESULT SetNotifyWindow(OAHWND window, LONG msg, LONG_PTR instance) = 0;
  // 0: notifications on; AM_MEDIAEVENT_NONOTIFY (1): off, events still queued.
  virtual HRESULT SetNotifyFlags(LONG noNotifyFlags) = 0;
  virtual HRESULT GetNotifyFlags(LONG *noNotifyFlags) = 0;
};
inline constexpr LONG AM_MEDIAEVENT_NONOTIFY = 1;

struct IMediaEventSink : public virtual IUnknown {
  MEDIA_IID("{56A868A2-0AD4-11CE-B03A-0020AF0BA770}");
  // Queues an event (an interface parameter is held until FreeEventParams).
  virtual HRESULT Notify(LONG code, LONG_PTR param1, LONG_PTR param2) = 0;
};

struct ICaptureGraphBuilder2 : public virtual IUnknown {
  MEDIA_IID("{93E5A4E0-2D50-11D2-ABFA-00A0C9C6E38D}");
  virtual HRESULT SetFiltergraph(IGraphBuilder *graph) = 0;
  virtual HRESULT GetFiltergraph(IGraphBuilder **graph) = 0;
  // Looks for the interface on the filter, then on its pins of the category
  // and type (null: any), then upstream from its input pins.
  virtual HRESULT FindInterface(const TGUID *category, const TGUID *type, IBaseFilter *filter,
                                const TGUID &iid, void **out) = 0;
  // Connects an output pin of source (of category/type) to renderer's first
  // free input pin (through compressor when given). A null renderer adds and
  // uses the default audio renderer.
  virtual HRESULT RenderStream(const TGUID *category, const TGUID *type, IUnknown *source,
                               IBaseFilter *compressor, IBaseFilter *renderer) = 0;
  virtual HRESULT FindPin(IUnknown *source, PIN_DIRECTION dir, const TGUID *category,
                          const TGUID *type, BOOL unconnected, int num, IPin **pin) = 0;
};

struct ISampleGrabberCB : public virtual IUnknown {
  MEDIA_IID("{0579154A-2B53-4994-B0D0-E773148EFF85}");
  virtual HRESULT SampleCB(double sampleTime, IMediaSample *sample) = 0;
  virtual HRESULT BufferCB(double sampleTime, BYTE *buffer, LONG length) = 0;
};

struct ISampleGrabber : public virtual IUnknown {
  MEDIA_IID("{6B652FFF-11FE-4FCE-92AD-0266B5D7C78F}");
  virtual HRESULT SetOneShot(BOOL oneShot) = 0;
  // Pattern for the accepted input type (GUID_NULL fields match anything).
  virtual HRESULT SetMediaType(const AM_MEDIA_TYPE *mt) = 0;
  virtual HRESULT GetConnectedMediaType(AM_MEDIA_TYPE *mt) = 0;
  virtual HRESULT SetBufferSamples(BOOL buffer) = 0;
  virtual HRESULT GetCurrentBuffer(LONG *size, LONG *buffer) = 0;
  virtual HRESULT GetCurrentSample(IMediaSample **sample) = 0;
  // which 0: SampleCB, 1: BufferCB. Called on the streaming thread.
  virtual HRESULT SetCallback(ISampleGrabberCB *callback, LONG which) = 0;
};

struct IAMStreamConfig : public virtual IUnknown {
  MEDIA_IID("{C6E13340-30AC-11D0-A18C-00A0C9118956}");
  virtual HRESULT SetFormat(AM_MEDIA_TYPE *mt) = 0;
  virtual HRESULT GetFormat(AM_MEDIA_TYPE **mt) = 0;
  virtual HRESULT GetNumberOfCapabilities(int *count, int *size) = 0;
  // caps: an AUDIO_STREAM_CONFIG_CAPS (52 bytes).
  virtual HRESULT GetStreamCaps(int index, AM_MEDIA_TYPE **mt, BYTE *caps) = 0;
};

struct IAMBufferNegotiation : public virtual IUnknown {
  MEDIA_IID("{56ED71A0-AF5F-11D0-B3F0-00AA003761C5}");
  // Negative fields leave that property to the filter.
  virtual HRESULT SuggestAllocatorProperties(const ALLOCATOR_PROPERTIES *props) = 0;
  virtual HRESULT GetAllocatorProperties(ALLOCATOR_PROPERTIES *props) = 0;
};

struct IAMCrossbar : public virtual IUnknown {
  MEDIA_IID("{C6E13380-30AC-11D0-A18C-00A0C9118956}");
  virtual HRESULT get_PinCounts(LONG *outputs, LONG *inputs) = 0;
  virtual HRESULT CanRoute(LONG output, LONG input) = 0;
  virtual HRESULT Route(LONG output, LONG input) = 0;
  virtual HRESULT get_IsRoutedTo(LONG output, LONG *input) = 0;
  virtual HRESULT get_CrossbarPinInfo(BOOL isInput, LONG index, LONG *related,
                                      LONG *physicalType) = 0;
};

struct IAMAudioInputMixer : public virtual IUnknown {
  MEDIA_IID("{54C39221-8380-11D0-B3F0-00AA003761C5}");
  virtual HRESULT put_Enable(BOOL enable) = 0;
  virtual HRESULT get_Enable(BOOL *enable) = 0;
};

struct IAMTVAudio : public virtual IUnknown {
  MEDIA_IID("{83EC1C30-23D1-11D1-99E6-00A0C9560266}");
};

struct ISpecifyPropertyPages : public virtual IUnknown {
  MEDIA_IID("{B196B28B-BAB4-101A-B69C-00AA00341D07}");
  virtual HRESULT GetPages(CAUUID *pages) = 0;
};

struct IAMVfwCompressDialogs : public virtual IUnknown {
  MEDIA_IID("{D8D715A3-6E5E-11D0-B3F0-00AA003761C5}");
  virtual HRESULT ShowDialog(int dialog, void *window) = 0;
};
inline constexpr int VfwCompressDialog_Config = 1;
inline constexpr int VfwCompressDialog_QueryConfig = 4;

struct IStream : public virtual IUnknown {
  MEDIA_IID("{0000000C-0000-0000-C000-000000000046}");
  virtual HRESULT Read(void *buffer, ULONG size, ULONG *read) = 0;
  virtual HRESULT Write(const void *buffer, ULONG size, ULONG *written) = 0;
  virtual HRESULT Seek(int64_t move, DWORD origin, uint64_t *newPosition) = 0;
};

struct IStorage : public virtual IUnknown {
  MEDIA_IID("{0000000B-0000-0000-C000-000000000046}");
  virtual HRESULT CreateStream(LPCWSTR name, DWORD mode, DWORD reserved1, DWORD reserved2,
                               IStream **stream) = 0;
  virtual HRESULT Commit(DWORD flags) = 0;
};

struct IPersistStream : public virtual IPersist {
  MEDIA_IID("{00000109-0000-0000-C000-000000000046}");
  virtual HRESULT IsDirty() = 0;
  virtual HRESULT Load(IStream *stream) = 0;
  virtual HRESULT Save(IStream *stream, BOOL clearDirty) = 0;
};

struct IPersistStorage : public virtual IPersist {
  MEDIA_IID("{0000010A-0000-0000-C000-000000000046}");
};

// ---- Monikers, property bags, enumerators -------------------------------------
enum VARTYPE : uint16_t { VT_EMPTY = 0, VT_I4 = 3, VT_BSTR = 8 };

struct VARIANT {
  VARTYPE vt = VT_EMPTY;
  int32_t lVal = 0;
  std::u16string bstrVal;
};

struct IErrorLog;

struct IPropertyBag : public virtual IUnknown {
  MEDIA_IID("{55272A00-42CB-11CE-8135-00AA004BB851}");
  // "FriendlyName" (VT_BSTR), "CLSID" (VT_BSTR); E_INVALIDARG for others.
  virtual HRESULT Read(LPCOLESTR name, VARIANT *value, IErrorLog *log) = 0;
  virtual HRESULT Write(LPCOLESTR name, VARIANT *value) = 0; // E_NOTIMPL
};

struct IBindCtx : public virtual IUnknown {
  MEDIA_IID("{0000000E-0000-0000-C000-000000000046}");
};

struct IMoniker : public virtual IPersist {
  MEDIA_IID("{0000000F-0000-0000-C000-000000000046}");
  // Device monikers bind to the device's filter (IBaseFilter); each bind
  // makes a new filter.
  virtual HRESULT BindToObject(IBindCtx *ctx, IMoniker *left, const TGUID &iid, void **out) = 0;
  // Device monikers give their property bag (IPropertyBag).
  virtual HRESULT BindToStorage(IBindCtx *ctx, IMoniker *left, const TGUID &iid, void **out) = 0;
  // A task-memory string.
  virtual HRESULT GetDisplayName(IBindCtx *ctx, IMoniker *left, LPOLESTR *name) = 0;
  virtual HRESULT IsEqual(IMoniker *other) = 0;
};

struct IEnumMoniker : public virtual IUnknown {
  MEDIA_IID("{00000102-0000-0000-C000-000000000046}");
  virtual HRESULT Next(ULONG count, IMoniker **monikers, ULONG *fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumMoniker **clone) = 0;
};

struct ICreateDevEnum : public virtual IUnknown {
  MEDIA_IID("{29840822-5B84-11D0-BD3B-00A0C911CE86}");
  // S_FALSE with a null enumerator for an empty or unknown category.
  virtual HRESULT CreateClassEnumerator(const TGUID &category, IEnumMoniker **monikers,
                                        DWORD flags) = 0;
};

struct IFilterMapper2 : public virtual IUnknown {
  MEDIA_IID("{B79BB0B0-33C1-11D1-ABE1-00A0C905F375}");
  // Every registered filter (the device filters of all categories).
  virtual HRESULT EnumMatchingFilters(IEnumMoniker **monikers, DWORD flags, BOOL exactMatch,
                                      DWORD minMerit, BOOL inputNeeded, DWORD inputTypes,
                                      const TGUID *inputTypeList, const REGPINMEDIUM *inputMedium,
                                      const TGUID *inputCategory, BOOL render, BOOL outputNeeded,
                                      DWORD outputTypes, const TGUID *outputTypeList,
                                      const REGPINMEDIUM *outputMedium,
                                      const TGUID *outputCategory) = 0;
};

struct IRunningObjectTable : public virtual IUnknown {
  MEDIA_IID("{00000010-0000-0000-C000-000000000046}");
  virtual HRESULT Register(DWORD flags, IUnknown *object, IMoniker *name, DWORD *cookie) = 0;
  virtual HRESULT Revoke(DWORD cookie) = 0;
  virtual HRESULT IsRunning(IMoniker *name) = 0;
  virtual HRESULT GetObject(IMoniker *name, IUnknown **object) = 0;
};

#undef MEDIA_IID

} // namespace media
