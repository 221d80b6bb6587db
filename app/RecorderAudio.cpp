#include "app/RecorderAudio.h"

#include "platform/classlib/Exceptions.h"
#include "platform/classlib/Lists.h"

namespace {

template <class T> T *Find(TComponent *owner, const char *name) {
  auto *c = dynamic_cast<T *>(owner->FindComponent(name));
  if (c == nullptr)
    throw Exception(std::string("The main window's form has no ") + name + ".");
  return c;
}

} // namespace

TRecorderAudio::TRecorderAudio(TComponent *owner) : owner_(owner) {
  AudioIn = Find<TALDSAudioIn>(owner, "AudioIn");
  AudioToReal = Find<TALAudioToReal>(owner, "AudioToReal");
  VUMeter = Find<TALVUMeter>(owner, "VUMeter");
  PPMMeter = Find<TALPPMMeter>(owner, "PPMMeter");
  AudioLogger = Find<TALWaveLogger>(owner, "AudioLogger");
  ALGenericFilter = Find<TALGenericFilter>(owner, "ALGenericFilter");
  AudioPlayer = Find<TALWavePlayer>(owner, "AudioPlayer");
  GenericFilterPlayer = Find<TALGenericFilter>(owner, "GenericFilterPlayer");
  AudioOutput = Find<TALDSAudioOut>(owner, "AudioOutput");
  Scope = Find<TSLScope>(owner, "Scope");

  // What form text cannot say of these components.
  AudioIn->GetAudioCaptureDevice()->SetName("USB Audio CODEC ");
  // The logger is served last of the capture component's sinks.
  AudioLogger->GetInputPin()->Connect(AudioIn->GetOutputPin());
  // The player starts disabled: nothing plays before Play, and the time
  // displays show the take's length from the start (they wait while an
  // enabled player reports its own progress).
  AudioPlayer->SetEnabled(false);
}

TRecorderAudio::~TRecorderAudio() = default; // the owner frees the components

std::string TRecorderAudio::PlayerFileName() { return AudioPlayer->GetFileName(); }
bool TRecorderAudio::PlayerEnabled() { return AudioPlayer->GetEnabled(); }
bool TRecorderAudio::PlayerPaused() { return AudioPlayer->GetPaused(); }
int TRecorderAudio::VUMeterActiveChannels() { return VUMeter->GetActiveChannels(); }
int TRecorderAudio::PPMMeterActiveChannels() { return PPMMeter->GetActiveChannels(); }
// Clearing an empty channel does nothing, so the window may call this at
// every idle pass without repainting the scope each time.
bool TRecorderAudio::ClearScopeChannels() {
  bool held = false;
  TSLScopeChannels *channels = Scope->GetChannels();
  for (int i = 0; i < 2 && i < channels->Count(); ++i) {
    TSLChannelData *data = channels->GetItem(i)->GetVC_Data();
    held = held || data->GetSize() > 0 || data->GetDrawSize() > 0;
    data->Clear();
  }
  return held;
}

void TRecorderAudio::StopCaptureAndPlayer() {
  AudioIn->Stop();
  if (FAudioIn2)
    FAudioIn2->Stop();
  AudioPlayer->SetPaused(false);
  AudioPlayer->Stop();
}

int64_t TRecorderAudio::MeasureWorkFileDuration() {
  AudioPlayer->Pause();
  // Without an output device the start fails downstream after the file was
  // opened: the take is still measured, and the stop that ended it holds.
  try {
    AudioPlayer->Start();
  } catch (const std::exception &) {
  }
  int64_t duration = AudioPlayer->GetDurationTime();
  try {
    AudioPlayer->Stop();
  } catch (const std::exception &) {
  }
  AudioPlayer->Resume();
  return duration;
}

std::vector<std::string> TRecorderAudio::CaptureDeviceNames() {
  TStringList list;
  AudioIn->GetAudioCaptureDevice()->GetDeviceList(&list);
  std::vector<std::string> names;
  for (int i = 0; i < list.Count(); ++i)
    names.push_back(list.Strings(i));
  return names;
}

void TRecorderAudio::LinkCaptureSinks(TALOWAudioSourcePin *source) {
  for (TALOWAudioSinkPin *sink :
       {AudioToReal->GetInputPin(), AudioLogger->GetInputPin(), VUMeter->GetInputPin(),
        PPMMeter->GetInputPin(), ALGenericFilter->GetInputPin()})
    sink->Connect(source);
}

void TRecorderAudio::CreateSecondInput(const std::string &device, int sampleRate) {
  FMerger = CreateObject<TALChannelMerger>(owner_);
  FAudioIn2 = CreateObject<TALDSAudioIn>(owner_);
  if (!device.empty())
    FAudioIn2->GetAudioCaptureDevice()->SetName(device);
  FAudioIn2->GetAudioFormat()->SetBits(16);
  FAudioIn2->GetAudioFormat()->SetChannels(1);
  FAudioIn2->GetAudioFormat()->SetSampleRate(sampleRate);
  FMerger->GetInputPin(0)->Connect(AudioIn->GetOutputPin());
  FMerger->GetInputPin(1)->Connect(FAudioIn2->GetOutputPin());
}

void TRecorderAudio::FreeSecondInput() {
  delete FAudioIn2;
  delete FMerger;
  FAudioIn2 = nullptr;
  FMerger = nullptr;
}
