// The device list and the moniker routines.
#include "directshow/DSBaseClass.h"

#include "platform/classlib/Exceptions.h"
#include "platform/media/Media.h"

using com::TComPtr;

std::string DSTrim(const std::string &s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
    ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
    --e;
  return s.substr(b, e - b);
}

namespace {

std::string DisplayNameOf(IMoniker *moniker) {
  media::LPOLESTR name = nullptr;
  if (moniker == nullptr || FAILED(moniker->GetDisplayName(nullptr, nullptr, &name)) ||
      name == nullptr)
    return {};
  std::string result = media::WideToUtf8(name);
  com::CoTaskMemFree(name);
  return result;
}

TComPtr<media::IPropertyBag> BagOf(IMoniker *moniker) {
  TComPtr<media::IPropertyBag> bag;
  if (moniker == nullptr)
    return bag;
  HRESULT hr = moniker->BindToStorage(nullptr, nullptr, media::IPropertyBag::IID, bag.PutVoid());
  if (hr != S_OK)
    bag.Reset();
  return bag;
}

// The "FriendlyName" of a property bag; false when it has none.
bool ReadFriendlyName(media::IPropertyBag *bag, std::string &name) {
  media::VARIANT v;
  if (FAILED(bag->Read(u"FriendlyName", &v, nullptr)))
    return false;
  if (v.vt == media::VT_BSTR)
    name = media::WideToUtf8(v.bstrVal);
  else if (v.vt == media::VT_I4)
    name = std::to_string(v.lVal);
  else
    name.clear();
  return true;
}

TComPtr<IBaseFilter> BindFilter(IMoniker *moniker) {
  TComPtr<IBaseFilter> filter;
  if (moniker == nullptr)
    return filter;
  if (FAILED(moniker->BindToObject(nullptr, nullptr, IBaseFilter::IID, filter.PutVoid())))
    filter.Reset();
  return filter;
}

} // namespace

// ---------------------------------------------------------------------------
// TVLDSCapDeviceInfo / TVLDSCapDeviceList

TVLDSCapDeviceInfo::TVLDSCapDeviceInfo(std::string rawName, std::string numberedName,
                                       std::string trimmedName, TComPtr<IMoniker> moniker)
    : RawName(std::move(rawName)), NumberedName(std::move(numberedName)),
      TrimmedName(std::move(trimmedName)), Moniker(std::move(moniker)) {
  DisplayName = DisplayNameOf(Moniker.Get());
  if (Moniker)
    Moniker->GetClassID(&ClassID);
}

const TVLDSCapDeviceInfo &TVLDSCapDeviceList::Items(int index) const {
  if (index < 0 || index >= Count())
    throw EListError::IndexOutOfBounds(index);
  return items_[static_cast<size_t>(index)];
}

void TVLDSCapDeviceList::EnumFilters(const TGUID &category) {
  items_.clear();
  AddEnumFilters(category);
}

void TVLDSCapDeviceList::AddEnumFilters(const TGUID &category) {
  TComPtr<media::ICreateDevEnum> devEnum;
  if (FAILED(media::CoCreateInstance(media::CLSID_SystemDeviceEnum, nullptr,
                                     com::CLSCTX_INPROC_SERVER | com::CLSCTX_INPROC_HANDLER,
                                     media::ICreateDevEnum::IID, devEnum.PutVoid())) ||
      !devEnum)
    return;
  media::IEnumMoniker *raw = nullptr;
  if (devEnum->CreateClassEnumerator(category, &raw, 0) != S_OK || raw == nullptr) {
    if (raw)
      raw->Release();
    return;
  }
  auto monikers = TComPtr<media::IEnumMoniker>::Attach(raw);
  AddMonikers(monikers.Get());
}

void TVLDSCapDeviceList::EnumAllFilters() {
  TComPtr<media::IFilterMapper2> mapper;
  if (FAILED(media::CoCreateInstance(media::CLSID_FilterMapper2, nullptr,
                                     com::CLSCTX_INPROC_SERVER | com::CLSCTX_INPROC_HANDLER,
                                     media::IFilterMapper2::IID, mapper.PutVoid())) ||
      !mapper)
    return;
  media::IEnumMoniker *raw = nullptr;
  HRESULT hr = mapper->EnumMatchingFilters(&raw, 0, media::FALSE, media::MERIT_DO_NOT_USE,
                                           media::FALSE, 0, nullptr, nullptr, nullptr, media::FALSE,
                                           media::FALSE, 0, nullptr, nullptr, nullptr);
  if (hr != S_OK || raw == nullptr) {
    if (raw)
      raw->Release();
    return;
  }
  auto monikers = TComPtr<media::IEnumMoniker>::Attach(raw);
  AddMonikers(monikers.Get());
}

void TVLDSCapDeviceList::AddMonikers(media::IEnumMoniker *monikers) {
  IMoniker *raw = nullptr;
  while (monikers->Next(1, &raw, nullptr) == S_OK && raw != nullptr) {
    auto moniker = TComPtr<IMoniker>::Attach(raw);
    raw = nullptr;
    auto bag = BagOf(moniker.Get());
    if (!bag)
      continue;
    std::string rawName;
    if (!ReadFriendlyName(bag.Get(), rawName))
      continue;
    std::string trimmed = DSTrim(rawName);
    if (trimmed.empty())
      continue;
    int n = FindDeviceNum(trimmed);
    std::string numbered = n > 1 ? rawName + Format(" (%d)", n) : rawName;
    items_.emplace_back(rawName, numbered, trimmed, moniker);
  }
}

int TVLDSCapDeviceList::FindDeviceNum(const std::string &trimmedName) const {
  int n = 1;
  for (const auto &d : items_)
    if (d.TrimmedName == trimmedName)
      ++n;
  return n;
}

TComPtr<IMoniker> TVLDSCapDeviceList::GetMonikerByDeviceName(const std::string &displayName) const {
  for (const auto &d : items_)
    if (d.DisplayName == displayName)
      return d.Moniker;
  return nullptr;
}

TComPtr<IMoniker> TVLDSCapDeviceList::GetMonikerByString(const std::string &numberedName) const {
  for (const auto &d : items_)
    if (d.NumberedName == numberedName)
      return d.Moniker;
  return nullptr;
}

TComPtr<IMoniker> TVLDSCapDeviceList::GetMonikerByCLSID(const TGUID &clsid) const {
  for (const auto &d : items_)
    if (d.ClassID == clsid)
      return d.Moniker;
  return nullptr;
}

std::string TVLDSCapDeviceList::GetDeviceNameByString(const std::string &numberedName) const {
  for (const auto &d : items_)
    if (d.NumberedName == numberedName)
      return d.DisplayName;
  return {};
}

std::string TVLDSCapDeviceList::GetStringByDeviceName(const std::string &displayName) const {
  for (const auto &d : items_)
    if (d.DisplayName == displayName)
      return d.NumberedName;
  return {};
}

std::string TVLDSCapDeviceList::GetStringByCLSID(const TGUID &clsid) const {
  for (const auto &d : items_)
    if (d.ClassID == clsid)
      return d.NumberedName;
  return {};
}

TGUID TVLDSCapDeviceList::GetCLSIDByString(const std::string &numberedName) const {
  for (const auto &d : items_)
    if (d.NumberedName == numberedName)
      return d.ClassID;
  return GUID_NULL;
}

int32_t TVLDSCapDeviceList::GetIntByMoniker(IMoniker *moniker) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].Moniker.Get() == moniker)
      return static_cast<int32_t>(i);
  return -1;
}

std::string TVLDSCapDeviceList::GetStringByMoniker(IMoniker *moniker) const {
  int32_t i = GetIntByMoniker(moniker);
  return i < 0 ? std::string() : items_[static_cast<size_t>(i)].NumberedName;
}

// ---------------------------------------------------------------------------
// Moniker routines

std::string LPDSGetFriendlyNameFromMoniker(IMoniker *moniker) {
  auto bag = BagOf(moniker);
  std::string name;
  if (!bag || !ReadFriendlyName(bag.Get(), name))
    return {};
  return DSTrim(name);
}

bool LPDSGetFilterPinInterface(IBaseFilter *filter, const TGUID &iid, void **out) {
  if (filter == nullptr || out == nullptr)
    return false;
  if (SUCCEEDED(filter->QueryInterface(iid, out)) && *out != nullptr)
    return true;
  IEnumPins *raw = nullptr;
  if (FAILED(filter->EnumPins(&raw)) || raw == nullptr)
    return false;
  auto pins = TComPtr<IEnumPins>::Attach(raw);
  IPin *pin = nullptr;
  while (pins->Next(1, &pin, nullptr) == S_OK && pin != nullptr) {
    auto held = TComPtr<IPin>::Attach(pin);
    pin = nullptr;
    PIN_DIRECTION dir;
    if (SUCCEEDED(held->QueryDirection(&dir)) && dir == media::PINDIR_OUTPUT &&
        SUCCEEDED(held->QueryInterface(iid, out)) && *out != nullptr)
      return true;
  }
  return false;
}

bool LPDSGetFilterPinInterfaceFromMoniker(IMoniker *moniker, const TGUID &iid, void **out) {
  auto filter = BindFilter(moniker);
  return filter && LPDSGetFilterPinInterface(filter.Get(), iid, out);
}

TComPtr<media::IPersistStorage> LPDSGetPersistStorage(IMoniker *moniker) {
  return TComPtr<media::IPersistStorage>::Query(BindFilter(moniker));
}

TComPtr<media::IPersistStream> LPDSGetPersistStream(IMoniker *moniker) {
  TComPtr<media::IPersistStream> stream;
  auto filter = BindFilter(moniker);
  if (filter &&
      !LPDSGetFilterPinInterface(filter.Get(), media::IPersistStream::IID, stream.PutVoid()))
    stream.Reset();
  return stream;
}

bool LPDSHasCompressionDialog(IMoniker *moniker) {
  auto filter = BindFilter(moniker);
  if (!filter)
    return false;
  TComPtr<media::IAMVfwCompressDialogs> dialogs;
  if (LPDSGetFilterPinInterface(filter.Get(), media::IAMVfwCompressDialogs::IID,
                                dialogs.PutVoid()) &&
      dialogs && dialogs->ShowDialog(media::VfwCompressDialog_QueryConfig, nullptr) == S_OK)
    return true;
  return static_cast<bool>(TComPtr<media::ISpecifyPropertyPages>::Query(filter));
}

HRESULT DSShowPropertyFrame(void *owner, IBaseFilter *filter, const media::CAUUID &pages) {
  com::IUnknown *objects[1] = {filter};
  return media::OleCreatePropertyFrame(owner, 30, 30, nullptr, 1, objects, pages.cElems,
                                       pages.pElems, 0, 0, nullptr);
}

bool LPDSShowVideoCompressionDialogHandle(IMoniker *moniker, media::IStream *stream, void *window) {
  auto filter = BindFilter(moniker);
  if (!filter)
    return false;
  TComPtr<media::IPersistStream> persist;
  if (stream != nullptr) {
    persist = TComPtr<media::IPersistStream>::Query(filter);
    if (persist) {
      stream->Seek(0, 0, nullptr);
      persist->Load(stream);
    }
  }
  bool shown = false;
  TComPtr<media::IAMVfwCompressDialogs> dialogs;
  if (LPDSGetFilterPinInterface(filter.Get(), media::IAMVfwCompressDialogs::IID,
                                dialogs.PutVoid()) &&
      dialogs && dialogs->ShowDialog(media::VfwCompressDialog_QueryConfig, nullptr) == S_OK) {
    dialogs->ShowDialog(media::VfwCompressDialog_Config, window);
    shown = true;
  } else if (auto pages = TComPtr<media::ISpecifyPropertyPages>::Query(filter)) {
    media::CAUUID ids{};
    if (SUCCEEDED(pages->GetPages(&ids))) {
      DSShowPropertyFrame(window, filter.Get(), ids);
      com::CoTaskMemFree(ids.pElems);
      shown = true;
    }
  }
  if (shown && persist) {
    stream->Seek(0, 0, nullptr);
    persist->Save(stream, media::TRUE);
  }
  return shown;
}

bool LPDSShowVideoCompressionDialog(IMoniker *moniker, media::IStream *stream) {
  // The platform has no foreground window of its own here: no owner.
  return LPDSShowVideoCompressionDialogHandle(moniker, stream, nullptr);
}
