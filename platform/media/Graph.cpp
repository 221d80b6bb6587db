#include <algorithm>
#include <deque>
#include <functional>
#include <map>

#include "platform/mainloop/HiddenWindow.h"
#include "platform/media/Internal.h"

namespace media::detail {

using com::E_ABORT;
using com::E_FAIL;
using com::E_INVALIDARG;
using com::E_NOINTERFACE;
using com::E_NOTIMPL;
using com::E_POINTER;
using com::E_UNEXPECTED;
using com::FAILED;
using com::S_FALSE;
using com::S_OK;
using com::SUCCEEDED;

namespace {

std::vector<TComPtr<IPin>> PinsOf(IBaseFilter *filter) {
  std::vector<TComPtr<IPin>> pins;
  TComPtr<IEnumPins> e;
  if (filter == nullptr || FAILED(filter->EnumPins(reinterpret_cast<IEnumPins **>(e.PutVoid()))) ||
      !e)
    return pins;
  IPin *p = nullptr;
  ULONG got = 0;
  while (e->Next(1, &p, &got) == S_OK && got == 1)
    pins.push_back(TComPtr<IPin>::Attach(p));
  return pins;
}

PIN_DIRECTION DirectionOf(IPin *pin) {
  PIN_DIRECTION d = PINDIR_INPUT;
  pin->QueryDirection(&d);
  return d;
}

TComPtr<IBaseFilter> FilterOf(IPin *pin) {
  PIN_INFO info{};
  if (pin == nullptr || FAILED(pin->QueryPinInfo(&info)))
    return nullptr;
  return TComPtr<IBaseFilter>::Attach(info.pFilter);
}

bool PinMatches(IPin *pin, const TGUID *category, const TGUID *type) {
  if (category != nullptr && !category->IsNull()) {
    auto *own = dynamic_cast<TPinBase *>(pin);
    if (own == nullptr || own->Category() != *category)
      return false;
  }
  if (type != nullptr && !type->IsNull()) {
    AM_MEDIA_TYPE mt{};
    if (pin->ConnectionMediaType(&mt) == S_OK) {
      bool ok = mt.majortype == *type;
      FreeMediaType(mt);
      return ok;
    }
    FreeMediaType(mt);
    TComPtr<IEnumMediaTypes> e;
    if (FAILED(pin->EnumMediaTypes(reinterpret_cast<IEnumMediaTypes **>(e.PutVoid()))) || !e)
      return false;
    AM_MEDIA_TYPE *t = nullptr;
    ULONG got = 0;
    bool ok = false;
    while (!ok && e->Next(1, &t, &got) == S_OK && got == 1) {
      ok = t->majortype == *type;
      DeleteMediaType(t);
    }
    return ok;
  }
  return true;
}

TComPtr<IPin> FirstFreePin(IBaseFilter *filter, PIN_DIRECTION dir, const TGUID *category,
                           const TGUID *type) {
  for (auto &p : PinsOf(filter)) {
    if (DirectionOf(p.Get()) != dir)
      continue;
    TComPtr<IPin> other;
    if (p->ConnectedTo(reinterpret_cast<IPin **>(other.PutVoid())) == S_OK)
      continue;
    if (PinMatches(p.Get(), category, type))
      return p;
  }
  return nullptr;
}

class TFilterGraph final : public com::TInterfacedObject,
                           public IFilterGraph2,
                           public IMediaControl,
                           public IMediaEventEx,
                           public IMediaFilter,
                           public IMediaEventSink {
public:
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<IFilterGraph2, IGraphBuilder, IFilterGraph, IMediaControl,
                                  IMediaEventEx, IMediaEvent, IMediaFilter, IPersist,
                                  IMediaEventSink>(this, iid, out);
  }
  uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
  uint32_t Release() override { return TInterfacedObject::Release(); }

  ~TFilterGraph() override {
    Stop();
    std::vector<TEntry> filters;
    {
      std::lock_guard<std::recursive_mutex> lock(m_);
      filters = filters_;
      filters_.clear();
    }
    // Connections hold their pins' filters: break them all so nothing keeps a cycle.
    for (auto &f : filters)
      for (auto &p : PinsOf(f.filter.Get()))
        p->Disconnect();
    for (auto &f : filters)
      f.filter->JoinFilterGraph(nullptr, nullptr);
    std::lock_guard<std::mutex> lock(eventLock_);
    for (auto &e : events_)
      ReleaseParams(e.code, e.p1, e.p2);
  }

  // ---- IFilterGraph -----------------------------------------------------------------
  HRESULT AddFilter(IBaseFilter *filter, LPCWSTR name) override {
    if (filter == nullptr)
      return E_POINTER;
    std::lock_guard<std::recursive_mutex> lock(m_);
    for (auto &f : filters_)
      if (f.filter.Get() == filter)
        return VFW_E_DUPLICATE_NAME;
    std::u16string base = (name && *name) ? std::u16string(name) : u"Filter";
    std::u16string unique = base;
    HRESULT result = S_OK;
    for (int n = 1; FindByName(unique); ++n) {
      char suffix[16];
      std::snprintf(suffix, sizeof suffix, " %04d", n);
      unique = base + Utf8ToWide(suffix);
      result = VFW_S_DUPLICATE_NAME;
    }
    HRESULT hr = filter->JoinFilterGraph(this, unique.c_str());
    if (FAILED(hr))
      return hr;
    filters_.push_back({TComPtr<IBaseFilter>(filter), unique});
    if (clock_)
      filter->SetSyncSource(clock_.Get());
    return result;
  }

  HRESULT RemoveFilter(IBaseFilter *filter) override {
    if (filter == nullptr)
      return E_POINTER;
    std::lock_guard<std::recursive_mutex> lock(m_);
    auto it = std::find_if(filters_.begin(), filters_.end(),
                           [&](const TEntry &e) { return e.filter.Get() == filter; });
    if (it == filters_.end())
      return VFW_E_NOT_FOUND;
    TComPtr<IBaseFilter> keep = it->filter;
    if (state_ != State_Stopped)
      keep->Stop();
    for (auto &p : PinsOf(keep.Get())) {
      TComPtr<IPin> other;
      if (p->ConnectedTo(reinterpret_cast<IPin **>(other.PutVoid())) == S_OK) {
        FILTER_STATE st = State_Stopped;
        if (auto of = FilterOf(other.Get())) {
          of->GetState(0, &st);
          if (st != State_Stopped)
            of->Stop();
        }
        other->Disconnect();
      }
      p->Disconnect();
    }
    keep->SetSyncSource(nullptr);
    keep->JoinFilterGraph(nullptr, nullptr);
    filters_.erase(it);
    return S_OK;
  }

  HRESULT EnumFilters(IEnumFilters **filters) override {
    if (filters == nullptr)
      return E_POINTER;
    std::vector<TComPtr<IBaseFilter>> list;
    {
      std::lock_guard<std::recursive_mutex> lock(m_);
      for (auto &f : filters_)
        list.push_back(f.filter);
    }
    *filters = com::MakeCom<TEnumSnapshot<IEnumFilters, IBaseFilter>>(std::move(list)).Detach();
    return S_OK;
  }

  HRESULT FindFilterByName(LPCWSTR name, IBaseFilter **filter) override {
    if (name == nullptr || filter == nullptr)
      return E_POINTER;
    std::lock_guard<std::recursive_mutex> lock(m_);
    TEntry *e = FindByName(name);
    *filter = e ? TComPtr<IBaseFilter>(e->filter).Detach() : nullptr;
    return e ? S_OK : VFW_E_NOT_FOUND;
  }

  HRESULT ConnectDirect(IPin *out, IPin *in, const AM_MEDIA_TYPE *mt) override {
    if (out == nullptr || in == nullptr)
      return E_POINTER;
    std::lock_guard<std::recursive_mutex> lock(m_);
    if (state_ != State_Stopped)
      return VFW_E_NOT_STOPPED;
    if (DirectionOf(out) != PINDIR_OUTPUT || DirectionOf(in) != PINDIR_INPUT)
      return VFW_E_INVALID_DIRECTION;
    return out->Connect(in, mt);
  }

  HRESULT Reconnect(IPin *pin) override { return ReconnectEx(pin, nullptr); }

  HRESULT Disconnect(IPin *pin) override {
    if (pin == nullptr)
      return E_POINTER;
    return pin->Disconnect();
  }

  HRESULT SetDefaultSyncSource() override {
    std::lock_guard<std::recursive_mutex> lock(m_);
    TComPtr<IReferenceClock> clock;
    for (IBaseFilter *f : Ordered()) {
      clock = TComPtr<IReferenceClock>::Query(f);
      if (clock)
        break;
    }
    if (!clock)
      clock = CreateSystemClock();
    return SetClock(clock.Get());
  }

  // ---- IGraphBuilder ------------------------------------------------------------------
  HRESULT Connect(IPin *out, IPin *in) override { return ConnectDirect(out, in, nullptr); }

  HRESULT Render(IPin *out) override {
    if (out == nullptr)
      return E_POINTER;
    TComPtr<IBaseFilter> renderer = CreateDefaultRenderer();
    if (!renderer)
      return VFW_E_NO_AUDIO_HARDWARE;
    HRESULT hr = AddFilter(renderer.Get(), u"Default Audio Renderer");
    if (FAILED(hr))
      return hr;
    TComPtr<IPin> in = FirstFreePin(renderer.Get(), PINDIR_INPUT, nullptr, nullptr);
    hr = in ? ConnectDirect(out, in.Get(), nullptr) : VFW_E_CANNOT_RENDER;
    if (FAILED(hr))
      RemoveFilter(renderer.Get());
    return hr;
  }

  HRESULT RenderFile(LPCWSTR, LPCWSTR) override { return E_NOTIMPL; }
  HRESULT Abort() override { return S_OK; }
  HRESULT ShouldOperationContinue() override { return S_OK; }

  HRESULT ReconnectEx(IPin *pin, const AM_MEDIA_TYPE *mt) override {
    if (pin == nullptr)
      return E_POINTER;
    std::lock_guard<std::recursive_mutex> lock(m_);
    if (state_ != State_Stopped)
      return VFW_E_NOT_STOPPED;
    TComPtr<IPin> other;
    if (pin->ConnectedTo(reinterpret_cast<IPin **>(other.PutVoid())) != S_OK)
      return VFW_E_NOT_CONNECTED;
    IPin *out = DirectionOf(pin) == PINDIR_OUTPUT ? pin : other.Get();
    IPin *in = out == pin ? other.Get() : pin;
    out->Disconnect();
    in->Disconnect();
    return out->Connect(in, mt);
  }

  // ---- IMediaControl / IMediaFilter ----------------------------------------------------------
  HRESULT Run() override {
    std::lock_guard<std::recursive_mutex> lock(m_);
    if (state_ == State_Running)
      return S_OK;
    if (state_ == State_Stopped) {
      HRESULT hr = Pause();
      if (FAILED(hr))
        return hr;
    }
    REFERENCE_TIME start = 0;
    if (clock_)
      clock_->GetTime(&start);
    return RunAt(start);
  }

  HRESULT Run(REFERENCE_TIME start) override {
    std::lock_guard<std::recursive_mutex> lock(m_);
    if (state_ == State_Stopped) {
      HRESULT hr = Pause();
      if (FAILED(hr))
        return hr;
    }
    return RunAt(start);
  }

  HRESULT Pause() override {
    std::lock_guard<std::recursive_mutex> lock(m_);
    if (state_ == State_Paused)
      return S_OK;
    if (state_ == State_Stopped && !clockChosen_)
      SetDefaultSyncSource();
    // Renderers first, so they are ready before their sources push data.
    for (IBaseFilter *f : Ordered()) {
      HRESULT hr = f->Pause();
      if (FAILED(hr)) {
        StopAll();
        return hr;
      }
    }
    state_ = State_Paused;
    return S_OK;
  }

  HRESULT Stop() override {
    std::lock_guard<std::recursive_mutex> lock(m_);
    if (state_ == State_Stopped)
      return S_OK;
    StopAll();
    return S_OK;
  }

  HRESULT GetState(LONG, OAFilterState *state) override {
    if (state == nullptr)
      return E_POINTER;
    *state = state_;
    return S_OK;
  }
  HRESULT GetState(DWORD, FILTER_STATE *state) override {
    if (state == nullptr)
      return E_POINTER;
    *state = state_;
    return S_OK;
  }
  HRESULT StopWhenReady() override { return Stop(); }

  HRESULT GetClassID(CLSID *clsid) override {
    if (clsid == nullptr)
      return E_POINTER;
    *clsid = CLSID_FilterGraph;
    return S_OK;
  }
  HRESULT SetSyncSource(IReferenceClock *clock) override {
    std::lock_guard<std::recursive_mutex> lock(m_);
    return SetClock(clock);
  }
  HRESULT GetSyncSource(IReferenceClock **clock) override {
    if (clock == nullptr)
      return E_POINTER;
    std::lock_guard<std::recursive_mutex> lock(m_);
    if (!clockChosen_)
      SetDefaultSyncSource();
    *clock = TComPtr<IReferenceClock>(clock_).Detach();
    return S_OK;
  }

  // ---- Events
  // ---------------------------------------------------------------------------------------
  HRESULT Notify(LONG code, LONG_PTR p1, LONG_PTR p2) override {
    HoldParams(code, p1, p2);
    mainloop::THiddenWindow *window;
    mainloop::TTargetId handle;
    LONG msg;
    LONG_PTR instance;
    {
      std::lock_guard<std::mutex> lock(eventLock_);
      events_.push_back({code, p1, p2});
      window = noNotify_ ? nullptr : window_;
      handle = handle_;
      msg = msg_;
      instance = instance_;
    }
    eventCv_.notify_all();
    // Posted through the window's loop target: a window destroyed meanwhile
    // has its target removed, and the call is dropped instead of reaching it.
    if (window != nullptr)
      mainloop::TMainLoop::Main().Post(handle, [window, msg, instance] {
        window->PostMessage(static_cast<uint32_t>(msg), 0, instance);
      });
    return S_OK;
  }

  HRESULT GetEvent(LONG *code, LONG_PTR *p1, LONG_PTR *p2, LONG msTimeout) override {
    if (code == nullptr || p1 == nullptr || p2 == nullptr)
      return E_POINTER;
    std::unique_lock<std::mutex> lock(eventLock_);
    auto ready = [&] { return !events_.empty(); };
    if (msTimeout < 0)
      eventCv_.wait(lock, ready);
    else if (!eventCv_.wait_for(lock, std::chrono::milliseconds(msTimeout), ready))
      return E_ABORT;
    TEvent e = events_.front();
    events_.pop_front();
    *code = e.code;
    *p1 = e.p1;
    *p2 = e.p2;
    return S_OK;
  }
  HRESULT WaitForCompletion(LONG, LONG *code) override {
    if (code)
      *code = 0;
    return E_NOTIMPL;
  }
  HRESULT CancelDefaultHandling(LONG) override { return S_OK; }
  HRESULT RestoreDefaultHandling(LONG) override { return S_OK; }
  HRESULT FreeEventParams(LONG code, LONG_PTR p1, LONG_PTR p2) override {
    ReleaseParams(code, p1, p2);
    return S_OK;
  }
  HRESULT SetNotifyWindow(OAHWND window, LONG msg, LONG_PTR instance) override {
    std::lock_guard<std::mutex> lock(eventLock_);
    window_ = window;
    handle_ = window ? window->Handle() : 0;
    msg_ = msg;
    instance_ = instance;
    return S_OK;
  }
  HRESULT SetNotifyFlags(LONG flags) override {
    if (flags != 0 && flags != AM_MEDIAEVENT_NONOTIFY)
      return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(eventLock_);
    noNotify_ = flags != 0;
    return S_OK;
  }
  HRESULT GetNotifyFlags(LONG *flags) override {
    if (flags == nullptr)
      return E_POINTER;
    std::lock_guard<std::mutex> lock(eventLock_);
    *flags = noNotify_ ? AM_MEDIAEVENT_NONOTIFY : 0;
    return S_OK;
  }

private:
  struct TEntry {
    TComPtr<IBaseFilter> filter;
    std::u16string name;
  };
  struct TEvent {
    LONG code;
    LONG_PTR p1, p2;
  };

  // EC_DEVICE_LOST's device (an IUnknown*) travels with a count until
  // FreeEventParams. EC_COMPLETE's filter is carried as a value only: senders
  // pass their own interface pointer, which need not be an IUnknown* here.
  static void HoldParams(LONG code, LONG_PTR p1, LONG_PTR) {
    if (code == EC_DEVICE_LOST && p1)
      reinterpret_cast<IUnknown *>(p1)->AddRef();
  }
  static void ReleaseParams(LONG code, LONG_PTR p1, LONG_PTR) {
    if (code == EC_DEVICE_LOST && p1)
      reinterpret_cast<IUnknown *>(p1)->Release();
  }

  TEntry *FindByName(const std::u16string &name) {
    for (auto &f : filters_)
      if (f.name == name)
        return &f;
    return nullptr;
  }

  HRESULT SetClock(IReferenceClock *clock) {
    clock_ = clock;
    clockChosen_ = true;
    for (auto &f : filters_)
      f.filter->SetSyncSource(clock);
    return S_OK;
  }

  // Filters ordered downstream first: a filter comes after every filter its
  // outputs feed.
  std::vector<IBaseFilter *> Ordered() {
    std::map<IBaseFilter *, int> depth;
    std::function<int(IBaseFilter *, int)> depthOf = [&](IBaseFilter *f, int guard) -> int {
      auto it = depth.find(f);
      if (it != depth.end())
        return it->second;
      if (guard > 64)
        return 0;
      int d = 0;
      for (auto &p : PinsOf(f)) {
        if (DirectionOf(p.Get()) != PINDIR_OUTPUT)
          continue;
        TComPtr<IPin> other;
        if (p->ConnectedTo(reinterpret_cast<IPin **>(other.PutVoid())) != S_OK)
          continue;
        if (auto down = FilterOf(other.Get()))
          d = std::max(d, 1 + depthOf(down.Get(), guard + 1));
      }
      depth[f] = d;
      return d;
    };
    std::vector<IBaseFilter *> list;
    for (auto &f : filters_) {
      depthOf(f.filter.Get(), 0);
      list.push_back(f.filter.Get());
    }
    std::stable_sort(list.begin(), list.end(),
                     [&](IBaseFilter *a, IBaseFilter *b) { return depth[a] < depth[b]; });
    return list;
  }

  HRESULT RunAt(REFERENCE_TIME start) {
    for (IBaseFilter *f : Ordered()) {
      HRESULT hr = f->Run(start);
      if (FAILED(hr)) {
        StopAll();
        return hr;
      }
    }
    state_ = State_Running;
    return S_OK;
  }

  // Sources first, so nothing is pushed into a stopped renderer.
  void StopAll() {
    std::vector<IBaseFilter *> order = Ordered();
    for (auto it = order.rbegin(); it != order.rend(); ++it)
      (*it)->Stop();
    state_ = State_Stopped;
  }

  std::recursive_mutex m_;
  std::vector<TEntry> filters_;
  std::atomic<FILTER_STATE> state_{State_Stopped};
  TComPtr<IReferenceClock> clock_;
  bool clockChosen_ = false;

  std::mutex eventLock_;
  std::condition_variable eventCv_;
  std::deque<TEvent> events_;
  mainloop::THiddenWindow *window_ = nullptr;
  mainloop::TTargetId handle_ = 0;
  LONG msg_ = 0;
  LONG_PTR instance_ = 0;
  bool noNotify_ = false;
};

class TCaptureGraphBuilder final : public com::TInterfacedObject, public ICaptureGraphBuilder2 {
public:
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<ICaptureGraphBuilder2>(this, iid, out);
  }
  uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
  uint32_t Release() override { return TInterfacedObject::Release(); }

  HRESULT SetFiltergraph(IGraphBuilder *graph) override {
    if (graph == nullptr)
      return E_POINTER;
    std::lock_guard<std::mutex> lock(m_);
    if (graph_)
      return E_UNEXPECTED;
    graph_ = graph;
    return S_OK;
  }
  HRESULT GetFiltergraph(IGraphBuilder **graph) override {
    if (graph == nullptr)
      return E_POINTER;
    std::lock_guard<std::mutex> lock(m_);
    *graph = TComPtr<IGraphBuilder>(graph_).Detach();
    return *graph ? S_OK : E_UNEXPECTED;
  }

  HRESULT FindInterface(const TGUID *category, const TGUID *type, IBaseFilter *filter,
                        const TGUID &iid, void **out) override {
    if (out == nullptr)
      return E_POINTER;
    *out = nullptr;
    if (filter == nullptr)
      return E_POINTER;
    return Find(category, type, filter, iid, out, 0) ? S_OK : E_NOINTERFACE;
  }

  HRESULT RenderStream(const TGUID *category, const TGUID *type, IUnknown *source,
                       IBaseFilter *compressor, IBaseFilter *renderer) override {
    if (source == nullptr)
      return E_POINTER;
    TComPtr<IGraphBuilder> graph;
    {
      std::lock_guard<std::mutex> lock(m_);
      graph = graph_;
    }
    if (!graph)
      return E_UNEXPECTED;
    TComPtr<IPin> out = TComPtr<IPin>::Query(source);
    if (!out) {
      TComPtr<IBaseFilter> f = TComPtr<IBaseFilter>::Query(source);
      if (!f)
        return E_INVALIDARG;
      out = FirstFreePin(f.Get(), PINDIR_OUTPUT, category, type);
      if (!out)
        return E_FAIL;
    }
    TComPtr<IBaseFilter> target(renderer);
    bool added = false;
    if (!target) {
      target = CreateDefaultRenderer();
      if (!target)
        return VFW_E_NO_AUDIO_HARDWARE;
      HRESULT hr = graph->AddFilter(target.Get(), u"Default Audio Renderer");
      if (FAILED(hr))
        return hr;
      added = true;
    }
    HRESULT hr = S_OK;
    if (compressor != nullptr) {
      TComPtr<IPin> cin = FirstFreePin(compressor, PINDIR_INPUT, nullptr, nullptr);
      hr = cin ? graph->ConnectDirect(out.Get(), cin.Get(), nullptr) : E_FAIL;
      if (SUCCEEDED(hr)) {
        out = FirstFreePin(compressor, PINDIR_OUTPUT, nullptr, nullptr);
        if (!out)
          hr = E_FAIL;
      }
    }
    if (SUCCEEDED(hr)) {
      TComPtr<IPin> in = FirstFreePin(target.Get(), PINDIR_INPUT, nullptr, nullptr);
      hr = in ? graph->ConnectDirect(out.Get(), in.Get(), nullptr) : E_FAIL;
    }
    if (FAILED(hr) && added)
      graph->RemoveFilter(target.Get());
    return hr;
  }

  HRESULT FindPin(IUnknown *source, PIN_DIRECTION dir, const TGUID *category, const TGUID *type,
                  BOOL unconnected, int num, IPin **pin) override {
    if (pin == nullptr || source == nullptr)
      return E_POINTER;
    *pin = nullptr;
    TComPtr<IBaseFilter> f = TComPtr<IBaseFilter>::Query(source);
    if (!f)
      return E_INVALIDARG;
    int n = 0;
    for (auto &p : PinsOf(f.Get())) {
      if (DirectionOf(p.Get()) != dir || !PinMatches(p.Get(), category, type))
        continue;
      TComPtr<IPin> other;
      if (unconnected && p->ConnectedTo(reinterpret_cast<IPin **>(other.PutVoid())) == S_OK)
        continue;
      if (n++ == num) {
        *pin = p.Detach();
        return S_OK;
      }
    }
    return E_FAIL;
  }

private:
  // The filter itself, its pins of the category and type, then upstream.
  bool Find(const TGUID *category, const TGUID *type, IBaseFilter *filter, const TGUID &iid,
            void **out, int depth) {
    if (depth > 32)
      return false;
    if (SUCCEEDED(filter->QueryInterface(iid, out)) && *out)
      return true;
    auto pins = PinsOf(filter);
    for (auto &p : pins)
      if (PinMatches(p.Get(), category, type) && SUCCEEDED(p->QueryInterface(iid, out)) && *out)
        return true;
    for (auto &p : pins) {
      if (DirectionOf(p.Get()) != PINDIR_INPUT)
        continue;
      TComPtr<IPin> up;
      if (p->ConnectedTo(reinterpret_cast<IPin **>(up.PutVoid())) != S_OK)
        continue;
      if (auto upFilter = FilterOf(up.Get()))
        if (Find(nullptr, nullptr, upFilter.Get(), iid, out, depth + 1))
          return true;
    }
    return false;
  }

  std::mutex m_;
  TComPtr<IGraphBuilder> graph_;
};

} // namespace

void RegisterGraphClasses() {
  com::RegisterClass(CLSID_FilterGraph, com::FactoryOf<TFilterGraph>());
  com::RegisterClass(CLSID_CaptureGraphBuilder2, com::FactoryOf<TCaptureGraphBuilder>());
}

} // namespace media::detail
