// The channel splitter's base: one interleaved audio input, one output pin per
// channel. TALCommonSplitter holds the pins, the stream format of the last
// start-wave, the per-width sample extraction and the fan-out of control
// operations; a descendant makes the output pins, starts their streams and
// delivers each channel's buffer.
//
// Each channel of an input buffer becomes a real buffer of its samples,
// unscaled: 8-bit x gives x - 127, 16-, 24- and 32-bit samples their signed
// value. Only linked outputs get a buffer. Before the first readable
// start-wave, and for buffers whose layout differs from the announced one,
// nothing is produced.
//
// Threads and locks: the handlers run on the delivering thread inside the
// input pin's lock group, which the lock object shares; the outputs depend on
// the input with lock merging, so the whole component is one group.
// SetCountChannels runs on the main thread.
#pragma once

#include <memory>

#include "framework/data/ALStreamTypes.h"
#include "framework/data/Alsimpleaudiobuffer.h"
#include "framework/pins/OWPins.h"
#include "platform/classlib/ClassBuilder.h"

class TALCommonSplitter : public TComponent {
  CLASSLIB_CLASS(TALCommonSplitter)
public:
  static constexpr int MaxChannels = 32;

  explicit TALCommonSplitter(TComponent *AOwner);
  ~TALCommonSplitter() override;
  // SetCountChannels(2).
  void AfterConstruction() override;
  // Unlinks the input pin, stops every output, then the class library's step.
  void BeforeDestruction() override;

  TALOWAudioSinkPin *GetInputPin() const { return inputPin_.get(); }
  TOWPinList *GetOutputPins() const { return outputPins_.get(); }
  int GetCountChannels() const;
  // Clamped to 1 ... 32; pins beyond Count are freed with their links.
  virtual void SetCountChannels(int Count);
  const WAVEFORMATEXTENSIBLE &GetStreamFormat() const { return streamFormat_; }

  virtual TOWPin *CreateSourcePin() = 0;
  virtual void Reset(const WAVEFORMATEXTENSIBLE *Format) = 0;
  // A new stop, or resume, on every output.
  virtual void Stop();
  virtual void Resume();
  // Splits Buffer into one real buffer per linked output.
  virtual void Process(IALAudioBuffer *Buffer);
  // Sends Operation on every output pin in order.
  virtual void OperationDispatch(IOWNotifyOperation *Operation);
  virtual void Strip8Bits(int Channel, IALAudioBuffer *Buffer);
  virtual void Strip16Bits(int Channel, IALAudioBuffer *Buffer);
  virtual void Strip24Bits(int Channel, IALAudioBuffer *Buffer);
  virtual void Strip32Bits(int Channel, IALAudioBuffer *Buffer);
  virtual void SplitBuffer(int, ISLRealBuffer *) {}

protected:
  void SetStreamFormat(const WAVEFORMATEXTENSIBLE &Format) { streamFormat_ = Format; }
  TOWObject *GetLockObject() const { return lock_.get(); }
  TOWNotifyResult SinkDispatch(TOWPin *Sender, const TGUID *DataTypeID,
                               IOWNotifyOperation *Operation, TOWNotifyState State);
  TOWNotifyResult SourceDispatch(TOWPin *Sender, const TGUID *DataTypeID,
                                 IOWNotifyOperation *Operation, TOWNotifyState State);

private:
  // One channel as a real buffer of the samples' values; Offset turns the
  // 8-bit raw values into signed ones.
  void Strip(int Channel, IALAudioBuffer *Buffer, uint32_t Bits, int Offset);

  std::unique_ptr<TOWObject> lock_;
  TOwnedPtr<TALOWAudioSinkPin> inputPin_;
  TOwnedPtr<TOWPinList> outputPins_;
  WAVEFORMATEXTENSIBLE streamFormat_{};
};
