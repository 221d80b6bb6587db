// The audio-to-real converter: a splitter whose outputs are real-buffer
// source pins. Each output stream starts with the sample rate of the audio
// (buffer size 0) and carries one real buffer per input buffer.
#pragma once

#include "audio/ALCommonSplitter.h"

class TALAudioToReal : public TALCommonSplitter {
  CLASSLIB_SIMPLE_CLASS(TALAudioToReal, TALCommonSplitter)
public:
  using TALCommonSplitter::TALCommonSplitter;

  TOWPin *CreateSourcePin() override;
  // Keeps the format and starts every output at its sample rate.
  void Reset(const WAVEFORMATEXTENSIBLE *Format) override;
  void SplitBuffer(int Channel, ISLRealBuffer *Buffer) override;
  TSLOWRealSourcePin *GetOutputPin(int Index) const;
};

void ALAudioToRealRegister();
