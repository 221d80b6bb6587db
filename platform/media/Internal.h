// Building blocks of the platform's own objects (allocator and samples,
// enumerators, the filter and pin bases of the sample grabber and the device
// filters). Not for callers outside platform/media.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/media/Media.h"
#include "platform/sys/Sync.h"

namespace media::detail {

// ---- Allocator and samples -----------------------------------------------------
class TMemAllocator;

class TMediaSample final : public com::TInterfacedObject, public IMediaSample {
public:
  TMediaSample(TMemAllocator *owner, LONG size);
  HRESULT QueryInterface(const TGUID &iid, void **out) override;
  uint32_t AddRef() override;
  uint32_t Release() override;

  HRESULT GetPointer(BYTE **buffer) override;
  LONG GetSize() override { return size_; }
  HRESULT GetTime(REFERENCE_TIME *start, REFERENCE_TIME *end) override;
  HRESULT SetTime(REFERENCE_TIME *start, REFERENCE_TIME *end) override;
  HRESULT IsSyncPoint() override { return sync_ ? com::S_OK : com::S_FALSE; }
  HRESULT SetSyncPoint(BOOL sync) override;
  HRESULT IsPreroll() override { return preroll_ ? com::S_OK : com::S_FALSE; }
  HRESULT SetPreroll(BOOL preroll) override;
  LONG GetActualDataLength() override { return actual_; }
  HRESULT SetActualDataLength(LONG length) override;
  HRESULT GetMediaType(AM_MEDIA_TYPE **mt) override;
  HRESULT SetMediaType(AM_MEDIA_TYPE *mt) override;
  HRESULT IsDiscontinuity() override { return discontinuity_ ? com::S_OK : com::S_FALSE; }
  HRESULT SetDiscontinuity(BOOL discontinuity) override;
  HRESULT GetMediaTime(int64_t *start, int64_t *end) override;
  HRESULT SetMediaTime(int64_t *start, int64_t *end) override;

  void ResetFlags();

private:
  friend class TMemAllocator;
  ~TMediaSample() override;
  TMemAllocator *owner_; // set while the sample belongs to a live allocator
  std::vector<BYTE> data_;
  LONG size_;
  LONG actual_ = 0;
  bool timeValid_ = false, stopValid_ = false, sync_ = false, preroll_ = false;
  bool discontinuity_ = false;
  REFERENCE_TIME start_ = 0, stop_ = 0;
  AM_MEDIA_TYPE *type_ = nullptr;
  std::atomic<uint32_t> outstanding_{0}; // references handed out by GetBuffer
};

// Fixed pool of samples. GetBuffer waits for a free one while committed;
// Decommit wakes it (VFW_E_NOT_COMMITTED). Samples come back when their last
// outside reference goes.
class TMemAllocator final : public com::TInterfacedObject, public IMemAllocator {
public:
  TMemAllocator() = default;
  HRESULT QueryInterface(const TGUID &iid, void **out) override;
  uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
  uint32_t Release() override { return TInterfacedObject::Release(); }

  HRESULT SetProperties(ALLOCATOR_PROPERTIES *request, ALLOCATOR_PROPERTIES *actual) override;
  HRESULT GetProperties(ALLOCATOR_PROPERTIES *props) override;
  HRESULT Commit() override;
  HRESULT Decommit() override;
  HRESULT GetBuffer(IMediaSample **sample, REFERENCE_TIME *start, REFERENCE_TIME *end,
                    DWORD flags) override;
  HRESULT ReleaseBuffer(IMediaSample *sample) override;

  void ReturnSample(TMediaSample *sample);

private:
  ~TMemAllocator() override;
  std::mutex m_;
  std::condition_variable cv_;
  ALLOCATOR_PROPERTIES props_{0, 0, 1, 0};
  bool propsSet_ = false;
  bool committed_ = false;
  std::vector<TMediaSample *> all_;  // owned by the pool
  std::vector<TMediaSample *> free_; // subset of all_
  size_t outstanding_ = 0;
};

// ---- Enumerators over snapshots ---------------------------------------------------
template <class IEnum, class Item>
class TEnumSnapshot final : public com::TInterfacedObject, public IEnum {
public:
  explicit TEnumSnapshot(std::vector<TComPtr<Item>> items, size_t pos = 0)
      : items_(std::move(items)), pos_(pos) {}
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<IEnum>(this, iid, out);
  }
  uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
  uint32_t Release() override { return TInterfacedObject::Release(); }
  HRESULT Next(ULONG count, Item **out, ULONG *fetched) override {
    if (out == nullptr)
      return com::E_POINTER;
    if (fetched == nullptr && count > 1)
      return com::E_INVALIDARG;
    ULONG n = 0;
    std::lock_guard<std::mutex> lock(m_);
    while (n < count && pos_ < items_.size()) {
      out[n] = items_[pos_++].Get();
      out[n]->AddRef();
      ++n;
    }
    if (fetched)
      *fetched = n;
    return n == count ? com::S_OK : com::S_FALSE;
  }
  HRESULT Skip(ULONG count) override {
    std::lock_guard<std::mutex> lock(m_);
    if (pos_ + count > items_.size()) {
      pos_ = items_.size();
      return com::S_FALSE;
    }
    pos_ += count;
    return com::S_OK;
  }
  HRESULT Reset() override {
    std::lock_guard<std::mutex> lock(m_);
    pos_ = 0;
    return com::S_OK;
  }
  HRESULT Clone(IEnum **clone) override {
    if (clone == nullptr)
      return com::E_POINTER;
    std::lock_guard<std::mutex> lock(m_);
    *clone = com::MakeCom<TEnumSnapshot>(items_, pos_).Detach();
    return com::S_OK;
  }

private:
  std::mutex m_;
  std::vector<TComPtr<Item>> items_;
  size_t pos_;
};

class TEnumMediaTypesSnapshot final : public com::TInterfacedObject, public IEnumMediaTypes {
public:
  explicit TEnumMediaTypesSnapshot(std::vector<AM_MEDIA_TYPE> types, size_t pos = 0);
  HRESULT QueryInterface(const TGUID &iid, void **out) override;
  uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
  uint32_t Release() override { return TInterfacedObject::Release(); }
  HRESULT Next(ULONG count, AM_MEDIA_TYPE **types, ULONG *fetched) override;
  HRESULT Skip(ULONG count) override;
  HRESULT Reset() override;
  HRESULT Clone(IEnumMediaTypes **clone) override;

private:
  ~TEnumMediaTypesSnapshot() override;
  std::mutex m_;
  std::vector<AM_MEDIA_TYPE> types_; // deep copies
  size_t pos_;
};

// ---- Filter and pin bases -----------------------------------------------------------
class TFilterBase;

// A pin lives inside its filter and forwards its reference count to it.
class TPinBase : public IPin {
public:
  TPinBase(TFilterBase *filter, std::u16string name, PIN_DIRECTION dir);
  virtual ~TPinBase();

  HRESULT QueryInterface(const TGUID &iid, void **out) override;
  uint32_t AddRef() override;
  uint32_t Release() override;

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
  HRESULT EndOfStream() override { return com::S_OK; }
  HRESULT BeginFlush() override { return com::S_OK; }
  HRESULT EndFlush() override { return com::S_OK; }
  HRESULT NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return com::S_OK; }

  // Hooks.
  virtual HRESULT CheckMediaType(const AM_MEDIA_TYPE *mt) = 0;
  // S_OK and a filled record for the types offered, VFW_S_NO_MORE_ITEMS after.
  virtual HRESULT GetMediaType(int position, AM_MEDIA_TYPE *mt);
  virtual HRESULT CompleteConnect(IPin *) { return com::S_OK; }
  virtual void BreakConnect() {}
  virtual HRESULT Active() { return com::S_OK; }
  virtual HRESULT Inactive() { return com::S_OK; }
  // Extra interfaces of the pin (IMemInputPin, IAMStreamConfig, ...).
  virtual HRESULT QueryExtra(const TGUID &, void **) { return com::E_NOINTERFACE; }
  // The pin's category (GUID_NULL for none).
  virtual TGUID Category() const { return GUID_NULL; }

  bool IsConnected() const;
  TComPtr<IPin> Connected() const;
  AM_MEDIA_TYPE ConnectionType() const; // a shallow copy valid while connected
  const std::u16string &Name() const { return name_; }
  PIN_DIRECTION Direction() const { return dir_; }
  TFilterBase *Filter() const { return filter_; }

protected:
  HRESULT AttemptConnection(IPin *receivePin, const AM_MEDIA_TYPE *mt);
  void SetConnection(IPin *pin, const AM_MEDIA_TYPE *mt);
  void ClearConnection();

  TFilterBase *filter_;
  std::u16string name_;
  PIN_DIRECTION dir_;
  mutable std::recursive_mutex pinLock_;
  TComPtr<IPin> connected_;
  AM_MEDIA_TYPE mt_{};
};

class TOutputPinBase : public TPinBase {
public:
  TOutputPinBase(TFilterBase *filter, std::u16string name)
      : TPinBase(filter, std::move(name), PINDIR_OUTPUT) {}
  HRESULT CompleteConnect(IPin *receivePin) override;
  void BreakConnect() override;
  HRESULT Active() override;
  HRESULT Inactive() override;
  // Sets the allocator's properties; S_OK when what it granted will do.
  virtual HRESULT DecideBufferSize(IMemAllocator *allocator, ALLOCATOR_PROPERTIES *request) = 0;
  HRESULT Deliver(IMediaSample *sample);
  TComPtr<IMemAllocator> Allocator() const;

protected:
  TComPtr<IMemAllocator> allocator_;
  TComPtr<IMemInputPin> input_;
};

class TInputPinBase : public TPinBase, public IMemInputPin {
public:
  TInputPinBase(TFilterBase *filter, std::u16string name)
      : TPinBase(filter, std::move(name), PINDIR_INPUT) {}
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return TPinBase::QueryInterface(iid, out);
  }
  uint32_t AddRef() override { return TPinBase::AddRef(); }
  uint32_t Release() override { return TPinBase::Release(); }
  HRESULT QueryExtra(const TGUID &iid, void **out) override;

  HRESULT GetAllocator(IMemAllocator **allocator) override;
  HRESULT NotifyAllocator(IMemAllocator *allocator, BOOL readOnly) override;
  HRESULT GetAllocatorRequirements(ALLOCATOR_PROPERTIES *) override { return com::E_NOTIMPL; }
  HRESULT Receive(IMediaSample *sample) override;
  HRESULT ReceiveMultiple(IMediaSample **samples, LONG count, LONG *processed) override;
  HRESULT ReceiveCanBlock() override { return com::S_OK; }
  HRESULT Connect(IPin *, const AM_MEDIA_TYPE *) override { return VFW_E_INVALID_DIRECTION; }
  void BreakConnect() override;
  HRESULT Inactive() override;

  // Called by Receive while the filter is paused or running.
  virtual HRESULT OnReceive(IMediaSample *sample) = 0;

protected:
  TComPtr<IMemAllocator> allocator_;
};

class TFilterBase : public com::TInterfacedObject, public IBaseFilter {
public:
  TFilterBase(const CLSID &clsid);
  HRESULT QueryInterface(const TGUID &iid, void **out) override;
  uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
  uint32_t Release() override { return TInterfacedObject::Release(); }

  HRESULT GetClassID(CLSID *clsid) override;
  HRESULT Stop() override;
  HRESULT Pause() override;
  HRESULT Run(REFERENCE_TIME start) override;
  HRESULT GetState(DWORD msTimeout, FILTER_STATE *state) override;
  HRESULT SetSyncSource(IReferenceClock *clock) override;
  HRESULT GetSyncSource(IReferenceClock **clock) override;
  HRESULT EnumPins(IEnumPins **pins) override;
  HRESULT FindPin(LPCWSTR id, IPin **pin) override;
  HRESULT QueryFilterInfo(FILTER_INFO *info) override;
  HRESULT JoinFilterGraph(IFilterGraph *graph, LPCWSTR name) override;
  HRESULT QueryVendorInfo(LPWSTR *) override { return com::E_NOTIMPL; }

  // Hooks, called under the filter lock after the pins' Active/Inactive.
  virtual HRESULT OnPause(FILTER_STATE from) {
    (void)from;
    return com::S_OK;
  }
  virtual HRESULT OnRun(REFERENCE_TIME start) {
    (void)start;
    return com::S_OK;
  }
  virtual void OnStop() {}
  // Extra interfaces of the filter.
  virtual HRESULT QueryExtra(const TGUID &, void **) { return com::E_NOINTERFACE; }

  HRESULT NotifyEvent(LONG code, LONG_PTR p1, LONG_PTR p2);
  FILTER_STATE State() const { return state_.load(); }
  std::recursive_mutex &Lock() { return lock_; }
  const std::vector<std::unique_ptr<TPinBase>> &Pins() const { return pins_; }

protected:
  ~TFilterBase() override;
  CLSID clsid_;
  std::recursive_mutex lock_;
  std::atomic<FILTER_STATE> state_{State_Stopped};
  REFERENCE_TIME start_ = 0;
  TComPtr<IReferenceClock> clock_;
  std::u16string name_;
  IFilterGraph *graph_ = nullptr;   // not counted: the graph holds us
  IMediaEventSink *sink_ = nullptr; // not counted
  std::mutex sinkLock_;
  std::vector<std::unique_ptr<TPinBase>> pins_;
};

// Graph-wide helpers.
bool MediaTypeMatches(const AM_MEDIA_TYPE &candidate, const AM_MEDIA_TYPE &pattern);
// A wave format usable by the device filters (PCM 8/16/24/32 or float 32).
bool IsSupportedWaveFormat(const BYTE *format, ULONG size);
// The extensible view of any wave format record.
WAVEFORMATEXTENSIBLE ExtensibleOf(const BYTE *format, ULONG size);
// The sub-format of a packed record, read and written byte-wise: the field
// is not aligned, so it is never bound to a reference.
TGUID SubFormatOf(const WAVEFORMATEXTENSIBLE &f);
void SetSubFormat(WAVEFORMATEXTENSIBLE &f, const TGUID &g);

} // namespace media::detail

namespace media::detail {
// Device filters over a back-end device (created by binding a device moniker).
TComPtr<IBaseFilter> CreateCaptureFilter(const std::string &id, const std::string &friendlyName);
TComPtr<IBaseFilter> CreateRenderFilter(const std::string &id, const std::string &friendlyName);
// The category's default renderer filter, null when there is no device.
TComPtr<IBaseFilter> CreateDefaultRenderer();
void RegisterGraphClasses();
void RegisterGrabberClasses();
} // namespace media::detail
