#include "platform/media/Internal.h"

namespace media::detail {

using com::E_NOINTERFACE;
using com::E_POINTER;
using com::FAILED;
using com::S_OK;

TFilterBase::TFilterBase(const CLSID &clsid) : clsid_(clsid) {}

TFilterBase::~TFilterBase() = default;

HRESULT TFilterBase::QueryInterface(const TGUID &iid, void **out) {
  HRESULT hr = com::QueryInterfaceFor<IBaseFilter, IMediaFilter, IPersist>(this, iid, out);
  if (hr == E_NOINTERFACE)
    hr = QueryExtra(iid, out);
  return hr;
}

HRESULT TFilterBase::GetClassID(CLSID *clsid) {
  if (clsid == nullptr)
    return E_POINTER;
  *clsid = clsid_;
  return S_OK;
}

HRESULT TFilterBase::Stop() {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  if (state_ == State_Stopped)
    return S_OK;
  state_ = State_Stopped;
  HRESULT first = S_OK;
  for (auto &pin : pins_) {
    if (!pin->IsConnected())
      continue;
    HRESULT hr = pin->Inactive();
    if (FAILED(hr) && first == S_OK)
      first = hr;
  }
  OnStop();
  return first;
}

HRESULT TFilterBase::Pause() {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  FILTER_STATE from = state_;
  if (from == State_Stopped) {
    for (auto &pin : pins_) {
      if (!pin->IsConnected())
        continue;
      HRESULT hr = pin->Active();
      if (FAILED(hr)) {
        for (auto &p : pins_)
          if (p->IsConnected())
            p->Inactive();
        return hr;
      }
    }
  }
  HRESULT hr = OnPause(from);
  if (FAILED(hr)) {
    if (from == State_Stopped)
      for (auto &p : pins_)
        if (p->IsConnected())
          p->Inactive();
    return hr;
  }
  state_ = State_Paused;
  return S_OK;
}

HRESULT TFilterBase::Run(REFERENCE_TIME start) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  start_ = start;
  if (state_ == State_Stopped) {
    HRESULT hr = Pause();
    if (FAILED(hr))
      return hr;
  }
  if (state_ == State_Running)
    return S_OK;
  HRESULT hr = OnRun(start);
  if (FAILED(hr))
    return hr;
  state_ = State_Running;
  return S_OK;
}

HRESULT TFilterBase::GetState(DWORD, FILTER_STATE *state) {
  if (state == nullptr)
    return E_POINTER;
  *state = state_;
  return S_OK;
}

HRESULT TFilterBase::SetSyncSource(IReferenceClock *clock) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  clock_ = clock;
  return S_OK;
}

HRESULT TFilterBase::GetSyncSource(IReferenceClock **clock) {
  if (clock == nullptr)
    return E_POINTER;
  std::lock_guard<std::recursive_mutex> lock(lock_);
  *clock = TComPtr<IReferenceClock>(clock_).Detach();
  return S_OK;
}

HRESULT TFilterBase::EnumPins(IEnumPins **pins) {
  if (pins == nullptr)
    return E_POINTER;
  std::vector<TComPtr<IPin>> list;
  for (auto &p : pins_)
    list.emplace_back(static_cast<IPin *>(p.get()));
  *pins = com::MakeCom<TEnumSnapshot<IEnumPins, IPin>>(std::move(list)).Detach();
  return S_OK;
}

HRESULT TFilterBase::FindPin(LPCWSTR id, IPin **pin) {
  if (pin == nullptr)
    return E_POINTER;
  *pin = nullptr;
  if (id == nullptr)
    return E_POINTER;
  for (auto &p : pins_)
    if (p->Name() == id) {
      *pin = p.get();
      p->AddRef();
      return S_OK;
    }
  return VFW_E_NOT_FOUND;
}

HRESULT TFilterBase::QueryFilterInfo(FILTER_INFO *info) {
  if (info == nullptr)
    return E_POINTER;
  std::lock_guard<std::recursive_mutex> lock(lock_);
  CopyWideName(info->achName, MAX_FILTER_NAME, name_);
  info->pGraph = graph_;
  if (graph_)
    graph_->AddRef();
  return S_OK;
}

HRESULT TFilterBase::JoinFilterGraph(IFilterGraph *graph, LPCWSTR name) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  std::lock_guard<std::mutex> slock(sinkLock_);
  graph_ = graph;
  sink_ = nullptr;
  if (graph != nullptr) {
    TComPtr<IMediaEventSink> sink = TComPtr<IMediaEventSink>::Query(graph);
    sink_ = sink.Get(); // held without a count: the graph outlives its membership
  }
  name_ = name ? std::u16string(name) : std::u16string();
  return S_OK;
}

HRESULT TFilterBase::NotifyEvent(LONG code, LONG_PTR p1, LONG_PTR p2) {
  std::lock_guard<std::mutex> slock(sinkLock_);
  if (sink_ == nullptr)
    return com::E_NOTIMPL;
  return sink_->Notify(code, p1, p2);
}

} // namespace media::detail
