// The audio output component: plays the audio stream that reaches its input
// pin on an output device. For every stream (start-wave) it builds a render
// graph in which the system's own push-source filter ("AudioSource") feeds
// the device's renderer ("Audio Render"); incoming buffers wait in a locked
// list, and the delivery thread (TALPlayerThread) pushes them into the source
// filter with sample times: a stamped buffer keeps its own, an unstamped one
// continues where the previous one ended (frames x 10^7 / rate). The graph
// runs when the stream's resume arrives (buffers collected before are played
// at once, in order) and pauses and resumes with the stream.
//
// With EnableMasterPumping the component claims the upstream player's pump
// request and paces it from the graph's reference clock: every period of the
// clock (one buffer's duration) wakes the clock thread, which pulls one buffer
// upstream and dispatches one queued operation; the graph is torn down once
// the stream has ended (below).
//
// The end of the data (an end-stop) ends the stream without cutting it: the
// queued buffers are played, the source filter then ends the stream, the
// renderer drains the device and its completion (EC_COMPLETE) stops the
// graph. A plain stop (a stop asked for) stops the graph at once and drops
// whatever was not played yet.
//
// Failures go through the graph owner's Error (raised on the main thread,
// handed to the main thread from any other). Device lost or graph aborted:
// Stop; buffers arriving afterwards are dropped until the next start-wave.
//
// Threads and locks:
// - Operations arrive on the sender's thread (the player's clock thread or
//   the main thread); their dispatch is serialised under the input pin's
//   write lock, which is the lock of the link group.
// - The buffer list has its own critical section, never held while a buffer
//   is sent. The delivery thread holds its own critical section for a whole
//   run of deliveries; Stop takes it (Block) before it stops the graph, so no
//   delivery waits on a stopped graph and none starts until Unblock.
// - The clock thread pulls upstream without a lock, then takes the input
//   pin's write lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "directshow/ALDSOutputDevice.h"
#include "directshow/DSBaseClass.h"
#include "directshow/DSGraphProperty.h"
#include "directshow/Dssources.h"
#include "framework/data/ALStreamTypes.h"
#include "framework/data/Alsimpleaudiobuffer.h"
#include "framework/data/SLClockGen.h"
#include "framework/data/SLVariantStorages.h"
#include "framework/pins/OWStdTypes.h"
#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/Component.h"
#include "platform/media/Interfaces.h"
#include "platform/sys/Sync.h"
#include "platform/sys/Thread.h"

class TALDSAudioOut;

// The delivery thread of an output component (highest priority).
class TALPlayerThread final : public sys::TThread {
public:
  explicit TALPlayerThread(TALDSAudioOut *Owner);
  // Terminates, wakes and waits for the thread.
  ~TALPlayerThread() override;
  TALPlayerThread(const TALPlayerThread &) = delete;
  TALPlayerThread &operator=(const TALPlayerThread &) = delete;

  // Waits for a delivery in progress to finish and holds the next one back.
  void Block();
  void Unblock();
  void SignalData();
  void Terminate() override;

protected:
  void Execute() override;

private:
  TALDSAudioOut *const owner_;
  sys::TCriticalSection lock_;
  sys::TEvent data_{sys::TEventReset::Auto, false};
  sys::TEvent run_{sys::TEventReset::Manual, true};
  sys::TEvent done_{sys::TEventReset::Auto, false};
};

class TALDSAudioOut : public TComponent {
  CLASSLIB_CLASS(TALDSAudioOut)

public:
  explicit TALDSAudioOut(TComponent *AOwner);
  ~TALDSAudioOut() override;
  void BeforeDestruction() override;

  void Open();
  void Close();
  // Ends the current stream: the list is cleared, the graph stops (it stays
  // built). Nothing when no stream is active.
  void Stop();
  // kept: public members; no component calls them
  void Disable();
  void Enable();

  bool GetEnabled() const { return enabled_; }
  void SetEnabled(bool Value) { enabled_ = Value; }
  TDSAudioOutputDevice *GetAudioOutputDevice() const { return device_.get(); }
  void SetAudioOutputDevice(TDSAudioOutputDevice *Value);
  TDSGraph *GetGraph() const { return graph_.get(); }
  void SetGraph(TDSGraph *Value);
  bool EnableMasterPumping = false;
  TALOWAudioSinkPin *GetInputPin() const { return inputPin_.get(); }
  TOWBoolStatePin *GetEnablePin() const { return enablePin_.get(); }
  // kept: public read-only access; the program does not read it
  TDSSwitches *GetVC_AudioTargets() const { return targets_.get(); }

  bool GetConnected() const { return connected_; }
  bool GetRunning() const { return running_; }
  bool GetActive() const { return active_; }
  // The stream format in use (the default one before any start-wave).
  const WAVEFORMATEXTENSIBLE &GetStreamFormat() const { return streamFormat_; }
  // The source filter of the current graph (null when none).
  TDSAudioSourceFilter *GetSourceFilter() const;
  // Called on the delivery thread with the times and size of every buffer
  // handed to the source filter, once SendData has returned (monitoring).
  std::function<void(int64_t Start, int64_t Stop, int32_t Bytes)> OnDeliver;

private:
  friend class TALPlayerThread;

  TOWNotifyResult SinkDispatch(TOWPin *Sender, const TGUID *DataTypeID,
                               IOWNotifyOperation *Operation, TOWNotifyState State);
  void ProcessQueue();
  void IntDispatch(IOWNotifyOperation *Operation);
  void Reset();
  void IntStart();
  bool StartRun();
  void IntPause();
  void IntResume();
  void MasterPump();
  void RenderAudio(IALAudioBuffer *Buffer);
  void PlayBuffers();
  void PlayOneBuffer(IALAudioBuffer *Buffer, TDSAudioSourceFilter *Filter);
  void OnThreadClockEvent();
  // Makes the reference clock wake the clock thread every Duration (when it
  // does not already at that period).
  void ArmClock(int64_t Duration);
  void GraphEvent(media::LONG code, media::LONG_PTR p1, media::LONG_PTR p2);
  void OnDeviceChanged(TObject *Sender);
  // Signals the delivery thread when buffers wait and the graph runs.
  void SignalIfPending();

  bool InitCaptureFilters();
  bool BuildGraph();
  bool IntBuildGraph();
  void DestroyGraph();
  void FreeFilters();
  void CleanUp() { FreeFilters(); }

  std::unique_ptr<TALPlayerThread> playerThread_;
  sys::TCriticalSection listLock_;
  TOwnedPtr<TALOWAudioSinkPin> inputPin_;
  TOwnedPtr<TOWBoolStatePin> enablePin_;
  std::atomic<bool> enabled_{true};
  std::atomic<bool> pumpClaimed_{false};
  int32_t pumpPriority_ = 0;
  std::unique_ptr<TDSAudioOutputDevice> device_;
  WAVEFORMATEXTENSIBLE streamFormat_{};
  bool prePumpEnabled_ = true;
  std::atomic<bool> active_{false};
  std::unique_ptr<TDSGraph> graph_;
  com::TComPtr<media::ICaptureGraphBuilder2> builder_;
  com::TComPtr<media::IMediaControl> mediaControl_;
  bool built_ = false;
  com::TComPtr<media::IReferenceClock> refClock_;
  com::TComPtr<media::IMediaFilter> mediaFilter_;
  com::TComPtr<media::IBaseFilter> sourceBase_;
  com::TComPtr<TDSAudioSourceFilter> sourceFilter_; // listLock_
  media::DWORD_PTR adviseCookie_ = 0;
  com::TComPtr<media::IMoniker> moniker_;
  com::TComPtr<media::IBaseFilter> renderer_;
  std::atomic<bool> connected_{false};
  int64_t nextSampleTime_ = 0;
  int32_t streamBufferSize_ = 0;
  std::unique_ptr<TSLClockThread> clockThread_;
  std::atomic<bool> prePumping_{false};
  int64_t armedPeriod_ = -1;
  std::atomic<bool> advised_{false};
  std::mutex armLock_;                              // the periodic advise's arming
  std::unique_ptr<TSLOperationList> bufferList_;    // listLock_
  std::unique_ptr<TSLOperationList> operationList_; // input pin's group
  std::unique_ptr<TDSSwitches> targets_;
  std::atomic<bool> running_{false};
  std::atomic<bool> paused_{false};
  std::atomic<bool> disabled_{false};
  std::atomic<bool> stopAsked_{false};
  std::atomic<bool> endSent_{false}; // the source filter has ended the stream
  std::atomic<bool> resumed_{false};
  bool destroyed_ = false;
};

// Registers TALDSAudioOut with the class library (the design-time palette).
void ALDSAudioOutRegister();
