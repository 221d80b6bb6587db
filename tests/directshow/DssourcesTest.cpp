#include <map>
#include <vector>

#include <gtest/gtest.h>

#include "directshow/DSBaseClass.h"
#include "directshow/DSCaptureDevice.h"
#include "directshow/Dssources.h"
#include "platform/media/Media.h"

namespace {

using namespace media;
using com::TComPtr;

class TFakeCrossbar;

// A pin of a fake filter: direction, name, an optional mixer, a connection.
class TFakePin final : public com::TInterfacedObject, public IPin, public IAMAudioInputMixer {
public:
  TFakePin(IBaseFilter *filter, PIN_DIRECTION dir, std::u16string name, bool mixer)
      : filter_(filter), dir_(dir), name_(std::move(name)), mixer_(mixer) {}
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    if (iid == IAMAudioInputMixer::IID && !mixer_) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    return com::QueryInterfaceFor<IPin, IAMAudioInputMixer>(this, iid, out);
  }
  uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
  uint32_t Release() override { return TInterfacedObject::Release(); }
  HRESULT Connect(IPin *, const AM_MEDIA_TYPE *) override { return E_NOTIMPL; }
  HRESULT ReceiveConnection(IPin *, const AM_MEDIA_TYPE *) override { return E_NOTIMPL; }
  HRESULT Disconnect() override { return S_OK; }
  HRESULT ConnectedTo(IPin **pin) override {
    *pin = to_;
    if (!to_)
      return VFW_E_NOT_CONNECTED;
    to_->AddRef();
    return S_OK;
  }
  HRESULT ConnectionMediaType(AM_MEDIA_TYPE *) override { return E_NOTIMPL; }
  HRESULT QueryPinInfo(PIN_INFO *info) override {
    info->pFilter = filter_;
    if (filter_)
      filter_->AddRef();
    info->dir = dir_;
    CopyWideName(info->achName, MAX_PIN_NAME, name_);
    return S_OK;
  }
  HRESULT QueryDirection(PIN_DIRECTION *dir) override {
    *dir = dir_;
    return S_OK;
  }
  HRESULT QueryId(LPWSTR *) override { return E_NOTIMPL; }
  HRESULT QueryAccept(const AM_MEDIA_TYPE *) override { return S_OK; }
  HRESULT EnumMediaTypes(IEnumMediaTypes **) override { return E_NOTIMPL; }
  HRESULT QueryInternalConnections(IPin **, ULONG *) override { return E_NOTIMPL; }
  HRESULT EndOfStream() override { return S_OK; }
  HRESULT BeginFlush() override { return S_OK; }
  HRESULT EndFlush() override { return S_OK; }
  HRESULT NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }
  HRESULT put_Enable(BOOL enable) override {
    enabled = enable;
    return S_OK;
  }
  HRESULT get_Enable(BOOL *enable) override {
    *enable = enabled;
    return S_OK;
  }

  IPin *to_ = nullptr; // not counted: the fixture keeps everything alive
  BOOL enabled = FALSE;

private:
  IBaseFilter *filter_;
  PIN_DIRECTION dir_;
  std::u16string name_;
  bool mixer_;
};

// A crossbar filter: inputs first, then outputs, as its pins enumerate.
class TFakeCrossbar final : public TDSBaseFilter, public IAMCrossbar {
public:
  TFakeCrossbar(std::vector<LONG> inputTypes, std::vector<LONG> outputTypes)
      : TDSBaseFilter("Crossbar", nullptr, GUID_NULL), inputTypes_(std::move(inputTypes)),
        outputTypes_(std::move(outputTypes)) {}
  HRESULT NonDelegatingQueryInterface(const TGUID &iid, void **out) override {
    if (iid == IAMCrossbar::IID) {
      *out = static_cast<IAMCrossbar *>(this);
      AddRef();
      return S_OK;
    }
    return TDSBaseFilter::NonDelegatingQueryInterface(iid, out);
  }
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return TDSBaseFilter::QueryInterface(iid, out);
  }
  uint32_t AddRef() override { return TDSBaseFilter::AddRef(); }
  uint32_t Release() override { return TDSBaseFilter::Release(); }

  void MakePins() {
    for (size_t i = 0; i < inputTypes_.size(); ++i)
      pins.push_back(com::MakeCom<TFakePin>(this, PINDIR_INPUT, u"In", false));
    for (size_t i = 0; i < outputTypes_.size(); ++i)
      pins.push_back(com::MakeCom<TFakePin>(this, PINDIR_OUTPUT, u"Out", false));
  }
  // The base filter's enumerator needs TDSBasePin objects; this filter enumerates its own.
  int GetPinCount() override { return 0; }
  TDSBasePin *GetPin(int) override { return nullptr; }
  HRESULT EnumPins(IEnumPins **pinsOut) override;

  HRESULT get_PinCounts(LONG *outputs, LONG *inputs) override {
    *outputs = static_cast<LONG>(outputTypes_.size());
    *inputs = static_cast<LONG>(inputTypes_.size());
    return S_OK;
  }
  HRESULT CanRoute(LONG, LONG) override { return S_OK; }
  HRESULT Route(LONG output, LONG input) override {
    routes[output] = input;
    routeCalls.push_back({output, input});
    return S_OK;
  }
  HRESULT get_IsRoutedTo(LONG output, LONG *input) override {
    auto it = routes.find(output);
    *input = it == routes.end() ? -1 : it->second;
    return S_OK;
  }
  HRESULT get_CrossbarPinInfo(BOOL isInput, LONG index, LONG *related, LONG *type) override {
    *related = isInput ? relatedInput : relatedOutput;
    *type = isInput ? inputTypes_.at(static_cast<size_t>(index))
                    : outputTypes_.at(static_cast<size_t>(index));
    return S_OK;
  }

  std::vector<TComPtr<TFakePin>> pins;
  std::map<LONG, LONG> routes;
  std::vector<std::pair<LONG, LONG>> routeCalls;
  LONG relatedInput = -1, relatedOutput = -1;

private:
  std::vector<LONG> inputTypes_, outputTypes_;
};

class TFakePinEnum final : public com::TInterfacedObject, public IEnumPins {
public:
  explicit TFakePinEnum(std::vector<TComPtr<TFakePin>> pins) : pins_(std::move(pins)) {}
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<IEnumPins>(this, iid, out);
  }
  uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
  uint32_t Release() override { return TInterfacedObject::Release(); }
  HRESULT Next(ULONG, IPin **pins, ULONG *fetched) override {
    if (fetched)
      *fetched = 0;
    if (pos_ >= pins_.size())
      return S_FALSE;
    pins[0] = static_cast<IPin *>(pins_[pos_++].Get());
    pins[0]->AddRef();
    if (fetched)
      *fetched = 1;
    return S_OK;
  }
  HRESULT Skip(ULONG) override { return E_NOTIMPL; }
  HRESULT Reset() override {
    pos_ = 0;
    return S_OK;
  }
  HRESULT Clone(IEnumPins **) override { return E_NOTIMPL; }

private:
  std::vector<TComPtr<TFakePin>> pins_;
  size_t pos_ = 0;
};

HRESULT TFakeCrossbar::EnumPins(IEnumPins **pinsOut) {
  *pinsOut = com::MakeCom<TFakePinEnum>(pins).Detach();
  return S_OK;
}

void Link(TFakePin *a, TFakePin *b) {
  a->to_ = b;
  b->to_ = a;
}

// Capture filter's input pin <- crossbar output 0; crossbar inputs as given.
struct TCrossbarRig {
  explicit TCrossbarRig(std::vector<LONG> inputs)
      : crossbar(com::MakeCom<TFakeCrossbar>(inputs, std::vector<LONG>{4096})) {
    crossbar->MakePins();
    Link(capturePin.Get(), crossbar->pins.back().Get());
  }
  ~TCrossbarRig() {
    capturePin->to_ = nullptr;
    for (auto &p : crossbar->pins)
      p->to_ = nullptr;
  }
  TComPtr<TFakeCrossbar> crossbar;
  TComPtr<TFakePin> capturePin = com::MakeCom<TFakePin>(nullptr, PINDIR_INPUT, u"Capture In", true);
};

TEST(SwitchesTest, EachRoutableInputOfTheKindBecomesANamedSource) {
  TCrossbarRig rig({4097, 4098, 2});
  int listCalls = 0;
  TDSSwitches audio(nullptr, true, [&](TDSSwitches *) { ++listCalls; });
  ASSERT_EQ(audio.Rebuild(rig.capturePin.Get(), false), S_OK);
  ASSERT_EQ(audio.GetCount(), 2);
  EXPECT_EQ(audio.GetItem(0)->GetName(), "Audio Line");
  EXPECT_EQ(audio.GetItem(1)->GetName(), "Audio Mic");
  EXPECT_EQ(listCalls, 3); // before every read
  TDSSwitches video(nullptr, false, nullptr);
  ASSERT_EQ(video.Rebuild(rig.capturePin.Get(), false), S_OK);
  ASSERT_EQ(video.GetCount(), 1);
  EXPECT_EQ(video.GetItem(0)->GetName(), "Video Composite");

  // Enabling routes the node; the other reads as disabled; off does nothing.
  audio.GetItem(1)->SetEnabled(true);
  EXPECT_TRUE(audio.GetItem(1)->GetEnabled());
  EXPECT_FALSE(audio.GetItem(0)->GetEnabled());
  audio.GetItem(1)->SetEnabled(false);
  EXPECT_TRUE(audio.GetItem(1)->GetEnabled());
  EXPECT_EQ(rig.crossbar->routeCalls, (std::vector<std::pair<LONG, LONG>>{{0, 1}}));
  audio.ClearPaths();
  EXPECT_EQ(audio.GetCount(), 0);
}

TEST(SwitchesTest, RelatedPairsAreRoutedWhateverLinkRelatedSays) {
  TCrossbarRig rig({4097});
  rig.crossbar->relatedInput = 5;
  rig.crossbar->relatedOutput = 6;
  TDSSwitches audio(nullptr, true, nullptr);
  audio.SetLinkRelated(false);
  ASSERT_EQ(audio.Rebuild(rig.capturePin.Get(), false), S_OK);
  ASSERT_EQ(audio.GetCount(), 1);
  audio.GetItem(0)->SetEnabled(true);
  EXPECT_EQ(rig.crossbar->routeCalls, (std::vector<std::pair<LONG, LONG>>{{0, 0}, {6, 5}}));
}

TEST(SwitchesTest, AnUnconnectedOrNonCrossbarPinGivesNoSource) {
  TDSSwitches audio(nullptr, true, nullptr);
  auto lonely = com::MakeCom<TFakePin>(nullptr, PINDIR_INPUT, u"In", false);
  EXPECT_EQ(audio.Rebuild(lonely.Get(), false), E_FAIL);
  EXPECT_EQ(audio.Rebuild(nullptr, false), E_FAIL);
  EXPECT_EQ(audio.GetCount(), 0);
}

TEST(SwitchesTest, MixerSourcesSwitchThePinOrReadAsDisabledWithoutAMixer) {
  TVLDSCrossbarRoutings list;
  auto withMixer = com::MakeCom<TFakePin>(nullptr, PINDIR_INPUT, u"Line In", true);
  auto without = com::MakeCom<TFakePin>(nullptr, PINDIR_INPUT, u"Mic In", false);
  TVLDSMixerSource a(&list, TComPtr<IPin>(withMixer.Get()));
  TVLDSMixerSource b(&list, TComPtr<IPin>(without.Get()));
  EXPECT_EQ(a.GetName(), "Line In");
  a.SetEnabled(true);
  EXPECT_TRUE(a.GetEnabled());
  EXPECT_EQ(withMixer->enabled, TRUE);
  b.SetEnabled(true);
  EXPECT_FALSE(b.GetEnabled());
  TVLDSMixerSource none(&list, nullptr);
  EXPECT_EQ(none.GetName(), "Unknown pin");
}

TEST(SwitchesTest, ConnectorNamesAndUnknownTypes) {
  struct TCase {
    LONG type;
    const char *name;
  };
  for (const TCase &c : {TCase{1, "Video Tuner"}, TCase{14, "Video Scart"},
                         TCase{4096, "Audio Tuner"}, TCase{4105, "Audio Decoder"},
                         TCase{15, "Unknown"}, TCase{4106, "Unknown"}, TCase{0, "Unknown"}})
    EXPECT_EQ(DSPhysicalConnectorName(c.type), c.name) << c.type;
}

TEST(SwitchesTest, PropertyFramesAreNotOfferedHere) {
  TCrossbarRig rig({4097});
  // The crossbar offers no property pages: the dialog reports that.
  TDSCrossbarDialog dialog(nullptr, nullptr,
                           TComPtr<IBaseFilter>(static_cast<IBaseFilter *>(rig.crossbar.Get())),
                           nullptr);
  EXPECT_EQ(dialog.Show(), E_POINTER);
  CAUUID pages{};
  EXPECT_EQ(DSShowPropertyFrame(nullptr, rig.crossbar.Get(), pages), E_NOTIMPL);
  int calls = 0;
  TDSCrossbarDialogs dialogs(nullptr, [&](TDSCrossbarDialogs *) { ++calls; });
  EXPECT_EQ(dialogs.GetDialogCount(), 0);
  EXPECT_EQ(calls, 1);
}

} // namespace
