// The media layer's base classes: media-type routines, a COM object with an
// optional outer object, a filter with its state machine, pins that run the
// connection protocol, an output pin that negotiates the allocator and
// delivers samples, enumerators of pins and media types, the system's own
// push-source filter ("AudioSource" with its pin "AudioOutput"), and the
// device list that names devices by their numbered friendly names.
//
// The classes answer HRESULTs and raise nothing of their own; consistency
// checks raise EAssertionFailed ("Assertion failure", unit "DSBaseClass").
//
// Threads and locks:
// - A filter and its pins share one re-entrant critical section (the filter
//   lock). State changes, FindPin, clock access, graph joining, connection,
//   disconnection, media-type queries and SetSink take it; IsStopped and the
//   reference counts do not. Connection and state changes run on the thread
//   that builds and controls the graph (the main thread for the components).
// - Sample delivery (GetDeliveryBuffer, Deliver, SendData) takes no filter
//   lock: the downstream allocator and input pin guard themselves. SendData
//   runs on the output component's delivery thread; it returns false at once
//   when the pin is not connected or the allocator is (or becomes) decommitted,
//   so stopping the graph always releases a delivery thread waiting in it.
// - Reference counts are atomic; pins forward theirs to the filter, so a pin
//   keeps its filter alive and dies with it.
// - TVLDSCapDeviceList takes no lock; it is used on the thread that builds
//   graphs.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/classlib/Exceptions.h"
#include "platform/classlib/Lists.h"
#include "platform/media/Interfaces.h"
#include "platform/sys/Sync.h"
#include "platform/wave/WaveFormat.h"

using media::ALLOCATOR_PROPERTIES;
using media::AM_MEDIA_TYPE;
using media::BOOL;
using media::DWORD;
using media::FILTER_INFO;
using media::FILTER_STATE;
using media::IBaseFilter;
using media::IEnumMediaTypes;
using media::IEnumPins;
using media::IFilterGraph;
using media::IMediaEventSink;
using media::IMediaSample;
using media::IMemAllocator;
using media::IMemInputPin;
using media::IMoniker;
using media::IPin;
using media::IQualityControl;
using media::IReferenceClock;
using media::LONG;
using media::LONG_PTR;
using media::LPCWSTR;
using media::LPWSTR;
using media::PIN_DIRECTION;
using media::PIN_INFO;
using media::REFERENCE_TIME;
using media::ULONG;

// Consistency check of this unit.
#define DS_ASSERT(condition, ...)                                                                  \
  ::Assert((condition), "DSBaseClass", __LINE__ __VA_OPT__(, ) __VA_ARGS__)

// ---------------------------------------------------------------------------
// Media-type routines. Format blocks always live in task memory.

// Copies the whole record: a fresh copy of the format block (cbFormat 0 when
// it cannot be had) and a counted pUnk.
void LPDSCopyMediaType(AM_MEDIA_TYPE *target, const AM_MEDIA_TYPE *source);
// Frees the format block (cbFormat 0, pbFormat null) and releases pUnk.
void LPDSFreeMediaFormat(AM_MEDIA_TYPE &mt);
// Zeroes the record, then lSampleSize 1 and bFixedSizeSamples TRUE.
void LPDSInitMediaType(AM_MEDIA_TYPE *mt);
// GUID_NULL fields of pattern match anything; a named format type must match
// with equal format blocks.
bool LPDSMatchMediaType(const AM_MEDIA_TYPE *candidate, const AM_MEDIA_TYPE *pattern);
// Frees the format block of a copy of the record (pUnk keeps its reference);
// the caller's pbFormat must not be used afterwards.
void LPDSFreeMediaType(AM_MEDIA_TYPE mt);
// Frees format and record of a task-memory media type; null is ignored.
void LPDSDeleteMediaType(AM_MEDIA_TYPE *mt);
// PCM audio media type of a 40-byte format: an 18-byte WAVEFORMATEX (tag 1,
// cbSize 0) for at most 2 channels of at most 16 bits, else cbSize + 18 bytes
// as given. E_OUTOFMEMORY (cbFormat set, pbFormat null) when the block cannot
// be had. The third argument is not used.
HRESULT CreateAudioMediaType(const WAVEFORMATEXTENSIBLE *format, AM_MEDIA_TYPE *mt,
                             int32_t unused = 0);
// {xxxxxxxx-0000-0010-8000-00AA00389B71}
bool LPDSIsFourCC(const TGUID &guid);
// The first pin of the filter whose QueryDirection gives dir; null when none.
com::TComPtr<IPin> LPDSGetPin(IBaseFilter *filter, PIN_DIRECTION dir);
com::TComPtr<IPin> LPDSGetInputPin(IBaseFilter *filter);
com::TComPtr<IPin> LPDSGetOutputPin(IBaseFilter *filter);

// ---------------------------------------------------------------------------
// COM object with an optional outer object (aggregation).

class TDSDualUnknown : public virtual com::IUnknown {
public:
  TDSDualUnknown(std::string objectName, com::IUnknown *outer);
  TDSDualUnknown(const TDSDualUnknown &) = delete;
  TDSDualUnknown &operator=(const TDSDualUnknown &) = delete;

  // To the outer object when there is one, else to the non-delegating forms.
  HRESULT QueryInterface(const TGUID &iid, void **out) override;
  uint32_t AddRef() override;
  uint32_t Release() override;

  virtual HRESULT NonDelegatingQueryInterface(const TGUID &iid, void **out);
  virtual uint32_t NonDelegatingAddRef();
  // Destroys the object when the count reaches 0.
  virtual uint32_t NonDelegatingRelease();

  com::IUnknown *GetOwner() const { return outer_; }
  // kept: public member of the object
  const std::string &ObjectName() const { return name_; }
  int32_t RefCount() const { return ref_.load(); }

protected:
  ~TDSDualUnknown() override = default;

  std::atomic<int32_t> ref_{0};
  com::IUnknown *const outer_;
  const std::string name_;
};

class TDSBasePin;

// ---------------------------------------------------------------------------
// Filter with states, clock, graph membership and pin version.

class TDSBaseFilter : public TDSDualUnknown, public IBaseFilter {
public:
  TDSBaseFilter(std::string objectName, com::IUnknown *outer, const TGUID &clsid);
  // hr must be given (assertion "Unreferenced parameter: hr").
  TDSBaseFilter(std::string objectName, com::IUnknown *outer, const TGUID &clsid, HRESULT *hr);

  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return TDSDualUnknown::QueryInterface(iid, out);
  }
  uint32_t AddRef() override { return TDSDualUnknown::AddRef(); }
  uint32_t Release() override { return TDSDualUnknown::Release(); }
  // IBaseFilter and IUnknown only.
  HRESULT NonDelegatingQueryInterface(const TGUID &iid, void **out) override;

  // IPersist
  HRESULT GetClassID(media::CLSID *clsid) override;
  // IMediaFilter
  HRESULT Stop() override;
  HRESULT Pause() override;
  HRESULT Run(REFERENCE_TIME start) override;
  HRESULT GetState(DWORD msTimeout, FILTER_STATE *state) override;
  HRESULT SetSyncSource(IReferenceClock *clock) override;
  HRESULT GetSyncSource(IReferenceClock **clock) override;
  // IBaseFilter
  HRESULT EnumPins(IEnumPins **pins) override;
  HRESULT FindPin(LPCWSTR id, IPin **pin) override;
  HRESULT QueryFilterInfo(FILTER_INFO *info) override;
  HRESULT JoinFilterGraph(IFilterGraph *graph, LPCWSTR name) override;
  HRESULT QueryVendorInfo(LPWSTR *vendorInfo) override;

  // The clock's time minus the start time; VFW_E_NO_CLOCK without a clock.
  virtual HRESULT StreamTime(REFERENCE_TIME *time);
  virtual LONG GetPinVersion();
  virtual int GetPinCount() = 0;
  virtual TDSBasePin *GetPin(int index) = 0;

  void IncrementPinVersion() { ++pinVersion_; }
  // The graph's event sink receives the event; EC_COMPLETE carries the filter
  // as its second parameter. E_NOTIMPL without a sink.
  HRESULT NotifyEvent(LONG code, LONG_PTR p1, LONG_PTR p2);
  // kept: public member of the base filter
  HRESULT ReconnectPin(IPin *pin, const AM_MEDIA_TYPE *mt);
  // kept: public member of the base filter
  bool IsActive();
  bool IsStopped() const { return state_.load() == media::State_Stopped; }
  FILTER_STATE State() const { return state_.load(); }
  // kept: public members of the base filter
  void FilterLock() { lock_.Enter(); }
  void FilterUnlock() { lock_.Leave(); }
  sys::TCriticalSection *Lock() { return &lock_; }
  IFilterGraph *GetFilterGraph() const { return graph_; }
  const std::u16string &FilterName() const { return filterName_; }

protected:
  ~TDSBaseFilter() override = default;

  std::atomic<FILTER_STATE> state_{media::State_Stopped};
  com::TComPtr<IReferenceClock> clock_;
  REFERENCE_TIME start_ = 0;
  const TGUID clsid_;
  sys::TCriticalSection lock_;
  std::u16string filterName_;
  IFilterGraph *graph_ = nullptr;   // not counted: the graph owns the filter
  IMediaEventSink *sink_ = nullptr; // not counted, as the graph
  std::atomic<LONG> pinVersion_{1};
};

// ---------------------------------------------------------------------------
// Pin with the connection protocol and media-type negotiation.

class TDSBasePin : public TDSDualUnknown, public IPin, public IQualityControl {
public:
  // filter and lock must be given.
  TDSBasePin(std::string objectName, TDSBaseFilter *filter, sys::TCriticalSection *lock,
             HRESULT *hr, std::u16string pinName, PIN_DIRECTION dir);
  ~TDSBasePin() override;

  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return TDSDualUnknown::QueryInterface(iid, out);
  }
  uint32_t AddRef() override { return TDSDualUnknown::AddRef(); }
  uint32_t Release() override { return TDSDualUnknown::Release(); }
  // IPin, IQualityControl and IUnknown.
  HRESULT NonDelegatingQueryInterface(const TGUID &iid, void **out) override;
  // Counted on the pin and forwarded to the filter.
  uint32_t NonDelegatingAddRef() override;
  uint32_t NonDelegatingRelease() override;

  // IPin
  HRESULT Connect(IPin *receivePin, const AM_MEDIA_TYPE *mt) override;
  HRESULT ReceiveConnection(IPin *connector, const AM_MEDIA_TYPE *mt) override;
  HRESULT Disconnect() override;
  HRESULT ConnectedTo(IPin **pin) override;
  HRESULT ConnectionMediaType(AM_MEDIA_TYPE *mt) override;
  HRESULT QueryPinInfo(PIN_INFO *info) override;
  HRESULT QueryDirection(PIN_DIRECTION *dir) override;
  HRESULT QueryId(LPWSTR *id) override;
  HRESULT QueryAccept(const AM_MEDIA_TYPE *mt) override;
  HRESULT EnumMediaTypes(IEnumMediaTypes **types) override;
  HRESULT QueryInternalConnections(IPin **pins, ULONG *count) override;
  HRESULT EndOfStream() override;
  HRESULT BeginFlush() override = 0;
  HRESULT EndFlush() override = 0;
  HRESULT NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;
  // IQualityControl
  HRESULT Notify(IBaseFilter *self, media::Quality q) override;
  HRESULT SetSink(IQualityControl *sink) override;

  virtual LONG GetMediaTypeVersion();
  virtual HRESULT Active();
  virtual HRESULT Inactive();
  virtual HRESULT Run(REFERENCE_TIME start);
  virtual HRESULT CheckMediaType(const AM_MEDIA_TYPE *mt) = 0;
  virtual HRESULT SetMediaType(const AM_MEDIA_TYPE *mt);
  virtual HRESULT CheckConnect(IPin *pin);
  virtual HRESULT BreakConnect();
  virtual HRESULT CompleteConnect(IPin *receivePin);
  // E_UNEXPECTED here; pins that offer types override it.
  virtual HRESULT GetMediaType(int position, AM_MEDIA_TYPE *mt);

  bool IsConnected() const { return connected_ != nullptr; }
  bool IsStopped() const { return filter_->IsStopped(); }
  void IncrementTypeVersion() { ++typeVersion_; }
  // A copy of the connection media type (the caller frees its format).
  // kept: public member of the base pin
  AM_MEDIA_TYPE GetCurrentMediaType();
  // kept: public member of the base pin
  const AM_MEDIA_TYPE &GetAMMediaType() const { return mt_; }
  const std::u16string &Name() const { return pinName_; }
  IPin *GetConnected() const { return connected_.Get(); }
  int32_t PinRefCount() const { return pinRef_.load(); }

protected:
  HRESULT AgreeMediaType(IPin *receivePin, const AM_MEDIA_TYPE *mt);
  HRESULT AttemptConnection(IPin *receivePin, const AM_MEDIA_TYPE *mt);
  HRESULT TryMediaTypes(IPin *receivePin, const AM_MEDIA_TYPE *mt, IEnumMediaTypes *types);
  // BreakConnect must succeed during the protocol's clean-up.
  void BreakConnectChecked();

  const std::u16string pinName_;
  com::TComPtr<IPin> connected_;
  const PIN_DIRECTION dir_;
  sys::TCriticalSection *const lock_;
  bool runTimeError_ = false;
  bool canReconnectWhenActive_ = false;
  bool tryMyTypesFirst_ = false;
  TDSBaseFilter *const filter_;
  com::TComPtr<IQualityControl> qualitySink_;
  std::atomic<LONG> typeVersion_{1};
  AM_MEDIA_TYPE mt_{};
  REFERENCE_TIME segmentStart_ = 0;
  REFERENCE_TIME segmentStop_ = INT64_MAX;
  double segmentRate_ = 1.0;
  std::atomic<int32_t> pinRef_{0};
};

// ---------------------------------------------------------------------------
// Output pin: allocator negotiation and delivery.

class TDSBaseOutputPin : public TDSBasePin {
public:
  TDSBaseOutputPin(std::string objectName, TDSBaseFilter *filter, sys::TCriticalSection *lock,
                   HRESULT *hr, std::u16string pinName);
  ~TDSBaseOutputPin() override;

  HRESULT EndOfStream() override;
  HRESULT BeginFlush() override;
  HRESULT EndFlush() override;
  HRESULT Active() override;
  HRESULT Inactive() override;
  HRESULT CheckConnect(IPin *pin) override;
  HRESULT BreakConnect() override;
  HRESULT CompleteConnect(IPin *receivePin) override;

  virtual HRESULT DecideAllocator(IMemInputPin *pin, com::TComPtr<IMemAllocator> &allocator);
  // S_OK without asking anything; derived pins size their buffers here.
  virtual HRESULT DecideBufferSize(IMemAllocator *allocator, ALLOCATOR_PROPERTIES *properties);
  virtual HRESULT GetDeliveryBuffer(IMediaSample **sample, REFERENCE_TIME *start,
                                    REFERENCE_TIME *stop, DWORD flags);
  virtual HRESULT Deliver(IMediaSample *sample);
  virtual HRESULT InitAllocator(com::TComPtr<IMemAllocator> &allocator);
  virtual HRESULT DeliverEndOfStream();
  virtual HRESULT DeliverBeginFlush();
  virtual HRESULT DeliverEndFlush();
  virtual HRESULT DeliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate);

  IMemAllocator *Allocator() const { return allocator_.Get(); }

protected:
  // Set while connected; read by the delivery thread. The allocator and input
  // pin are changed only while the filter is stopped, so a delivery thread
  // that runs while the graph runs sees them stable; the copies it takes are
  // guarded by delivery_.
  com::TComPtr<IMemAllocator> TakeAllocator();
  com::TComPtr<IMemInputPin> TakeInputPin();

  std::mutex delivery_;
  com::TComPtr<IMemAllocator> allocator_;
  com::TComPtr<IMemInputPin> inputPin_;
};

// ---------------------------------------------------------------------------
// Enumerators.

class TDSEnumPins final : public com::TInterfacedObject, public IEnumPins {
public:
  explicit TDSEnumPins(TDSBaseFilter *filter, const TDSEnumPins *source = nullptr);
  ~TDSEnumPins() override;
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<IEnumPins>(this, iid, out);
  }
  uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
  uint32_t Release() override { return TInterfacedObject::Release(); }

  HRESULT Next(ULONG count, IPin **pins, ULONG *fetched) override;
  HRESULT Skip(ULONG count) override;
  HRESULT Reset() override;
  HRESULT Clone(IEnumPins **clone) override;

private:
  bool AreWeOutOfSync() const { return filter_->GetPinVersion() != version_; }
  void Refresh();

  int position_ = 0;
  int pinCount_ = 0;
  TDSBaseFilter *const filter_; // counted
  LONG version_ = 0;
  std::vector<IPin *> handedOut_; // identities only, not counted
};

class TDSEnumMediaTypes final : public com::TInterfacedObject, public IEnumMediaTypes {
public:
  explicit TDSEnumMediaTypes(TDSBasePin *pin, const TDSEnumMediaTypes *source = nullptr);
  ~TDSEnumMediaTypes() override;
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<IEnumMediaTypes>(this, iid, out);
  }
  uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
  uint32_t Release() override { return TInterfacedObject::Release(); }

  HRESULT Next(ULONG count, AM_MEDIA_TYPE **types, ULONG *fetched) override;
  HRESULT Skip(ULONG count) override;
  HRESULT Reset() override;
  HRESULT Clone(IEnumMediaTypes **clone) override;

private:
  bool AreWeOutOfSync() const { return pin_->GetMediaTypeVersion() != version_; }

  int position_ = 0;
  TDSBasePin *const pin_; // counted
  LONG version_ = 0;
};

// ---------------------------------------------------------------------------
// The system's own push-source filter.

class TDSSourceStreamPin;

class TDSBaseSourceFilter : public TDSBaseFilter {
public:
  TDSBaseSourceFilter(std::string objectName, com::IUnknown *outer, const TGUID &clsid);
  TDSBaseSourceFilter(std::string objectName, com::IUnknown *outer, const TGUID &clsid,
                      HRESULT *hr);

  HRESULT AddPin(TDSSourceStreamPin *pin);
  HRESULT RemovePin(TDSSourceStreamPin *pin);
  int GetPinCount() override;
  TDSBasePin *GetPin(int index) override;
  // E_POINTER for a null out-argument; exact (case-sensitive) names.
  HRESULT FindPin(LPCWSTR id, IPin **pin) override;

protected:
  // Frees the pins, last first, under the list's lock.
  ~TDSBaseSourceFilter() override;

  std::recursive_mutex pinsLock_;
  std::vector<TDSSourceStreamPin *> pins_;
};

class TDSSourceStreamPin : public TDSBaseOutputPin {
public:
  // Adds itself to the filter's pin list; the filter frees it.
  TDSSourceStreamPin(std::string objectName, HRESULT *hr, TDSBaseSourceFilter *filter,
                     std::u16string pinName);
  ~TDSSourceStreamPin() override;

protected:
  // Copies size bytes into as many delivery samples as needed, stamping each
  // with times interpolated between start and stop (no times when both are
  // 0). False when the pin is not connected, the allocator is decommitted or
  // grants empty samples, or the last Deliver failed.
  bool PushData(const uint8_t *data, int32_t size, REFERENCE_TIME start, REFERENCE_TIME stop,
                bool stamp, bool sync);

  TDSBaseSourceFilter *const sourceFilter_;
};

class TDSAudioSourceStreamPin final : public TDSSourceStreamPin {
public:
  TDSAudioSourceStreamPin(std::string objectName, HRESULT *hr, TDSBaseSourceFilter *filter,
                          std::u16string pinName);

  // Applies to the next connection. basic: offer plain 18-byte PCM (tag 1,
  // cbSize 0) with lSampleSize equal to the block alignment.
  void SetFormat(const WAVEFORMATEXTENSIBLE &format, bool basic, int32_t bufferMs);
  // Runs on the delivery thread; see TDSSourceStreamPin::PushData.
  bool SendData(const void *data, int32_t size, REFERENCE_TIME start, REFERENCE_TIME stop,
                bool sync);

  HRESULT CheckMediaType(const AM_MEDIA_TYPE *mt) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE *mt) override;
  // One buffer of the buffer length plus 2 ms; E_FAIL when less is granted,
  // or when the size does not fit a 32-bit buffer length.
  HRESULT DecideBufferSize(IMemAllocator *allocator, ALLOCATOR_PROPERTIES *properties) override;

  const WAVEFORMATEXTENSIBLE &Format() const { return format_; }

private:
  WAVEFORMATEXTENSIBLE format_{};
  bool basic_ = false;
  int32_t bufferMs_ = 0;
};

class TDSAudioSourceFilter final : public TDSBaseSourceFilter {
public:
  // Creates its pin "AudioOutput". Make with com::MakeCom.
  TDSAudioSourceFilter(const std::string &filterName, const TGUID &clsid);

  void SetFormat(const WAVEFORMATEXTENSIBLE &format, bool basic, int32_t bufferMs);
  bool SendData(const void *data, int32_t size, REFERENCE_TIME start, REFERENCE_TIME stop,
                bool sync);
  TDSAudioSourceStreamPin *StreamPin() const { return pin_; }

private:
  WAVEFORMATEXTENSIBLE format_{};
  TDSAudioSourceStreamPin *pin_;
};

class TDSBinarySourceStreamPin final : public TDSSourceStreamPin {
public:
  TDSBinarySourceStreamPin(std::string objectName, HRESULT *hr, TDSBaseSourceFilter *filter,
                           std::u16string pinName);
  ~TDSBinarySourceStreamPin() override;

  void SetMediaType(const AM_MEDIA_TYPE &mt);
  void SetFormat(int32_t bufferSize) { bufferSize_ = bufferSize; }
  bool SendData(const void *data, int32_t size);

  HRESULT CheckMediaType(const AM_MEDIA_TYPE *mt) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE *mt) override;
  HRESULT DecideBufferSize(IMemAllocator *allocator, ALLOCATOR_PROPERTIES *properties) override;

private:
  AM_MEDIA_TYPE stored_{};
  int32_t bufferSize_ = 0;
};

class TDSBinarySourceFilter final : public TDSBaseSourceFilter {
public:
  TDSBinarySourceFilter(const std::string &filterName, const TGUID &clsid);
  void SetMediaType(const AM_MEDIA_TYPE &mt) { pin_->SetMediaType(mt); }
  void SetFormat(int32_t bufferSize) { pin_->SetFormat(bufferSize); }
  bool SendData(const void *data, int32_t size) { return pin_->SendData(data, size); }
  TDSBinarySourceStreamPin *StreamPin() const { return pin_; }

private:
  TDSBinarySourceStreamPin *pin_;
};

// ---------------------------------------------------------------------------
// Device list: the devices of one category (or every registered filter), each
// named by its friendly name, numbered " (n)" from the second device of one
// trimmed name on.

class TVLDSCapDeviceInfo {
public:
  // Reads the display name and the class identifier from the moniker.
  TVLDSCapDeviceInfo(std::string rawName, std::string numberedName, std::string trimmedName,
                     com::TComPtr<IMoniker> moniker);

  std::string DisplayName;
  std::string RawName;
  std::string NumberedName;
  std::string TrimmedName;
  com::TComPtr<IMoniker> Moniker;
  TGUID ClassID{};
};

class TVLDSCapDeviceList {
public:
  TVLDSCapDeviceList() = default;
  TVLDSCapDeviceList(const TVLDSCapDeviceList &) = delete;
  TVLDSCapDeviceList &operator=(const TVLDSCapDeviceList &) = delete;

  void EnumFilters(const TGUID &category);
  void AddEnumFilters(const TGUID &category);
  // Appends every registered filter (the list is not emptied first).
  void EnumAllFilters();

  int Count() const { return static_cast<int>(items_.size()); }
  const TVLDSCapDeviceInfo &Items(int index) const;
  void Add(TVLDSCapDeviceInfo info) { items_.push_back(std::move(info)); }
  void Clear() { items_.clear(); }

  int FindDeviceNum(const std::string &trimmedName) const;
  com::TComPtr<IMoniker> GetMonikerByDeviceName(const std::string &displayName) const;
  com::TComPtr<IMoniker> GetMonikerByString(const std::string &numberedName) const;
  // kept: public member of the device list
  com::TComPtr<IMoniker> GetMonikerByCLSID(const TGUID &clsid) const;
  std::string GetDeviceNameByString(const std::string &numberedName) const;
  std::string GetStringByDeviceName(const std::string &displayName) const;
  // kept: public member of the device list
  std::string GetStringByCLSID(const TGUID &clsid) const;
  TGUID GetCLSIDByString(const std::string &numberedName) const;
  // Compares references, not monikers.
  int32_t GetIntByMoniker(IMoniker *moniker) const;
  std::string GetStringByMoniker(IMoniker *moniker) const;

private:
  void AddMonikers(media::IEnumMoniker *monikers);
  std::vector<TVLDSCapDeviceInfo> items_;
};

// The class library's trimming: blanks and control characters at both ends.
std::string DSTrim(const std::string &s);

// kept: moniker routines the unit offers; no component calls them.
std::string LPDSGetFriendlyNameFromMoniker(IMoniker *moniker);
bool LPDSGetFilterPinInterface(IBaseFilter *filter, const TGUID &iid, void **out);
bool LPDSGetFilterPinInterfaceFromMoniker(IMoniker *moniker, const TGUID &iid, void **out);
com::TComPtr<media::IPersistStorage> LPDSGetPersistStorage(IMoniker *moniker);
com::TComPtr<media::IPersistStream> LPDSGetPersistStream(IMoniker *moniker);
bool LPDSHasCompressionDialog(IMoniker *moniker);
bool LPDSShowVideoCompressionDialog(IMoniker *moniker, media::IStream *stream);
bool LPDSShowVideoCompressionDialogHandle(IMoniker *moniker, media::IStream *stream, void *window);
// The platform's OLE property frame for one filter at 30, 30, owned by the
// given window; callers do not use its result.
HRESULT DSShowPropertyFrame(void *owner, IBaseFilter *filter, const media::CAUUID &pages);
