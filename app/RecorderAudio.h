// The audio components of the main window as its form resource creates and
// links them: the capture component feeds the peak meter, the watchdog
// filter, the VU meter, the scope converter and the wave logger; the player
// feeds its start filter and the output component; the converter feeds the
// scope's two channels. What form text cannot set (the logger's and the
// player's settings and links) is set here.
//
// Created and destroyed on the main thread; the components' own events are
// set by the form resource and the window (TMainForm::HookComponents).
#pragma once

#include "app/MainUnit.h"
#include "audio/ALAudioToReal.h"
#include "audio/ALChannelMerger.h"
#include "audio/ALDSAudioIn.h"
#include "audio/ALDSAudioOut.h"
#include "audio/ALGenericFilter.h"
#include "audio/ALPPMMeter.h"
#include "audio/ALVUMeter.h"
#include "audio/ALWaveLogger.h"
#include "audio/ALWavePlayer.h"
#include "scope/SLScopeControl.h"

class TRecorderAudio : public IRecorderAudio {
public:
  // The components of owner (the window), found by name and completed.
  explicit TRecorderAudio(TComponent *owner);
  ~TRecorderAudio() override;

  std::string PlayerFileName() override;
  bool PlayerEnabled() override;
  bool PlayerPaused() override;
  int VUMeterActiveChannels() override;
  int PPMMeterActiveChannels() override;
  bool ClearScopeChannels() override;
  void StopCaptureAndPlayer() override;
  int64_t MeasureWorkFileDuration() override;
  std::vector<std::string> CaptureDeviceNames() override;

  // Links the five capture sinks to source, in the window's order (scope
  // converter, logger, VU, peak, watchdog filter).
  void LinkCaptureSinks(TALOWAudioSourcePin *source);
  // Creates the merger and the second input (mode "Stereo 2 mic"), or frees
  // them.
  void CreateSecondInput(const std::string &device, int sampleRate);
  void FreeSecondInput();

  TALDSAudioIn *AudioIn = nullptr;
  TALAudioToReal *AudioToReal = nullptr;
  TALVUMeter *VUMeter = nullptr;
  TALPPMMeter *PPMMeter = nullptr;
  TALWaveLogger *AudioLogger = nullptr;
  TALGenericFilter *ALGenericFilter = nullptr;
  TALWavePlayer *AudioPlayer = nullptr;
  TALGenericFilter *GenericFilterPlayer = nullptr;
  TALDSAudioOut *AudioOutput = nullptr;
  TSLScope *Scope = nullptr;
  TALChannelMerger *FMerger = nullptr;
  TALDSAudioIn *FAudioIn2 = nullptr;

private:
  TComponent *owner_;
};
