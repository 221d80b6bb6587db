#include "directshow/DSCaptureDevice.h"

#include <cctype>

#include "directshow/DSDeviceListFormUnit.h"
#include "directshow/DSGraphProperty.h"
#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/FormStream.h"
#include "platform/media/Media.h"

using com::TComPtr;

namespace {

std::string UpperCase(std::string s) {
  for (char &c : s)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

void ReadPair(TReader *reader, std::string &first, std::string &second) {
  reader->ReadListBegin();
  first = reader->ReadString();
  second = reader->ReadString();
  reader->ReadListEnd();
}

void WritePair(TWriter *writer, const std::string &first, const std::string &second) {
  writer->WriteListBegin();
  writer->WriteString(first);
  writer->WriteString(second);
  writer->WriteListEnd();
}

} // namespace

// ---------------------------------------------------------------------------
// TDSDevice

const TClassInfo &TDSDevice::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TDSDevice>(
      "TDSDevice", &TPersistent::StaticClassInfo(), [](TClassBuilder<TDSDevice> &c) {
        c.String("DeviceName", &TDSDevice::GetDeviceName, [](TDSDevice &d, const std::string &v) {
           d.SetName(v);
         }).Stored([](TDSDevice &) { return false; });
      });
  return info;
}

TDSDevice::TDSDevice(TOWObject *lockObject, TPersistent *owner, TDSGraph *dialogForm,
                     std::function<void(TObject *)> onChange)
    : owner_(owner), dialogForm_(dialogForm), onChange_(std::move(onChange)),
      lockObject_(lockObject) {}

void TDSDevice::SetName(const std::string &name) {
  TOWWriteSection section(lockObject_);
  if (name == deviceName_)
    return;
  std::string upper = UpperCase(name);
  if (upper.empty() || upper == "NONE") {
    deviceName_ = "None";
    displayName_.clear();
    return;
  }
  if (upper == "DEFAULT") {
    displayName_.clear();
    deviceName_ = name;
  } else {
    TVLDSCapDeviceList list;
    list.EnumFilters(GetCathegoryID());
    displayName_ = list.GetDeviceNameByString(name);
    deviceName_ = displayName_.empty() ? std::string("None") : name;
  }
  if (onChange_)
    onChange_(this);
}

bool TDSDevice::GetDeviceList(TStrings *list, TVLDSDriverInfo what) {
  if (list == nullptr)
    return false;
  TVLDSCapDeviceList devices;
  devices.EnumFilters(GetCathegoryID());
  for (int i = 0; i < devices.Count(); ++i) {
    const TVLDSCapDeviceInfo &d = devices.Items(i);
    switch (what) {
    case diDisplayName:
      list->Add(d.NumberedName);
      break;
    case diDriverName:
      list->Add(d.DisplayName);
      break;
    case diBoth:
      list->Add(d.NumberedName + " - " + d.DisplayName);
      break;
    }
  }
  return true;
}

void TDSDevice::CloseDevice() {
  openedName_.clear();
  openedDisplayName_.clear();
}

bool TDSDevice::IsSelectedDefault() const {
  return displayName_.empty() || UpperCase(displayName_) == "DEFAULT";
}
bool TDSDevice::IsSelectedNone() const { return UpperCase(displayName_) == "NONE"; }

void TDSDevice::DefineProperties(TFiler *filer) {
  TPersistent::DefineProperties(filer);
  filer->DefineProperty(
      "Data", [this](TReader *r) { ReadData(r); }, [this](TWriter *w) { WriteData(w); },
      UpperCase(deviceName_) != "DEFAULT");
}

void TDSDevice::ReadData(TReader *reader) {
  TOWWriteSection section(lockObject_);
  ReadPair(reader, displayName_, deviceName_);
}

void TDSDevice::WriteData(TWriter *writer) { WritePair(writer, displayName_, deviceName_); }

TComPtr<media::IMoniker> TDSDevice::FindMoniker(bool byName,
                                                const std::vector<std::string> &alternatives) {
  TComPtr<media::IMoniker> moniker;
  TVLDSCapDeviceList list;
  if (UpperCase(deviceName_) == "DEFAULT") {
    TComPtr<media::IBindCtx> ctx;
    if (SUCCEEDED(media::CreateBindCtx(0, reinterpret_cast<media::IBindCtx **>(ctx.PutVoid())))) {
      std::u16string name = media::Utf8ToWide(media::DefaultDeviceDisplayName(GetCathegoryID()));
      media::ULONG eaten = 0;
      if (FAILED(
              media::MkParseDisplayName(ctx.Get(), name.c_str(), &eaten,
                                        reinterpret_cast<media::IMoniker **>(moniker.PutVoid()))))
        moniker.Reset();
    }
  } else {
    list.EnumFilters(GetCathegoryID());
    if (!displayName_.empty())
      moniker = list.GetMonikerByDeviceName(displayName_);
    if (!moniker && byName)
      moniker = list.GetMonikerByString(deviceName_);
  }
  if (!moniker && !alternatives.empty() && list.Count() == 0)
    list.EnumFilters(GetCathegoryID());
  for (size_t i = 0; !moniker && i < alternatives.size(); ++i)
    if (!alternatives[i].empty())
      moniker = list.GetMonikerByDeviceName(alternatives[i]);
  if (moniker) {
    TComPtr<media::IPropertyBag> bag;
    if (moniker->BindToStorage(nullptr, nullptr, media::IPropertyBag::IID, bag.PutVoid()) == S_OK &&
        bag) {
      media::VARIANT v;
      if (SUCCEEDED(bag->Read(u"FriendlyName", &v, nullptr)) && v.vt == media::VT_BSTR)
        openedName_ = media::WideToUtf8(v.bstrVal);
      media::LPOLESTR name = nullptr;
      if (SUCCEEDED(moniker->GetDisplayName(nullptr, nullptr, &name)) && name) {
        openedDisplayName_ = media::WideToUtf8(name);
        com::CoTaskMemFree(name);
      }
    }
  }
  return moniker;
}

bool TDSDevice::ShowDeviceSelctDialog() {
  TDSDeviceListForm form;
  GetDeviceList(&form.Items());
  if (!form.Execute(deviceName_))
    return false;
  SetName(form.SelectedText());
  return true;
}

// ---------------------------------------------------------------------------
// Items

const TClassInfo &TDSDeviceItem::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TDSDeviceItem>(
      "TDSDeviceItem", &TOWExtCollectionItem::StaticClassInfo(),
      [](TClassBuilder<TDSDeviceItem> &c) {
        c.String("DeviceName", &TDSDeviceItem::GetDeviceName,
                 [](TDSDeviceItem &d, const std::string &v) { d.SetName(v); })
            .Stored([](TDSDeviceItem &) { return false; });
      });
  return info;
}

void TDSDeviceItem::Assign(TPersistent *source) {
  if (auto *other = dynamic_cast<TDSDeviceItem *>(source)) {
    deviceName_ = other->deviceName_;
    displayName_ = other->displayName_;
    return;
  }
  TOWExtCollectionItem::Assign(source);
}

void TDSDeviceItem::DefineProperties(TFiler *filer) {
  TOWExtCollectionItem::DefineProperties(filer);
  filer->DefineProperty(
      "Data", [this](TReader *r) { ReadData(r); }, [this](TWriter *w) { WriteData(w); },
      !displayName_.empty());
}

void TDSDeviceItem::ReadData(TReader *reader) { ReadPair(reader, displayName_, deviceName_); }
void TDSDeviceItem::WriteData(TWriter *writer) { WritePair(writer, displayName_, deviceName_); }

void TDSDeviceItem::SetNameIn(const TGUID &category, const std::string &name) {
  if (name == deviceName_)
    return;
  if (name.empty()) {
    deviceName_.clear();
    displayName_.clear();
    return;
  }
  TVLDSCapDeviceList list;
  list.EnumFilters(category);
  displayName_ = list.GetDeviceNameByString(name);
  if (!displayName_.empty())
    deviceName_ = name;
}

const TClassInfo &TDSAudioCaptureDeviceItem::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TDSAudioCaptureDeviceItem>(
      "TDSAudioCaptureDeviceItem", &TDSDeviceItem::StaticClassInfo());
  return info;
}

void TDSAudioCaptureDeviceItem::SetName(const std::string &name) {
  SetNameIn(media::CLSID_AudioInputDeviceCategory, name);
}

const TClassInfo &TDSDeviceItems::StaticClassInfo() {
  static const TClassInfo &info =
      MakeClassInfo<TDSDeviceItems>("TDSDeviceItems", &TOWExtCollection::StaticClassInfo());
  return info;
}

TDSDeviceItems::TDSDeviceItems(TPersistent *owner, const TMetaClass *itemClass, TDSDevice *device)
    : TOWExtCollection(owner, itemClass), device_(device) {}

void TDSDeviceItems::NewItemCreated(TCollectionItem *item) {
  TOWExtCollection::NewItemCreated(item);
  auto *newItem = dynamic_cast<TDSDeviceItem *>(item);
  if (newItem == nullptr || device_ == nullptr)
    return;
  TVLDSCapDeviceList list;
  list.EnumFilters(device_->GetCathegoryID());
  int least = 22000;
  std::string proposed;
  for (int d = 0; d < list.Count(); ++d) {
    const TVLDSCapDeviceInfo &info = list.Items(d);
    int uses = 0;
    for (int i = 0; i < Count(); ++i)
      if (Items(i)->GetVC_DriverName() == info.DisplayName)
        ++uses;
    if (uses < least) {
      least = uses;
      proposed = info.NumberedName;
    }
  }
  newItem->SetName(proposed);
}

const TClassInfo &TDSAudioCaptureDeviceItems::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TDSAudioCaptureDeviceItems>(
      "TDSAudioCaptureDeviceItems", &TDSDeviceItems::StaticClassInfo());
  return info;
}

TDSAudioCaptureDeviceItems::TDSAudioCaptureDeviceItems(TPersistent *owner, TDSDevice *device,
                                                       TOWObject *lockObject)
    : TDSDeviceItems(owner, &TDSAudioCaptureDeviceItem::StaticClassInfo(), device),
      lockObject_(lockObject) {}

// ---------------------------------------------------------------------------
// TDSAudioCaptureDevice

const TClassInfo &TDSAudioCaptureDevice::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TDSAudioCaptureDevice>(
      "TDSAudioCaptureDevice", &TDSDevice::StaticClassInfo(),
      [](TClassBuilder<TDSAudioCaptureDevice> &c) {
        c.Object("AlternativeDevices", &TDSAudioCaptureDevice::GetAlternativeDevices,
                 &TDSAudioCaptureDevice::SetCaptueDevices);
      });
  return info;
}

TDSAudioCaptureDevice::TDSAudioCaptureDevice(TOWObject *lockObject, TPersistent *owner,
                                             TDSGraph *dialogForm,
                                             std::function<void(TObject *)> onChange)
    : TDSDevice(lockObject, owner, dialogForm, std::move(onChange)),
      alternatives_(CreateObject<TDSAudioCaptureDeviceItems>(owner, this, lockObject)) {}

TDSAudioCaptureDevice::~TDSAudioCaptureDevice() { FreeObject(alternatives_); }

void TDSAudioCaptureDevice::SetCaptueDevices(TDSAudioCaptureDeviceItems *value) {
  alternatives_->Assign(value);
}

TComPtr<media::IMoniker> TDSAudioCaptureDevice::GetMoniker() {
  std::vector<std::string> alternatives;
  for (int i = 0; i < alternatives_->Count(); ++i)
    alternatives.push_back(alternatives_->Items(i)->GetVC_DriverName());
  return FindMoniker(false, alternatives);
}

// ---------------------------------------------------------------------------
// Property-page entries

TDSCrossbarDialog::TDSCrossbarDialog(TPersistent *owner,
                                     TComPtr<media::ISpecifyPropertyPages> pages,
                                     TComPtr<media::IBaseFilter> filter, TDSGraph *form)
    : pages_(std::move(pages)), owner_(owner), filter_(std::move(filter)), form_(form) {}

HRESULT TDSCrossbarDialog::Show() {
  if (!pages_)
    return E_POINTER;
  media::CAUUID ids{};
  HRESULT hr = pages_->GetPages(&ids);
  if (FAILED(hr))
    return hr;
  void *window = form_ ? static_cast<void *>(form_->EventWindow()) : nullptr;
  hr = DSShowPropertyFrame(window, filter_.Get(), ids);
  com::CoTaskMemFree(ids.pElems);
  return hr;
}

TDSCrossbarDialogs::TDSCrossbarDialogs(TPersistent *owner,
                                       std::function<void(TDSCrossbarDialogs *)> listCallback)
    : owner_(owner), listCallback_(std::move(listCallback)) {}

int TDSCrossbarDialogs::GetDialogCount() {
  if (listCallback_)
    listCallback_(this);
  return static_cast<int>(dialogs_.size());
}

TDSCrossbarDialog *TDSCrossbarDialogs::GetDialog(int index) const {
  if (index < 0 || index >= static_cast<int>(dialogs_.size()))
    throw EListError::IndexOutOfBounds(index);
  return dialogs_[static_cast<size_t>(index)].get();
}
