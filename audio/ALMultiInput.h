// The base of components that combine several audio streams, each on its own
// queued input pin, into one output stream. It waits until every connected
// input has started (or declared that it will not deliver), takes the highest
// input rate as the output rate, sends one start-wave downstream, queues each
// input's buffers and, whenever every streaming input holds enough frames for
// one output buffer, lets the descendant build and send it. Inputs with a
// lower rate are stretched to the output length by nearest index.
//
// An input whose start-wave cannot be read (no channels, rate 0, a container
// width other than 8, 16, 24 or 32 bits) counts as one that will not deliver;
// buffers on an input without a stream, or at another rate than announced,
// are dropped.
//
// Threads and locks: the input pins, the output pin and the lock object share
// one group, so all inputs (typically on their own notify threads) and the
// merging are serialised; the output buffer and every downstream sink run on
// the thread of the input whose buffer completed the set.
//
// A start-wave (or a resume before the start) asks the sources of the inputs
// that have no stream yet, upstream, under the group lock. Upstream delivery
// takes the source's lock after the group's, so two inputs must not deliver
// their start-waves on two threads at once: the capture components send them
// on the thread that runs their graphs, and only their buffers on their own.
#pragma once

#include <deque>
#include <memory>
#include <vector>

#include "framework/data/ALAudioFormat.h"
#include "framework/data/ALStreamTypes.h"
#include "framework/data/Alsimpleaudiobuffer.h"
#include "framework/pins/OWStdTypes.h"
#include "platform/classlib/ClassBuilder.h"

// A queue of audio buffers read out by frame counts.
class TALVariantQueue {
public:
  void Push(IALAudioBuffer *Buffer);
  // Fills Buffer (all its frames) from the front of the queue, converting
  // widths; false, and nothing taken, when fewer frames are queued.
  bool Pop(IALAudioBuffer *Buffer);
  // Copies what is queued, at most Buffer's frames, to the front of Buffer
  // and empties the queue; the frames copied.
  uint32_t PopRest(IALAudioBuffer *Buffer);
  void Clear();
  uint64_t GetCollected() const { return collected_; }

private:
  std::deque<IALAudioBufferPtr> items_;
  uint64_t collected_ = 0;
  uint32_t offset_ = 0;
};

class TALOWQueuedAudioSinkPin : public TALOWAudioSinkPin {
  CLASSLIB_SIMPLE_CLASS(TALOWQueuedAudioSinkPin, TALOWAudioSinkPin)
public:
  using TALOWAudioSinkPin::TALOWAudioSinkPin;

  // A start: accumulator 0, the format kept, streaming and running.
  void StartRate(const WAVEFORMATEXTENSIBLE &Format);
  // A stop: refilling, ignored, not running; the stream lasts while queued
  // data is left.
  void StopFull();
  // Sends Operation upstream once per whole output-rate step of this input.
  void MasterPump(IOWNotifyOperation *Operation, double OutputRate);
  double GetRate() const { return format.Format.nSamplesPerSec; }

  int32_t framesPerOutput = 0;
  TALVariantQueue queue;
  bool enabled = true;
  bool hasStream = false;
  bool running = false;
  WAVEFORMATEXTENSIBLE format{};
  bool ignored = false;
  // The last start could not be read: the input delivers nothing until the
  // next start.
  bool badFormat = false;
  bool resumed = false;
  bool refill = false;
  double accumulator = 0;
};

class TALMultiInput : public TComponent {
  CLASSLIB_CLASS(TALMultiInput)
public:
  explicit TALMultiInput(TComponent *AOwner);
  ~TALMultiInput() override;
  // Every queued pin unlinks, IntStop, then the class library's step.
  void BeforeDestruction() override;

  TALOWAudioSourcePin *GetOutputPin() const { return outputPin_.get(); }
  TALAudioFormat *GetAudioFormat() const { return format_.get(); }
  // Copies Value's properties into the owned record.
  void SetAudioFormat(TALAudioFormat *Value);
  uint32_t GetBuffersAhead() const { return buffersAhead_; }
  int GetQueuedPinCount() const { return static_cast<int>(queuedPins_.size()); }
  TALOWQueuedAudioSinkPin *GetQueuedPin(int Index) const {
    return queuedPins_.at(static_cast<size_t>(Index));
  }

  virtual TOWNotifyResult SinkDispatch(TOWPin *Sender, const TGUID *DataTypeID,
                                       IOWNotifyOperation *Operation, TOWNotifyState State);
  virtual TOWNotifyResult SourceDispatch(TOWPin *Sender, const TGUID *DataTypeID,
                                         IOWNotifyOperation *Operation, TOWNotifyState State);
  // kept: virtual slots of the component; no descendant overrides them
  virtual bool GetStopOnNoStreams() { return true; }
  virtual bool GetCanStart() { return true; }
  virtual bool GetShouldStop() { return false; }
  virtual void CalculateRate();
  virtual void TrySend();
  virtual void CalculateSendOutput() {}
  virtual void IntStop();
  virtual TALOWQueuedAudioSinkPin *QueuedPinCreateFunction();
  virtual void QueuedPinDestroyFunction(TALOWQueuedAudioSinkPin *Pin);
  virtual void DoChange();
  // A resume downstream once every queued pin has seen one.
  // kept: public member; no component calls it
  void AttemptResume();

protected:
  TOWObject *GetLockObject() const { return lock_.get(); }
  void SetBuffersAheadValue(uint32_t Value) { buffersAhead_ = Value; }
  // Called when a start-wave goes downstream.
  virtual void StreamStarted() {}
  bool CalculateRateInt();
  void SetSampleRates();
  bool IsStartReady(TALOWQueuedAudioSinkPin *Pin);
  bool IsReady(TALOWQueuedAudioSinkPin *Pin);
  void AttemptStop();
  // True when every linked input is ready for one output buffer.
  bool CanSend();
  // Sends what stopped inputs left, then AttemptStop.
  void Flush();
  bool IsQueuedPin(TOWPin *Pin) const;

private:
  TOwnedPtr<TALOWAudioSourcePin> outputPin_;
  std::vector<TALOWQueuedAudioSinkPin *> queuedPins_;
  bool started_ = false;
  bool pumpPending_ = false;
  bool rateCalculated_ = false;
  std::unique_ptr<TOWObject> lock_;
  uint32_t buffersAhead_ = 5;
  std::unique_ptr<TALAudioFormat> format_;
  double outputRate_ = 0;
  bool inCalculation_ = false;
};
