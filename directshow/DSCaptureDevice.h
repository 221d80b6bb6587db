// Device selection by name: the persistent sub-objects through which the
// audio components choose their devices (`AudioCaptureDevice`,
// `AudioOutputDevice`), their alternative devices, and the property-page
// entries of a graph's filters.
//
// A selection keeps `DeviceName` (what the user sees: "Default", "None" or a
// numbered friendly name) and the chosen device's moniker display name (what
// identifies the instance). Both persist through the custom property "Data"
// only, so loading a form never looks devices up. GetMoniker turns the
// selection into a moniker, matching the stored display name first, then (the
// output device only) the name, then the alternatives in order; a device that
// has gone is simply not found: GetMoniker answers null, nothing raises.
//
// Threads and locks: SetName and the reading of "Data" run under a write lock
// section on the component's lock object, and the change callback is called
// inside it. GetMoniker, GetDeviceList, the items and the device list take no
// lock and run on the main thread while graphs are built.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "directshow/DSBaseClass.h"
#include "directshow/DSErrors.h"
#include "framework/pins/OWExtCollection.h"
#include "framework/pins/OWPins_object.h"
#include "platform/classlib/Lists.h"

class TDSGraph;

// What GetDeviceList writes per device. The names are the system's own:
// diDisplayName lists the numbered friendly names, diDriverName the moniker
// display names.
enum TVLDSDriverInfo { diDisplayName, diDriverName, diBoth };

class TDSDevice : public TPersistent {
  CLASSLIB_CLASS(TDSDevice)

public:
  // dialogForm: the graph owner whose event window owns the chooser (may be
  // null). onChange is called with this object as Sender.
  TDSDevice(TOWObject *lockObject, TPersistent *owner, TDSGraph *dialogForm,
            std::function<void(TObject *)> onChange);

  const std::string &GetDeviceName() const { return deviceName_; }
  // See the file comment; "None" (any case) and "" give "None" without the
  // callback, "Default" (any case) clears the display name, any other name is
  // looked up among the numbered friendly names of the category.
  virtual void SetName(const std::string &name);
  virtual TGUID GetCathegoryID() const = 0;
  bool GetDeviceList(TStrings *list) { return GetDeviceList(list, diDisplayName); }
  virtual bool GetDeviceList(TStrings *list, TVLDSDriverInfo what);

  void CloseDevice();
  bool IsSelectedDefault() const;
  bool IsSelectedNone() const;
  TPersistent *GetOwner() override { return owner_; }
  // Lets the user pick the device (TDSDeviceListForm); true when a choice
  // was applied.
  bool ShowDeviceSelctDialog();

  const std::string &GetVC_DriverName() const { return displayName_; }
  const std::string &GetVC_OpenedDeviceName() const { return openedName_; }
  const std::string &GetVC_OpenedDriverName() const { return openedDisplayName_; }

  void DefineProperties(TFiler *filer) override;
  virtual void ReadData(TReader *reader);
  virtual void WriteData(TWriter *writer);

protected:
  // Shared by the capture and the output device: the stored display name,
  // then (when byName) DeviceName among the numbered names, then the
  // alternatives' display names in order. Sets the opened names when found.
  com::TComPtr<media::IMoniker> FindMoniker(bool byName,
                                            const std::vector<std::string> &alternatives);

  TPersistent *const owner_;
  TDSGraph *const dialogForm_;
  const std::function<void(TObject *)> onChange_;
  std::string displayName_;
  std::string deviceName_ = "Default";
  TOWObject *const lockObject_;
  std::string openedName_;
  std::string openedDisplayName_;
};

// One alternative device; persisted through "Data" (display name, name).
class TDSDeviceItem : public TOWExtCollectionItem {
  CLASSLIB_CLASS(TDSDeviceItem)

public:
  explicit TDSDeviceItem(TCollection *collection) : TOWExtCollectionItem(collection) {}

  const std::string &GetDeviceName() const { return deviceName_; }
  // Only when different: empty clears both names; otherwise looked up in the
  // item's category and taken only when found.
  virtual void SetName(const std::string &name) = 0;
  const std::string &GetVC_DriverName() const { return displayName_; }
  std::string GetDisplayName() const override { return deviceName_; }
  void Assign(TPersistent *source) override;
  void DefineProperties(TFiler *filer) override;
  virtual void ReadData(TReader *reader);
  virtual void WriteData(TWriter *writer);

protected:
  void SetNameIn(const TGUID &category, const std::string &name);

  std::string deviceName_;
  std::string displayName_;
};

class TDSAudioCaptureDeviceItem : public TDSDeviceItem {
  CLASSLIB_CLASS(TDSAudioCaptureDeviceItem)

public:
  explicit TDSAudioCaptureDeviceItem(TCollection *collection) : TDSDeviceItem(collection) {}
  void SetName(const std::string &name) override;
};

// Collections of alternatives. A new item is given the least-used device of
// the category (the first enumerated among the least used).
class TDSDeviceItems : public TOWExtCollection {
  CLASSLIB_CLASS(TDSDeviceItems)

public:
  TDSDeviceItems(TPersistent *owner, const TMetaClass *itemClass, TDSDevice *device);
  TDSDeviceItem *Add() { return static_cast<TDSDeviceItem *>(TCollection::Add()); }
  TDSDeviceItem *Items(int index) const {
    return static_cast<TDSDeviceItem *>(TCollection::Items(index));
  }
  TDSDevice *GetOwnerProperty() const { return device_; }
  void NewItemCreated(TCollectionItem *item) override;

private:
  TDSDevice *const device_;
};

class TDSAudioCaptureDeviceItems : public TDSDeviceItems {
  CLASSLIB_CLASS(TDSAudioCaptureDeviceItems)

public:
  TDSAudioCaptureDeviceItems(TPersistent *owner, TDSDevice *device, TOWObject *lockObject);

private:
  TOWObject *const lockObject_;
};

class TDSAudioCaptureDevice : public TDSDevice {
  CLASSLIB_CLASS(TDSAudioCaptureDevice)

public:
  TDSAudioCaptureDevice(TOWObject *lockObject, TPersistent *owner, TDSGraph *dialogForm,
                        std::function<void(TObject *)> onChange);
  ~TDSAudioCaptureDevice() override;

  TGUID GetCathegoryID() const override { return media::CLSID_AudioInputDeviceCategory; }
  // The stored display name, else the alternatives; null when none is present.
  virtual com::TComPtr<media::IMoniker> GetMoniker();

  TDSAudioCaptureDeviceItems *GetAlternativeDevices() const { return alternatives_; }
  void SetCaptueDevices(TDSAudioCaptureDeviceItems *value);

private:
  TDSAudioCaptureDeviceItems *alternatives_;
};

// ---------------------------------------------------------------------------
// Property-page entries of a graph's filters.

class TDSCrossbarDialog {
public:
  TDSCrossbarDialog(TPersistent *owner, com::TComPtr<media::ISpecifyPropertyPages> pages,
                    com::TComPtr<media::IBaseFilter> filter, TDSGraph *form);
  // Opens the platform's property frame for the filter (unavailable here:
  // the frame answers E_NOTIMPL and nothing is shown). Answers its result.
  HRESULT Show();
  media::IBaseFilter *Filter() const { return filter_.Get(); }

private:
  com::TComPtr<media::ISpecifyPropertyPages> pages_;
  TPersistent *const owner_;
  com::TComPtr<media::IBaseFilter> filter_;
  TDSGraph *const form_;
};

class TDSCrossbarDialogs {
public:
  // listCallback runs (Sender = this list) before every read of the count.
  TDSCrossbarDialogs(TPersistent *owner, std::function<void(TDSCrossbarDialogs *)> listCallback);
  void AddDialog(std::unique_ptr<TDSCrossbarDialog> dialog) {
    dialogs_.push_back(std::move(dialog));
  }
  void Clear() { dialogs_.clear(); }
  int GetDialogCount();
  // kept: public member of the crossbar dialogs
  TDSCrossbarDialog *GetDialog(int index) const;

private:
  TPersistent *const owner_;
  std::vector<std::unique_ptr<TDSCrossbarDialog>> dialogs_;
  std::function<void(TDSCrossbarDialogs *)> listCallback_;
};
