#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>

#include <alsa/asoundlib.h>
#include <dirent.h>
#include <unistd.h>

#include "platform/media/Backend.h"
#include "platform/media/Internal.h"
#include "platform/media/VirtualAudio.h"

namespace media {

using com::E_INVALIDARG;
using com::E_NOINTERFACE;
using com::E_NOTIMPL;
using com::E_OUTOFMEMORY;
using com::E_POINTER;
using com::S_FALSE;
using com::S_OK;

namespace {
std::atomic<bool> gAlsaEnabled{true};

void InstallEnvironmentDevicesOnce() {
  static std::once_flag once;
  std::call_once(once, [] { TVirtualAudio::InstallFromEnvironment(); });
}
} // namespace

void SetAlsaEnabled(bool enabled) { gAlsaEnabled = enabled; }
bool AlsaEnabled() { return gAlsaEnabled; }

namespace detail {

namespace {

// The ALSA listing as last read, read anew only when a card comes or goes or
// the ALSA configuration changes. Asking for the configured PCMs parses the
// whole configuration, and asking alsa-lib for the cards tries each of the 32
// control devices: far too much for a poll once a second. A card that comes
// or goes adds or removes its device nodes in the card folder, so the folder
// alone tells whether the cards changed.
class TAlsaListing {
public:
  TAlsaListing() = default;
  TAlsaListing(const TAlsaListing &) = delete;
  TAlsaListing &operator=(const TAlsaListing &) = delete;

  std::vector<TDeviceEntry> List(bool capture) {
    std::lock_guard<std::mutex> lock(m_);
    std::string cards = CardSignature(folder_);
    // Our own copy of the configuration tells a change of its files (the
    // library's own copy may have been brought up to date by an open).
    int changed = snd_config_update_r(&config_, &update_, nullptr);
    if (changed != 0 || cards != cards_) {
      cards_ = std::move(cards);
      read_[0] = read_[1] = false;
    }
    int kind = capture ? 1 : 0;
    if (!read_[kind]) {
      lists_[kind] = AlsaBackend().List(capture);
      read_[kind] = true;
    }
    return lists_[kind];
  }

  void SetCardFolder(std::string folder) {
    std::lock_guard<std::mutex> lock(m_);
    folder_ = std::move(folder);
  }

private:
  // The folder's entries and their inodes, in name order: a card that goes
  // and another that takes its index leave nodes of other inodes. No folder
  // (no card at all) is an empty signature.
  static std::string CardSignature(const std::string &folder) {
    std::vector<std::string> entries;
    if (DIR *dir = opendir(folder.c_str())) {
      while (const dirent *e = readdir(dir)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
          entries.push_back(std::string(e->d_name) + ':' + std::to_string(e->d_ino) + ',');
      }
      closedir(dir);
    }
    std::sort(entries.begin(), entries.end());
    std::string s;
    for (auto &e : entries)
      s += e;
    return s;
  }

  std::mutex m_;
  std::string folder_ = "/dev/snd";
  snd_config_t *config_ = nullptr;
  snd_config_update_t *update_ = nullptr;
  std::string cards_;
  bool read_[2] = {false, false};
  std::vector<TDeviceEntry> lists_[2];
};

TAlsaListing &AlsaListing() {
  static TAlsaListing listing;
  return listing;
}

} // namespace

void SetCardFolder(const std::string &folder) { AlsaListing().SetCardFolder(folder); }

IAudioBackend *BackendFor(const std::string &id) {
  if (VirtualBackend().Owns(id))
    return &VirtualBackend();
  if (AlsaEnabled() && PulseBackend().Owns(id))
    return &PulseBackend();
  if (AlsaEnabled() && AlsaBackend().Owns(id))
    return &AlsaBackend();
  return nullptr;
}

std::vector<TDeviceEntry> ListDevices(bool capture) {
  InstallEnvironmentDevicesOnce();
  std::vector<TDeviceEntry> out;
  if (AlsaEnabled()) {
    // A card the server holds is busy as an ALSA device: only the server's
    // device for it is listed.
    std::vector<std::string> held;
    out = ServerDevices(capture, &held);
    for (auto &e : AlsaListing().List(capture)) {
      bool isHeld = false;
      for (auto &card : held)
        isHeld = isHeld || e.Id.rfind("plughw:CARD=" + card + ",", 0) == 0;
      if (!isHeld)
        out.push_back(e);
    }
  }
  for (auto &e : VirtualBackend().List(capture))
    out.push_back(e);
  return out;
}

bool DefaultDevice(bool capture, TDeviceEntry *entry) {
  auto list = ListDevices(capture);
  if (AlsaEnabled()) {
    std::string server = PulseBackend().DefaultId(capture);
    if (!server.empty()) {
      *entry = {server, "Default"};
      return true;
    }
  }
  bool alsaListed = false;
  for (auto &e : list)
    if (!VirtualBackend().Owns(e.Id))
      alsaListed = true;
  std::string vdefault = VirtualBackend().DefaultId(capture);
  if (alsaListed || (vdefault.empty() && AlsaEnabled())) {
    *entry = {"default", "Default"};
    return true;
  }
  for (auto &e : list)
    if (e.Id == vdefault) {
      *entry = e;
      return true;
    }
  return false;
}

} // namespace detail

namespace {

using detail::TDeviceEntry;

// Which kind of device a category lists: 1 capture, 0 render, -1 none.
int KindOf(const TGUID &category) {
  if (category == CLSID_AudioInputDeviceCategory)
    return 1;
  if (category == CLSID_AudioRendererCategory)
    return 0;
  return -1;
}

class TPropertyBag final : public com::TInterfacedObject, public IPropertyBag {
public:
  TPropertyBag(std::string friendlyName, TGUID clsid)
      : name_(std::move(friendlyName)), clsid_(clsid) {}
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<IPropertyBag>(this, iid, out);
  }
  uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
  uint32_t Release() override { return TInterfacedObject::Release(); }
  HRESULT Read(LPCOLESTR name, VARIANT *value, IErrorLog *) override {
    if (name == nullptr || value == nullptr)
      return E_POINTER;
    std::u16string n(name);
    if (n == u"FriendlyName") {
      value->vt = VT_BSTR;
      value->bstrVal = Utf8ToWide(name_);
      return S_OK;
    }
    if (n == u"CLSID") {
      value->vt = VT_BSTR;
      value->bstrVal = Utf8ToWide(clsid_.ToString());
      return S_OK;
    }
    return E_INVALIDARG;
  }
  HRESULT Write(LPCOLESTR, VARIANT *) override { return E_NOTIMPL; }

private:
  std::string name_;
  TGUID clsid_;
};

class TDeviceMoniker final : public com::TInterfacedObject, public IMoniker {
public:
  TDeviceMoniker(TGUID category, TDeviceEntry entry)
      : category_(category), entry_(std::move(entry)) {}
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<IMoniker, IPersist>(this, iid, out);
  }
  uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
  uint32_t Release() override { return TInterfacedObject::Release(); }

  HRESULT GetClassID(CLSID *clsid) override {
    if (clsid == nullptr)
      return E_POINTER;
    *clsid = CLSID_CDeviceMoniker;
    return S_OK;
  }
  HRESULT BindToObject(IBindCtx *, IMoniker *, const TGUID &iid, void **out) override {
    if (out == nullptr)
      return E_POINTER;
    *out = nullptr;
    TComPtr<IBaseFilter> filter = KindOf(category_) == 1
                                      ? detail::CreateCaptureFilter(entry_.Id, entry_.FriendlyName)
                                      : detail::CreateRenderFilter(entry_.Id, entry_.FriendlyName);
    if (!filter)
      return E_OUTOFMEMORY;
    return filter->QueryInterface(iid, out);
  }
  HRESULT BindToStorage(IBindCtx *, IMoniker *, const TGUID &iid, void **out) override {
    if (out == nullptr)
      return E_POINTER;
    *out = nullptr;
    if (iid != IPropertyBag::IID)
      return E_NOINTERFACE;
    TGUID clsid = KindOf(category_) == 1 ? CLSID_AudioCaptureFilter : CLSID_AudioRenderFilter;
    return com::MakeCom<TPropertyBag>(entry_.FriendlyName, clsid)->QueryInterface(iid, out);
  }
  HRESULT GetDisplayName(IBindCtx *, IMoniker *, LPOLESTR *name) override {
    if (name == nullptr)
      return E_POINTER;
    *name = TaskMemWideCopy(Utf8ToWide(DeviceDisplayName(category_, entry_.Id)));
    return *name ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT IsEqual(IMoniker *other) override {
    if (other == nullptr)
      return S_FALSE;
    LPOLESTR a = nullptr, b = nullptr;
    GetDisplayName(nullptr, nullptr, &a);
    other->GetDisplayName(nullptr, nullptr, &b);
    bool equal = a && b && std::u16string(a) == std::u16string(b);
    CoTaskMemFree(a);
    CoTaskMemFree(b);
    return equal ? S_OK : S_FALSE;
  }

private:
  TGUID category_;
  TDeviceEntry entry_;
};

class TItemMoniker final : public com::TInterfacedObject, public IMoniker {
public:
  explicit TItemMoniker(std::u16string text) : text_(std::move(text)) {}
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<IMoniker, IPersist>(this, iid, out);
  }
  uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
  uint32_t Release() override { return TInterfacedObject::Release(); }
  HRESULT GetClassID(CLSID *clsid) override {
    if (clsid == nullptr)
      return E_POINTER;
    *clsid = GUID_NULL;
    return S_OK;
  }
  HRESULT BindToObject(IBindCtx *, IMoniker *, const TGUID &, void **out) override {
    if (out)
      *out = nullptr;
    return MK_E_NOOBJECT;
  }
  HRESULT BindToStorage(IBindCtx *, IMoniker *, const TGUID &, void **out) override {
    if (out)
      *out = nullptr;
    return MK_E_NOOBJECT;
  }
  HRESULT GetDisplayName(IBindCtx *, IMoniker *, LPOLESTR *name) override {
    if (name == nullptr)
      return E_POINTER;
    *name = TaskMemWideCopy(text_);
    return *name ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT IsEqual(IMoniker *other) override {
    if (other == nullptr)
      return S_FALSE;
    LPOLESTR b = nullptr;
    other->GetDisplayName(nullptr, nullptr, &b);
    bool equal = b && text_ == std::u16string(b);
    CoTaskMemFree(b);
    return equal ? S_OK : S_FALSE;
  }

private:
  std::u16string text_;
};

class TBindCtx final : public com::TInterfacedObject, public IBindCtx {
public:
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<IBindCtx>(this, iid, out);
  }
  uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
  uint32_t Release() override { return TInterfacedObject::Release(); }
};

using TEnumMonikers = detail::TEnumSnapshot<IEnumMoniker, IMoniker>;

std::vector<TComPtr<IMoniker>> MonikersOf(const TGUID &category) {
  std::vector<TComPtr<IMoniker>> list;
  int kind = KindOf(category);
  if (kind < 0)
    return list;
  for (auto &e : detail::ListDevices(kind == 1))
    list.emplace_back(com::MakeCom<TDeviceMoniker>(category, e));
  return list;
}

class TSystemDeviceEnum final : public com::TInterfacedObject, public ICreateDevEnum {
public:
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<ICreateDevEnum>(this, iid, out);
  }
  uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
  uint32_t Release() override { return TInterfacedObject::Release(); }
  HRESULT CreateClassEnumerator(const TGUID &category, IEnumMoniker **monikers, DWORD) override {
    if (monikers == nullptr)
      return E_POINTER;
    *monikers = nullptr;
    auto list = MonikersOf(category);
    if (list.empty())
      return S_FALSE;
    *monikers = com::MakeCom<TEnumMonikers>(std::move(list)).Detach();
    return S_OK;
  }
};

class TFilterMapper final : public com::TInterfacedObject, public IFilterMapper2 {
public:
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<IFilterMapper2>(this, iid, out);
  }
  uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
  uint32_t Release() override { return TInterfacedObject::Release(); }
  HRESULT EnumMatchingFilters(IEnumMoniker **monikers, DWORD, BOOL, DWORD, BOOL, DWORD,
                              const TGUID *, const REGPINMEDIUM *, const TGUID *, BOOL, BOOL, DWORD,
                              const TGUID *, const REGPINMEDIUM *, const TGUID *) override {
    if (monikers == nullptr)
      return E_POINTER;
    auto list = MonikersOf(CLSID_AudioInputDeviceCategory);
    for (auto &m : MonikersOf(CLSID_AudioRendererCategory))
      list.push_back(m);
    *monikers = com::MakeCom<TEnumMonikers>(std::move(list)).Detach();
    return S_OK;
  }
};

class TRunningObjectTable final : public com::TInterfacedObject, public IRunningObjectTable {
public:
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<IRunningObjectTable>(this, iid, out);
  }
  uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
  uint32_t Release() override { return TInterfacedObject::Release(); }
  HRESULT Register(DWORD, IUnknown *object, IMoniker *name, DWORD *cookie) override {
    if (object == nullptr || name == nullptr || cookie == nullptr)
      return E_INVALIDARG;
    LPOLESTR text = nullptr;
    HRESULT hr = name->GetDisplayName(nullptr, nullptr, &text);
    if (FAILED(hr))
      return hr;
    std::u16string key(text);
    CoTaskMemFree(text);
    std::lock_guard<std::mutex> lock(m_);
    *cookie = next_++;
    entries_[*cookie] = {key, TComPtr<IUnknown>(object)};
    return S_OK;
  }
  HRESULT Revoke(DWORD cookie) override {
    TComPtr<IUnknown> object; // released outside the lock
    std::lock_guard<std::mutex> lock(m_);
    auto it = entries_.find(cookie);
    if (it == entries_.end())
      return E_INVALIDARG;
    object = std::move(it->second.object);
    entries_.erase(it);
    return S_OK;
  }
  HRESULT IsRunning(IMoniker *name) override {
    TComPtr<IUnknown> o;
    return GetObject(name, reinterpret_cast<IUnknown **>(o.PutVoid())) == S_OK ? S_OK : S_FALSE;
  }
  HRESULT GetObject(IMoniker *name, IUnknown **object) override {
    if (name == nullptr || object == nullptr)
      return E_POINTER;
    *object = nullptr;
    LPOLESTR text = nullptr;
    if (FAILED(name->GetDisplayName(nullptr, nullptr, &text)))
      return MK_E_NOOBJECT;
    std::u16string key(text);
    CoTaskMemFree(text);
    std::lock_guard<std::mutex> lock(m_);
    for (auto &[cookie, e] : entries_)
      if (e.name == key) {
        *object = TComPtr<IUnknown>(e.object).Detach();
        return S_OK;
      }
    return MK_E_NOOBJECT;
  }

private:
  struct TEntry {
    std::u16string name;
    TComPtr<IUnknown> object;
  };
  std::mutex m_;
  std::map<DWORD, TEntry> entries_;
  DWORD next_ = 1;
};

} // namespace

std::string DeviceDisplayName(const TGUID &category, const std::string &id) {
  return "@device:cm:" + category.ToString() + "\\" + id;
}

std::string DefaultDeviceDisplayName(const TGUID &category) {
  return "@device:*:" + category.ToString();
}

HRESULT CreateBindCtx(DWORD, IBindCtx **ctx) {
  if (ctx == nullptr)
    return E_POINTER;
  *ctx = com::MakeCom<TBindCtx>().Detach();
  return S_OK;
}

HRESULT MkParseDisplayName(IBindCtx *, LPCOLESTR name, ULONG *eaten, IMoniker **moniker) {
  if (moniker == nullptr)
    return E_POINTER;
  *moniker = nullptr;
  if (eaten)
    *eaten = 0;
  if (name == nullptr)
    return E_POINTER;
  std::string text = WideToUtf8(std::u16string(name));
  // "@device:*:{category}" or "@device:cm:{category}\id".
  bool isDefault = text.rfind("@device:*:", 0) == 0;
  bool isDevice = text.rfind("@device:cm:", 0) == 0;
  if (!isDefault && !isDevice)
    return MK_E_SYNTAX;
  std::string rest = text.substr(isDefault ? 10 : 11);
  if (rest.size() < 38)
    return MK_E_SYNTAX;
  std::optional<TGUID> category = TGUID::TryParse(rest.substr(0, 38));
  if (!category)
    return MK_E_SYNTAX;
  int kind = KindOf(*category);
  std::string id;
  if (isDefault) {
    if (rest.size() != 38)
      return MK_E_SYNTAX;
    if (kind < 0)
      return MK_E_NOOBJECT;
    TDeviceEntry entry;
    if (!detail::DefaultDevice(kind == 1, &entry))
      return MK_E_NOOBJECT;
    *moniker = com::MakeCom<TDeviceMoniker>(*category, entry).Detach();
  } else {
    if (rest.size() < 40 || rest[38] != '\\')
      return MK_E_SYNTAX;
    id = rest.substr(39);
    if (kind < 0)
      return MK_E_NOOBJECT;
    for (auto &e : detail::ListDevices(kind == 1))
      if (e.Id == id) {
        *moniker = com::MakeCom<TDeviceMoniker>(*category, e).Detach();
        break;
      }
    if (*moniker == nullptr)
      return MK_E_NOOBJECT;
  }
  if (eaten)
    *eaten = static_cast<ULONG>(std::u16string(name).size());
  return S_OK;
}

HRESULT CreateItemMoniker(LPCOLESTR delimiter, LPCOLESTR item, IMoniker **moniker) {
  if (moniker == nullptr)
    return E_POINTER;
  std::u16string text =
      (delimiter ? std::u16string(delimiter) : u"") + (item ? std::u16string(item) : u"");
  *moniker = com::MakeCom<TItemMoniker>(text).Detach();
  return S_OK;
}

HRESULT GetRunningObjectTable(DWORD, IRunningObjectTable **table) {
  if (table == nullptr)
    return E_POINTER;
  static TComPtr<TRunningObjectTable> rot = com::MakeCom<TRunningObjectTable>();
  *table = TComPtr<IRunningObjectTable>(rot).Detach();
  return S_OK;
}

HRESULT StgCreateDocfile(LPCOLESTR, DWORD, DWORD, IStorage **storage) {
  if (storage)
    *storage = nullptr;
  return E_NOTIMPL;
}

HRESULT OleCreatePropertyFrame(void *, uint32_t, uint32_t, LPCOLESTR, ULONG, IUnknown **, ULONG,
                               const TGUID *, uint32_t, DWORD, void *) {
  return E_NOTIMPL;
}

uint32_t GetCurrentProcessId() { return static_cast<uint32_t>(getpid()); }

void RegisterMediaClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    com::RegisterClass(CLSID_SystemDeviceEnum, com::FactoryOf<TSystemDeviceEnum>());
    com::RegisterClass(CLSID_FilterMapper2, com::FactoryOf<TFilterMapper>());
    com::RegisterClass(CLSID_MemoryAllocator, com::FactoryOf<detail::TMemAllocator>());
    com::RegisterClass(CLSID_SystemClock,
                       [](IUnknown *outer, const TGUID &iid, void **out) -> HRESULT {
                         if (out == nullptr)
                           return E_POINTER;
                         *out = nullptr;
                         if (outer)
                           return com::CLASS_E_NOAGGREGATION;
                         return CreateSystemClock()->QueryInterface(iid, out);
                       });
    detail::RegisterGraphClasses();
    detail::RegisterGrabberClasses();
  });
}

namespace {
// Programs that link the media layer find its classes also through
// com::CoCreateInstance.
const bool gRegisteredAtStart = (RegisterMediaClasses(), true);
} // namespace

HRESULT CoCreateInstance(const TGUID &clsid, IUnknown *outer, DWORD clsContext, const TGUID &iid,
                         void **out) {
  RegisterMediaClasses();
  return com::CoCreateInstance(clsid, outer, clsContext, iid, out);
}

} // namespace media
