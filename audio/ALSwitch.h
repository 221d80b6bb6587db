// The audio switch: passes an audio stream from its input to its output while
// enabled and withholds the buffers while disabled, without breaking the link
// chain. A start-wave that arrives while disabled is held back; enabling then
// restarts the downstream stream with the remembered format and a resume (and
// so does every enabling with ResetOnEnable). Stops always pass; disabling
// itself sends nothing.
//
// Threads: the handlers run on the delivering thread inside the lock group of
// the input pin, which the lock owner and the output pin share. SetEnabled
// from the enabled pin runs on the thread that sent the value; through the
// property on the caller's thread.
#pragma once

#include <atomic>
#include <memory>

#include "framework/data/ALAudioFormat.h"
#include "framework/data/ALStreamTypes.h"
#include "framework/data/Alsimpleaudiobuffer.h"
#include "framework/pins/OWStdTypes.h"
#include "platform/classlib/ClassBuilder.h"

class TALSwitch : public TComponent {
  CLASSLIB_CLASS(TALSwitch)
public:
  explicit TALSwitch(TComponent *AOwner);
  ~TALSwitch() override;
  // Unlinks the input pin, then the class library's step.
  void BeforeDestruction() override;

  TALOWAudioSinkPin *GetInputPin() const { return inputPin_.get(); }
  TALOWAudioSourcePin *GetOutputPin() const { return outputPin_.get(); }
  TOWBoolSinkPin *GetEnabledPin() const { return enabledPin_.get(); }
  bool GetEnabled() const { return enabled_; }
  void SetEnabled(bool Value);
  bool GetResetOnEnable() const { return resetOnEnable_; }
  void SetResetOnEnable(bool Value) { resetOnEnable_ = Value; }
  bool GetStartPending() const { return startPending_; }
  // The format of the last start-wave (the record's defaults before one).
  const TALAudioFormatBasic *GetFormat() const { return format_.get(); }

  virtual TOWNotifyResult SourceDispatch(TOWPin *Sender, const TGUID *DataTypeID,
                                         IOWNotifyOperation *Operation, TOWNotifyState State);
  virtual TOWNotifyResult SinkDispatch(TOWPin *Sender, const TGUID *DataTypeID,
                                       IOWNotifyOperation *Operation, TOWNotifyState State);
  void OnEnableEvent(TOWPin *Pin, bool Value);
  void StartPump();
  void PumpRequest(IOWNotifyOperation *Operation);
  void Stop() {}

private:
  std::unique_ptr<TOWObject> lock_;
  std::atomic<bool> enabled_{true};
  std::atomic<bool> resetOnEnable_{false};
  std::atomic<bool> startPending_{false};
  int32_t bufferSize_ = 0;
  TGUID dataTypeID_ = OWNULLID;
  TOwnedPtr<TALOWAudioSinkPin> inputPin_;
  TOwnedPtr<TALOWAudioSourcePin> outputPin_;
  TOwnedPtr<TOWBoolSinkPin> enabledPin_;
  std::unique_ptr<TALAudioFormatBasic> format_;
};

// kept: the component's registration; the recorder does not use it
void ALSwitchRegister();
