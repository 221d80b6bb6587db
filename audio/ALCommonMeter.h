// Level meters' base: TALCommonMeter queues the audio buffers that arrive on
// its input pin, cuts the stream into chunks of Period milliseconds however
// the buffers are cut, converts each chunk of each metered channel to floats
// and lets a descendant compute one value per channel from it. The values go
// out on one real output pin per channel and through OnValueChange: at once
// on the delivering thread (stNone) or later on the main thread
// (stSingleBuffer: the last value of each delivery; stQueue: every value),
// with the main thread's next wake-up, at the latest a display frame
// (mainloop::DisplayDelay) after the value.
//
// The stream format of the last start-wave decides widths and steps. A format
// the meter cannot read (no channels, rate 0, a container width other than
// 8, 16, 24 or 32 bits, a block smaller than its channels) meters nothing;
// buffers before the first start, or of another layout than announced, are
// dropped rather than read with the wrong stride.
//
// A channel's value goes out only when it differs from the last one sent,
// except the first value after each start: a display that rested between
// streams shows the new stream's level even when it repeats the old one.
//
// Threads and locks: the input handler runs on the delivering thread with the
// input pin's lock group held, which the meter's lock object shares.
// ProcessQueue, the main-thread delivery, InitBuffers and the setters of
// SynchronizeType, OnValueChange and Period take the meter's write lock.
// SetCountChannels and GetActiveChannels take none (main thread).
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "framework/data/ALStreamTypes.h"
#include "framework/data/Alsimpleaudiobuffer.h"
#include "framework/data/SLClockGen.h"
#include "framework/data/SLRealQueue.h"
#include "framework/data/Slsynctypes.h"
#include "framework/pins/OWPins.h"
#include "framework/pins/OWStdTypes.h"
#include "platform/classlib/ClassBuilder.h"

// AValue: the value of channel AChannel in sample units; AMax: the full-scale
// value 2^(container bits - 1) - 1 of the stream.
using TALMeterValueChangeEvent = void(TObject *Sender, int AChannel, double AValue, double AMax);

// One queued buffer.
class TALObjectWrapper {
public:
  explicit TALObjectWrapper(IALAudioBufferPtr Buffer) : Buffer(std::move(Buffer)) {}
  IALAudioBufferPtr Buffer;
};

// The meter's queue of whole buffers. No lock: the meter guards it.
class TALMeterBufferQueue {
public:
  // Appends a buffer sharing Buffer's store.
  void Push(IALAudioBuffer *Buffer);
  // Drops the first buffer, if any.
  void Pop();
  // The same, handing the dropped buffer out (empty when none).
  void Pop(IALAudioBufferPtr &Buffer);
  bool GetBuffer(int Index, IALAudioBufferPtr &Buffer) const;
  int GetCount() const { return static_cast<int>(items_.size()); }
  // Frames in all queued buffers.
  uint64_t GetQueuedFrames() const { return queuedFrames_; }
  void Clear();

private:
  std::deque<std::unique_ptr<TALObjectWrapper>> items_;
  uint64_t queuedFrames_ = 0;
};

class TALCommonMeter : public TComponent {
  CLASSLIB_CLASS(TALCommonMeter)
public:
  // Values that a ProcessQueue pass fills: one per possible channel.
  static constexpr int MaxChannels = 32;

  explicit TALCommonMeter(TComponent *AOwner);
  ~TALCommonMeter() override;
  void AfterConstruction() override;
  // Unlinks the input pin and stops, then the class library's step.
  void BeforeDestruction() override;

  TALOWAudioSinkPin *GetInputPin() const { return inputPin_.get(); }
  TOWPinList *GetOutputPins() const { return outputPins_.get(); }
  TOWRealSourcePin *GetOutputPin(int Index) const;

  int GetCountChannels() const;
  // Clamped to 1 ... 32; the value queues start empty.
  void SetCountChannels(int Count);
  // min(output pins, channels of the stream); 0 until a readable start-wave.
  int GetActiveChannels() const;
  TSLSynchronizeType GetSynchronizeType() const { return synchronizeType_; }
  void SetSynchronizeType(TSLSynchronizeType Value);
  uint32_t GetPeriod() const { return period_; }
  // ERangeError when the chunk of the running stream would pass the largest
  // buffer (4-byte floats in a store of SLMaxStoreSize); nothing changes then.
  virtual void SetTimePeriod(uint32_t Milliseconds);
  void SetValueChange(std::function<TALMeterValueChangeEvent> Handler);
  const WAVEFORMATEXTENSIBLE &GetStreamFormat() const { return streamFormat_; }
  uint32_t GetReadPosition() const { return readPosition_; }
  const TALMeterBufferQueue &GetBufferQueue() const { return bufferQueue_; }

  // Chunk length in frames: Period x rate / 1000, at least 1, at most the
  // largest chunk a buffer holds.
  virtual uint32_t GetBufferSize();
  // A start: the format, full scale, empty queues, read position 0. Null:
  // nothing.
  virtual void Reset(const WAVEFORMATEXTENSIBLE *Format);
  virtual void Stop() {}
  virtual void ProcessQueue();
  // One cleared chunk buffer per channel of the stream format.
  virtual void InitBuffers();
  // Converts the next chunk of each metered channel into its chunk buffer.
  virtual void FillInternalBuffers();
  // One value per metered channel from the chunk buffers.
  virtual void GetMeterValue(double *Values) = 0;
  void ProcessSampleChunk(double *Values);

  TEvent<TALMeterValueChangeEvent> OnValueChange;

protected:
  TOWObject *GetLockObject() const { return lock_.get(); }
  // The chunk of channel Channel (GetBufferSize floats); null beyond them.
  float *ChunkData(int Channel);
  uint32_t ChunkFrames() const { return chunkFrames_; }
  // The input pin's handler.
  TOWNotifyResult SinkDispatch(TOWPin *Sender, const TGUID *DataTypeID,
                               IOWNotifyOperation *Operation, TOWNotifyState State);

private:
  // The main-thread delivery.
  void DoProgress();
  void Deliver(int Channel, double Value);
  // True when Buffer has the layout of the stream format.
  bool MatchesStream(IALAudioBuffer *Buffer) const;

  TOwnedPtr<TALOWAudioSinkPin> inputPin_;
  TOwnedPtr<TOWPinList> outputPins_;
  std::unique_ptr<TOWObject> lock_;
  WAVEFORMATEXTENSIBLE streamFormat_{};
  std::unique_ptr<TSLMainThreadNotify> notifier_;
  std::vector<std::unique_ptr<TSLRealQueue>> valueQueues_;
  std::atomic<TSLSynchronizeType> synchronizeType_{stSingleBuffer};
  uint32_t period_ = 100;
  double fullScale_ = 0;
  uint32_t readPosition_ = 0;
  // Bit ch: channel ch has sent a value since the last start.
  uint32_t sentSinceStart_ = 0;
  std::vector<com::TComPtr<TSLBlockBuffer>> chunkBuffers_;
  uint32_t chunkFrames_ = 0;
  TALMeterBufferQueue bufferQueue_;
};

// The largest chunk in frames (4-byte floats in one store).
inline constexpr uint64_t ALMaxMeterChunkFrames = SLMaxStoreSize / sizeof(float);
