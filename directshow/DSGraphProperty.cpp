#include "directshow/DSGraphProperty.h"

#include <cctype>

#include "directshow/DSBaseClass.h"
#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/FormStream.h"
#include "platform/mainloop/MainLoop.h"
#include "platform/media/Media.h"
#include "platform/sys/ScopeExit.h"

using com::TComPtr;

namespace {

std::string UpperCase(std::string s) {
  for (char &c : s)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

} // namespace

// ---------------------------------------------------------------------------
// TDSFilterItem

const TClassInfo &TDSFilterItem::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TDSFilterItem>(
      "TDSFilterItem", &TOWExtCollectionItem::StaticClassInfo(),
      [](TClassBuilder<TDSFilterItem> &c) {
        c.String("FilterName", &TDSFilterItem::GetFilterName, &TDSFilterItem::SetName)
            .Stored([](TDSFilterItem &) { return false; });
      });
  return info;
}

TDSFilterItem::TDSFilterItem(TCollection *collection) : TOWExtCollectionItem(collection) {}

void TDSFilterItem::SetName(const std::string &name) {
  if (name == filterName_)
    return;
  if (name.empty()) {
    filterName_.clear();
    displayName_.clear();
    return;
  }
  TVLDSCapDeviceList list;
  list.EnumAllFilters();
  displayName_ = list.GetDeviceNameByString(name);
  if (!displayName_.empty())
    filterName_ = name;
}

TComPtr<media::IMoniker> TDSFilterItem::GetMoniker() const {
  if (UpperCase(filterName_) == "NONE")
    return nullptr;
  TVLDSCapDeviceList list;
  list.EnumAllFilters();
  return list.GetMonikerByDeviceName(displayName_);
}

std::string TDSFilterItem::GetDisplayName() const {
  return "Filter " + std::to_string(Index() + 1);
}

void TDSFilterItem::Assign(TPersistent *source) {
  if (auto *other = dynamic_cast<TDSFilterItem *>(source)) {
    filterName_ = other->filterName_;
    displayName_ = other->displayName_;
    return;
  }
  TOWExtCollectionItem::Assign(source);
}

void TDSFilterItem::DefineProperties(TFiler *filer) {
  TOWExtCollectionItem::DefineProperties(filer);
  filer->DefineProperty(
      "Data",
      [this](TReader *reader) {
        reader->ReadListBegin();
        displayName_ = reader->ReadString();
        filterName_ = reader->ReadString();
        reader->ReadListEnd();
      },
      [this](TWriter *writer) {
        writer->WriteListBegin();
        writer->WriteString(displayName_);
        writer->WriteString(filterName_);
        writer->WriteListEnd();
      },
      UpperCase(filterName_) != "NONE");
}

const TClassInfo &TDSFilterItems::StaticClassInfo() {
  static const TClassInfo &info =
      MakeClassInfo<TDSFilterItems>("TDSFilterItems", &TOWExtCollection::StaticClassInfo());
  return info;
}

TDSFilterItems::TDSFilterItems(TPersistent *owner)
    : TOWExtCollection(owner, &TDSFilterItem::StaticClassInfo()) {}

// ---------------------------------------------------------------------------
// TDSGraph

const TClassInfo &TDSGraph::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TDSGraph>(
      "TDSGraph", &TPersistent::StaticClassInfo(), [](TClassBuilder<TDSGraph> &c) {
        c.Object("AdditionalFilters", &TDSGraph::GetAdditionalFilters,
                 &TDSGraph::SetAdditionalFilters);
        c.Boolean("Register", &TDSGraph::GetRegister, &TDSGraph::SetRegister)
            .Stored([](TDSGraph &) { return true; });
        c.Event("OnError", &TDSGraph::OnError);
        c.Event("OnWarning", &TDSGraph::OnWarning);
        c.Event("OnGraphBuilt", &TDSGraph::OnGraphBuilt);
        c.Event("OnDeviceLost", &TDSGraph::OnDeviceLost);
        c.Event("OnAborted", &TDSGraph::OnAborted);
        c.Event("OnStarvation", &TDSGraph::OnStarvation);
      });
  return info;
}

TDSGraph::TDSGraph(TComponent *owner, TGraphEventCallback graphEvent, TOWObject *lockObject)
    : owner_(owner), lockObject_(lockObject), graphEvent_(std::move(graphEvent)) {
  HRESULT hr = com::CoInitialize(nullptr);
  comInitialized_ = hr == S_OK || hr == S_FALSE;
  window_ = std::make_unique<mainloop::THiddenWindow>();
  previousProc_ = window_->SetWindowProc([this](const mainloop::TMessage &m) { WindowProc(m); });
  additionalFilters_.reset(CreateObject<TDSFilterItems>(this));
}

TDSGraph::~TDSGraph() {
  if (registered_ && register_)
    RemoveFromROT();
  // Events queued later must not be announced to a window that is going.
  if (MediaEvent)
    MediaEvent->SetNotifyWindow(nullptr, 0, 0);
  MediaEvent.Reset();
  CaptureGraphBuilder.Reset();
  Graph.Reset();
  FreeObject(additionalFilters_.release());
  window_->SetWindowProc(previousProc_);
  window_.reset();
  if (comInitialized_)
    com::CoUninitialize();
}

bool TDSGraph::CreateGraph() {
  if (Graph)
    return true;
  HRESULT hr = media::CoCreateInstance(media::CLSID_FilterGraph, nullptr,
                                       com::CLSCTX_INPROC_SERVER | com::CLSCTX_INPROC_HANDLER,
                                       media::IGraphBuilder::IID, Graph.PutVoid());
  if (FAILED(hr) || !Graph) {
    Graph.Reset();
    Error("Can't build DirectShow graph.", FAILED(hr) ? hr : E_FAIL);
    return false;
  }
  return true;
}

bool TDSGraph::CreateGraphBuilder() {
  if (CaptureGraphBuilder)
    return true;
  HRESULT hr =
      media::CoCreateInstance(media::CLSID_CaptureGraphBuilder2, nullptr,
                              com::CLSCTX_INPROC_SERVER | com::CLSCTX_INPROC_HANDLER,
                              media::ICaptureGraphBuilder2::IID, CaptureGraphBuilder.PutVoid());
  if (FAILED(hr) || !CaptureGraphBuilder) {
    CaptureGraphBuilder.Reset();
    Error("Can't build DirectShow graph builder.", FAILED(hr) ? hr : E_FAIL);
    return false;
  }
  hr = CaptureGraphBuilder->SetFiltergraph(Graph.Get());
  if (FAILED(hr)) {
    Error("Can't build DirectShow graph builder.", hr);
    return false;
  }
  return true;
}

bool TDSGraph::SetMediaEvent() {
  MediaEvent = TComPtr<media::IMediaEventEx>::Query(Graph);
  if (!MediaEvent)
    return false;
  MediaEvent->SetNotifyWindow(window_.get(), static_cast<media::LONG>(media::WM_GRAPHNOTIFY), 0);
  MediaEvent->SetNotifyFlags(0);
  return true;
}

void TDSGraph::WindowProc(const mainloop::TMessage &message) {
  if (message.Msg == media::WM_GRAPHNOTIFY)
    EventLoop();
  else if (msgHook_)
    msgHook_(message);
  if (previousProc_)
    previousProc_(message);
}

void TDSGraph::EventLoop() {
  TOWWriteSection section(lockObject_);
  while (MediaEvent) {
    media::LONG code = 0;
    media::LONG_PTR p1 = 0, p2 = 0;
    if (FAILED(MediaEvent->GetEvent(&code, &p1, &p2, 0)))
      break;
    // The handlers of these two may tear the graph down: they see the
    // parameters as values only.
    bool freed = false;
    if (code == media::EC_ERRORABORT || code == media::EC_DEVICE_LOST) {
      MediaEvent->FreeEventParams(code, p1, p2);
      freed = true;
    }
    // Looked at when the handlers are done: one may have torn the graph down.
    sys::TScopeExit freeParams([&] {
      if (!freed && MediaEvent)
        MediaEvent->FreeEventParams(code, p1, p2);
    });
    if (graphEvent_)
      graphEvent_(code, p1, p2);
    if (code == media::EC_ERRORABORT && OnAborted)
      OnAborted(owner_);
    if (code == media::EC_STARVATION && OnStarvation)
      OnStarvation(owner_);
    if (code == media::EC_DEVICE_LOST && OnDeviceLost)
      OnDeviceLost(owner_);
  }
}

void TDSGraph::Error(const std::string &text, int32_t code) {
  mainloop::TMainLoop &loop = mainloop::TMainLoop::Main();
  if (loop.IsMainThread() || window_ == nullptr) {
    ReportError(text, code);
    return;
  }
  // Dropped with the window when the graph owner goes first.
  loop.Post(window_->Handle(), [this, text, code] { ReportError(text, code); });
}

void TDSGraph::ReportError(const std::string &text, int32_t code) {
  if (OnError) {
    bool handled = false;
    OnError(owner_, text, code, handled);
    if (handled)
      return;
  }
  // The system's text and code stay as they are; what the code means to the
  // person follows on a line of its own.
  std::string message = Format("%s - %u - %x", text.c_str(), static_cast<uint32_t>(code),
                               static_cast<uint32_t>(code));
  if (const std::string reason = media::ResultReason(code); !reason.empty())
    message += "\n" + reason;
  throw EDSException(message);
}

void TDSGraph::Warning(const std::string &text, int32_t code) {
  if (OnWarning)
    OnWarning(owner_, text, code);
}

void TDSGraph::SetOnError(TDSErrorEvent value) {
  TOWWriteSection section(lockObject_);
  OnError = std::move(value);
}

void TDSGraph::SetOnWarning(TDSWarningEvent value) {
  TOWWriteSection section(lockObject_);
  OnWarning = std::move(value);
}

void TDSGraph::SetOnGraphBuilt(TNotifyEvent value) {
  TOWWriteSection section(lockObject_);
  OnGraphBuilt = std::move(value);
}

void TDSGraph::SetAdditionalFilters(TDSFilterItems *value) { additionalFilters_->Assign(value); }

bool TDSGraph::RegisterAdditionalFilters() {
  bool all = true;
  for (int i = 0; i < additionalFilters_->Count(); ++i) {
    TDSFilterItem *item = additionalFilters_->Items(i);
    TComPtr<media::IMoniker> moniker = item->GetMoniker();
    if (!moniker) {
      all = false;
      continue;
    }
    TComPtr<media::IBaseFilter> filter;
    if (FAILED(
            moniker->BindToObject(nullptr, nullptr, media::IBaseFilter::IID, filter.PutVoid())) ||
        !filter) {
      all = false;
      continue;
    }
    std::string name = item->GetFilterName() + "(Additional " + std::to_string(i + 1) + ")";
    if (!Graph || FAILED(Graph->AddFilter(filter.Get(), media::Utf8ToWide(name).c_str())))
      all = false;
  }
  return all;
}

void TDSGraph::AddToROT() {
  if (!Graph)
    return;
  TComPtr<media::IRunningObjectTable> rot;
  if (FAILED(media::GetRunningObjectTable(
          0, reinterpret_cast<media::IRunningObjectTable **>(rot.PutVoid()))) ||
      !rot)
    return;
  std::string item = Format("FilterGraph %8p pid %8x", static_cast<void *>(Graph.Get()),
                            media::GetCurrentProcessId());
  TComPtr<media::IMoniker> moniker;
  if (FAILED(media::CreateItemMoniker(u"!", media::Utf8ToWide(item).c_str(),
                                      reinterpret_cast<media::IMoniker **>(moniker.PutVoid()))) ||
      !moniker)
    return;
  media::DWORD cookie = 0;
  if (SUCCEEDED(rot->Register(media::ROTFLAGS_REGISTRATIONKEEPSALIVE, Graph.Get(), moniker.Get(),
                              &cookie)))
    cookie_ = cookie;
}

void TDSGraph::RemoveFromROT() {
  TComPtr<media::IRunningObjectTable> rot;
  if (SUCCEEDED(media::GetRunningObjectTable(
          0, reinterpret_cast<media::IRunningObjectTable **>(rot.PutVoid()))) &&
      rot)
    rot->Revoke(cookie_);
  cookie_ = 0;
}

void TDSGraph::RegisterGraph() {
  if (registered_)
    return;
  if (register_)
    AddToROT();
  registered_ = true;
}

void TDSGraph::UnregisterGraph() {
  if (!registered_)
    return;
  if (register_)
    RemoveFromROT();
  registered_ = false;
}

void TDSGraph::SetRegister(bool value) {
  if (value == register_)
    return;
  if (registered_) {
    if (value) {
      register_ = true;
      AddToROT();
    } else {
      RemoveFromROT();
    }
  }
  register_ = value;
}

namespace {

// Calls visit(pin, to, other) for each pin of filter linked to a pin of the
// given direction on another filter; stops at a pin that cannot describe itself.
template <class Visit>
void ForEachLinkedFilter(media::IBaseFilter *filter, media::PIN_DIRECTION dir, Visit visit) {
  if (filter == nullptr)
    return;
  media::IEnumPins *raw = nullptr;
  if (FAILED(filter->EnumPins(&raw)) || raw == nullptr)
    return;
  auto pins = TComPtr<media::IEnumPins>::Attach(raw);
  pins->Reset();
  media::IPin *pinRaw = nullptr;
  while (pins->Next(1, &pinRaw, nullptr) == S_OK && pinRaw != nullptr) {
    auto pin = TComPtr<media::IPin>::Attach(pinRaw);
    pinRaw = nullptr;
    TComPtr<media::IPin> to;
    pin->ConnectedTo(reinterpret_cast<media::IPin **>(to.PutVoid()));
    if (!to)
      continue;
    media::PIN_INFO info{};
    if (to->QueryPinInfo(&info) != S_OK)
      return;
    auto other = TComPtr<media::IBaseFilter>::Attach(info.pFilter);
    if (info.dir != dir)
      continue;
    visit(pin.Get(), to.Get(), other.Get());
  }
}

} // namespace

// Downstream tear-down goes on past a step that fails, so one broken filter
// does not keep the rest of the chain in the graph.
void TDSGraph::DestroyDownstream(media::IBaseFilter *filter) {
  ForEachLinkedFilter(filter, media::PINDIR_INPUT,
                      [this](media::IPin *pin, media::IPin *to, media::IBaseFilter *other) {
                        try {
                          DestroyDownstream(other);
                        } catch (...) {
                        }
                        try {
                          if (Graph)
                            Graph->Disconnect(to);
                        } catch (...) {
                        }
                        try {
                          if (Graph)
                            Graph->Disconnect(pin);
                        } catch (...) {
                        }
                        try {
                          if (Graph)
                            Graph->RemoveFilter(other);
                        } catch (...) {
                        }
                      });
}

void TDSGraph::DestroyUpstream(media::IBaseFilter *filter) {
  ForEachLinkedFilter(filter, media::PINDIR_OUTPUT,
                      [this](media::IPin *pin, media::IPin *to, media::IBaseFilter *other) {
                        DestroyUpstream(other);
                        if (Graph) {
                          Graph->Disconnect(to);
                          Graph->Disconnect(pin);
                          Graph->RemoveFilter(other);
                        }
                      });
}

TComPtr<media::IBaseFilter> TDSGraph::GetFilterByClassID(const TGUID &clsid) {
  if (!Graph)
    return nullptr;
  media::IEnumFilters *raw = nullptr;
  if (FAILED(Graph->EnumFilters(&raw)) || raw == nullptr)
    return nullptr;
  auto filters = TComPtr<media::IEnumFilters>::Attach(raw);
  media::IBaseFilter *f = nullptr;
  while (filters->Next(1, &f, nullptr) == S_OK && f != nullptr) {
    auto filter = TComPtr<media::IBaseFilter>::Attach(f);
    f = nullptr;
    TGUID id;
    if (SUCCEEDED(filter->GetClassID(&id)) && id == clsid)
      return filter;
  }
  return nullptr;
}

bool TDSGraph::GetFilterList(TStrings *list) {
  if (list == nullptr || !Graph)
    return false;
  media::IEnumFilters *raw = nullptr;
  if (FAILED(Graph->EnumFilters(&raw)) || raw == nullptr)
    return false;
  auto filters = TComPtr<media::IEnumFilters>::Attach(raw);
  media::IBaseFilter *f = nullptr;
  while (filters->Next(1, &f, nullptr) == S_OK && f != nullptr) {
    auto filter = TComPtr<media::IBaseFilter>::Attach(f);
    f = nullptr;
    media::FILTER_INFO info{};
    if (SUCCEEDED(filter->QueryFilterInfo(&info))) {
      if (info.pGraph)
        info.pGraph->Release();
      list->Add(media::WideToUtf8(info.achName));
    } else {
      list->Add("<Unavailable>");
    }
  }
  return true;
}

bool TDSGraph::SaveToFile(const std::string &fileName) {
  TComPtr<media::IStorage> storage;
  HRESULT hr = media::StgCreateDocfile(media::Utf8ToWide(fileName).c_str(),
                                       media::STGM_CREATE | media::STGM_TRANSACTED |
                                           media::STGM_READWRITE | media::STGM_SHARE_EXCLUSIVE,
                                       0, reinterpret_cast<media::IStorage **>(storage.PutVoid()));
  if (FAILED(hr) || !storage)
    return false;
  TComPtr<media::IStream> stream;
  hr = storage->CreateStream(u"ActiveMovieGraph",
                             media::STGM_WRITE | media::STGM_CREATE | media::STGM_SHARE_EXCLUSIVE,
                             0, 0, reinterpret_cast<media::IStream **>(stream.PutVoid()));
  if (FAILED(hr) || !stream)
    return false;
  auto persist = TComPtr<media::IPersistStream>::Query(Graph);
  if (!persist)
    return false;
  if (FAILED(persist->Save(stream.Get(), media::TRUE)))
    return false;
  return SUCCEEDED(storage->Commit(media::STGC_DEFAULT));
}
