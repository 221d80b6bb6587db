// The base of audio file sinks: the input, file-name and enable pins, the
// stream's format, when a file begins and ends, and the hand-over of a file
// start to the main thread when a buffer on another thread triggers it. The
// file work itself is three virtual operations (BeginAudio, EndAudio,
// RenderAudio).
//
// Threads and locks: start-wave and stop operations run on the sending
// thread (the main thread for the capture component and the player); buffers
// on the sender's delivery thread, inside the input pin's lock group, which
// the component's own lock object joins. A file that must begin because of a
// buffer (after a name change or enabling) begins on the main thread: the
// start-wave, the triggering buffer and every operation that arrives
// meanwhile wait in the pending list (locked through the input pin) and run
// there in order, so no buffer is lost. FileName and Enabled are written
// under the lock object's write section.
//
// Life: CreateObject / FreeObject on the main thread; BeforeDestruction
// unlinks the input pin and ends the file.
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "framework/data/ALStreamTypes.h"
#include "framework/data/Alsimpleaudiobuffer.h"
#include "framework/data/SLClockGen.h"
#include "framework/data/SLVariantStorages.h"
#include "framework/pins/OWStdTypes.h"
#include "platform/classlib/Component.h"

class TALCommonLogger : public TComponent {
  CLASSLIB_CLASS(TALCommonLogger)
public:
  explicit TALCommonLogger(TComponent *AOwner);
  ~TALCommonLogger() override;
  void BeforeDestruction() override;

  TALOWAudioSinkPin *GetInputPin() const { return inputPin_.get(); }
  TOWStringSinkPin *GetFileNamePin() const { return fileNamePin_.get(); }
  TOWBoolSinkPin *GetEnablePin() const { return enablePin_.get(); }

  std::string GetFileName() const;
  // An open file under the old name ends at the next buffer, and a file under
  // the new name begins.
  void SetFileName(const std::string &Value);
  bool GetEnabled() const { return enabled_; }
  // A disabled logger keeps an open file open but writes nothing.
  void SetEnabled(bool Value);
  // Ends the file and forgets the format.
  // kept: public member; no component calls it
  void Close();

protected:
  virtual void BeginAudio(int32_t BufferSize, const WAVEFORMATEXTENSIBLE *Format) = 0;
  virtual void EndAudio() = 0;
  virtual void RenderAudio(IALAudioBuffer *Buffer) = 0;

  TOWObject *GetLockObject() const { return lock_.get(); }
  // The stream's format; null while no start-wave has arrived.
  const WAVEFORMATEXTENSIBLE *GetStreamFormat() const { return format_ ? &*format_ : nullptr; }
  // Drops the operations still waiting for the main thread (call inside the
  // input pin's lock group).
  void ClearPending() { pending_->Clear(); }

private:
  TOWNotifyResult AudioSinkDispatch(TOWPin *Sender, const TGUID *DataTypeID,
                                    IOWNotifyOperation *Operation, TOWNotifyState State);
  void IntDispatch(IOWNotifyOperation *Operation, bool FromMain);
  void MainThreadDataProcess();
  void IntBeginAudio(int32_t BufferSize, const WAVEFORMATEXTENSIBLE *Format);
  void IntEndAudio();

  std::unique_ptr<TOWObject> lock_;
  TOwnedPtr<TALOWAudioSinkPin> inputPin_;
  TOwnedPtr<TOWStringSinkPin> fileNamePin_;
  TOwnedPtr<TOWBoolSinkPin> enablePin_;
  std::unique_ptr<TSLMainThreadNotify> notifier_;
  std::unique_ptr<TSLOperationList> pending_;
  std::atomic<bool> enabled_{true};
  std::string fileName_; // lock object
  std::atomic<bool> deferring_{false};
  std::optional<WAVEFORMATEXTENSIBLE> format_; // input pin's group
  int32_t bufferSize_ = 0;
  std::string openFileName_;
  bool begun_ = false;
};
