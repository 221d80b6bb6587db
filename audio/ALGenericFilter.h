// The generic audio filter: an audio filter whose processing is written by
// the application as events. OnStart runs when a stream starts (StreamFormat
// filled), OnStop when it stops (StreamFormat zeroed afterwards), and
// OnProcessData for each buffer with the incoming samples, the outgoing
// buffer and a flag that decides whether anything is sent on.
//
// Threads: with SynchronizeType stNone OnProcessData runs on the delivering
// thread inside the dispatch. With stSingleBuffer or stQueue it runs, and the
// result is sent, on the main thread through the buffer queue; OnStart and
// OnStop always run on the delivering thread. The lock object and both pins
// form one lock group in every mode, so a main-thread send waits for a
// dispatch under way on the input.
//
// A buffer that reaches a synchronized filter on the main thread itself (sent
// from another synchronized filter's main-thread step) never waits for a slot
// of the queue, which only the main thread frees: when none is free, the
// waiting buffers and then this one are handled at once, in order.
//
// What it shares with the generic real filter (the events, SynchronizeType,
// the older event name, the hand-over) is SLGenericFilter.h's.
#pragma once

#include "audio/ALCommonFilter.h"
#include "framework/data/Alcaudiobuffer.h"
#include "framework/data/SLGenericFilter.h"

using TALGenericFilterProcessDataEvent = void(TObject *Sender, TALCAudioBuffer InBuffer,
                                              TALCAudioBuffer &OutBuffer, bool &SendOutputData);

class TALGenericFilter
    : public TSLGenericFilterT<TALCommonFilter, TALGenericFilterProcessDataEvent> {
  CLASSLIB_CLASS(TALGenericFilter)
public:
  using TStartEvent = void(TObject *Sender);
  using TProcessDataEvent = TALGenericFilterProcessDataEvent;

  explicit TALGenericFilter(TComponent *AOwner);

  void InternalOperation(IALAudioBuffer *InBuffer, IALAudioBufferPtr &OutBuffer,
                         bool OutputConnected, bool &SendOutput) override;
  // Forwards the start downstream, fills StreamFormat, then OnStart.
  void Reset(TOWStartWaveOperation *Operation) override;
  // Drops the buffers waiting for the main thread, OnStop, zeroes StreamFormat.
  void Stop() override;
  void SyncBuffer(TSLMainThreadBufferQueue *Sender, const ISLDataBufferPtr &Buffer) override;
  // Sends Buffer's audio on the output pin; receivers' exceptions pass.
  TOWNotifyResult SendData(TALCAudioBuffer Buffer);
  // Commands: upstream when the input pin is linked, otherwise downstream
  // (the resume always downstream).
  // kept: public members; no component calls them
  TOWNotifyResult SendStartCommand(int Bits, int Channels, int BufferSize, float SampleRate);
  TOWNotifyResult SendStopCommand();
  TOWNotifyResult SendResumeCommand();

  TEvent<TStartEvent> OnStart;
  // The running stream's format; zero while idle.
  WAVEFORMATEXTENSIBLE StreamFormat{};
};

void ALGenericFilterRegister();
