#include "audio/ALDSAudioIn.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "audio/ALDSGraphSetup.h"
#include "directshow/DSBaseClass.h"
#include "platform/media/Media.h"
#include "platform/sys/ScopeExit.h"

using com::TComPtr;
using namespace media;

namespace {

constexpr TGUID LOOK_UPSTREAM_ONLY = TGUID::FromLiteral("{AC798BE0-98E3-11D1-B3F1-00AA003761C5}");
constexpr TGUID MEDIATYPE_Interleaved =
    TGUID::FromLiteral("{73766169-0000-0010-8000-00AA00389B71}");
constexpr const char16_t *GrabberName = u"VLDS_AudioGrabber";
constexpr DWORD InprocContext = com::CLSCTX_INPROC_SERVER | com::CLSCTX_INPROC_HANDLER;

// One bit per channel from the front left speaker up.
uint32_t MaskForChannels(uint32_t channels) {
  return channels >= 32 ? 0xFFFFFFFFu : (uint32_t(1) << channels) - 1;
}

// Completes an 18-byte PCM record read from a media type into the 40-byte
// extensible form.
void CompleteExtensible(WAVEFORMATEXTENSIBLE &f, bool setTag) {
  if (setTag) {
    f.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
    f.Format.cbSize = WAVEFORMATEXTENSIBLE_EXTRA;
  }
  f.Samples.wValidBitsPerSample = f.Format.wBitsPerSample;
  f.dwChannelMask = MaskForChannels(f.Format.nChannels);
  f.SubFormat = KSDATAFORMAT_SUBTYPE_PCM;
}

} // namespace

// ---------------------------------------------------------------------------
// TALAudioModes

HRESULT TALAudioModes::LoadFromStreamConfig(IAMStreamConfig *config) {
  Clear();
  if (!config)
    return E_POINTER;
  int count = 0, size = 0;
  HRESULT hr = config->GetNumberOfCapabilities(&count, &size);
  if (FAILED(hr))
    return hr;
  if (size != int(sizeof(AUDIO_STREAM_CONFIG_CAPS)))
    return E_FAIL;
  for (int i = 0; i < count; ++i) {
    AM_MEDIA_TYPE *mt = nullptr;
    AUDIO_STREAM_CONFIG_CAPS caps{};
    if (FAILED(config->GetStreamCaps(i, &mt, reinterpret_cast<BYTE *>(&caps))) || !mt)
      continue;
    if (mt->formattype == FORMAT_WaveFormatEx && mt->pbFormat &&
        mt->cbFormat >= sizeof(WAVEFORMATEX)) {
      auto mode = std::make_unique<TALAudioModeFormat>();
      uint16_t tag = 0;
      std::memcpy(&tag, mt->pbFormat, sizeof tag);
      if (tag == WAVE_FORMAT_EXTENSIBLE && mt->cbFormat >= sizeof(WAVEFORMATEXTENSIBLE)) {
        std::memcpy(&mode->Format, mt->pbFormat, sizeof(WAVEFORMATEXTENSIBLE));
      } else if (tag == WAVE_FORMAT_PCM) {
        std::memcpy(static_cast<void *>(&mode->Format), mt->pbFormat, sizeof(WAVEFORMATEX));
        CompleteExtensible(mode->Format, false);
      }
      std::memcpy(mode->Caps, &caps.MinimumChannels, sizeof mode->Caps);
      modes_.push_back(std::move(mode));
    }
    LPDSDeleteMediaType(mt);
  }
  return S_OK;
}

// ---------------------------------------------------------------------------
// TALDSAudioIn

const TClassInfo &TALDSAudioIn::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TALDSAudioIn>(
      "TALDSAudioIn", &TComponent::StaticClassInfo(), [](TClassBuilder<TALDSAudioIn> &c) {
        c.Boolean("Enabled", &TALDSAudioIn::GetEnabled, &TALDSAudioIn::SetEnabled, true);
        c.Object("AudioFormat", &TALDSAudioIn::GetAudioFormat, &TALDSAudioIn::SetAudioFormat);
        c.Object("AudioCaptureDevice", &TALDSAudioIn::GetAudioCaptureDevice,
                 &TALDSAudioIn::SetAudioCaptureDevice);
        c.Object("Graph", &TALDSAudioIn::GetGraph, &TALDSAudioIn::SetGraph);
        c.Object("OutputPin", &TALDSAudioIn::GetOutputPin);
        c.Object("EnablePin", &TALDSAudioIn::GetEnablePin);
      });
  return info;
}

TALDSAudioIn::TALDSAudioIn(TComponent *AOwner)
    : TComponent(AOwner), lock_(std::make_unique<TOWObject>()) {
  graph_ = std::make_unique<TDSGraph>(
      this, [this](LONG code, LONG_PTR p1, LONG_PTR p2) { GraphEvent(code, p1, p2); }, lock_.get());
  audioSources_ = std::make_unique<TDSSwitches>(this, true, [this](TDSSwitches *) { OnConnect(); });
  crossbarDialogs_ =
      std::make_unique<TDSCrossbarDialogs>(this, [this](TDSCrossbarDialogs *) { OnConnect(); });
  device_ = std::make_unique<TDSAudioCaptureDevice>(lock_.get(), this, graph_.get(),
                                                    [this](TObject *s) { OnDeviceChanged(s); });
  queue_ = std::make_unique<TVLDSBufferQueue>();
  outputPin_.reset(CreateObject<TALOWAudioSourcePin>(
      this, [this](TOWPin *s, const TGUID *d, IOWNotifyOperation *o, TOWNotifyState st) {
        return DispatchOperation(s, d, o, st);
      }));
  enablePin_.reset(CreateObject<TOWBoolStatePin>(
      this, [this](TOWPin *pin, bool value) { EnablePinChanged(pin, value); }, nullptr));
  lock_->AddShareLock(outputPin_.get());
  CleanUp();
  audioFormat_ =
      std::make_unique<TALAudioFormat>(lock_.get(), [this](TObject *s) { OnFormatChange(s); });
  audioModes_ = std::make_unique<TALAudioModes>();
  if (!InState(csDesigning)) {
    grabberCallback_ = std::make_unique<TVLDSSampleGrabberCB>(
        [this](double t, IMediaSample *sample) { NewAudioBuffer(t, sample); });
    notifyThread_ =
        std::make_unique<TSLNotifyThread>([this](sys::TThread *) { NewDataBufferNotify(); });
  }
}

void TALDSAudioIn::BeforeDestruction() {
  if (!destroyed_) {
    destroyed_ = true;
    try {
      StopRun();
    } catch (const Exception &) {
      // The graph is torn down below whatever its Stop answered.
    }
    if (notifyThread_)
      notifyThread_->Terminate();
    TOWWriteSection section(lock_.get());
    try {
      DestroyGraph();
    } catch (const Exception &) {
    }
    CleanUp();
  }
  TComponent::BeforeDestruction();
}

TALDSAudioIn::~TALDSAudioIn() {
  if (!destroyed_) {
    // Destroyed without FreeObject: the same tear-down.
    destroyed_ = true;
    try {
      StopRun();
    } catch (const Exception &) {
    }
    if (notifyThread_)
      notifyThread_->Terminate();
    try {
      TOWWriteSection section(lock_.get());
      DestroyGraph();
      CleanUp();
    } catch (const Exception &) {
    }
  }
  notifyThread_.reset();
  grabberCallback_.reset();
  enablePin_.reset();
  outputPin_.reset();
  if (queue_)
    queue_->Clear();
  queue_.reset();
  audioSources_.reset();
  crossbarDialogs_.reset();
  device_.reset();
  audioModes_.reset();
  graph_.reset();
  audioFormat_.reset();
  lock_.reset();
}

void TALDSAudioIn::Loaded() {
  TComponent::Loaded();
  if (!InState(csDesigning) && storedEnabled_)
    IntStart();
}

bool TALDSAudioIn::DesigningOrLoading() const {
  return InState(csDesigning) || InState(csLoading) || InState(csReading);
}

void TALDSAudioIn::Start() {
  if (!running_)
    IntStart();
}

void TALDSAudioIn::Stop() {
  if (running_)
    IntStop(true);
}

bool TALDSAudioIn::GetEnabled() const {
  if (InState(csDesigning) || InState(csLoading) || InState(csWriting))
    return storedEnabled_;
  return running_;
}

void TALDSAudioIn::SetEnabled(bool Value) {
  if (DesigningOrLoading()) {
    storedEnabled_ = Value;
    enablePin_->SetValue(Value);
    return;
  }
  if (Value)
    IntStart();
  else
    IntStop(true);
}

void TALDSAudioIn::EnablePinChanged(TOWPin *, bool Value) { SetEnabled(Value); }

void TALDSAudioIn::SetConnected(bool Value) {
  if (Value == connected_)
    return;
  connected_ = Value;
  if (Value)
    Open();
  else
    Close();
}

void TALDSAudioIn::SetAudioFormat(TALAudioFormat *Value) {
  if (!Value || Value == audioFormat_.get())
    return;
  audioFormat_->SetChannels(Value->GetChannels());
  audioFormat_->SetBits(Value->GetBits());
  audioFormat_->SetSampleRate(Value->GetSampleRate());
  audioFormat_->SetChannelMask(Value->GetChannelMask());
  audioFormat_->SetBufferSize(Value->GetBufferSize());
}

void TALDSAudioIn::SetAudioCaptureDevice(TDSAudioCaptureDevice *Value) {
  if (Value && Value != device_.get())
    device_->SetName(Value->GetDeviceName());
}

void TALDSAudioIn::SetGraph(TDSGraph *Value) {
  if (!Value || Value == graph_.get())
    return;
  graph_->SetRegister(Value->GetRegister());
  graph_->SetAdditionalFilters(Value->GetAdditionalFilters());
}

// ---- Operations from the sinks -----------------------------------------------

TOWNotifyResult TALDSAudioIn::DispatchOperation(TOWPin *, const TGUID *,
                                                IOWNotifyOperation *Operation, TOWNotifyState) {
  if (OWOperationAs<TOWStartSampleRateOperation>(Operation))
    return {}; // a pump request: the device paces itself
  if (OWOperationAs<TOWStopOperation>(Operation)) {
    // A sink asks the take to end (a logger that cannot write): what is
    // still queued would only reach that sink again, so it is dropped.
    IntStop(false);
    return {};
  }
  return {};
}

// ---- Start and stop ------------------------------------------------------------

void TALDSAudioIn::IntStart() {
  queue_->Clear();
  Open();
  if (!connected_)
    return;
  {
    TOWWriteSection section(lock_.get());
    resumeSent_ = false;
  }
  RefreshInterfaces();
  SendAudioFormat();
  StartRun();
}

bool TALDSAudioIn::StartRun() {
  if (graph_->Graph && running_)
    return true;
  if (!BuildGraph())
    return false;
  if (!mediaControl_) {
    graph_->Error("Can't start capture.", 0);
    return false;
  }
  const HRESULT hr = mediaControl_->Run();
  if (FAILED(hr)) {
    mediaControl_->Stop();
    // The sinks were given the start-wave already: end their take before
    // the failure is reported, so a logger does not keep an open file.
    queue_->Clear();
    outputPin_->Stop();
    graph_->Error("Can't start capture.", hr);
    return false;
  }
  running_ = true;
  return true;
}

void TALDSAudioIn::IntStop(bool deliverQueued) {
  TOWWriteSection section(lock_.get());
  if (!running_)
    return;
  if (graph_->Graph) {
    auto control = TComPtr<IMediaControl>::Query(graph_->Graph);
    const HRESULT hr = control ? control->Stop() : E_NOINTERFACE;
    if (FAILED(hr)) {
      graph_->Error("Can't stop capture.", hr);
      return;
    }
  }
  // Blocks captured before the graph stopped belong to the take.
  if (deliverQueued)
    DrainBlocks(INT_MAX);
  queue_->Clear();
  outputPin_->Stop();
  running_ = false;
}

bool TALDSAudioIn::StopRun() {
  TOWWriteSection section(lock_.get());
  if (!running_)
    return false;
  if (graph_->Graph && mediaControl_) {
    const HRESULT hr = mediaControl_->Stop();
    if (FAILED(hr)) {
      graph_->Error("Can't stop capture.", hr);
      return false;
    }
    running_ = false;
    return true;
  }
  if (!graph_->Graph) {
    running_ = false;
    return true;
  }
  return false;
}

void TALDSAudioIn::EndTakeAfterFailure() {
  TOWWriteSection section(lock_.get());
  if (!running_)
    return;
  if (!StopRun())
    return;
  // The graph has stopped: nothing more is queued. What was captured before
  // the failure is delivered, then the sinks hear the end of the take.
  DrainBlocks(INT_MAX);
  outputPin_->Stop();
}

void TALDSAudioIn::GraphEvent(LONG code, LONG_PTR, LONG_PTR) {
  if (code == EC_ERRORABORT || code == EC_DEVICE_LOST)
    EndTakeAfterFailure();
}

void TALDSAudioIn::OnDeviceChanged(TObject *) {
  Stop();
  Close();
}

void TALDSAudioIn::OnConnect() { Open(); }

void TALDSAudioIn::OnFormatChange(TObject *) {
  if (!running_)
    Close();
}

// ---- Data path -------------------------------------------------------------------

void TALDSAudioIn::NewAudioBuffer(double, IMediaSample *ASample) {
  if (!ASample)
    return;
  BYTE *data = nullptr;
  if (FAILED(ASample->GetPointer(&data)))
    return;
  const LONG length = ASample->GetActualDataLength();
  REFERENCE_TIME start = 0, stop = 0;
  ASample->GetTime(&start, &stop);
  queue_->Add(start, stop, data, length);
  if (notifyThread_)
    notifyThread_->Notify();
}

void TALDSAudioIn::NewDataBufferNotify() {
  TOWWriteSection section(lock_.get());
  // A backlog longer than one wake's share would otherwise wait for the
  // device's next block, which never comes after the last one: wake again,
  // with the lock given back in between.
  if (DrainBlocks(MaxBlocksPerWake) == MaxBlocksPerWake && notifyThread_)
    notifyThread_->Notify();
}

int TALDSAudioIn::DrainBlocks(int Limit) {
  int delivered = 0;
  const uint32_t blockAlign = streamFormat_.Format.nBlockAlign;
  while (delivered < Limit) {
    TVLDSOwnedBlock block(queue_->Get(), TVLDSBlockDestroyer{queue_.get()});
    if (!block)
      break;
    // A format without a frame size (never negotiated) cannot be cut into
    // frames: the block is dropped (its handle frees it) rather than divided
    // by zero.
    if (blockAlign == 0 || block->Length <= 0)
      continue;
    const uint32_t frames = uint32_t(block->Length) / blockAlign;
    com::TComPtr<TALAudioBuffer> buffer = com::MakeCom<TALAudioBuffer>(
        int(streamFormat_.Format.nSamplesPerSec), int(streamFormat_.Samples.wValidBitsPerSample),
        int(streamFormat_.Format.nChannels), int(frames), TALSpeakers(streamFormat_.dwChannelMask));
    const size_t bytes = size_t(frames) * blockAlign;
    if (bytes)
      std::memcpy(buffer->Write(), block->Data(), bytes);
    TMLTimeStamp *stamp = buffer->GetTimeStamp();
    stamp->SetAvailable(true);
    stamp->SetBegin(block->StartTime);
    stamp->SetEnd(block->StopTime);
    block.reset();
    ++delivered;
    outputPin_->SubmitBuffer(com::TComPtr<ISLDataBuffer>(buffer.Get()));
    if (!resumeSent_) {
      resumeSent_ = true;
      outputPin_->Notify(TOWNotifyOperation::Make<TOWSLResumeOperation>().Get());
    }
  }
  return delivered;
}

void TALDSAudioIn::SendAudioFormat() {
  if (!grabber_)
    return;
  AM_MEDIA_TYPE mt{};
  if (FAILED(grabber_->GetConnectedMediaType(&mt)))
    return;
  const bool wave =
      mt.formattype == FORMAT_WaveFormatEx && mt.pbFormat && mt.cbFormat >= sizeof(WAVEFORMATEX);
  if (wave) {
    WAVEFORMATEXTENSIBLE format{};
    uint16_t tag = 0;
    std::memcpy(&tag, mt.pbFormat, sizeof tag);
    if (tag == WAVE_FORMAT_EXTENSIBLE && mt.cbFormat >= sizeof(WAVEFORMATEXTENSIBLE)) {
      std::memcpy(&format, mt.pbFormat, sizeof format);
    } else {
      std::memcpy(static_cast<void *>(&format), mt.pbFormat, sizeof(WAVEFORMATEX));
      CompleteExtensible(format, true);
    }
    {
      TOWWriteSection section(lock_.get());
      streamFormat_ = format;
    }
    IOWNotifyOperationPtr start = TOWNotifyOperation::Make<TOWStartWaveOperation>(
        int32_t(audioFormat_->GetBufferSize()), float(format.Format.nSamplesPerSec), &format);
    LPDSFreeMediaFormat(mt);
    outputPin_->Notify(start.Get());
    return;
  }
  LPDSFreeMediaFormat(mt);
}

// ---- Building the graph ----------------------------------------------------------

void TALDSAudioIn::Open() {
  if (connected_)
    return;
  moniker_ = device_->GetMoniker();
  InitCaptureFilters();
  bool built = BuildGraph();
  if (built) {
    mediaControl_.Reset();
    built = graph_->Graph &&
            SUCCEEDED(graph_->Graph->QueryInterface(IMediaControl::IID, mediaControl_.PutVoid()));
  }
  connected_ = built;
}

void TALDSAudioIn::Close() {
  if (connected_)
    DestroyGraph();
  FreeFilters();
  device_->CloseDevice();
  connected_ = false;
}

bool TALDSAudioIn::InitCaptureFilters() {
  return ALDSInitGraphFilters(
      *graph_, builder_, moniker_.Get() != nullptr,
      [this] {
        HRESULT hr =
            moniker_->BindToObject(nullptr, nullptr, IBaseFilter::IID, captureFilter_.PutVoid());
        if (!captureFilter_) {
          graph_->Error("Can't create audio capture filter.", hr);
          return false;
        }
        builder_->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio, captureFilter_.Get(),
                                IAMBufferNegotiation::IID, negotiation_.PutVoid());
        hr = graph_->Graph->AddFilter(captureFilter_.Get(), nullptr);
        if (FAILED(hr)) {
          graph_->Error("Can't add audio capture filter.", hr);
          return false;
        }
        return true;
      },
      [this] { FreeFilters(); });
}

bool TALDSAudioIn::BuildGraph() {
  if (!IntBuildGraph())
    return false;
  graph_->RegisterGraph();
  GetAvailableDialogs();
  if (graph_->OnGraphBuilt)
    graph_->OnGraphBuilt(this);
  return true;
}

bool TALDSAudioIn::IntBuildGraph() {
  if (!graph_->Graph)
    return false;
  if (graphBuilt_)
    return true;
  graph_->RegisterGraph();
  try {
    if (captureFilter_ && !RenderAudioPreview(captureFilter_.Get()))
      return false;
    graph_->SetMediaEvent();
    graphBuilt_ = true;
    return true;
  } catch (const Exception &) {
    graphBuilt_ = true; // so that DestroyGraph tears down what was built
    DestroyGraph();
    FreeFilters();
    return false;
  }
}

bool TALDSAudioIn::FindOrAddGrabber(TComPtr<IBaseFilter> &filter) {
  IBaseFilter *found = nullptr;
  HRESULT hr = graph_->Graph->FindFilterByName(GrabberName, &found);
  filter = TComPtr<IBaseFilter>::Attach(found);
  if (SUCCEEDED(hr) && filter)
    return true;
  filter.Reset();
  hr = media::CoCreateInstance(CLSID_SampleGrabber, nullptr, InprocContext, IBaseFilter::IID,
                               filter.PutVoid());
  if (SUCCEEDED(hr))
    hr = graph_->Graph->AddFilter(filter.Get(), GrabberName);
  if (FAILED(hr)) {
    filter.Reset();
    graph_->Error("Can't set audio sample grabber.", hr);
    return false;
  }
  return true;
}

bool TALDSAudioIn::RenderAudioPreview(IBaseFilter *filter) {
  TComPtr<IBaseFilter> grabberFilter;
  if (!FindOrAddGrabber(grabberFilter))
    return false;
  grabber_.Reset();
  HRESULT hr = grabberFilter->QueryInterface(ISampleGrabber::IID, grabber_.PutVoid());
  if (FAILED(hr)) {
    graph_->Error("Can't set audio sample grabber.", hr);
    if (!grabber_)
      return false;
  }
  AM_MEDIA_TYPE mt{};
  CreateAudioMediaType(audioFormat_->GetWaveFormat(), &mt, -1);
  sys::TScopeExit freeMt([&mt] { LPDSFreeMediaFormat(mt); });
  hr = grabber_->SetMediaType(&mt);
  if (FAILED(hr))
    graph_->Error("Can't set audio sample grabber format.", hr);
  TComPtr<IAMStreamConfig> config;
  hr = builder_->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio, filter,
                               IAMStreamConfig::IID, config.PutVoid());
  if (FAILED(hr) || !config) {
    graph_->Error("Can't set audio sample grabber format.", FAILED(hr) ? hr : E_NOINTERFACE);
  } else {
    audioModes_->LoadFromStreamConfig(config.Get());
    hr = config->SetFormat(&mt);
    if (FAILED(hr))
      graph_->Error("Can't set desired audio format.", hr);
  }
  SetBufferSize();
  hr = builder_->RenderStream(nullptr, &MEDIATYPE_Audio, filter, nullptr, grabberFilter.Get());
  if (FAILED(hr)) {
    graph_->Error("Can't set audio sample grabber.", hr);
    return false;
  }
  grabber_->SetBufferSamples(FALSE);
  grabber_->SetOneShot(FALSE);
  grabber_->SetCallback(grabberCallback_.get(), 0);
  return true;
}

bool TALDSAudioIn::SetBufferSize() {
  if (!negotiation_)
    return false;
  // 64-bit: a large buffer size times the frame size must not wrap.
  const int64_t bytes =
      int64_t(audioFormat_->GetWaveFormat()->Format.nBlockAlign) * audioFormat_->GetBufferSize();
  ALLOCATOR_PROPERTIES props{-1, LONG(std::min<int64_t>(bytes, INT32_MAX)), -1, -1};
  negotiation_->SuggestAllocatorProperties(&props);
  return true;
}

void TALDSAudioIn::RefreshInterfaces() {
  if (!graph_->Graph)
    return;
  TComPtr<IBaseFilter> grabberFilter;
  if (!FindOrAddGrabber(grabberFilter))
    return;
  grabber_.Reset();
  const HRESULT hr = grabberFilter->QueryInterface(ISampleGrabber::IID, grabber_.PutVoid());
  if (FAILED(hr))
    graph_->Error("Can't set audio sample grabber.", hr);
}

void TALDSAudioIn::DestroyGraph() {
  if (!graphBuilt_)
    return;
  if (running_)
    IntStop(false);
  graph_->UnregisterGraph();
  crossbarDialogs_->Clear();
  audioSources_->ClearPaths();
  audioModes_->Clear();
  grabber_.Reset();
  graph_->MediaEvent.Reset();
  if (captureFilter_)
    graph_->DestroyDownstream(captureFilter_.Get());
  graphBuilt_ = false;
}

void TALDSAudioIn::FreeFilters() {
  TOWWriteSection section(lock_.get());
  graph_->Graph.Reset();
  builder_.Reset();
  captureFilter_.Reset();
  negotiation_.Reset();
  grabber_.Reset();
  mediaControl_.Reset();
  graph_->MediaEvent.Reset();
}

void TALDSAudioIn::CleanUp() { FreeFilters(); }

// ---- Dialogs, crossbars and mixer sources ------------------------------------

bool TALDSAudioIn::HasPages(com::IUnknown *object) {
  if (!object)
    return false;
  auto pages = TComPtr<ISpecifyPropertyPages>::Query(object);
  if (!pages)
    return false;
  CAUUID uuids{};
  const bool any = SUCCEEDED(pages->GetPages(&uuids)) && uuids.cElems > 0;
  CoTaskMemFree(uuids.pElems);
  return any;
}

bool TALDSAudioIn::ShowPages(com::IUnknown *object) {
  auto pages = TComPtr<ISpecifyPropertyPages>::Query(object);
  if (!pages)
    return false;
  CAUUID uuids{};
  if (FAILED(pages->GetPages(&uuids)))
    return false;
  com::IUnknown *objects[] = {object};
  OleCreatePropertyFrame(graph_->EventWindow(), 30, 30, nullptr, 1, objects, uuids.cElems,
                         uuids.pElems, 0, 0, nullptr);
  CoTaskMemFree(uuids.pElems);
  return true;
}

void TALDSAudioIn::AddCrossbarDialog(IAMCrossbar *crossbar) {
  auto filter = TComPtr<IBaseFilter>::Query(crossbar);
  auto pages = TComPtr<ISpecifyPropertyPages>::Query(crossbar);
  if (pages && HasPages(crossbar))
    crossbarDialogs_->AddDialog(
        std::make_unique<TDSCrossbarDialog>(this, pages, filter, graph_.get()));
}

void TALDSAudioIn::GetAvailableDialogs() {
  availableDialogs_ = 0;
  if (!builder_ || !captureFilter_)
    return;
  if (HasPages(captureFilter_.Get()))
    availableDialogs_ |= 1u << cdAudioCapture;
  FindCrossbarDialogs();
  audioSources_->ClearPaths();
  TComPtr<IAMStreamConfig> config;
  if (SUCCEEDED(builder_->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio,
                                        captureFilter_.Get(), IAMStreamConfig::IID,
                                        config.PutVoid())) &&
      HasPages(config.Get()))
    availableDialogs_ |= 1u << cdAudioCapturePin;
  PopulateAudioCrossBar();
  PopulateCrossbar(captureFilter_.Get());
  if (audioSources_->Sources().Count() == 0)
    PopulateAudioMixerSources(captureFilter_.Get());
  TComPtr<IAMTVAudio> tvAudio;
  if (SUCCEEDED(builder_->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio,
                                        captureFilter_.Get(), IAMTVAudio::IID,
                                        tvAudio.PutVoid())) &&
      HasPages(tvAudio.Get()))
    availableDialogs_ |= 1u << cdTVAudio;
}

void TALDSAudioIn::FindCrossbarDialogs() {
  TComPtr<IAMCrossbar> crossbar;
  if (SUCCEEDED(builder_->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Interleaved,
                                        captureFilter_.Get(), IAMCrossbar::IID,
                                        crossbar.PutVoid())))
    return;
  crossbar.Reset();
  if (FAILED(builder_->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio, captureFilter_.Get(),
                                     IAMCrossbar::IID, crossbar.PutVoid())) ||
      !crossbar)
    return;
  AddCrossbarDialog(crossbar.Get());
  if (auto filter = TComPtr<IBaseFilter>::Query(crossbar))
    FindNextCrossbarDialogs(filter.Get(), 0);
}

void TALDSAudioIn::FindNextCrossbarDialogs(IBaseFilter *filter, int depth) {
  // A crossbar chain is short; the bound only keeps a looped graph finite.
  if (depth > 16)
    return;
  TComPtr<IAMCrossbar> crossbar;
  if (FAILED(builder_->FindInterface(&LOOK_UPSTREAM_ONLY, nullptr, filter, IAMCrossbar::IID,
                                     crossbar.PutVoid())) ||
      !crossbar)
    return;
  AddCrossbarDialog(crossbar.Get());
  if (auto next = TComPtr<IBaseFilter>::Query(crossbar))
    FindNextCrossbarDialogs(next.Get(), depth + 1);
}

void TALDSAudioIn::PopulateAudioCrossBar() {
  TComPtr<IAMCrossbar> crossbar;
  if (SUCCEEDED(builder_->FindInterface(&PIN_CATEGORY_CAPTURE, nullptr, captureFilter_.Get(),
                                        IAMCrossbar::IID, crossbar.PutVoid())) &&
      crossbar)
    AddCrossbarDialog(crossbar.Get());
}

void TALDSAudioIn::PopulateCrossbar(IBaseFilter *filter) {
  if (auto pin = LPDSGetInputPin(filter))
    audioSources_->Rebuild(pin.Get(), false);
}

void TALDSAudioIn::PopulateAudioMixerSources(IBaseFilter *filter) {
  if (!TComPtr<IAMAudioInputMixer>::Query(filter))
    return;
  IEnumPins *rawPins = nullptr;
  if (FAILED(filter->EnumPins(&rawPins)) || !rawPins)
    return;
  auto pins = TComPtr<IEnumPins>::Attach(rawPins);
  std::vector<std::unique_ptr<TVLDSCaptureSource>> found;
  IPin *pin = nullptr;
  while (pins->Next(1, &pin, nullptr) == S_OK) {
    auto held = TComPtr<IPin>::Attach(pin);
    PIN_DIRECTION dir{};
    if (SUCCEEDED(held->QueryDirection(&dir)) && dir == PINDIR_INPUT)
      found.push_back(std::make_unique<TVLDSMixerSource>(&audioSources_->Sources(), held));
  }
  if (found.size() >= 2)
    for (auto &source : found)
      audioSources_->Sources().Add(std::move(source));
}

bool TALDSAudioIn::ShowAudioDialog(TALDSCaptureDialog Kind) {
  Open();
  if (!(availableDialogs_ & (1u << Kind)))
    return false;
  switch (Kind) {
  case cdAudioCapture:
    ShowPages(captureFilter_.Get());
    return true;
  case cdTVAudio: {
    TComPtr<IAMTVAudio> tvAudio;
    if (SUCCEEDED(builder_->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio,
                                          captureFilter_.Get(), IAMTVAudio::IID,
                                          tvAudio.PutVoid())))
      ShowPages(tvAudio.Get());
    return true;
  }
  case cdAudioCapturePin: {
    if (running_)
      return false;
    TComPtr<IAMStreamConfig> config;
    if (SUCCEEDED(builder_->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio,
                                          captureFilter_.Get(), IAMStreamConfig::IID,
                                          config.PutVoid())))
      ShowPages(config.Get());
    return true;
  }
  }
  return false;
}

bool TALDSAudioIn::GetGraphFilters(TStrings *List) {
  if (!List || !graph_->Graph)
    return false;
  IEnumFilters *rawFilters = nullptr;
  if (FAILED(graph_->Graph->EnumFilters(&rawFilters)) || !rawFilters)
    return false;
  auto filters = TComPtr<IEnumFilters>::Attach(rawFilters);
  IBaseFilter *filter = nullptr;
  while (filters->Next(1, &filter, nullptr) == S_OK) {
    auto held = TComPtr<IBaseFilter>::Attach(filter);
    FILTER_INFO info{};
    if (SUCCEEDED(held->QueryFilterInfo(&info))) {
      std::string name;
      for (const char16_t *p = info.achName; *p; ++p)
        name += *p < 0x80 ? char(*p) : '?';
      if (info.pGraph)
        info.pGraph->Release();
      List->Add(name);
    } else {
      List->Add("<Unavailable>");
    }
  }
  return true;
}

void ALDSAudioInRegister() { RegisterClass(TALDSAudioIn::StaticClassInfo()); }
