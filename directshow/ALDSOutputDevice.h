// The output component's device selection (`AudioOutputDevice`): as the
// capture selection (DSCaptureDevice.h) for the audio renderer category,
// except that GetMoniker also tries DeviceName among the numbered friendly
// names when the stored display name is gone.
//
// Threads and locks: as DSCaptureDevice.h.
#pragma once

#include "directshow/DSCaptureDevice.h"

class TDSAudioOutputDeviceItem : public TDSDeviceItem {
  CLASSLIB_CLASS(TDSAudioOutputDeviceItem)

public:
  explicit TDSAudioOutputDeviceItem(TCollection *collection) : TDSDeviceItem(collection) {}
  void SetName(const std::string &name) override;
};

class TDSAudioOutputDeviceItems : public TDSDeviceItems {
  CLASSLIB_CLASS(TDSAudioOutputDeviceItems)

public:
  TDSAudioOutputDeviceItems(TPersistent *owner, TDSDevice *device);
};

class TDSAudioOutputDevice : public TDSDevice {
  CLASSLIB_CLASS(TDSAudioOutputDevice)

public:
  TDSAudioOutputDevice(TOWObject *lockObject, TPersistent *owner, TDSGraph *dialogForm,
                       std::function<void(TObject *)> onChange);
  ~TDSAudioOutputDevice() override;

  TGUID GetCathegoryID() const override { return media::CLSID_AudioRendererCategory; }
  // The stored display name, then DeviceName among the numbered names, then
  // the alternatives; null when none is present.
  com::TComPtr<media::IMoniker> GetMoniker();

  TDSAudioOutputDeviceItems *GetAlternativeDevices() const { return alternatives_; }
  void SetCaptueDevices(TDSAudioOutputDeviceItems *value);

private:
  TDSAudioOutputDeviceItems *alternatives_;
};
