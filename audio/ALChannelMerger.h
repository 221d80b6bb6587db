// The channel merger: one input pin per output channel; channel i of the
// output is the first channel of input i, converted to the output's sample
// width. Channels of inputs without data are silent. After BuffersAhead + 1
// output buffers of each stream a resume goes downstream.
#pragma once

#include "audio/ALMultiInput.h"

class TALChannelMerger : public TALMultiInput {
  CLASSLIB_CLASS(TALChannelMerger)
public:
  explicit TALChannelMerger(TComponent *AOwner);
  ~TALChannelMerger() override;

  TOWPinList *GetInputPins() const { return inputPins_.get(); }
  TALOWQueuedAudioSinkPin *GetInputPin(int Index) const;
  // 0 stores 1; under the write lock.
  void SetBuffersAhead(uint32_t Value);

  // Pins follow AudioFormat.Channels, then the base's step.
  void DoChange() override;
  TALOWQueuedAudioSinkPin *QueuedPinCreateFunction() override;
  void QueuedPinDestroyFunction(TALOWQueuedAudioSinkPin *Pin) override;
  void CalculateSendOutput() override;
  // Fills Buffer from Pin's queue, stretched by nearest index to Buffer's
  // length; false when the queue held too little for an unstretched buffer.
  bool StretchLoadBuffer(TALOWQueuedAudioSinkPin *Pin, IALAudioBuffer *Buffer);
  // The first channel of Stretch into channel Channel of Output.
  void MergeBuffer(IALAudioBuffer *Stretch, IALAudioBuffer *Output, int Channel);

protected:
  void StreamStarted() override { resumeCounter_ = 0; }

private:
  TOwnedPtr<TOWPinList> inputPins_;
  uint32_t resumeCounter_ = 0;
};

// kept: the component's registration; the recorder does not use it
void ALChannelMergerRegister();
