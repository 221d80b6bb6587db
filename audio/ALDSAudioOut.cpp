#include "audio/ALDSAudioOut.h"

#include <mutex>

#include "audio/ALDSGraphSetup.h"
#include "platform/media/Media.h"

using com::TComPtr;
using namespace media;

namespace {

constexpr TGUID CLSID_AudioSourceFilter =
    TGUID::FromLiteral("{AC11DC21-BDC9-49D9-BCAE-073AF5C1962C}");
// Equal-length buffers keep one periodic advise: durations closer than this
// (1 µs) to the armed period do not re-arm it.
constexpr int64_t PeriodTolerance = 10;

} // namespace

// ---------------------------------------------------------------------------
// TALPlayerThread

TALPlayerThread::TALPlayerThread(TALDSAudioOut *Owner) : owner_(Owner) {
  SetPriority(sys::TThreadPriority::Highest);
  Start();
}

TALPlayerThread::~TALPlayerThread() { Terminate(); }

void TALPlayerThread::Terminate() {
  if (IsCurrentThread()) {
    sys::TThread::Terminate();
    return;
  }
  if (Finished() || !Started())
    return;
  sys::TThread::Terminate();
  data_.Set();
  run_.Set();
  WaitFor();
}

void TALPlayerThread::Block() {
  std::lock_guard<sys::TCriticalSection> guard(lock_);
  run_.Reset();
}

void TALPlayerThread::Unblock() { run_.Set(); }

void TALPlayerThread::SignalData() { data_.Set(); }

void TALPlayerThread::Execute() {
  while (!Terminated()) {
    run_.Wait();
    if (Terminated())
      break;
    data_.Wait();
    if (Terminated())
      break;
    {
      std::lock_guard<sys::TCriticalSection> guard(lock_);
      // Block may have closed the gate while this thread waited for data.
      if (run_.IsSet()) {
        try {
          owner_->PlayBuffers();
        } catch (const Exception &) {
          // A failed delivery was reported by the graph owner; the thread
          // goes on serving the next buffers.
        }
      } else {
        data_.Set(); // keep the signal for after Unblock
      }
    }
    done_.Set();
  }
  done_.Set();
}

// ---------------------------------------------------------------------------
// TALDSAudioOut

const TClassInfo &TALDSAudioOut::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TALDSAudioOut>(
      "TALDSAudioOut", &TComponent::StaticClassInfo(), [](TClassBuilder<TALDSAudioOut> &c) {
        c.Boolean("Enabled", &TALDSAudioOut::GetEnabled, &TALDSAudioOut::SetEnabled, true);
        c.Object("AudioOutputDevice", &TALDSAudioOut::GetAudioOutputDevice,
                 &TALDSAudioOut::SetAudioOutputDevice);
        c.Object("Graph", &TALDSAudioOut::GetGraph, &TALDSAudioOut::SetGraph);
        c.Boolean("EnableMasterPumping", &TALDSAudioOut::EnableMasterPumping,
                  &TALDSAudioOut::EnableMasterPumping, false);
        c.Object("InputPin", &TALDSAudioOut::GetInputPin);
        c.Object("EnablePin", &TALDSAudioOut::GetEnablePin);
      });
  return info;
}

TALDSAudioOut::TALDSAudioOut(TComponent *AOwner) : TComponent(AOwner) {
  if (!InState(csDesigning))
    playerThread_ = std::make_unique<TALPlayerThread>(this);
  inputPin_.reset(CreateObject<TALOWAudioSinkPin>(
      this, [this](TOWPin *s, const TGUID *d, IOWNotifyOperation *o, TOWNotifyState st) {
        return SinkDispatch(s, d, o, st);
      }));
  enablePin_.reset(CreateObject<TOWBoolStatePin>(
      this, [this](TOWPin *, bool value) { SetEnabled(value); }, nullptr));
  bufferList_ = std::make_unique<TSLOperationList>();
  operationList_ = std::make_unique<TSLOperationList>(inputPin_.get());
  graph_ = std::make_unique<TDSGraph>(
      this, [this](LONG code, LONG_PTR p1, LONG_PTR p2) { GraphEvent(code, p1, p2); },
      inputPin_.get());
  targets_ = std::make_unique<TDSSwitches>(this, true, [this](TDSSwitches *) { Open(); });
  clockThread_ = std::make_unique<TSLClockThread>([this](sys::TThread *) { OnThreadClockEvent(); });
  device_ = std::make_unique<TDSAudioOutputDevice>(inputPin_.get(), this, graph_.get(),
                                                   [this](TObject *s) { OnDeviceChanged(s); });
  CleanUp();
}

void TALDSAudioOut::BeforeDestruction() {
  if (!destroyed_) {
    destroyed_ = true;
    inputPin_->Disconnect();
    try {
      Stop();
      DestroyGraph();
    } catch (const Exception &) {
      // Tear-down goes on whatever the graph answered.
    }
    CleanUp();
  }
  TComponent::BeforeDestruction();
}

TALDSAudioOut::~TALDSAudioOut() {
  if (!destroyed_) {
    destroyed_ = true;
    try {
      Stop();
      DestroyGraph();
      CleanUp();
    } catch (const Exception &) {
    }
  }
  playerThread_.reset();
  clockThread_.reset();
  targets_.reset();
  operationList_.reset();
  device_.reset();
  enablePin_.reset();
  inputPin_.reset();
  graph_.reset();
  bufferList_.reset();
}

void TALDSAudioOut::SetAudioOutputDevice(TDSAudioOutputDevice *Value) {
  if (Value && Value != device_.get())
    device_->SetName(Value->GetDeviceName());
}

void TALDSAudioOut::SetGraph(TDSGraph *Value) {
  if (!Value || Value == graph_.get())
    return;
  graph_->SetRegister(Value->GetRegister());
  graph_->SetAdditionalFilters(Value->GetAdditionalFilters());
}

TDSAudioSourceFilter *TALDSAudioOut::GetSourceFilter() const {
  std::lock_guard<sys::TCriticalSection> guard(const_cast<sys::TCriticalSection &>(listLock_));
  return sourceFilter_.Get();
}

// ---- Operations ------------------------------------------------------------------

TOWNotifyResult TALDSAudioOut::SinkDispatch(TOWPin *, const TGUID *, IOWNotifyOperation *Operation,
                                            TOWNotifyState) {
  if (OWOperationAs<TOWSLPauseOperation>(Operation)) {
    IntPause();
    return {};
  }
  operationList_->Push(IOWNotifyOperationPtr(Operation), false);
  if (!running_ || !resumed_)
    ProcessQueue();
  if (!advised_)
    ProcessQueue();
  return {};
}

void TALDSAudioOut::ProcessQueue() {
  TOWWriteSection section(inputPin_.get());
  IOWNotifyOperationPtr operation = operationList_->Pop();
  if (operation)
    IntDispatch(operation.Get());
}

void TALDSAudioOut::IntDispatch(IOWNotifyOperation *Operation) {
  if (auto *start = OWOperationAs<TOWStartWaveOperation>(Operation)) {
    resumed_ = false;
    streamBufferSize_ = start->BufferSize();
    streamFormat_ = start->WaveFormat();
    Reset();
  } else if (OWOperationAs<TOWStartPumpOperation>(Operation)) {
    if (pumpClaimed_) {
      if (prePumpEnabled_) {
        prePumping_ = true;
        for (int i = 0; i < 5 && !resumed_; ++i)
          MasterPump();
        prePumping_ = false;
        MasterPump();
      }
      // The stream's resume may have run the graph during the pre-pump: a
      // second run would restart the sample times under the delivery thread.
      if (!running_)
        StartRun();
      stopAsked_ = false;
    }
  } else if (OWOperationAs<TOWStopOperation>(Operation) &&
             !OWOperationAs<TOWEndStopOperation>(Operation)) {
    // A stop asked for (the user's Stop): the sound stops at once, what is
    // queued or in the device is dropped.
    stopAsked_ = true;
    const bool pumped = pumpClaimed_;
    Stop();
    if (pumped)
      DestroyGraph();
  } else if (OWOperationAs<TOWEndStopOperation>(Operation)) {
    // The end of the data: what is queued still plays, then the device
    // drains and its completion stops the graph (GraphEvent). A stream that
    // ended before its resume plays what it collected.
    stopAsked_ = true;
    if (active_ && connected_ && !running_ && !paused_)
      StartRun();
    if (running_ && playerThread_)
      playerThread_->SignalData();
  } else if (OWOperationAs<TOWSLResumeOperation>(Operation)) {
    if (paused_)
      IntResume();
    else if (connected_)
      StartRun();
    if (!advised_ && EnableMasterPumping)
      MasterPump();
    resumed_ = true;
  } else if (OWOperationAs<TOWSLPauseOperation>(Operation)) {
    IntPause();
  } else if (auto *request = OWOperationAs<TOWPumpRequestOperation>(Operation)) {
    if (EnableMasterPumping) {
      if (request->PumpType == TOWPumpType::ptHardware && request->Priority >= pumpPriority_)
        return; // another hardware pump has it
      request->Sender = this;
      request->Priority = pumpPriority_;
      request->PumpType = TOWPumpType::ptHardware;
      pumpClaimed_ = true;
    }
  } else if (auto *supplied = OWOperationAs<TOWSuppliedBufferOperation>(Operation)) {
    if (auto *data = supplied->Buffer()) {
      auto buffer = com::MakeCom<TALAudioBuffer>(data);
      RenderAudio(buffer.Get());
    }
  }
}

void TALDSAudioOut::Reset() {
  if (active_) {
    Stop();
    DestroyGraph();
    CleanUp();
    connected_ = false;
  }
  IntStart();
  active_ = true;
}

void TALDSAudioOut::IntStart() {
  armedPeriod_ = -1;
  stopAsked_ = false;
  endSent_ = false;
  Open();
  running_ = false;
  paused_ = false;
}

void TALDSAudioOut::MasterPump() { inputPin_->MasterPump(this); }

// ---- Buffers and their delivery ------------------------------------------------

void TALDSAudioOut::RenderAudio(IALAudioBuffer *Buffer) {
  if (disabled_ || !active_ || !Buffer || Buffer->GetSize() < 1)
    return;
  {
    std::lock_guard<sys::TCriticalSection> guard(listLock_);
    if (!sourceFilter_)
      return;
    auto copy = com::MakeCom<TALAudioBuffer>(Buffer);
    bufferList_->Push(TOWNotifyOperation::Make<TOWSuppliedBufferOperation>(
                          com::TComPtr<ISLDataBuffer>(copy.Get())),
                      false);
  }
  if (running_ && playerThread_)
    playerThread_->SignalData();
}

void TALDSAudioOut::SignalIfPending() {
  bool pending;
  {
    std::lock_guard<sys::TCriticalSection> guard(listLock_);
    pending = bufferList_->Peek() != nullptr;
  }
  if (pending && playerThread_)
    playerThread_->SignalData();
}

void TALDSAudioOut::PlayBuffers() {
  for (;;) {
    com::TComPtr<TALAudioBuffer> buffer;
    com::TComPtr<TDSAudioSourceFilter> filter;
    bool end = false;
    {
      std::lock_guard<sys::TCriticalSection> guard(listLock_);
      IOWNotifyOperationPtr operation = bufferList_->Pop();
      if (!operation) {
        // Everything has been handed over after the stream's stop: the
        // renderer plays it out and reports the end.
        if (!stopAsked_ || endSent_ || !sourceFilter_)
          return;
        endSent_ = true;
        end = true;
      } else {
        auto *supplied = OWOperationAs<TOWSuppliedBufferOperation>(operation.Get());
        if (!supplied || !supplied->Buffer())
          continue;
        buffer = com::MakeCom<TALAudioBuffer>(supplied->Buffer());
      }
      filter = sourceFilter_;
    }
    if (end) {
      filter->StreamPin()->DeliverEndOfStream();
      return;
    }
    PlayOneBuffer(buffer.Get(), filter.Get());
  }
}

void TALDSAudioOut::PlayOneBuffer(IALAudioBuffer *Buffer, TDSAudioSourceFilter *Filter) {
  TMLTimeStamp *stamp = Buffer->GetTimeStamp();
  int64_t start, duration;
  if (stamp->GetAvailable()) {
    start = stamp->GetBegin();
    duration = stamp->GetEnd() - stamp->GetBegin();
    nextSampleTime_ = stamp->GetEnd();
  } else {
    start = nextSampleTime_;
    const uint32_t rate = streamFormat_.Format.nSamplesPerSec;
    duration = rate ? int64_t(Buffer->GetSize()) * UNITS / rate : 0;
    nextSampleTime_ += duration;
  }
  if (!prePumping_)
    ArmClock(duration);
  const uint32_t bytes = Buffer->GetByteSize();
  if (bytes && Filter) {
    Filter->SendData(Buffer->Read(), int32_t(bytes), start, nextSampleTime_, true);
    if (OnDeliver)
      OnDeliver(start, nextSampleTime_, int32_t(bytes));
  }
}

void TALDSAudioOut::ArmClock(int64_t Duration) {
  std::lock_guard<std::mutex> guard(armLock_);
  if (!refClock_ || Duration <= 0)
    return;
  if (!advised_ || Duration > armedPeriod_ + PeriodTolerance ||
      Duration < armedPeriod_ - PeriodTolerance) {
    if (advised_)
      refClock_->Unadvise(adviseCookie_);
    REFERENCE_TIME now = 0;
    refClock_->GetTime(&now);
    armedPeriod_ = Duration;
    advised_ = true;
    refClock_->AdvisePeriodic(now + Duration, Duration, clockThread_->WakeSemaphore(),
                              &adviseCookie_);
  }
}

void TALDSAudioOut::OnThreadClockEvent() {
  MasterPump();
  TOWWriteSection section(inputPin_.get());
  ProcessQueue();
}

// ---- Running, pausing and stopping ---------------------------------------------

bool TALDSAudioOut::StartRun() {
  nextSampleTime_ = 0;
  armedPeriod_ = -1;
  bool answer = graph_->Graph && enabled_;
  if (!mediaControl_) {
    graph_->Error("Can't start render.", 0);
    return false;
  }
  const HRESULT hr = mediaControl_->Run();
  if (FAILED(hr)) {
    mediaControl_->Stop();
    graph_->Error("Can't start render.", hr);
    return false;
  }
  running_ = true;
  if (pumpClaimed_) {
    refClock_.Reset();
    const HRESULT clockHr =
        mediaFilter_
            ? mediaFilter_->GetSyncSource(reinterpret_cast<IReferenceClock **>(refClock_.PutVoid()))
            : E_NOINTERFACE;
    if (FAILED(clockHr) || !refClock_) {
      graph_->Error("Can't obtain the reggerence clock.", FAILED(clockHr) ? clockHr : E_FAIL);
      return answer;
    }
  }
  enabled_ = true;
  // Buffers collected before the run are played now, not at the next arrival.
  SignalIfPending();
  return true;
}

void TALDSAudioOut::IntPause() {
  if (!mediaControl_)
    return;
  armedPeriod_ = -1;
  paused_ = true;
  mediaControl_->Pause();
}

void TALDSAudioOut::IntResume() {
  if (!paused_ || !mediaControl_)
    return;
  armedPeriod_ = -1;
  paused_ = false;
  mediaControl_->Run();
  SignalIfPending();
}

void TALDSAudioOut::Stop() {
  if (!active_)
    return;
  IntResume();
  {
    std::lock_guard<sys::TCriticalSection> guard(listLock_);
    bufferList_->Clear();
  }
  if (playerThread_)
    playerThread_->Block();
  if (mediaControl_) {
    mediaControl_->Stop();
    if (advised_ && refClock_)
      refClock_->Unadvise(adviseCookie_);
  }
  advised_ = false;
  if (playerThread_)
    playerThread_->Unblock();
  armedPeriod_ = -1;
  pumpClaimed_ = false;
  active_ = false;
  running_ = false;
  paused_ = false;
}

void TALDSAudioOut::Disable() {
  TOWWriteSection section(inputPin_.get());
  disabled_ = true;
  IntPause();
}

void TALDSAudioOut::Enable() {
  TOWWriteSection section(inputPin_.get());
  disabled_ = false;
  IntResume();
}

void TALDSAudioOut::GraphEvent(LONG code, LONG_PTR, LONG_PTR) {
  if (code == EC_ERRORABORT || code == EC_DEVICE_LOST) {
    Stop();
  } else if (code == EC_COMPLETE && stopAsked_ && endSent_) {
    // The device has played the whole stream.
    const bool pumped = pumpClaimed_;
    Stop();
    if (pumped)
      DestroyGraph();
  }
}

void TALDSAudioOut::OnDeviceChanged(TObject *) {
  Stop();
  Close();
}

// ---- The render graph ------------------------------------------------------------

void TALDSAudioOut::Open() {
  if (connected_)
    return;
  moniker_ = device_->GetMoniker();
  InitCaptureFilters();
  bool connected = BuildGraph();
  built_ = connected;
  if (connected) {
    mediaControl_.Reset();
    connected =
        SUCCEEDED(graph_->Graph->QueryInterface(IMediaControl::IID, mediaControl_.PutVoid()));
  }
  connected_ = connected;
}

void TALDSAudioOut::Close() {
  if (connected_)
    DestroyGraph();
  FreeFilters();
  device_->CloseDevice();
  connected_ = false;
}

// Without a device RenderStream picks the default renderer.
bool TALDSAudioOut::InitCaptureFilters() {
  return ALDSInitGraphFilters(
      *graph_, builder_, moniker_.Get() != nullptr,
      [this] {
        HRESULT hr =
            moniker_->BindToObject(nullptr, nullptr, IBaseFilter::IID, renderer_.PutVoid());
        if (!renderer_) {
          graph_->Error("Can't create audio render filter.", hr);
          return false;
        }
        hr = graph_->Graph->AddFilter(renderer_.Get(), u"Audio Render");
        if (FAILED(hr)) {
          graph_->Error("Can't add audio render filter.", hr);
          return false;
        }
        return true;
      },
      [this] { FreeFilters(); });
}

bool TALDSAudioOut::BuildGraph() {
  if (!IntBuildGraph())
    return false;
  graph_->RegisterGraph();
  targets_->ClearPaths();
  if (renderer_)
    if (auto pin = LPDSGetOutputPin(renderer_.Get()))
      targets_->Rebuild(pin.Get(), true);
  if (graph_->OnGraphBuilt)
    graph_->OnGraphBuilt(this);
  return true;
}

bool TALDSAudioOut::IntBuildGraph() {
  if (!graph_->Graph)
    return false;
  graph_->RegisterGraph();
  HRESULT hr = graph_->Graph->QueryInterface(IMediaControl::IID, mediaControl_.PutVoid());
  if (FAILED(hr)) {
    graph_->Error("Can't obtain IMediaControl.", hr);
    return true;
  }
  auto source = com::MakeCom<TDSAudioSourceFilter>("AudioSource", CLSID_AudioSourceFilter);
  {
    std::lock_guard<sys::TCriticalSection> guard(listLock_);
    sourceFilter_ = source;
  }
  sourceBase_ = TComPtr<IBaseFilter>(source.Get());
  if (streamFormat_.Format.nSamplesPerSec == 0) {
    // No stream yet: 11025 Hz stereo 16-bit.
    WAVEFORMATEXTENSIBLE f{};
    f.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
    f.Format.nChannels = 2;
    f.Format.nSamplesPerSec = 11025;
    f.Format.nAvgBytesPerSec = 44100;
    f.Format.nBlockAlign = 4;
    f.Format.wBitsPerSample = 16;
    f.Format.cbSize = WAVEFORMATEXTENSIBLE_EXTRA;
    f.Samples.wValidBitsPerSample = 16;
    f.dwChannelMask = 3;
    f.SubFormat = KSDATAFORMAT_SUBTYPE_PCM;
    streamFormat_ = f;
  }
  uint32_t durationMs =
      uint32_t(uint64_t(uint32_t(streamBufferSize_)) * 1000 / streamFormat_.Format.nSamplesPerSec);
  if (durationMs == 0)
    durationMs = 1000;
  source->SetFormat(streamFormat_, false, int32_t(durationMs));
  hr = graph_->Graph->AddFilter(sourceBase_.Get(), u"AudioSource");
  if (FAILED(hr))
    graph_->Error("Can't set audio source filter.", hr);
  hr = builder_->RenderStream(nullptr, &MEDIATYPE_Audio, sourceBase_.Get(), nullptr,
                              renderer_.Get());
  if (FAILED(hr))
    graph_->Error("Can't render audio output.", hr);
  graph_->SetMediaEvent();
  mediaFilter_.Reset();
  hr = graph_->Graph->QueryInterface(IMediaFilter::IID, mediaFilter_.PutVoid());
  if (FAILED(hr))
    graph_->Error("Can't obtain IMediaFilter.", hr);
  return true;
}

void TALDSAudioOut::DestroyGraph() {
  if (!built_)
    return;
  if (enabled_)
    Stop();
  graph_->UnregisterGraph();
  graph_->MediaEvent.Reset();
  // The advise names the clock thread's semaphore: it must not outlive it.
  if (advised_ && refClock_)
    refClock_->Unadvise(adviseCookie_);
  advised_ = false;
  sourceBase_.Reset();
  built_ = false;
}

void TALDSAudioOut::FreeFilters() {
  TOWWriteSection section(inputPin_.get());
  if (mediaControl_)
    mediaControl_->Stop();
  mediaControl_.Reset();
  if (advised_ && refClock_)
    refClock_->Unadvise(adviseCookie_);
  advised_ = false;
  refClock_.Reset();
  mediaFilter_.Reset();
  graph_->Graph.Reset();
  builder_.Reset();
  renderer_.Reset();
  sourceBase_.Reset();
  {
    std::lock_guard<sys::TCriticalSection> guard(listLock_);
    sourceFilter_.Reset();
  }
  graph_->MediaEvent.Reset();
}

void ALDSAudioOutRegister() { RegisterClass(TALDSAudioOut::StaticClassInfo()); }
