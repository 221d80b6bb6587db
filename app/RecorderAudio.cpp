#include "app/RecorderAudio.h"

#include "platform/classlib/Lists.h"

namespace {

template <class T> T *Make(TComponent *owner, const char *name) {
  T *c = CreateObject<T>(owner);
  c->SetName(name);
  return c;
}

} // namespace

TRecorderAudio::TRecorderAudio(TComponent *owner) : owner_(owner) {
  AudioIn = Make<TALDSAudioIn>(owner, "AudioIn");
  AudioIn->GetAudioFormat()->SetChannels(1);
  AudioIn->GetAudioFormat()->SetSampleRate(44100);
  AudioIn->GetAudioCaptureDevice()->SetName("USB Audio CODEC ");
  AudioIn->GetGraph()->SetRegister(false);
  AudioToReal = Make<TALAudioToReal>(owner, "AudioToReal");
  AudioToReal->SetCountChannels(2);
  VUMeter = Make<TALVUMeter>(owner, "VUMeter");
  VUMeter->SetCountChannels(2);
  PPMMeter = Make<TALPPMMeter>(owner, "PPMMeter");
  PPMMeter->SetCountChannels(2);
  AudioLogger = Make<TALWaveLogger>(owner, "AudioLogger");
  AudioLogger->SetFileName("test.wav");
  ALGenericFilter = Make<TALGenericFilter>(owner, "ALGenericFilter");
  AudioPlayer = Make<TALWavePlayer>(owner, "AudioPlayer");
  AudioPlayer->SetPumpPriority(0);
  AudioPlayer->GetPlaySegment()->SetStopSample(100);
  AudioPlayer->GetPlaySegment()->SetEnabled(false);
  GenericFilterPlayer = Make<TALGenericFilter>(owner, "GenericFilterPlayer");
  AudioOutput = Make<TALDSAudioOut>(owner, "AudioOutput");
  AudioOutput->EnableMasterPumping = false;
  AudioOutput->GetGraph()->SetRegister(false);

  // The capture component's sinks, in the form's order.
  for (TALOWAudioSinkPin *sink :
       {PPMMeter->GetInputPin(), ALGenericFilter->GetInputPin(), VUMeter->GetInputPin(),
        AudioToReal->GetInputPin(), AudioLogger->GetInputPin()})
    sink->Connect(AudioIn->GetOutputPin());
  GenericFilterPlayer->GetInputPin()->Connect(AudioPlayer->GetOutputPin());
  AudioOutput->GetInputPin()->Connect(AudioPlayer->GetOutputPin());
}

TRecorderAudio::~TRecorderAudio() = default; // the owner frees the components

std::string TRecorderAudio::PlayerFileName() { return AudioPlayer->GetFileName(); }
bool TRecorderAudio::PlayerEnabled() { return AudioPlayer->GetEnabled(); }
bool TRecorderAudio::PlayerPaused() { return AudioPlayer->GetPaused(); }
int TRecorderAudio::VUMeterActiveChannels() { return VUMeter->GetActiveChannels(); }
int TRecorderAudio::PPMMeterActiveChannels() { return PPMMeter->GetActiveChannels(); }
// The scope joins later; until then there is nothing to clear.
bool TRecorderAudio::ClearScopeChannels() { return false; }

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
