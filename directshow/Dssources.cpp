#include "directshow/Dssources.h"

#include "platform/classlib/Exceptions.h"

using com::TComPtr;
using media::LONG;

std::string DSPhysicalConnectorName(LONG type) {
  static const char *const video[] = {
      "Video Tuner",         "Video Composite",       "Video SVideo",  "Video RGB",  "Video YRYBY",
      "Video SerialDigital", "Video ParallelDigital", "Video SCSI",    "Video AUX",  "Video 1394",
      "Video USB",           "Video Decoder",         "Video Encoder", "Video Scart"};
  static const char *const audio[] = {
      "Audio Tuner", "Audio Line", "Audio Mic",  "Audio AESDigital", "Audio SPDIFDigital",
      "Audio SCSI",  "Audio AUX",  "Audio 1394", "Audio USB",        "Audio Decoder"};
  if (type >= 1 && type <= 14)
    return video[type - 1];
  if (type >= 4096 && type <= 4105)
    return audio[type - 4096];
  return "Unknown";
}

TVLDSCaptureSource *TVLDSCrossbarRoutings::Items(int index) const {
  if (index < 0 || index >= Count())
    throw EListError::IndexOutOfBounds(index);
  return items_[static_cast<size_t>(index)].get();
}

// ---------------------------------------------------------------------------
// Mixer source

TVLDSMixerSource::TVLDSMixerSource(TVLDSCrossbarRoutings *list, TComPtr<media::IPin> pin)
    : TVLDSCaptureSource(list), pin_(std::move(pin)),
      mixer_(TComPtr<media::IAMAudioInputMixer>::Query(pin_)) {}

std::string TVLDSMixerSource::GetName() {
  media::PIN_INFO info{};
  if (!pin_ || pin_->QueryPinInfo(&info) != S_OK)
    return "Unknown pin";
  if (info.pFilter)
    info.pFilter->Release();
  return media::WideToUtf8(info.achName);
}

bool TVLDSMixerSource::GetEnabled() {
  if (!mixer_)
    return false;
  media::BOOL on = media::FALSE;
  mixer_->get_Enable(&on);
  return on != media::FALSE;
}

void TVLDSMixerSource::SetEnabled(bool on) {
  if (mixer_)
    mixer_->put_Enable(on ? media::TRUE : media::FALSE);
}

// ---------------------------------------------------------------------------
// Crossbar routes

TDSCrossbarRoutingNode::TDSCrossbarRoutingNode(LONG input, LONG output, LONG relatedInput,
                                               LONG relatedOutput,
                                               TComPtr<media::IAMCrossbar> crossbar, LONG inputType,
                                               LONG outputType)
    : InputIndex(input), OutputIndex(output), RelatedInputIndex(relatedInput),
      RelatedOutputIndex(relatedOutput), Crossbar(std::move(crossbar)), InputType(inputType),
      OutputType(outputType) {}

bool TDSCrossbarRoutingNode::IsRouted() {
  LONG input = -1;
  return Crossbar && Crossbar->get_IsRoutedTo(OutputIndex, &input) == S_OK && input == InputIndex;
}

bool TDSCrossbarRoutingNode::Route(bool) {
  if (!Crossbar || FAILED(Crossbar->Route(OutputIndex, InputIndex)))
    return false;
  if (RelatedInputIndex == -1 || RelatedOutputIndex == -1)
    return true;
  return SUCCEEDED(Crossbar->Route(RelatedOutputIndex, RelatedInputIndex));
}

LONG TVLDSCrossbarSource::GetInputType() const {
  return nodes_.empty() ? 0 : nodes_.front()->InputType;
}

std::string TVLDSCrossbarSource::GetName() { return DSPhysicalConnectorName(GetInputType()); }

bool TVLDSCrossbarSource::GetEnabled() {
  for (auto &node : nodes_)
    if (!node->IsRouted())
      return false;
  return true;
}

void TVLDSCrossbarSource::SetEnabled(bool on) {
  if (!on || GetEnabled())
    return;
  for (auto &node : nodes_)
    node->Route(list_->LinkRelated);
}

// ---------------------------------------------------------------------------
// Crossbar pin indices

namespace {

// The pin at a position of the filter's own pin order, or null.
TComPtr<media::IPin> PinAtPosition(media::IAMCrossbar *crossbar, LONG position) {
  auto filter = TComPtr<media::IBaseFilter>::Query(crossbar);
  if (!filter)
    return nullptr;
  media::IEnumPins *raw = nullptr;
  if (FAILED(filter->EnumPins(&raw)) || raw == nullptr)
    return nullptr;
  auto pins = TComPtr<media::IEnumPins>::Attach(raw);
  media::IPin *pin = nullptr;
  for (LONG i = 0; pins->Next(1, &pin, nullptr) == S_OK && pin != nullptr; ++i) {
    auto held = TComPtr<media::IPin>::Attach(pin);
    pin = nullptr;
    if (i == position)
      return held;
  }
  return nullptr;
}

} // namespace

HRESULT GetCrossbarIPinAtIndex(media::IAMCrossbar *crossbar, LONG index, bool input,
                               media::IPin **pin) {
  if (crossbar == nullptr || pin == nullptr)
    return E_POINTER;
  *pin = nullptr;
  LONG outputs = 0, inputs = 0;
  if (FAILED(crossbar->get_PinCounts(&outputs, &inputs)))
    return E_FAIL;
  auto found = PinAtPosition(crossbar, input ? index : index + inputs);
  if (!found)
    return E_FAIL;
  *pin = found.Detach();
  return S_OK;
}

HRESULT GetCrossbarIndexFromIPin(media::IAMCrossbar *crossbar, LONG *index, bool input,
                                 media::IPin *pin) {
  if (crossbar == nullptr || index == nullptr)
    return E_POINTER;
  LONG outputs = 0, inputs = 0;
  if (FAILED(crossbar->get_PinCounts(&outputs, &inputs)))
    return E_FAIL;
  auto filter = TComPtr<media::IBaseFilter>::Query(crossbar);
  if (!filter)
    return E_FAIL;
  media::IEnumPins *raw = nullptr;
  if (FAILED(filter->EnumPins(&raw)) || raw == nullptr)
    return E_FAIL;
  auto pins = TComPtr<media::IEnumPins>::Attach(raw);
  media::IPin *p = nullptr;
  for (LONG i = 0; pins->Next(1, &p, nullptr) == S_OK && p != nullptr; ++i) {
    auto held = TComPtr<media::IPin>::Attach(p);
    p = nullptr;
    if (held.Get() == pin) {
      *index = input ? i : i - inputs;
      return S_OK;
    }
  }
  return E_FAIL;
}

// ---------------------------------------------------------------------------
// TDSSwitches

TDSSwitches::TDSSwitches(TPersistent *owner, bool audio,
                         std::function<void(TDSSwitches *)> listCallback)
    : owner_(owner), audio_(audio), listCallback_(std::move(listCallback)) {}

int TDSSwitches::GetCount() {
  if (listCallback_)
    listCallback_(this);
  return sources_.Count();
}

TVLDSCaptureSource *TDSSwitches::GetItem(int index) {
  if (listCallback_)
    listCallback_(this);
  return sources_.Items(index);
}

HRESULT TDSSwitches::Rebuild(media::IPin *pin, bool downstream) {
  TVLDSCrossbarSource *current = nullptr;
  return Walk(TComPtr<media::IPin>(pin), downstream, 0, current);
}

HRESULT TDSSwitches::Walk(TComPtr<media::IPin> pin, bool downstream, int depth,
                          TVLDSCrossbarSource *&current) {
  if (!pin)
    return E_FAIL;
  TComPtr<media::IPin> connected;
  pin->ConnectedTo(reinterpret_cast<media::IPin **>(connected.PutVoid()));
  pin.Reset();
  if (!connected)
    return depth == 0 ? E_FAIL : S_FALSE;
  media::PIN_INFO info{};
  if (connected->QueryPinInfo(&info) != S_OK)
    return S_OK;
  auto filter = TComPtr<media::IBaseFilter>::Attach(info.pFilter);
  media::PIN_DIRECTION expected = downstream ? media::PINDIR_INPUT : media::PINDIR_OUTPUT;
  if (info.dir != expected)
    return S_OK;
  auto crossbar = TComPtr<media::IAMCrossbar>::Query(filter);
  if (!crossbar)
    return depth == 0 ? E_FAIL : S_FALSE;
  LONG outputs = 0, inputs = 0;
  crossbar->get_PinCounts(&outputs, &inputs);
  LONG outIndex = -1;
  GetCrossbarIndexFromIPin(crossbar.Get(), &outIndex, false, connected.Get());
  LONG outRelated = -1, outType = 0;
  crossbar->get_CrossbarPinInfo(media::FALSE, outIndex, &outRelated, &outType);
  std::unique_ptr<TVLDSCrossbarSource> started;
  for (LONG i = 0; i < inputs; ++i) {
    LONG inRelated = -1, inType = 0;
    crossbar->get_CrossbarPinInfo(media::TRUE, i, &inRelated, &inType);
    bool ofKind = audio_ ? inType >= 4096 : inType < 4096;
    if (!ofKind || crossbar->CanRoute(outIndex, i) != S_OK)
      continue;
    TComPtr<media::IPin> inputPin;
    GetCrossbarIPinAtIndex(crossbar.Get(), i, true,
                           reinterpret_cast<media::IPin **>(inputPin.PutVoid()));
    if (depth == 0) {
      started = std::make_unique<TVLDSCrossbarSource>(&sources_);
      current = started.get();
    }
    current->Add(std::make_unique<TDSCrossbarRoutingNode>(i, outIndex, inRelated, outRelated,
                                                          crossbar, inType, outType));
    HRESULT deeper = Walk(inputPin, downstream, depth + 1, current);
    if (deeper == S_FALSE) {
      if (depth > 0)
        return S_FALSE;
      sources_.Add(std::move(started));
      current = nullptr;
    } else if (depth == 0) {
      started.reset();
      current = nullptr;
    }
  }
  return S_OK;
}
