#include "directshow/ALDSOutputDevice.h"

#include "platform/classlib/ClassBuilder.h"

const TClassInfo &TDSAudioOutputDeviceItem::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TDSAudioOutputDeviceItem>(
      "TDSAudioOutputDeviceItem", &TDSDeviceItem::StaticClassInfo());
  return info;
}

void TDSAudioOutputDeviceItem::SetName(const std::string &name) {
  SetNameIn(media::CLSID_AudioRendererCategory, name);
}

const TClassInfo &TDSAudioOutputDeviceItems::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TDSAudioOutputDeviceItems>(
      "TDSAudioOutputDeviceItems", &TDSDeviceItems::StaticClassInfo());
  return info;
}

TDSAudioOutputDeviceItems::TDSAudioOutputDeviceItems(TPersistent *owner, TDSDevice *device)
    : TDSDeviceItems(owner, &TDSAudioOutputDeviceItem::StaticClassInfo(), device) {}

const TClassInfo &TDSAudioOutputDevice::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TDSAudioOutputDevice>(
      "TDSAudioOutputDevice", &TDSDevice::StaticClassInfo(),
      [](TClassBuilder<TDSAudioOutputDevice> &c) {
        c.Object("AlternativeDevices", &TDSAudioOutputDevice::GetAlternativeDevices,
                 &TDSAudioOutputDevice::SetCaptueDevices);
      });
  return info;
}

TDSAudioOutputDevice::TDSAudioOutputDevice(TOWObject *lockObject, TPersistent *owner,
                                           TDSGraph *dialogForm,
                                           std::function<void(TObject *)> onChange)
    : TDSDevice(lockObject, owner, dialogForm, std::move(onChange)),
      alternatives_(CreateObject<TDSAudioOutputDeviceItems>(owner, this)) {}

TDSAudioOutputDevice::~TDSAudioOutputDevice() { FreeObject(alternatives_); }

void TDSAudioOutputDevice::SetCaptueDevices(TDSAudioOutputDeviceItems *value) {
  alternatives_->Assign(value);
}

com::TComPtr<media::IMoniker> TDSAudioOutputDevice::GetMoniker() {
  std::vector<std::string> alternatives;
  for (int i = 0; i < alternatives_->Count(); ++i)
    alternatives.push_back(alternatives_->Items(i)->GetVC_DriverName());
  return FindMoniker(true, alternatives);
}
