// The audio capture component: records one capture device through a filter
// graph (device filter -> sample grabber set to the component's PCM format,
// buffers of AudioFormat.BufferSize frames) and delivers what it hears as
// time-stamped audio buffers on its output pin.
//
// One take, as the pins see it: a start-wave operation carrying the stream's
// 40-byte format, sent on the caller's thread before Start returns; then the
// buffers on the notify thread, with one resume right after the first; then a
// stop, sent on the thread that stops the take. When the device is lost or the
// graph aborts, the blocks captured so far are still delivered and the stop
// reaches the sinks on the main thread, so a logger closes a complete file.
//
// Failures go through the graph owner's Error: a failed graph build leaves
// the component closed (the next Start tries again); a Run that fails (a busy
// device) raises "Can't start capture." to the caller of Start, after the
// sinks that were sent the start-wave have been sent a stop.
//
// Threads and locks:
// - Main thread: construction, Loaded, Start, Stop, building and tearing down
//   the graph, the start-wave and stop operations and the graph events (the
//   graph owner delivers those inside a write section on the lock object).
// - The graph's streaming thread: NewAudioBuffer only. It touches the block
//   queue (own lock) and the notify thread's wake, never the component lock.
// - The notify thread: NewDataBufferNotify, every sink's buffer and resume
//   handling, inside a write section on the lock object. IntStop and StopRun
//   take the same section, so a stop waits for a drain in progress, and no
//   drain runs between the graph's Stop and the stop operation.
// - The output pin shares the lock object's group.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "directshow/DSCaptureDevice.h"
#include "directshow/DSGraphProperty.h"
#include "directshow/Dsbufferqueue.h"
#include "directshow/Dssamplegrabber.h"
#include "directshow/Dssources.h"
#include "framework/data/ALAudioFormat.h"
#include "framework/data/ALStreamTypes.h"
#include "framework/data/Alsimpleaudiobuffer.h"
#include "framework/data/Slnotifythread.h"
#include "framework/pins/OWStdTypes.h"
#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/Component.h"
#include "platform/classlib/Lists.h"
#include "platform/media/Interfaces.h"

// The property dialogs a capture graph may offer.
enum TALDSCaptureDialog : uint8_t { cdAudioCapture, cdTVAudio, cdAudioCapturePin };
// A set over TALDSCaptureDialog: bit (1 << kind).
using TALDSCaptureDialogs = uint8_t;

// One capture format a device offers: the 40-byte format followed by the nine
// ranges of its capability record (channels, bits, frequency: minimum,
// maximum, granularity).
class TALAudioModeFormat : public TObject {
public:
  TALAudioModeFormat() = default;
  WAVEFORMATEXTENSIBLE *GetFormat() { return &Format; }

  WAVEFORMATEXTENSIBLE Format{};
  uint32_t Caps[9]{};
};

class TALAudioModes : public TObject {
public:
  int GetCount() const { return static_cast<int>(modes_.size()); }
  // kept: public member of the mode list
  TALAudioModeFormat *GetModes(int index) const { return modes_.at(size_t(index)).get(); }
  void Clear() { modes_.clear(); }
  // Lists every capability of the stream configuration whose format is a
  // wave format; answers the failing call's result, E_FAIL for a capability
  // record that is not 52 bytes, else 0.
  HRESULT LoadFromStreamConfig(media::IAMStreamConfig *config);

private:
  std::vector<std::unique_ptr<TALAudioModeFormat>> modes_;
};

class TALDSAudioIn : public TComponent {
  CLASSLIB_CLASS(TALDSAudioIn)

public:
  explicit TALDSAudioIn(TComponent *AOwner);
  ~TALDSAudioIn() override;
  void BeforeDestruction() override;
  void Loaded() override;

  // Builds the graph when needed, sends the start-wave and runs the graph;
  // nothing when already running.
  void Start();
  // Stops the graph and sends the stop; nothing when not running.
  void Stop();
  void Open();
  void Close();

  // Designing or loading: the stored value. At run time: whether it runs.
  bool GetEnabled() const;
  void SetEnabled(bool Value);
  bool GetConnected() const { return connected_; }
  // kept: public member; the program does not call it
  void SetConnected(bool Value);
  bool GetRunning() const { return running_; }

  TALAudioFormat *GetAudioFormat() const { return audioFormat_.get(); }
  void SetAudioFormat(TALAudioFormat *Value);
  TDSAudioCaptureDevice *GetAudioCaptureDevice() const { return device_.get(); }
  void SetAudioCaptureDevice(TDSAudioCaptureDevice *Value);
  TDSGraph *GetGraph() const { return graph_.get(); }
  void SetGraph(TDSGraph *Value);
  TALOWAudioSourcePin *GetOutputPin() const { return outputPin_.get(); }
  TOWBoolStatePin *GetEnablePin() const { return enablePin_.get(); }

  // kept: the component's public read-only access; the program reads none of it
  bool GetVC_Connected() const { return connected_; }
  TDSSwitches *GetVC_AudioSources() const { return audioSources_.get(); }
  TDSCrossbarDialogs *GetVC_CrossbarDialogs() const { return crossbarDialogs_.get(); }
  TALAudioModes *GetVC_AudioModes() const { return audioModes_.get(); }
  TALDSCaptureDialogs GetVC_AvailableAudioDialogs() const { return availableDialogs_; }

  // Opens a property-page dialog of the graph; false when that kind is not
  // offered (the pin's dialog also while capturing).
  // kept: public member; the program does not call it
  bool ShowAudioDialog(TALDSCaptureDialog Kind);
  // Appends the name of every filter of the graph ("<Unavailable>" when its
  // information cannot be read).
  // kept: public member; the program does not call it
  bool GetGraphFilters(TStrings *List);

  // The component's lock object (its output pin's group).
  TOWObject *GetLockObject() const { return lock_.get(); }
  // The stream format of the current take (valid after a start).
  const WAVEFORMATEXTENSIBLE &GetStreamFormat() const { return streamFormat_; }
  // The grabber's sample method (streaming thread) and the notify thread's
  // drain; public for the tests that drive them by hand.
  void NewAudioBuffer(double SampleTime, media::IMediaSample *ASample);
  void NewDataBufferNotify();
  TVLDSBufferQueue *GetBlockQueue() const { return queue_.get(); }

  // At most this many blocks become buffers per wake of the notify thread.
  static constexpr int MaxBlocksPerWake = 11;

private:
  TOWNotifyResult DispatchOperation(TOWPin *Sender, const TGUID *DataTypeID,
                                    IOWNotifyOperation *Operation, TOWNotifyState State);
  void GraphEvent(media::LONG code, media::LONG_PTR p1, media::LONG_PTR p2);
  void OnDeviceChanged(TObject *Sender);
  void OnConnect();
  void OnFormatChange(TObject *Sender);
  void EnablePinChanged(TOWPin *Sender, bool Value);
  bool DesigningOrLoading() const;

  void IntStart();
  // deliverQueued: blocks captured before the graph stopped still go out.
  void IntStop(bool deliverQueued);
  bool StopRun();
  // Device lost or graph aborted: the graph stops, the blocks already
  // captured are delivered and the sinks hear the stop (main thread).
  void EndTakeAfterFailure();
  bool StartRun();
  void RefreshInterfaces();
  void SendAudioFormat();
  // Turns up to Limit queued blocks into buffers (inside the write section);
  // answers how many were delivered.
  int DrainBlocks(int Limit);

  bool InitCaptureFilters();
  bool BuildGraph();
  bool IntBuildGraph();
  bool RenderAudioPreview(media::IBaseFilter *Filter);
  // Finds the "VLDS_AudioGrabber" filter, or creates and adds it; Error and
  // false on failure.
  bool FindOrAddGrabber(com::TComPtr<media::IBaseFilter> &Filter);
  bool SetBufferSize();
  void DestroyGraph();
  void FreeFilters();
  void CleanUp();

  void GetAvailableDialogs();
  void FindCrossbarDialogs();
  void FindNextCrossbarDialogs(media::IBaseFilter *Filter, int Depth);
  void PopulateAudioCrossBar();
  void PopulateCrossbar(media::IBaseFilter *Filter);
  void PopulateAudioMixerSources(media::IBaseFilter *Filter);
  void AddCrossbarDialog(media::IAMCrossbar *Crossbar);
  bool HasPages(com::IUnknown *Object);
  bool ShowPages(com::IUnknown *Object);

  // 13: the lock object comes first so everything below can use it.
  std::unique_ptr<TOWObject> lock_;
  TOwnedPtr<TALOWAudioSourcePin> outputPin_;
  TOwnedPtr<TOWBoolStatePin> enablePin_;
  std::unique_ptr<TDSGraph> graph_;
  std::unique_ptr<TVLDSSampleGrabberCB> grabberCallback_;
  com::TComPtr<media::IMediaControl> mediaControl_;
  com::TComPtr<media::ICaptureGraphBuilder2> builder_;
  com::TComPtr<media::IBaseFilter> captureFilter_;
  com::TComPtr<media::IAMBufferNegotiation> negotiation_;
  com::TComPtr<media::ISampleGrabber> grabber_;
  com::TComPtr<media::IMoniker> moniker_;
  std::atomic<bool> connected_{false};
  std::atomic<bool> running_{false};
  bool graphBuilt_ = false;
  bool storedEnabled_ = true;
  TALDSCaptureDialogs availableDialogs_ = 0;
  WAVEFORMATEXTENSIBLE streamFormat_{}; // lock object
  std::unique_ptr<TDSAudioCaptureDevice> device_;
  std::unique_ptr<TVLDSBufferQueue> queue_;
  std::unique_ptr<TDSSwitches> audioSources_;
  std::unique_ptr<TDSCrossbarDialogs> crossbarDialogs_;
  std::unique_ptr<TALAudioFormat> audioFormat_;
  std::unique_ptr<TSLNotifyThread> notifyThread_;
  std::unique_ptr<TALAudioModes> audioModes_;
  bool resumeSent_ = false; // lock object
  bool destroyed_ = false;
};

// Registers TALDSAudioIn with the class library (the design-time palette).
void ALDSAudioInRegister();
