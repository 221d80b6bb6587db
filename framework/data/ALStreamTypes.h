// Audio links: the stream type IOWALAudioStream, its pins and the start-wave
// operation that opens every audio stream.
//
// An audio stream is, in order: a TOWStartWaveOperation (buffer size in
// frames, sample rate and the 40-byte wave format of the buffers that
// follow), supplied-buffer operations carrying audio buffers, resume and
// pause operations, and a stop. Every operation that arrives at an audio pin
// goes to the owner's dispatch handler (Sender: the pin; DataTypeID: the
// link's negotiated type).
//
// TALOWAudioSourcePin remembers the last resume besides the last start (both
// until the next stop), so a sink linked to a running source is greeted with
// the start and then the resume, before any later buffer.
//
// Threads and locks: as the buffer pins (SLStreamTypes.h). Notify holds the
// pin's write section for the whole sending and remembering, and linking runs
// under the pin's locks, so the remembered operations change atomically with
// respect to a sink being linked. Handlers run on the sending thread.
#pragma once

#include "framework/data/SLStreamTypes.h"
#include "platform/wave/WaveFormat.h"

// The audio stream type.
struct IOWALAudioStream : public virtual IOWSLGenericStream {
  static constexpr TGUID IID = TGUID::FromLiteral("{1D5BD085-492E-4979-8F76-9C97D5C3C5B6}");
};

// Registers the buffer pins' default handler for IOWALAudioStream, on its
// first run only (also run by the first audio pin made).
void ALStreamTypesInitialization();

// A start with sample rate that also carries the stream's wave format.
class TOWStartWaveOperation : public TOWStartSampleRateOperation {
public:
  // Copies the 40 bytes at Format; a null Format gives tag 0xFFFE, 2 channels,
  // 11024 Hz, 16 bits, 44096 bytes per second, mask 3, PCM.
  TOWStartWaveOperation(int32_t BufferSize, float SampleRate, const WAVEFORMATEXTENSIBLE *Format);
  const WAVEFORMATEXTENSIBLE &WaveFormat() const { return waveFormat_; }

private:
  WAVEFORMATEXTENSIBLE waveFormat_;
};

// The output pin of an audio component.
class TALOWAudioSourcePin : public TSLOWTypedSourcePinT<IOWALAudioStream> {
  CLASSLIB_SIMPLE_CLASS(TALOWAudioSourcePin, TSLOWSourcePin)
public:
  // Types: Clock, SL Universal, then IOWALAudioStream. OnDispatch may be empty:
  // the pin then answers every operation with the empty result.
  TALOWAudioSourcePin(TComponent *Owner, TSLOperationEvent OnDispatch);

  // The buffer source's replay of the last start, then the last resume, to the
  // new sink alone.
  void IntConnect(TOWBasicPin *Pin, TOWBasicPin *AfterPin) override;
  // Sends to every sink and remembers the start as the buffer source does;
  // then a resume becomes the last resume and a stop (or end-stop) forgets it.
  TOWNotifyResult Notify(IOWNotifyOperation *Operation) override;
  // The resume a new sink would be greeted with; null when none.
  IOWNotifyOperationPtr GetLastResume();

private:
  // Guarded by the pin's lock group.
  IOWNotifyOperationPtr lastResume_;
};

// The input pin of an audio component.
class TALOWAudioSinkPin : public TSLOWTypedSinkPinT<IOWALAudioStream> {
  CLASSLIB_SIMPLE_CLASS(TALOWAudioSinkPin, TSLOWSinkPin)
public:
  // Types: SL Universal, then IOWALAudioStream.
  TALOWAudioSinkPin(TComponent *Owner, TSLOperationEvent OnDispatch);
};
