// The audio filter base: one audio input, one audio output and an enable
// pin. Control operations pass through; each audio buffer goes from the input
// through the descendant's hook to the output, as a second buffer that shares
// the input's samples until the hook writes to it (so a disabled filter, or a
// hook that leaves the buffer alone, passes the samples on without copying).
//
// It shares the signal filters' base (SLCommonFilter.h) for what is the same:
// the component's lock object, the Enabled switch and the enable pin. The
// lock object, the input pin and the output pin form one lock group.
//
// Threads: operations arrive on the sender's thread with the global lock read
// and the group held; a processed buffer is submitted downstream on the same
// thread. SetEnabled takes the group lock, so it waits for a dispatch under
// way.
#pragma once

#include <atomic>
#include <thread>

#include "framework/data/ALStreamTypes.h"
#include "framework/data/Alsimpleaudiobuffer.h"
#include "framework/data/SLCommonFilter.h"

class TALCommonFilter : public TSLCommonFilter {
  CLASSLIB_CLASS(TALCommonFilter)
public:
  explicit TALCommonFilter(TComponent *AOwner);
  ~TALCommonFilter() override;
  // Unlinks the input pin (its source's stop runs Stop), then the class
  // library's step.
  void BeforeDestruction() override;

  TALOWAudioSinkPin *GetInputPin() const { return inputPin_.get(); }
  TALOWAudioSourcePin *GetOutputPin() const { return outputPin_.get(); }
  // The format of the last start-wave; zero until then.
  const WAVEFORMATEXTENSIBLE *GetWaveFormat() const { return &currentFormat_; }

  virtual TOWNotifyResult SinkDispatch(TOWPin *Sender, const TGUID *DataTypeID,
                                       IOWNotifyOperation *Operation, TOWNotifyState State);
  virtual TOWNotifyResult SourceDispatch(TOWPin *Sender, const TGUID *DataTypeID,
                                         IOWNotifyOperation *Operation, TOWNotifyState State);
  // FilterInternalOperation when the output is linked.
  virtual void InternalOperation(IALAudioBuffer *InBuffer, IALAudioBufferPtr &OutBuffer,
                                 bool OutputConnected, bool &SendOutput);
  // The processing hook of descendants; nothing here.
  virtual void FilterInternalOperation(IALAudioBuffer *, IALAudioBufferPtr &, bool &) {}
  using TSLCommonFilter::Reset;
  // Keeps the operation's format and forwards the operation downstream.
  virtual void Reset(TOWStartWaveOperation *Operation);
  // Forwards the operation upstream.
  virtual void MasterPump(TOWMasterPumpOperation *Operation);
  void Stop() override { TSLCommonFilter::Stop(); }

protected:
  WAVEFORMATEXTENSIBLE &CurrentFormat() { return currentFormat_; }
  // True on the thread that is inside the input pin's buffer dispatch, whose
  // delivery holds the component's lock group.
  bool InBufferDispatch() const { return dispatchThread_.load() == std::this_thread::get_id(); }

private:
  TOwnedPtr<TALOWAudioSinkPin> inputPin_;
  TOwnedPtr<TALOWAudioSourcePin> outputPin_;
  WAVEFORMATEXTENSIBLE currentFormat_{};
  std::atomic<std::thread::id> dispatchThread_{};
};
