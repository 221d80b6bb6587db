#include "platform/media/Internal.h"

#include <cstring>

namespace media::detail {

using com::E_INVALIDARG;
using com::E_NOINTERFACE;
using com::E_OUTOFMEMORY;
using com::E_POINTER;
using com::FAILED;
using com::S_FALSE;
using com::S_OK;

// ---- TMediaSample ---------------------------------------------------------------------
TMediaSample::TMediaSample(TMemAllocator *owner, LONG size)
    : owner_(owner), data_(static_cast<size_t>(size)), size_(size) {}

TMediaSample::~TMediaSample() { DeleteMediaType(type_); }

HRESULT TMediaSample::QueryInterface(const TGUID &iid, void **out) {
  return com::QueryInterfaceFor<IMediaSample>(this, iid, out);
}

// Samples are pooled: the allocator holds them with a count of 0; the last
// outside reference going returns the sample to the pool instead of freeing it.
uint32_t TMediaSample::AddRef() { return outstanding_.fetch_add(1, std::memory_order_relaxed) + 1; }

uint32_t TMediaSample::Release() {
  uint32_t n = outstanding_.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (n == 0) {
    if (owner_ != nullptr)
      owner_->ReturnSample(this); // may free the allocator and with it this sample
    else
      delete this;
  }
  return n;
}

HRESULT TMediaSample::GetPointer(BYTE **buffer) {
  if (buffer == nullptr)
    return E_POINTER;
  *buffer = data_.data();
  return S_OK;
}

HRESULT TMediaSample::GetTime(REFERENCE_TIME *start, REFERENCE_TIME *end) {
  if (!timeValid_)
    return VFW_E_SAMPLE_TIME_NOT_SET;
  if (start)
    *start = start_;
  if (end)
    *end = stopValid_ ? stop_ : start_ + 1;
  return stopValid_ ? S_OK : VFW_S_NO_STOP_TIME;
}

HRESULT TMediaSample::SetTime(REFERENCE_TIME *start, REFERENCE_TIME *end) {
  timeValid_ = start != nullptr;
  stopValid_ = start != nullptr && end != nullptr;
  start_ = start ? *start : 0;
  stop_ = end ? *end : 0;
  return S_OK;
}

HRESULT TMediaSample::SetSyncPoint(BOOL sync) {
  sync_ = sync != FALSE;
  return S_OK;
}
HRESULT TMediaSample::SetPreroll(BOOL preroll) {
  preroll_ = preroll != FALSE;
  return S_OK;
}
HRESULT TMediaSample::SetDiscontinuity(BOOL discontinuity) {
  discontinuity_ = discontinuity != FALSE;
  return S_OK;
}

HRESULT TMediaSample::SetActualDataLength(LONG length) {
  if (length < 0 || length > size_)
    return VFW_E_BUFFER_OVERFLOW;
  actual_ = length;
  return S_OK;
}

HRESULT TMediaSample::GetMediaType(AM_MEDIA_TYPE **mt) {
  if (mt == nullptr)
    return E_POINTER;
  *mt = nullptr;
  if (type_ == nullptr)
    return S_FALSE;
  *mt = CreateMediaType(type_);
  return *mt ? S_OK : E_OUTOFMEMORY;
}

HRESULT TMediaSample::SetMediaType(AM_MEDIA_TYPE *mt) {
  DeleteMediaType(type_);
  type_ = nullptr;
  if (mt == nullptr)
    return S_OK;
  type_ = CreateMediaType(mt);
  return type_ ? S_OK : E_OUTOFMEMORY;
}

HRESULT TMediaSample::GetMediaTime(int64_t *, int64_t *) { return VFW_E_MEDIA_TIME_NOT_SET; }
HRESULT TMediaSample::SetMediaTime(int64_t *, int64_t *) { return S_OK; }

void TMediaSample::ResetFlags() {
  actual_ = 0;
  timeValid_ = stopValid_ = sync_ = preroll_ = discontinuity_ = false;
  start_ = stop_ = 0;
  DeleteMediaType(type_);
  type_ = nullptr;
}

// ---- TMemAllocator ----------------------------------------------------------------------
TMemAllocator::~TMemAllocator() {
  for (TMediaSample *s : all_)
    delete s;
}

HRESULT TMemAllocator::QueryInterface(const TGUID &iid, void **out) {
  return com::QueryInterfaceFor<IMemAllocator>(this, iid, out);
}

HRESULT TMemAllocator::SetProperties(ALLOCATOR_PROPERTIES *request, ALLOCATOR_PROPERTIES *actual) {
  if (request == nullptr || actual == nullptr)
    return E_POINTER;
  // A buffer of no bytes can carry nothing: a sender would loop forever on it.
  if (request->cbBuffer <= 0)
    return E_INVALIDARG;
  std::lock_guard<std::mutex> lock(m_);
  if (committed_)
    return VFW_E_ALREADY_COMMITTED;
  if (outstanding_ != 0)
    return VFW_E_BUFFERS_OUTSTANDING;
  ALLOCATOR_PROPERTIES p = *request;
  if (p.cBuffers <= 0)
    p.cBuffers = 1;
  if (p.cbAlign <= 0)
    p.cbAlign = 1;
  if (p.cbPrefix < 0)
    p.cbPrefix = 0;
  if (p.cBuffers > 1024)
    p.cBuffers = 1024;
  if (p.cbBuffer != props_.cbBuffer || p.cBuffers != props_.cBuffers) {
    for (TMediaSample *s : all_)
      delete s;
    all_.clear();
    free_.clear();
  }
  props_ = p;
  propsSet_ = true;
  *actual = p;
  return S_OK;
}

HRESULT TMemAllocator::GetProperties(ALLOCATOR_PROPERTIES *props) {
  if (props == nullptr)
    return E_POINTER;
  std::lock_guard<std::mutex> lock(m_);
  *props = props_;
  return S_OK;
}

HRESULT TMemAllocator::Commit() {
  std::lock_guard<std::mutex> lock(m_);
  if (!propsSet_)
    return VFW_E_SIZENOTSET;
  if (committed_)
    return S_OK;
  try {
    while (all_.size() < static_cast<size_t>(props_.cBuffers)) {
      all_.push_back(new TMediaSample(this, props_.cbBuffer));
      free_.push_back(all_.back());
    }
  } catch (const std::bad_alloc &) {
    return E_OUTOFMEMORY;
  }
  committed_ = true;
  return S_OK;
}

HRESULT TMemAllocator::Decommit() {
  {
    std::lock_guard<std::mutex> lock(m_);
    committed_ = false;
  }
  cv_.notify_all();
  return S_OK;
}

HRESULT TMemAllocator::GetBuffer(IMediaSample **sample, REFERENCE_TIME *start, REFERENCE_TIME *end,
                                 DWORD flags) {
  if (sample == nullptr)
    return E_POINTER;
  *sample = nullptr;
  TMediaSample *s = nullptr;
  {
    std::unique_lock<std::mutex> lock(m_);
    for (;;) {
      if (!committed_)
        return VFW_E_NOT_COMMITTED;
      if (!free_.empty())
        break;
      if (flags & AM_GBF_NOWAIT)
        return VFW_E_TIMEOUT;
      cv_.wait(lock);
    }
    s = free_.back();
    free_.pop_back();
    ++outstanding_;
  }
  AddRef(); // an outstanding sample keeps its allocator
  s->ResetFlags();
  if (start != nullptr)
    s->SetTime(start, end);
  s->AddRef();
  *sample = s;
  return S_OK;
}

HRESULT TMemAllocator::ReleaseBuffer(IMediaSample *sample) { return sample ? S_OK : E_POINTER; }

void TMemAllocator::ReturnSample(TMediaSample *sample) {
  {
    std::lock_guard<std::mutex> lock(m_);
    free_.push_back(sample);
    --outstanding_;
  }
  cv_.notify_one();
  Release();
}

// ---- TEnumMediaTypesSnapshot -------------------------------------------------------------
TEnumMediaTypesSnapshot::TEnumMediaTypesSnapshot(std::vector<AM_MEDIA_TYPE> types, size_t pos)
    : pos_(pos) {
  for (const AM_MEDIA_TYPE &t : types) {
    AM_MEDIA_TYPE copy{};
    if (SUCCEEDED(CopyMediaType(&copy, &t)))
      types_.push_back(copy);
  }
}

TEnumMediaTypesSnapshot::~TEnumMediaTypesSnapshot() {
  for (AM_MEDIA_TYPE &t : types_)
    FreeMediaType(t);
}

HRESULT TEnumMediaTypesSnapshot::QueryInterface(const TGUID &iid, void **out) {
  return com::QueryInterfaceFor<IEnumMediaTypes>(this, iid, out);
}

HRESULT TEnumMediaTypesSnapshot::Next(ULONG count, AM_MEDIA_TYPE **types, ULONG *fetched) {
  if (types == nullptr)
    return E_POINTER;
  if (fetched == nullptr && count > 1)
    return E_INVALIDARG;
  std::lock_guard<std::mutex> lock(m_);
  ULONG n = 0;
  while (n < count && pos_ < types_.size()) {
    types[n] = CreateMediaType(&types_[pos_]);
    if (types[n] == nullptr)
      break;
    ++pos_;
    ++n;
  }
  if (fetched)
    *fetched = n;
  return n == count ? S_OK : S_FALSE;
}

HRESULT TEnumMediaTypesSnapshot::Skip(ULONG count) {
  std::lock_guard<std::mutex> lock(m_);
  if (pos_ + count > types_.size()) {
    pos_ = types_.size();
    return S_FALSE;
  }
  pos_ += count;
  return S_OK;
}

HRESULT TEnumMediaTypesSnapshot::Reset() {
  std::lock_guard<std::mutex> lock(m_);
  pos_ = 0;
  return S_OK;
}

HRESULT TEnumMediaTypesSnapshot::Clone(IEnumMediaTypes **clone) {
  if (clone == nullptr)
    return E_POINTER;
  std::lock_guard<std::mutex> lock(m_);
  *clone = com::MakeCom<TEnumMediaTypesSnapshot>(types_, pos_).Detach();
  return S_OK;
}

// ---- TPinBase ----------------------------------------------------------------------------------
TPinBase::TPinBase(TFilterBase *filter, std::u16string name, PIN_DIRECTION dir)
    : filter_(filter), name_(std::move(name)), dir_(dir) {}

TPinBase::~TPinBase() { FreeMediaType(mt_); }

HRESULT TPinBase::QueryInterface(const TGUID &iid, void **out) {
  if (out == nullptr)
    return E_POINTER;
  *out = nullptr;
  if (iid == IUnknown::IID || iid == IPin::IID) {
    *out = static_cast<IPin *>(this);
    AddRef();
    return S_OK;
  }
  return QueryExtra(iid, out);
}

uint32_t TPinBase::AddRef() { return filter_->AddRef(); }
uint32_t TPinBase::Release() { return filter_->Release(); }

bool TPinBase::IsConnected() const {
  std::lock_guard<std::recursive_mutex> lock(pinLock_);
  return connected_ != nullptr;
}

TComPtr<IPin> TPinBase::Connected() const {
  std::lock_guard<std::recursive_mutex> lock(pinLock_);
  return connected_;
}

AM_MEDIA_TYPE TPinBase::ConnectionType() const {
  std::lock_guard<std::recursive_mutex> lock(pinLock_);
  return mt_;
}

void TPinBase::SetConnection(IPin *pin, const AM_MEDIA_TYPE *mt) {
  std::lock_guard<std::recursive_mutex> lock(pinLock_);
  connected_ = pin;
  FreeMediaType(mt_);
  CopyMediaType(&mt_, mt);
}

void TPinBase::ClearConnection() {
  std::lock_guard<std::recursive_mutex> lock(pinLock_);
  connected_ = nullptr;
  FreeMediaType(mt_);
  ZeroMediaType(mt_);
}

HRESULT TPinBase::GetMediaType(int, AM_MEDIA_TYPE *) { return VFW_S_NO_MORE_ITEMS; }

HRESULT TPinBase::AttemptConnection(IPin *receivePin, const AM_MEDIA_TYPE *mt) {
  if (CheckMediaType(mt) != S_OK)
    return VFW_E_TYPE_NOT_ACCEPTED;
  SetConnection(receivePin, mt);
  HRESULT hr = receivePin->ReceiveConnection(this, mt);
  if (FAILED(hr)) {
    ClearConnection();
    return hr;
  }
  hr = CompleteConnect(receivePin);
  if (FAILED(hr)) {
    receivePin->Disconnect();
    BreakConnect();
    ClearConnection();
    return hr;
  }
  return S_OK;
}

HRESULT TPinBase::Connect(IPin *receivePin, const AM_MEDIA_TYPE *mt) {
  if (receivePin == nullptr)
    return E_POINTER;
  std::lock_guard<std::recursive_mutex> flock(filter_->Lock());
  if (IsConnected())
    return VFW_E_ALREADY_CONNECTED;
  if (filter_->State() != State_Stopped)
    return VFW_E_NOT_STOPPED;
  PIN_DIRECTION other;
  if (FAILED(receivePin->QueryDirection(&other)) || other == dir_)
    return VFW_E_INVALID_DIRECTION;
  if (mt != nullptr && !mt->majortype.IsNull() && !mt->formattype.IsNull())
    return AttemptConnection(receivePin, mt);
  HRESULT last = VFW_E_NO_ACCEPTABLE_TYPES;
  // Our own types first, then the receiver's.
  for (int i = 0;; ++i) {
    AM_MEDIA_TYPE t{};
    if (GetMediaType(i, &t) != S_OK) {
      FreeMediaType(t);
      break;
    }
    HRESULT hr = (mt == nullptr || MediaTypeMatches(t, *mt)) ? AttemptConnection(receivePin, &t)
                                                             : VFW_E_NO_ACCEPTABLE_TYPES;
    FreeMediaType(t);
    if (hr == S_OK)
      return S_OK;
    if (hr != com::E_FAIL && hr != E_INVALIDARG && hr != VFW_E_TYPE_NOT_ACCEPTED)
      last = hr;
  }
  TComPtr<IEnumMediaTypes> types;
  if (SUCCEEDED(
          receivePin->EnumMediaTypes(reinterpret_cast<IEnumMediaTypes **>(types.PutVoid()))) &&
      types) {
    AM_MEDIA_TYPE *t = nullptr;
    ULONG got = 0;
    while (types->Next(1, &t, &got) == S_OK && got == 1) {
      HRESULT hr = (mt == nullptr || MediaTypeMatches(*t, *mt)) ? AttemptConnection(receivePin, t)
                                                                : VFW_E_NO_ACCEPTABLE_TYPES;
      DeleteMediaType(t);
      if (hr == S_OK)
        return S_OK;
      if (hr != com::E_FAIL && hr != E_INVALIDARG && hr != VFW_E_TYPE_NOT_ACCEPTED)
        last = hr;
    }
  }
  return last;
}

HRESULT TPinBase::ReceiveConnection(IPin *connector, const AM_MEDIA_TYPE *mt) {
  if (connector == nullptr || mt == nullptr)
    return E_POINTER;
  std::lock_guard<std::recursive_mutex> flock(filter_->Lock());
  if (IsConnected())
    return VFW_E_ALREADY_CONNECTED;
  if (filter_->State() != State_Stopped)
    return VFW_E_NOT_STOPPED;
  PIN_DIRECTION other;
  if (FAILED(connector->QueryDirection(&other)) || other == dir_)
    return VFW_E_INVALID_DIRECTION;
  if (CheckMediaType(mt) != S_OK)
    return VFW_E_TYPE_NOT_ACCEPTED;
  SetConnection(connector, mt);
  HRESULT hr = CompleteConnect(connector);
  if (FAILED(hr)) {
    BreakConnect();
    ClearConnection();
  }
  return hr;
}

HRESULT TPinBase::Disconnect() {
  std::lock_guard<std::recursive_mutex> flock(filter_->Lock());
  if (filter_->State() != State_Stopped)
    return VFW_E_NOT_STOPPED;
  if (!IsConnected())
    return S_FALSE;
  BreakConnect();
  ClearConnection();
  return S_OK;
}

HRESULT TPinBase::ConnectedTo(IPin **pin) {
  if (pin == nullptr)
    return E_POINTER;
  TComPtr<IPin> c = Connected();
  *pin = c.Detach();
  return *pin ? S_OK : VFW_E_NOT_CONNECTED;
}

HRESULT TPinBase::ConnectionMediaType(AM_MEDIA_TYPE *mt) {
  if (mt == nullptr)
    return E_POINTER;
  std::lock_guard<std::recursive_mutex> lock(pinLock_);
  ZeroMediaType(*mt);
  if (!connected_)
    return VFW_E_NOT_CONNECTED;
  return CopyMediaType(mt, &mt_);
}

HRESULT TPinBase::QueryPinInfo(PIN_INFO *info) {
  if (info == nullptr)
    return E_POINTER;
  info->pFilter = filter_;
  filter_->AddRef();
  info->dir = dir_;
  CopyWideName(info->achName, MAX_PIN_NAME, name_);
  return S_OK;
}

HRESULT TPinBase::QueryDirection(PIN_DIRECTION *dir) {
  if (dir == nullptr)
    return E_POINTER;
  *dir = dir_;
  return S_OK;
}

HRESULT TPinBase::QueryId(LPWSTR *id) {
  if (id == nullptr)
    return E_POINTER;
  *id = TaskMemWideCopy(name_);
  return *id ? S_OK : E_OUTOFMEMORY;
}

HRESULT TPinBase::QueryAccept(const AM_MEDIA_TYPE *mt) {
  return CheckMediaType(mt) == S_OK ? S_OK : S_FALSE;
}

HRESULT TPinBase::EnumMediaTypes(IEnumMediaTypes **types) {
  if (types == nullptr)
    return E_POINTER;
  std::vector<AM_MEDIA_TYPE> list;
  for (int i = 0;; ++i) {
    AM_MEDIA_TYPE t{};
    if (GetMediaType(i, &t) != S_OK) {
      FreeMediaType(t);
      break;
    }
    list.push_back(t);
  }
  *types = com::MakeCom<TEnumMediaTypesSnapshot>(list).Detach();
  for (AM_MEDIA_TYPE &t : list)
    FreeMediaType(t);
  return S_OK;
}

HRESULT TPinBase::QueryInternalConnections(IPin **, ULONG *) { return com::E_NOTIMPL; }

// ---- TOutputPinBase -----------------------------------------------------------------------
HRESULT TOutputPinBase::CompleteConnect(IPin *receivePin) {
  TComPtr<IMemInputPin> input = TComPtr<IMemInputPin>::Query(receivePin);
  if (!input)
    return E_NOINTERFACE;
  ALLOCATOR_PROPERTIES props{};
  input->GetAllocatorRequirements(&props);
  if (props.cbAlign == 0)
    props.cbAlign = 1;
  TComPtr<IMemAllocator> allocator;
  HRESULT hr = input->GetAllocator(reinterpret_cast<IMemAllocator **>(allocator.PutVoid()));
  if (SUCCEEDED(hr) && allocator) {
    ALLOCATOR_PROPERTIES request = props;
    hr = DecideBufferSize(allocator.Get(), &request);
    if (SUCCEEDED(hr))
      hr = input->NotifyAllocator(allocator.Get(), FALSE);
  }
  if (FAILED(hr) || !allocator) {
    allocator = com::MakeCom<TMemAllocator>();
    ALLOCATOR_PROPERTIES request = props;
    hr = DecideBufferSize(allocator.Get(), &request);
    if (SUCCEEDED(hr))
      hr = input->NotifyAllocator(allocator.Get(), FALSE);
  }
  if (FAILED(hr))
    return hr;
  std::lock_guard<std::recursive_mutex> lock(pinLock_);
  allocator_ = allocator;
  input_ = input;
  return S_OK;
}

void TOutputPinBase::BreakConnect() {
  std::lock_guard<std::recursive_mutex> lock(pinLock_);
  if (allocator_)
    allocator_->Decommit();
  allocator_ = nullptr;
  input_ = nullptr;
}

HRESULT TOutputPinBase::Active() {
  TComPtr<IMemAllocator> a = Allocator();
  return a ? a->Commit() : VFW_E_NO_ALLOCATOR;
}

HRESULT TOutputPinBase::Inactive() {
  TComPtr<IMemAllocator> a = Allocator();
  return a ? a->Decommit() : VFW_E_NO_ALLOCATOR;
}

TComPtr<IMemAllocator> TOutputPinBase::Allocator() const {
  std::lock_guard<std::recursive_mutex> lock(pinLock_);
  return allocator_;
}

HRESULT TOutputPinBase::Deliver(IMediaSample *sample) {
  TComPtr<IMemInputPin> input;
  {
    std::lock_guard<std::recursive_mutex> lock(pinLock_);
    input = input_;
  }
  return input ? input->Receive(sample) : VFW_E_NOT_CONNECTED;
}

// ---- TInputPinBase ------------------------------------------------------------------------
HRESULT TInputPinBase::QueryExtra(const TGUID &iid, void **out) {
  if (iid == IMemInputPin::IID) {
    *out = static_cast<IMemInputPin *>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

HRESULT TInputPinBase::GetAllocator(IMemAllocator **allocator) {
  if (allocator == nullptr)
    return E_POINTER;
  std::lock_guard<std::recursive_mutex> lock(pinLock_);
  if (!allocator_)
    allocator_ = com::MakeCom<TMemAllocator>();
  *allocator = TComPtr<IMemAllocator>(allocator_).Detach();
  return S_OK;
}

HRESULT TInputPinBase::NotifyAllocator(IMemAllocator *allocator, BOOL) {
  if (allocator == nullptr)
    return E_POINTER;
  std::lock_guard<std::recursive_mutex> lock(pinLock_);
  allocator_ = allocator;
  return S_OK;
}

HRESULT TInputPinBase::Receive(IMediaSample *sample) {
  if (sample == nullptr)
    return E_POINTER;
  if (filter_->State() == State_Stopped)
    return VFW_E_WRONG_STATE;
  return OnReceive(sample);
}

HRESULT TInputPinBase::ReceiveMultiple(IMediaSample **samples, LONG count, LONG *processed) {
  if (samples == nullptr || processed == nullptr)
    return E_POINTER;
  *processed = 0;
  HRESULT hr = S_OK;
  while (*processed < count) {
    hr = Receive(samples[*processed]);
    if (hr != S_OK)
      break;
    ++*processed;
  }
  return hr;
}

void TInputPinBase::BreakConnect() {
  std::lock_guard<std::recursive_mutex> lock(pinLock_);
  allocator_ = nullptr;
}

HRESULT TInputPinBase::Inactive() { return S_OK; }

// ---- TFilterBase --------------------------------------------------------------------------------
TFilterBase::TFilterBase(const CLSID &clsid) : clsid_(clsid) {}

TFilterBase::~TFilterBase() = default;

HRESULT TFilterBase::QueryInterface(const TGUID &iid, void **out) {
  HRESULT hr = com::QueryInterfaceFor<IBaseFilter, IMediaFilter, IPersist>(this, iid, out);
  if (hr == E_NOINTERFACE)
    hr = QueryExtra(iid, out);
  return hr;
}

HRESULT TFilterBase::GetClassID(CLSID *clsid) {
  if (clsid == nullptr)
    return E_POINTER;
  *clsid = clsid_;
  return S_OK;
}

HRESULT TFilterBase::Stop() {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  if (state_ == State_Stopped)
    return S_OK;
  state_ = State_Stopped;
  HRESULT first = S_OK;
  for (auto &pin : pins_) {
    if (!pin->IsConnected())
      continue;
    HRESULT hr = pin->Inactive();
    if (FAILED(hr) && first == S_OK)
      first = hr;
  }
  OnStop();
  return first;
}

HRESULT TFilterBase::Pause() {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  FILTER_STATE from = state_;
  if (from == State_Stopped) {
    for (auto &pin : pins_) {
      if (!pin->IsConnected())
        continue;
      HRESULT hr = pin->Active();
      if (FAILED(hr)) {
        for (auto &p : pins_)
          if (p->IsConnected())
            p->Inactive();
        return hr;
      }
    }
  }
  HRESULT hr = OnPause(from);
  if (FAILED(hr)) {
    if (from == State_Stopped)
      for (auto &p : pins_)
        if (p->IsConnected())
          p->Inactive();
    return hr;
  }
  state_ = State_Paused;
  return S_OK;
}

HRESULT TFilterBase::Run(REFERENCE_TIME start) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  start_ = start;
  if (state_ == State_Stopped) {
    HRESULT hr = Pause();
    if (FAILED(hr))
      return hr;
  }
  if (state_ == State_Running)
    return S_OK;
  HRESULT hr = OnRun(start);
  if (FAILED(hr))
    return hr;
  state_ = State_Running;
  return S_OK;
}

HRESULT TFilterBase::GetState(DWORD, FILTER_STATE *state) {
  if (state == nullptr)
    return E_POINTER;
  *state = state_;
  return S_OK;
}

HRESULT TFilterBase::SetSyncSource(IReferenceClock *clock) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  clock_ = clock;
  return S_OK;
}

HRESULT TFilterBase::GetSyncSource(IReferenceClock **clock) {
  if (clock == nullptr)
    return E_POINTER;
  std::lock_guard<std::recursive_mutex> lock(lock_);
  *clock = TComPtr<IReferenceClock>(clock_).Detach();
  return S_OK;
}

TComPtr<IReferenceClock> TFilterBase::Clock() const {
  std::lock_guard<std::recursive_mutex> lock(const_cast<std::recursive_mutex &>(lock_));
  return clock_;
}

HRESULT TFilterBase::EnumPins(IEnumPins **pins) {
  if (pins == nullptr)
    return E_POINTER;
  std::vector<TComPtr<IPin>> list;
  for (auto &p : pins_)
    list.emplace_back(static_cast<IPin *>(p.get()));
  *pins = com::MakeCom<TEnumSnapshot<IEnumPins, IPin>>(std::move(list)).Detach();
  return S_OK;
}

HRESULT TFilterBase::FindPin(LPCWSTR id, IPin **pin) {
  if (pin == nullptr)
    return E_POINTER;
  *pin = nullptr;
  if (id == nullptr)
    return E_POINTER;
  for (auto &p : pins_)
    if (p->Name() == id) {
      *pin = p.get();
      p->AddRef();
      return S_OK;
    }
  return VFW_E_NOT_FOUND;
}

HRESULT TFilterBase::QueryFilterInfo(FILTER_INFO *info) {
  if (info == nullptr)
    return E_POINTER;
  std::lock_guard<std::recursive_mutex> lock(lock_);
  CopyWideName(info->achName, MAX_FILTER_NAME, name_);
  info->pGraph = graph_;
  if (graph_)
    graph_->AddRef();
  return S_OK;
}

HRESULT TFilterBase::JoinFilterGraph(IFilterGraph *graph, LPCWSTR name) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  std::lock_guard<std::mutex> slock(sinkLock_);
  graph_ = graph;
  sink_ = nullptr;
  if (graph != nullptr) {
    TComPtr<IMediaEventSink> sink = TComPtr<IMediaEventSink>::Query(graph);
    sink_ = sink.Get(); // held without a count: the graph outlives its membership
  }
  name_ = name ? std::u16string(name) : std::u16string();
  return S_OK;
}

HRESULT TFilterBase::NotifyEvent(LONG code, LONG_PTR p1, LONG_PTR p2) {
  std::lock_guard<std::mutex> slock(sinkLock_);
  if (sink_ == nullptr)
    return com::E_NOTIMPL;
  return sink_->Notify(code, p1, p2);
}

// ---- Helpers
// ------------------------------------------------------------------------------------------
TGUID SubFormatOf(const WAVEFORMATEXTENSIBLE &f) {
  TGUID g;
  std::memcpy(static_cast<void *>(&g),
              reinterpret_cast<const char *>(&f) + offsetof(WAVEFORMATEXTENSIBLE, SubFormat),
              sizeof g);
  return g;
}

void SetSubFormat(WAVEFORMATEXTENSIBLE &f, const TGUID &g) {
  std::memcpy(reinterpret_cast<char *>(&f) + offsetof(WAVEFORMATEXTENSIBLE, SubFormat), &g,
              sizeof g);
}

bool MediaTypeMatches(const AM_MEDIA_TYPE &candidate, const AM_MEDIA_TYPE &pattern) {
  if (!pattern.majortype.IsNull() && pattern.majortype != candidate.majortype)
    return false;
  if (!pattern.subtype.IsNull() && pattern.subtype != candidate.subtype)
    return false;
  if (!pattern.formattype.IsNull()) {
    if (pattern.formattype != candidate.formattype)
      return false;
    if (pattern.cbFormat != 0 &&
        (pattern.cbFormat != candidate.cbFormat || candidate.pbFormat == nullptr ||
         std::memcmp(pattern.pbFormat, candidate.pbFormat, pattern.cbFormat) != 0))
      return false;
  }
  return true;
}

WAVEFORMATEXTENSIBLE ExtensibleOf(const BYTE *format, ULONG size) {
  WAVEFORMATEXTENSIBLE ext;
  std::memset(static_cast<void *>(&ext), 0, sizeof ext);
  if (format == nullptr || size < sizeof(WAVEFORMATEX))
    return ext;
  std::memcpy(static_cast<void *>(&ext), format, size < sizeof ext ? size : sizeof ext);
  WAVEFORMATEX &wf = ext.Format;
  if (wf.wFormatTag != WAVE_FORMAT_EXTENSIBLE || size < sizeof ext) {
    uint16_t tag = wf.wFormatTag == WAVE_FORMAT_EXTENSIBLE ? WAVE_FORMAT_PCM : wf.wFormatTag;
    ext.Samples.wValidBitsPerSample = wf.wBitsPerSample;
    ext.dwChannelMask = wf.nChannels >= 32 ? 0xFFFFFFFFu : (1u << wf.nChannels) - 1;
    SetSubFormat(ext, tag == WAVE_FORMAT_IEEE_FLOAT ? KSDATAFORMAT_SUBTYPE_IEEE_FLOAT
                      : tag == WAVE_FORMAT_PCM      ? KSDATAFORMAT_SUBTYPE_PCM
                                                    : GUID_NULL);
    wf.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
    wf.cbSize = WAVEFORMATEXTENSIBLE_EXTRA;
  }
  return ext;
}

bool IsSupportedWaveFormat(const BYTE *format, ULONG size) {
  if (format == nullptr || size < sizeof(WAVEFORMATEX))
    return false;
  WAVEFORMATEX wf;
  std::memcpy(&wf, format, sizeof wf);
  if (wf.nChannels == 0 || wf.nChannels > 32 || wf.nSamplesPerSec < 1000 ||
      wf.nSamplesPerSec > 768000)
    return false;
  uint16_t tag = wf.wFormatTag;
  uint16_t bits = wf.wBitsPerSample;
  if (wf.nBlockAlign != wf.nChannels * ((bits + 7) / 8))
    return false;
  if (tag == WAVE_FORMAT_PCM)
    return bits == 8 || bits == 16 || bits == 24 || bits == 32;
  if (tag == WAVE_FORMAT_IEEE_FLOAT)
    return bits == 32;
  if (tag == WAVE_FORMAT_EXTENSIBLE) {
    if (size < sizeof(WAVEFORMATEXTENSIBLE))
      return false;
    WAVEFORMATEXTENSIBLE ext = ExtensibleOf(format, size);
    if (SubFormatOf(ext) == KSDATAFORMAT_SUBTYPE_PCM)
      return bits == 8 || bits == 16 || bits == 24 || bits == 32;
    if (SubFormatOf(ext) == KSDATAFORMAT_SUBTYPE_IEEE_FLOAT)
      return bits == 32;
  }
  return false;
}

} // namespace media::detail
