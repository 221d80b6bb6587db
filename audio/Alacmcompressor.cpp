#include "audio/Alacmcompressor.h"

#include <cstring>

TALAcmCompressor::TALAcmCompressor() {
  for (auto &s : scratch_)
    s = com::MakeCom<TALAudioBuffer>();
}

TALAcmCompressor::~TALAcmCompressor() { CloseCompressor(); }

bool TALAcmCompressor::OpenCompressor(const WAVEFORMATEX *Source, const WAVEFORMATEX *Target) {
  for (bool &f : first_)
    f = true;
  CloseCompressor();
  WAVEFORMATEX a{}, b{};
  a.wFormatTag = WAVE_FORMAT_PCM;
  b.wFormatTag = WAVE_FORMAT_PCM;
  // The PCM nearest the source, and the PCM the target's codec works from.
  if (acmFormatSuggest(nullptr, Source, &a, sizeof a, ACM_FORMATSUGGESTF_WFORMATTAG) !=
          MMSYSERR_NOERROR ||
      acmFormatSuggest(nullptr, Target, &b, sizeof b, ACM_FORMATSUGGESTF_WFORMATTAG) !=
          MMSYSERR_NOERROR) {
    CloseCompressor();
    return false;
  }
  const WAVEFORMATEX *from[3] = {Source, &a, &b};
  const WAVEFORMATEX *to[3] = {&a, &b, Target};
  for (int i = 0; i < 3; ++i)
    if (acmStreamOpen(&stage_[i], nullptr, from[i], to[i], nullptr, 0, 0,
                      ACM_STREAMOPENF_NONREALTIME) != MMSYSERR_NOERROR) {
      CloseCompressor();
      return false;
    }
  return true;
}

void TALAcmCompressor::CloseCompressor() {
  for (HACMSTREAM &s : stage_) {
    if (s)
      acmStreamClose(s, 0);
    s = nullptr;
  }
}

bool TALAcmCompressor::CompressStream(const uint8_t *Data, uint32_t Bytes, uint32_t &OutBytes,
                                      TALAudioBuffer *Destination, bool &First, int Stage,
                                      bool End) {
  HACMSTREAM s = stage_[Stage];
  if (!s)
    return false;
  uint32_t size = 0;
  if (acmStreamSize(s, Bytes, &size, ACM_STREAMSIZEF_SOURCE) != MMSYSERR_NOERROR)
    return false;
  if (Destination->GetByteSize() < size)
    Destination->Resize(size, false);
  ACMSTREAMHEADER h{};
  h.cbStruct = sizeof h;
  h.pbSrc = const_cast<uint8_t *>(Data);
  h.cbSrcLength = Bytes;
  h.pbDst = size ? Destination->Write() : nullptr;
  h.cbDstLength = size;
  if (acmStreamPrepareHeader(s, &h, 0) != MMSYSERR_NOERROR)
    return false;
  uint32_t flags = ACM_STREAMCONVERTF_BLOCKALIGN;
  if (First)
    flags |= ACM_STREAMCONVERTF_START;
  if (End)
    flags |= ACM_STREAMCONVERTF_END;
  const MMRESULT r = acmStreamConvert(s, &h, flags);
  acmStreamUnprepareHeader(s, &h, 0);
  if (r != MMSYSERR_NOERROR)
    return false;
  First = false;
  OutBytes = h.cbDstLengthUsed;
  return true;
}

void TALAcmCompressor::RunStages(const uint8_t *Data, uint32_t Bytes, bool End,
                                 IALAudioBufferPtr &OutBuffer, uint32_t &OutBytes) {
  OutBytes = 0;
  OutBuffer = IALAudioBufferPtr(scratch_[0].Get());
  uint32_t bytes1 = 0, bytes2 = 0, bytes3 = 0;
  // Stage 1 into scratch 1, stage 2 into scratch 2, stage 3 back into scratch 1.
  // Stage 2 reads scratch 1 and stage 3 scratch 2 before they are written again.
  if (!CompressStream(Data, Bytes, bytes1, scratch_[0].Get(), first_[0], 0, End))
    return;
  if (!CompressStream(scratch_[0]->Read(), bytes1, bytes2, scratch_[1].Get(), first_[1], 1, End))
    return;
  if (!CompressStream(scratch_[1]->Read(), bytes2, bytes3, scratch_[0].Get(), first_[2], 2, End))
    return;
  OutBytes = bytes3;
}

void TALAcmCompressor::CompressBuffer(ISLDataBuffer *Input, IALAudioBufferPtr &OutBuffer,
                                      uint32_t &OutBytes) {
  OutBytes = 0;
  OutBuffer = IALAudioBufferPtr(scratch_[0].Get());
  if (!Input || !GetOpened())
    return;
  RunStages(Input->ByteRead(), Input->GetByteSize(), false, OutBuffer, OutBytes);
}

void TALAcmCompressor::FlushBuffer(IALAudioBufferPtr &OutBuffer, uint32_t &OutBytes) {
  OutBytes = 0;
  OutBuffer = IALAudioBufferPtr(scratch_[0].Get());
  if (!GetOpened())
    return;
  RunStages(nullptr, 0, true, OutBuffer, OutBytes);
  for (bool &f : first_)
    f = true;
}
