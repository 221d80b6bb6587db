// The wave logger's compressor: a chain of three compression-manager streams
// from the logged PCM format to a compressed target format (stage 1: the
// source to its nearest PCM, stage 2: that PCM to the PCM the target's codec
// works from, stage 3: that PCM to the target).
//
// The streams hold back what does not fill a whole block, so no buffer's tail
// is lost between buffers; FlushBuffer hands out the last, padded block at the
// end of a take and must run before CloseCompressor when the file is to be
// complete. A stage that fails makes the whole buffer yield no bytes, never
// bytes of another stage.
//
// Threads: used by its logger only, on the logger's writing thread, inside the
// logger's file operations; no lock of its own.
#pragma once

#include <cstdint>

#include "audio/Alacm.h"
#include "framework/data/Alsimpleaudiobuffer.h"
#include "platform/classlib/ClassBuilder.h"

class TALAcmCompressor : public TObject {
  CLASSLIB_SIMPLE_CLASS(TALAcmCompressor, TObject)

public:
  // Two empty scratch buffers (8-bit mono: one frame per byte), no stream.
  TALAcmCompressor();
  ~TALAcmCompressor() override;

  // Opens the three stages from Source (a PCM record) to Target (a record with
  // its cbSize extra bytes). False, with every stage closed, when a
  // suggestion or a stage cannot be had.
  bool OpenCompressor(const WAVEFORMATEX *Source, const WAVEFORMATEX *Target);
  // Closes the stages; bytes still held back are dropped (see FlushBuffer).
  void CloseCompressor();
  // Whether stage 1 exists.
  bool GetOpened() const { return stage_[0] != nullptr; }

  // Compresses the bytes of Input. OutBuffer is the compressor's scratch buffer
  // holding OutBytes compressed bytes (whole target blocks), valid until the
  // next call; OutBytes is 0 when nothing whole is ready yet or a stage failed.
  void CompressBuffer(ISLDataBuffer *Input, IALAudioBufferPtr &OutBuffer, uint32_t &OutBytes);
  // Converts what the stages still hold, the last target block padded with
  // silence; as CompressBuffer for the results. The next CompressBuffer starts
  // a new stream.
  void FlushBuffer(IALAudioBufferPtr &OutBuffer, uint32_t &OutBytes);

private:
  // One stage from Data/Bytes into Destination; false when the stage failed.
  bool CompressStream(const uint8_t *Data, uint32_t Bytes, uint32_t &OutBytes,
                      TALAudioBuffer *Destination, bool &First, int Stage, bool End);
  void RunStages(const uint8_t *Data, uint32_t Bytes, bool End, IALAudioBufferPtr &OutBuffer,
                 uint32_t &OutBytes);

  HACMSTREAM stage_[3] = {nullptr, nullptr, nullptr};
  bool first_[3] = {true, true, true};
  com::TComPtr<TALAudioBuffer> scratch_[2];
};
