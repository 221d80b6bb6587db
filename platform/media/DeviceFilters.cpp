#include <cerrno>
#include <cstring>
#include <thread>

#include "platform/media/Backend.h"
#include "platform/media/Internal.h"
#include "platform/media/VirtualAudio.h"

namespace media::detail {

using com::E_FAIL;
using com::E_INVALIDARG;
using com::E_NOINTERFACE;
using com::E_POINTER;
using com::FAILED;
using com::S_FALSE;
using com::S_OK;

namespace {

// Frames per captured block when the caller suggests nothing.
constexpr LONG kDefaultBlockFrames = 1024;

bool IsDeviceGone(long err) {
  return err == -ENODEV || err == -EIO || err == -ENOENT || err == -ENXIO;
}

HRESULT OpenStream(const std::string &id, bool capture, const WAVEFORMATEXTENSIBLE &format,
                   std::shared_ptr<IAudioStream> *out) {
  IAudioBackend *backend = BackendFor(id);
  if (backend == nullptr)
    return HRESULT_FROM_ERRNO(ENODEV);
  std::unique_ptr<IAudioStream> stream;
  int err = backend->Open(id, capture, format, &stream);
  if (err < 0)
    return HRESULT_FROM_ERRNO(-err);
  *out = std::move(stream);
  return S_OK;
}

// The media type of a format: the plain 18-byte record where it says all
// (up to two channels of up to 16 bits, integer PCM), the extensible one else.
HRESULT MediaTypeOfFormat(const WAVEFORMATEXTENSIBLE &f, AM_MEDIA_TYPE *mt) {
  const WAVEFORMATEX &wf = f.Format;
  bool plain = wf.nChannels <= 2 && wf.wBitsPerSample <= 16 &&
               f.Samples.wValidBitsPerSample == wf.wBitsPerSample &&
               SubFormatOf(f) == KSDATAFORMAT_SUBTYPE_PCM;
  if (plain) {
    WAVEFORMATEX p = wf;
    p.wFormatTag = WAVE_FORMAT_PCM;
    p.cbSize = 0;
    return AudioMediaTypeFromFormat(&p, mt);
  }
  return AudioMediaTypeFromFormat(&f.Format, mt);
}

bool ParseAudioType(const AM_MEDIA_TYPE *mt, WAVEFORMATEXTENSIBLE *format) {
  if (mt == nullptr || mt->majortype != MEDIATYPE_Audio || mt->formattype != FORMAT_WaveFormatEx)
    return false;
  if (!IsSupportedWaveFormat(mt->pbFormat, mt->cbFormat))
    return false;
  *format = ExtensibleOf(mt->pbFormat, mt->cbFormat);
  return true;
}

bool SameFormat(const WAVEFORMATEXTENSIBLE &a, const WAVEFORMATEXTENSIBLE &b) {
  return a.Format.nChannels == b.Format.nChannels &&
         a.Format.nSamplesPerSec == b.Format.nSamplesPerSec &&
         a.Format.wBitsPerSample == b.Format.wBitsPerSample && SubFormatOf(a) == SubFormatOf(b);
}

// ---- Capture -----------------------------------------------------------------------------------
class TCaptureFilter;

class TCapturePin final : public TOutputPinBase,
                          public IAMStreamConfig,
                          public IAMBufferNegotiation {
public:
  TCapturePin(TFilterBase *filter, std::string id)
      : TOutputPinBase(filter, u"Capture"), id_(std::move(id)) {
    IAudioBackend *b = BackendFor(id_);
    if (b == nullptr || !b->PreferredFormat(id_, true, &format_))
      format_ = MakeFormat(WAVE_FORMAT_PCM, 2, 48000, 16);
    fixed_ = b != nullptr && b->FixedFormat(id_);
  }
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return TPinBase::QueryInterface(iid, out);
  }
  uint32_t AddRef() override { return TPinBase::AddRef(); }
  uint32_t Release() override { return TPinBase::Release(); }
  HRESULT QueryExtra(const TGUID &iid, void **out) override {
    if (iid == IAMStreamConfig::IID)
      *out = static_cast<IAMStreamConfig *>(this);
    else if (iid == IAMBufferNegotiation::IID)
      *out = static_cast<IAMBufferNegotiation *>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  TGUID Category() const override { return PIN_CATEGORY_CAPTURE; }

  HRESULT CheckMediaType(const AM_MEDIA_TYPE *mt) override {
    WAVEFORMATEXTENSIBLE f;
    if (!ParseAudioType(mt, &f))
      return VFW_E_TYPE_NOT_ACCEPTED;
    std::lock_guard<std::recursive_mutex> lock(pinLock_);
    if (fixed_ && !SameFormat(f, format_))
      return VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
  }
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE *mt) override {
    if (mt == nullptr)
      return E_POINTER;
    if (position < 0)
      return E_INVALIDARG;
    if (position > 0)
      return VFW_S_NO_MORE_ITEMS;
    std::lock_guard<std::recursive_mutex> lock(pinLock_);
    return MediaTypeOfFormat(format_, mt);
  }
  HRESULT CompleteConnect(IPin *receivePin) override {
    // The connection's type becomes the capture format.
    AM_MEDIA_TYPE mt = ConnectionType();
    WAVEFORMATEXTENSIBLE f;
    if (ParseAudioType(&mt, &f)) {
      std::lock_guard<std::recursive_mutex> lock(pinLock_);
      format_ = f;
    }
    return TOutputPinBase::CompleteConnect(receivePin);
  }

  HRESULT DecideBufferSize(IMemAllocator *allocator, ALLOCATOR_PROPERTIES *request) override {
    ALLOCATOR_PROPERTIES want{}, actual{};
    int64_t block;
    {
      std::lock_guard<std::recursive_mutex> lock(pinLock_);
      int64_t align = format_.Format.nBlockAlign ? format_.Format.nBlockAlign : 1;
      block = suggested_.cbBuffer > 0 ? suggested_.cbBuffer / align * align
                                      : kDefaultBlockFrames * align;
      if (block < align)
        block = align;
      if (block > INT32_MAX / 2)
        block = INT32_MAX / 2 / align * align;
      want.cBuffers =
          suggested_.cBuffers > 0 ? suggested_.cBuffers : std::max<LONG>(request->cBuffers, 8);
      want.cbAlign =
          suggested_.cbAlign > 0 ? suggested_.cbAlign : std::max<LONG>(request->cbAlign, 1);
      want.cbPrefix =
          suggested_.cbPrefix > 0 ? suggested_.cbPrefix : std::max<LONG>(request->cbPrefix, 0);
    }
    want.cbBuffer = static_cast<LONG>(block);
    HRESULT hr = allocator->SetProperties(&want, &actual);
    if (FAILED(hr))
      return hr;
    return actual.cbBuffer < want.cbBuffer ? E_FAIL : S_OK;
  }

  // IAMStreamConfig
  HRESULT SetFormat(AM_MEDIA_TYPE *mt) override {
    if (Filter()->State() != State_Stopped)
      return VFW_E_NOT_STOPPED;
    WAVEFORMATEXTENSIBLE f;
    if (mt == nullptr)
      return E_POINTER;
    if (!ParseAudioType(mt, &f))
      return VFW_E_INVALIDMEDIATYPE;
    std::lock_guard<std::recursive_mutex> lock(pinLock_);
    if (fixed_ && !SameFormat(f, format_))
      return VFW_E_INVALIDMEDIATYPE;
    if (IsConnected() && !SameFormat(f, format_))
      return VFW_E_ALREADY_CONNECTED;
    format_ = f;
    return S_OK;
  }
  HRESULT GetFormat(AM_MEDIA_TYPE **mt) override {
    if (mt == nullptr)
      return E_POINTER;
    AM_MEDIA_TYPE t{};
    HRESULT hr = GetMediaType(0, &t);
    if (FAILED(hr))
      return hr;
    *mt = CreateMediaType(&t);
    FreeMediaType(t);
    return *mt ? S_OK : com::E_OUTOFMEMORY;
  }
  HRESULT GetNumberOfCapabilities(int *count, int *size) override {
    if (count == nullptr || size == nullptr)
      return E_POINTER;
    *count = 1;
    *size = sizeof(AUDIO_STREAM_CONFIG_CAPS);
    return S_OK;
  }
  HRESULT GetStreamCaps(int index, AM_MEDIA_TYPE **mt, BYTE *caps) override {
    if (mt == nullptr || caps == nullptr)
      return E_POINTER;
    if (index != 0)
      return index < 0 ? E_INVALIDARG : S_FALSE;
    HRESULT hr = GetFormat(mt);
    if (FAILED(hr))
      return hr;
    AUDIO_STREAM_CONFIG_CAPS c{};
    c.guid = MEDIATYPE_Audio;
    std::lock_guard<std::recursive_mutex> lock(pinLock_);
    if (fixed_) {
      c.MinimumChannels = c.MaximumChannels = format_.Format.nChannels;
      c.MinimumBitsPerSample = c.MaximumBitsPerSample = format_.Format.wBitsPerSample;
      c.MinimumSampleFrequency = c.MaximumSampleFrequency = format_.Format.nSamplesPerSec;
    } else {
      c.MinimumChannels = 1;
      c.MaximumChannels = 8;
      c.MinimumBitsPerSample = 8;
      c.MaximumBitsPerSample = 32;
      c.MinimumSampleFrequency = 8000;
      c.MaximumSampleFrequency = 192000;
    }
    c.ChannelsGranularity = 1;
    c.BitsPerSampleGranularity = 8;
    c.SampleFrequencyGranularity = 1;
    std::memcpy(caps, &c, sizeof c);
    return S_OK;
  }

  // IAMBufferNegotiation
  HRESULT SuggestAllocatorProperties(const ALLOCATOR_PROPERTIES *props) override {
    if (props == nullptr)
      return E_POINTER;
    std::lock_guard<std::recursive_mutex> lock(pinLock_);
    suggested_ = *props;
    return S_OK;
  }
  HRESULT GetAllocatorProperties(ALLOCATOR_PROPERTIES *props) override {
    if (props == nullptr)
      return E_POINTER;
    TComPtr<IMemAllocator> a = Allocator();
    return a ? a->GetProperties(props) : E_FAIL;
  }

  WAVEFORMATEXTENSIBLE Format() {
    std::lock_guard<std::recursive_mutex> lock(pinLock_);
    return format_;
  }
  const std::string &Id() const { return id_; }

private:
  std::string id_;
  WAVEFORMATEXTENSIBLE format_{};
  bool fixed_ = false;
  ALLOCATOR_PROPERTIES suggested_{-1, -1, -1, -1};
};

// Opens its device at Pause and, while running, delivers blocks of exactly
// the negotiated size from a thread of its own, stamped from Run.
class TCaptureFilter final : public TFilterBase {
public:
  TCaptureFilter(const std::string &id) : TFilterBase(CLSID_AudioCaptureFilter) {
    pins_.push_back(std::make_unique<TCapturePin>(this, id));
  }
  HRESULT OnPause(FILTER_STATE from) override {
    if (from == State_Running)
      StopThread(true);
    if (stream_ || !Pin()->IsConnected())
      return S_OK;
    return OpenStream(Pin()->Id(), true, Pin()->Format(), &stream_);
  }
  HRESULT OnRun(REFERENCE_TIME) override {
    if (!stream_)
      return S_OK;
    frames_ = 0;
    thread_ = std::thread(
        [this, stream = stream_, allocator = Pin()->Allocator()] { Loop(stream, allocator); });
    return S_OK;
  }
  // The device thread ends before the pin lets its allocator go: the block
  // it is filling still gets a sample to go downstream in.
  HRESULT Stop() override {
    StopThread(false);
    return TFilterBase::Stop();
  }
  void OnStop() override {
    StopThread(false);
    stream_.reset();
  }

private:
  ~TCaptureFilter() override {
    StopThread(false);
    for (auto &p : pins_)
      p->Disconnect();
  }
  TCapturePin *Pin() { return static_cast<TCapturePin *>(pins_[0].get()); }

  // Leaves the stream aborted: a stream is opened anew for the next run.
  // reopen: a pause keeps the device open for the next run.
  void StopThread(bool reopen) {
    if (stream_)
      stream_->Abort();
    if (thread_.joinable()) {
      // Stopped from a sample callback on the device thread itself: it
      // ends on its own once the callback returns into the aborted loop.
      if (thread_.get_id() == std::this_thread::get_id()) {
        AddRef(); // the thread keeps its filter until it has left the loop
        selfRef_ = true;
        thread_.detach();
      } else
        thread_.join();
    }
    if (stream_ && stream_->Aborted())
      stream_.reset();
    if (reopen && !stream_ && Pin()->IsConnected())
      OpenStream(Pin()->Id(), true, Pin()->Format(), &stream_);
  }

  void Loop(std::shared_ptr<IAudioStream> stream, TComPtr<IMemAllocator> allocator) {
    Deliver(std::move(stream), std::move(allocator));
    if (selfRef_.exchange(false))
      Release();
  }

  void Deliver(std::shared_ptr<IAudioStream> stream, TComPtr<IMemAllocator> allocator) {
    WAVEFORMATEXTENSIBLE f = Pin()->Format();
    const int64_t rate = f.Format.nSamplesPerSec;
    const LONG block = f.Format.nBlockAlign;
    if (!allocator || rate <= 0 || block <= 0)
      return;
    for (;;) {
      TComPtr<IMediaSample> sample;
      if (FAILED(allocator->GetBuffer(reinterpret_cast<IMediaSample **>(sample.PutVoid()), nullptr,
                                      nullptr, 0)))
        return; // decommitted: the filter stops
      BYTE *p = nullptr;
      sample->GetPointer(&p);
      long frames = sample->GetSize() / block;
      if (frames <= 0)
        return;
      // A read that starts after the abort takes what the device still holds
      // and is the last; one that started before it may leave frames behind.
      const bool last = stream->Aborted();
      long n = stream->Read(p, static_cast<size_t>(frames));
      if (n < 0) {
        if (IsDeviceGone(n))
          NotifyEvent(
              EC_DEVICE_LOST,
              reinterpret_cast<LONG_PTR>(static_cast<IUnknown *>(static_cast<IBaseFilter *>(this))),
              0);
        else
          NotifyEvent(EC_ERRORABORT, HRESULT_FROM_ERRNO(static_cast<int>(-n)), 0);
        return;
      }
      // A short block (stopped or unplugged meanwhile) still holds frames the
      // device captured: they go downstream before the thread ends.
      if (n == 0)
        return;
      REFERENCE_TIME start = frames_ * UNITS / rate;
      frames_ += n;
      REFERENCE_TIME stop = frames_ * UNITS / rate;
      sample->SetTime(&start, &stop);
      sample->SetActualDataLength(static_cast<LONG>(n * block));
      sample->SetSyncPoint(TRUE);
      HRESULT hr = Pin()->Deliver(sample.Get());
      if (FAILED(hr)) {
        if (hr != VFW_E_WRONG_STATE && hr != VFW_E_NOT_CONNECTED)
          NotifyEvent(EC_ERRORABORT, hr, 0);
        return;
      }
      if (last)
        return;
    }
  }

  std::shared_ptr<IAudioStream> stream_;
  std::thread thread_;
  std::atomic<bool> selfRef_{false};
  int64_t frames_ = 0;
};

// ---- Render
// ------------------------------------------------------------------------------------------
class TRenderFilter;

class TRenderPin final : public TInputPinBase {
public:
  TRenderPin(TFilterBase *filter, TRenderFilter *owner)
      : TInputPinBase(filter, u"Audio Input pin (rendered)"), owner_(owner) {}
  HRESULT CheckMediaType(const AM_MEDIA_TYPE *mt) override {
    WAVEFORMATEXTENSIBLE f;
    return ParseAudioType(mt, &f) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
  }
  HRESULT GetAllocatorRequirements(ALLOCATOR_PROPERTIES *props) override {
    if (props == nullptr)
      return E_POINTER;
    props->cBuffers = 2;
    props->cbBuffer = 0;
    props->cbAlign = 1;
    props->cbPrefix = 0;
    return S_OK;
  }
  HRESULT OnReceive(IMediaSample *sample) override;
  HRESULT EndOfStream() override;

private:
  TRenderFilter *owner_;
};

// Opens its device at Pause; Receive waits while paused and writes while
// running; Stop aborts a waiting or writing Receive. Offers a clock: the
// device's own for virtual outputs, the system clock otherwise.
class TRenderFilter final : public TFilterBase {
public:
  TRenderFilter(const std::string &id) : TFilterBase(CLSID_AudioRenderFilter), id_(id) {
    pins_.push_back(std::make_unique<TRenderPin>(this, this));
    for (auto &d : TVirtualAudio::Devices(false))
      if (d->Id() == id)
        if (auto r = std::dynamic_pointer_cast<TVirtualRenderDevice>(d))
          clock_ = TComPtr<IReferenceClock>(r->Clock());
    if (!clock_)
      clock_ = CreateSystemClock();
  }
  HRESULT QueryExtra(const TGUID &iid, void **out) override {
    if (iid == IReferenceClock::IID)
      return clock_->QueryInterface(iid, out);
    return E_NOINTERFACE;
  }
  HRESULT OnPause(FILTER_STATE from) override {
    std::lock_guard<std::mutex> lock(m_);
    running_ = false;
    if (from == State_Stopped) {
      stopped_ = false;
      lost_ = false;
      partial_.clear();
      if (pins_[0]->IsConnected()) {
        AM_MEDIA_TYPE mt = pins_[0]->ConnectionType();
        WAVEFORMATEXTENSIBLE f;
        if (!ParseAudioType(&mt, &f))
          return VFW_E_TYPE_NOT_ACCEPTED;
        format_ = f;
        HRESULT hr = OpenStream(id_, false, f, &stream_);
        if (FAILED(hr))
          return hr;
      }
    }
    cv_.notify_all();
    return S_OK;
  }
  HRESULT OnRun(REFERENCE_TIME) override {
    std::lock_guard<std::mutex> lock(m_);
    running_ = true;
    cv_.notify_all();
    return S_OK;
  }
  void OnStop() override {
    std::shared_ptr<IAudioStream> stream;
    {
      std::lock_guard<std::mutex> lock(m_);
      stopped_ = true;
      running_ = false;
      stream = std::move(stream_);
      cv_.notify_all();
    }
    if (stream)
      stream->Abort(); // a Receive writing into it returns now
  }

  HRESULT Receive(IMediaSample *sample) {
    std::shared_ptr<IAudioStream> stream;
    switch (WaitToRun(stream)) {
    case TRun::Stopped:
      return VFW_E_WRONG_STATE;
    case TRun::Lost:
      return VFW_E_RUNTIME_ERROR;
    case TRun::Running:
      break;
    }
    if (!stream)
      return VFW_E_WRONG_STATE;
    BYTE *p = nullptr;
    sample->GetPointer(&p);
    LONG bytes = sample->GetActualDataLength();
    LONG block = format_.Format.nBlockAlign;
    if (bytes <= 0 || block <= 0)
      return S_OK;
    // Senders may cut their data anywhere, also inside a frame: the part of
    // a frame at the end waits for the rest in the next sample.
    std::vector<uint8_t> joined;
    const uint8_t *data = p;
    size_t total = static_cast<size_t>(bytes);
    if (!partial_.empty()) {
      joined = std::move(partial_);
      joined.insert(joined.end(), p, p + bytes);
      data = joined.data();
      total = joined.size();
    }
    size_t frames = total / static_cast<size_t>(block);
    size_t whole = frames * static_cast<size_t>(block);
    partial_.assign(data + whole, data + total);
    if (frames == 0)
      return S_OK;
    long n = stream->Write(data, frames);
    if (n < 0) {
      bool first;
      {
        std::lock_guard<std::mutex> lock(m_);
        first = !lost_;
        lost_ = true;
      }
      if (first) {
        if (IsDeviceGone(n))
          NotifyEvent(
              EC_DEVICE_LOST,
              reinterpret_cast<LONG_PTR>(static_cast<IUnknown *>(static_cast<IBaseFilter *>(this))),
              0);
        else
          NotifyEvent(EC_ERRORABORT, HRESULT_FROM_ERRNO(static_cast<int>(-n)), 0);
      }
      return VFW_E_RUNTIME_ERROR;
    }
    return static_cast<size_t>(n) < frames ? VFW_E_WRONG_STATE : S_OK;
  }

  // The end of the stream: completes once the device has played everything
  // written (a stop meanwhile cuts it short and completes nothing).
  HRESULT EndOfStream() {
    std::shared_ptr<IAudioStream> stream;
    switch (WaitToRun(stream)) {
    case TRun::Stopped:
      return VFW_E_WRONG_STATE;
    case TRun::Lost:
      return S_OK; // the loss has been reported instead
    case TRun::Running:
      break;
    }
    if (stream) {
      stream->Drain();
      if (stream->Aborted())
        return VFW_E_WRONG_STATE;
    }
    return NotifyEvent(EC_COMPLETE, S_OK,
                       reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter *>(this)));
  }

private:
  enum class TRun { Stopped, Lost, Running };
  // Waits while the filter is paused; when it runs, the stream to write to.
  TRun WaitToRun(std::shared_ptr<IAudioStream> &stream) {
    std::unique_lock<std::mutex> lock(m_);
    cv_.wait(lock, [&] { return running_ || stopped_; });
    if (stopped_)
      return TRun::Stopped;
    if (lost_)
      return TRun::Lost;
    stream = stream_;
    return TRun::Running;
  }
  ~TRenderFilter() override {
    OnStop();
    for (auto &p : pins_)
      p->Disconnect();
  }
  std::string id_;
  TComPtr<IReferenceClock> clock_;
  std::mutex m_;
  std::condition_variable cv_;
  bool running_ = false, stopped_ = true, lost_ = false;
  std::shared_ptr<IAudioStream> stream_;
  WAVEFORMATEXTENSIBLE format_{};
  std::vector<uint8_t> partial_; // touched by the one delivering thread
};

HRESULT TRenderPin::OnReceive(IMediaSample *sample) { return owner_->Receive(sample); }
HRESULT TRenderPin::EndOfStream() { return owner_->EndOfStream(); }

} // namespace

TComPtr<IBaseFilter> CreateCaptureFilter(const std::string &id, const std::string &) {
  return TComPtr<IBaseFilter>(com::MakeCom<TCaptureFilter>(id));
}

TComPtr<IBaseFilter> CreateRenderFilter(const std::string &id, const std::string &) {
  return TComPtr<IBaseFilter>(com::MakeCom<TRenderFilter>(id));
}

TComPtr<IBaseFilter> CreateDefaultRenderer() {
  TDeviceEntry entry;
  if (!DefaultDevice(false, &entry))
    return nullptr;
  return CreateRenderFilter(entry.Id, entry.FriendlyName);
}

} // namespace media::detail
