#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "directshow/ALDSOutputDevice.h"
#include "directshow/DSCaptureDevice.h"
#include "directshow/DSDeviceListFormUnit.h"
#include "framework/pins/OWPins.h"
#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/FormStream.h"
#include "platform/media/Media.h"
#include "platform/media/VirtualAudio.h"

namespace {

using namespace media;
using com::TComPtr;

const std::string kCaptureCategory = "{33D9A762-90C8-11D0-BD43-00A0C911CE86}";

std::shared_ptr<TVirtualCaptureDevice> AddMic(const std::string &name, const std::string &id) {
  TVirtualCaptureSpec spec;
  spec.FriendlyName = name;
  spec.Id = id;
  return TVirtualAudio::AddCapture(spec);
}

std::string CaptureName(const std::string &id) {
  return DeviceDisplayName(CLSID_AudioInputDeviceCategory, id);
}
std::string RenderName(const std::string &id) {
  return DeviceDisplayName(CLSID_AudioRendererCategory, id);
}

std::string DisplayNameOf(IMoniker *m) {
  LPOLESTR name = nullptr;
  if (m == nullptr || FAILED(m->GetDisplayName(nullptr, nullptr, &name)))
    return {};
  std::string s = WideToUtf8(name);
  com::CoTaskMemFree(name);
  return s;
}

// A component publishing both selections, as the audio components do.
class TDeviceHost : public TComponent {
  CLASSLIB_CLASS(TDeviceHost)

public:
  explicit TDeviceHost(TComponent *owner) : TComponent(owner) {}
  TDSAudioCaptureDevice *GetCapture() { return &capture; }
  TDSAudioOutputDevice *GetOutput() { return &output; }

  int changes = 0;
  TOWObject lock;
  TDSAudioCaptureDevice capture{&lock, this, nullptr, [this](TObject *) { ++changes; }};
  TDSAudioOutputDevice output{&lock, this, nullptr, [this](TObject *) { ++changes; }};
};

const TClassInfo &TDeviceHost::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TDeviceHost>(
      "TDeviceHost", &TComponent::StaticClassInfo(), [](TClassBuilder<TDeviceHost> &c) {
        c.Object("AudioCaptureDevice", &TDeviceHost::GetCapture);
        c.Object("AudioOutputDevice", &TDeviceHost::GetOutput);
      });
  return info;
}

class DeviceSelectionTest : public ::testing::Test {
protected:
  void SetUp() override {
    OWPinsInitialization();
    SetAlsaEnabled(false);
    TVirtualAudio::Clear();
    host = CreateObject<TDeviceHost>(nullptr);
  }
  void TearDown() override {
    FreeObject(host);
    TVirtualAudio::Clear();
    SetAlsaEnabled(true);
  }
  TDeviceHost *host = nullptr;
};

TEST_F(DeviceSelectionTest, DevicesOfOneNameAreNumberedFromTheSecondOnAndBlankNamesAreLeftOut) {
  AddMic("USB Audio CODEC ", "codec1");
  AddMic("   ", "blank");
  AddMic("USB Audio CODEC ", "codec2");
  AddMic("USB Audio CODEC", "codec3");
  TVLDSCapDeviceList list;
  list.EnumFilters(CLSID_AudioInputDeviceCategory);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Items(0).NumberedName, "USB Audio CODEC ");
  EXPECT_EQ(list.Items(1).NumberedName, "USB Audio CODEC  (2)");
  EXPECT_EQ(list.Items(2).NumberedName, "USB Audio CODEC (3)");
  EXPECT_EQ(list.Items(1).RawName, "USB Audio CODEC ");
  EXPECT_EQ(list.Items(1).TrimmedName, "USB Audio CODEC");
  EXPECT_EQ(list.Items(1).DisplayName, CaptureName("codec2"));
  EXPECT_EQ(list.FindDeviceNum("USB Audio CODEC"), 4);

  EXPECT_EQ(list.GetDeviceNameByString("USB Audio CODEC  (2)"), CaptureName("codec2"));
  EXPECT_EQ(list.GetStringByDeviceName(CaptureName("codec3")), "USB Audio CODEC (3)");
  EXPECT_EQ(list.GetMonikerByString("usb audio codec "), nullptr); // exact comparison
  EXPECT_EQ(list.GetIntByMoniker(list.Items(2).Moniker.Get()), 2);
  EXPECT_EQ(list.GetStringByMoniker(list.Items(2).Moniker.Get()), "USB Audio CODEC (3)");
  TComPtr<IMoniker> same;
  std::u16string name = Utf8ToWide(CaptureName("codec3"));
  ASSERT_EQ(MkParseDisplayName(nullptr, name.c_str(), nullptr,
                               reinterpret_cast<IMoniker **>(same.PutVoid())),
            S_OK);
  EXPECT_EQ(list.GetIntByMoniker(same.Get()), -1); // references, not monikers
  EXPECT_EQ(list.GetCLSIDByString("nobody"), GUID_NULL);

  list.AddEnumFilters(CLSID_AudioInputDeviceCategory);
  EXPECT_EQ(list.Count(), 6);
  EXPECT_EQ(list.Items(3).NumberedName, "USB Audio CODEC  (4)");
}

TEST_F(DeviceSelectionTest, DeviceListsWriteNamesDisplayNamesOrBoth) {
  AddMic("Mic", "m1");
  TStringList names;
  EXPECT_FALSE(host->capture.GetDeviceList(nullptr));
  names.Add("kept");
  ASSERT_TRUE(host->capture.GetDeviceList(&names));
  ASSERT_TRUE(host->capture.GetDeviceList(&names, diDriverName));
  ASSERT_TRUE(host->capture.GetDeviceList(&names, diBoth));
  ASSERT_EQ(names.Count(), 4);
  EXPECT_EQ(names.Strings(0), "kept");
  EXPECT_EQ(names.Strings(1), "Mic");
  EXPECT_EQ(names.Strings(2), CaptureName("m1"));
  EXPECT_EQ(names.Strings(3), "Mic - " + CaptureName("m1"));
  TStringList outputs;
  ASSERT_TRUE(host->output.GetDeviceList(&outputs));
  EXPECT_EQ(outputs.Count(), 0);
}

struct TSetNameCase {
  const char *what;
  const char *initial;
  const char *name;
  const char *deviceName;
  const char *displayId; // "" for an empty display name
  int callbacks;
};

class SetNameTest : public DeviceSelectionTest,
                    public ::testing::WithParamInterface<TSetNameCase> {};

TEST_P(SetNameTest, TheNameDecidesTheSelectionAndWhetherTheOwnerHears) {
  const TSetNameCase &c = GetParam();
  AddMic("USB Audio CODEC ", "codec1");
  AddMic("USB Audio CODEC ", "codec2");
  host->capture.SetName(c.initial);
  host->changes = 0;
  host->capture.SetName(c.name);
  EXPECT_EQ(host->capture.GetDeviceName(), c.deviceName);
  EXPECT_EQ(host->capture.GetVC_DriverName(),
            *c.displayId ? CaptureName(c.displayId) : std::string());
  EXPECT_EQ(host->changes, c.callbacks);
}

INSTANTIATE_TEST_SUITE_P(
    Names, SetNameTest,
    ::testing::Values(TSetNameCase{"none", "USB Audio CODEC ", "none", "None", "", 0},
                      TSetNameCase{"empty", "USB Audio CODEC ", "", "None", "", 0},
                      TSetNameCase{"default", "USB Audio CODEC ", "default", "default", "", 1},
                      TSetNameCase{"same", "USB Audio CODEC ", "USB Audio CODEC ",
                                   "USB Audio CODEC ", "codec1", 0},
                      TSetNameCase{"unknown", "Default", "Gone Mic", "None", "", 1},
                      TSetNameCase{"numbered", "Default", "USB Audio CODEC  (2)",
                                   "USB Audio CODEC  (2)", "codec2", 1},
                      TSetNameCase{"case", "Default", "usb audio codec ", "None", "", 1}),
    [](const auto &info) { return std::string(info.param.what); });

TEST_F(DeviceSelectionTest, AStoredDeviceThatIsGoneIsNotFoundAndNothingRaises) {
  auto mic = AddMic("USB Audio CODEC ", "codec1");
  host->capture.SetName("USB Audio CODEC ");
  TComPtr<IMoniker> m = host->capture.GetMoniker();
  ASSERT_TRUE(m);
  EXPECT_EQ(host->capture.GetVC_OpenedDeviceName(), "USB Audio CODEC ");
  EXPECT_EQ(host->capture.GetVC_OpenedDriverName(), CaptureName("codec1"));
  host->capture.CloseDevice();
  EXPECT_EQ(host->capture.GetVC_OpenedDeviceName(), "");

  mic->Unplug();
  TVirtualAudio::Remove(mic);
  AddMic("USB Audio CODEC ", "codec9"); // same name, another instance
  EXPECT_NO_THROW(m = host->capture.GetMoniker());
  EXPECT_FALSE(m); // the capture selection does not go by name
  EXPECT_EQ(host->capture.GetDeviceName(), "USB Audio CODEC ");
  EXPECT_EQ(host->capture.GetVC_OpenedDeviceName(), "");
}

TEST_F(DeviceSelectionTest,
       TheOutputTriesItsNameBeforeTheAlternativesTheCaptureOnlyTheAlternatives) {
  auto speaker = TVirtualAudio::AddRender("Speaker", "sp1");
  TVirtualAudio::AddRender("Phones", "ph1");
  AddMic("Mic A", "a");
  auto micB = AddMic("Mic B", "b");
  host->output.SetName("Speaker");
  host->capture.SetName("Mic B");
  host->capture.GetAlternativeDevices()->Add()->SetName("Mic A");
  host->output.GetAlternativeDevices()->Add()->SetName("Phones");

  TVirtualAudio::Remove(speaker);
  TVirtualAudio::AddRender("Speaker", "sp2");
  EXPECT_EQ(DisplayNameOf(host->output.GetMoniker().Get()), RenderName("sp2"));
  TVirtualAudio::Clear();
  TVirtualAudio::AddRender("Phones", "ph1");
  AddMic("Mic A", "a");
  EXPECT_EQ(DisplayNameOf(host->output.GetMoniker().Get()), RenderName("ph1"));
  EXPECT_EQ(DisplayNameOf(host->capture.GetMoniker().Get()), CaptureName("a"));
  EXPECT_EQ(host->capture.GetVC_OpenedDeviceName(), "Mic A");
  (void)micB;
}

TEST_F(DeviceSelectionTest, DefaultOpensTheCategorysDefaultDevice) {
  EXPECT_FALSE(host->capture.GetMoniker()); // no device at all
  AddMic("Mic A", "a");
  TComPtr<IMoniker> m = host->capture.GetMoniker();
  ASSERT_TRUE(m);
  EXPECT_EQ(host->capture.GetDeviceName(), "Default");
  EXPECT_TRUE(host->capture.IsSelectedDefault());
  EXPECT_FALSE(host->capture.IsSelectedNone());
}

TEST_F(DeviceSelectionTest, NewAlternativesTakeTheLeastUsedDeviceFirstEnumeratedFirst) {
  AddMic("Mic A", "a");
  AddMic("Mic B", "b");
  TDSDeviceItems *items = host->capture.GetAlternativeDevices();
  EXPECT_EQ(items->Add()->GetDeviceName(), "Mic A");
  EXPECT_EQ(items->Add()->GetDeviceName(), "Mic B");
  EXPECT_EQ(items->Add()->GetDeviceName(), "Mic A");
  EXPECT_EQ(items->Items(1)->GetDisplayName(), "Mic B");
  EXPECT_EQ(items->GetOwnerProperty(), &host->capture);
  TVirtualAudio::Clear();
  EXPECT_EQ(items->Add()->GetDeviceName(), ""); // no device: no name
}

TEST_F(DeviceSelectionTest, SelectionsPersistThroughDataAndAStoredSelectionResolves) {
  AddMic("USB Audio CODEC ", "USB Audio CODEC ");
  TVirtualAudio::AddRender("Speaker", "sp1");
  host->output.SetName("None");
  std::string text = WriteFormText(host);
  EXPECT_EQ(text.find("AudioCaptureDevice.Data"), std::string::npos)
      << text; // "Default" is not written
  EXPECT_NE(text.find("AudioOutputDevice.Data = (\n    ''\n    'None')"), std::string::npos)
      << text;

  // As the recorder's form resource stores it (the device's name has a trailing blank).
  std::string stored = "object Host: TDeviceHost\n"
                       "  AudioCaptureDevice.Data = (\n"
                       "    '@device:cm:" +
                       kCaptureCategory +
                       "\\USB Audio CODEC '\n"
                       "    'USB Audio CODEC ')\n"
                       "end\n";
  TDeviceHost *loaded = CreateObject<TDeviceHost>(nullptr);
  LoadFormText(loaded, stored);
  EXPECT_EQ(loaded->changes, 0);
  EXPECT_EQ(loaded->capture.GetDeviceName(), "USB Audio CODEC ");
  EXPECT_TRUE(loaded->capture.GetMoniker());
  EXPECT_EQ(loaded->capture.GetVC_OpenedDeviceName(), "USB Audio CODEC ");
  std::string again = WriteFormText(loaded);
  EXPECT_NE(again.find("USB Audio CODEC '"), std::string::npos);
  FreeObject(loaded);
}

// ---------------------------------------------------------------------------
// The chooser

class TFakeChooser final : public IDSDeviceListView {
public:
  TFakeChooser(std::vector<std::string> &shown, int &preselected, std::string pick, int result,
               bool doubleClick)
      : shown_(shown), preselected_(preselected), pick_(std::move(pick)), result_(result),
        doubleClick_(doubleClick) {}
  void ShowModal(TDSDeviceListForm &form) override {
    shown_.clear();
    for (int i = 0; i < form.Items().Count(); ++i)
      shown_.push_back(form.Items().Strings(i));
    preselected_ = form.ItemIndex();
    if (!pick_.empty())
      form.SetItemIndex(form.Items().IndexOf(pick_));
    if (doubleClick_)
      form.ListBoxDblClick();
    else
      form.SetModalResult(result_);
  }

private:
  std::vector<std::string> &shown_;
  int &preselected_;
  std::string pick_;
  int result_;
  bool doubleClick_;
};

class ChooserTest : public DeviceSelectionTest {
protected:
  void Choose(std::string pick, int result, bool doubleClick = false) {
    SetDSDeviceListViewFactory([=, this] {
      return std::make_unique<TFakeChooser>(shown, preselected, pick, result, doubleClick);
    });
  }
  void TearDown() override {
    SetDSDeviceListViewFactory(nullptr);
    DeviceSelectionTest::TearDown();
  }
  std::vector<std::string> shown;
  int preselected = -1;
};

TEST_F(ChooserTest, ListsNoneDefaultAndTheDevicesAndAppliesTheChoice) {
  AddMic("USB Audio CODEC ", "codec1");
  AddMic("USB Audio CODEC ", "codec2");
  Choose("USB Audio CODEC  (2)", mrOk);
  ASSERT_TRUE(host->capture.ShowDeviceSelctDialog());
  EXPECT_EQ(shown, (std::vector<std::string>{"None", "Default", "USB Audio CODEC ",
                                             "USB Audio CODEC  (2)"}));
  EXPECT_EQ(preselected, 1); // "Default"
  EXPECT_EQ(host->capture.GetDeviceName(), "USB Audio CODEC  (2)");
  EXPECT_EQ(host->changes, 1);

  Choose("None", mrCancel);
  EXPECT_FALSE(host->capture.ShowDeviceSelctDialog());
  EXPECT_EQ(preselected, 3);
  EXPECT_EQ(host->capture.GetDeviceName(), "USB Audio CODEC  (2)");

  Choose("None", 0, true); // a double click applies the item
  ASSERT_TRUE(host->capture.ShowDeviceSelctDialog());
  EXPECT_EQ(host->capture.GetDeviceName(), "None");
  EXPECT_EQ(host->changes, 1); // "None" is not announced
  Choose("Default", mrOk);
  ASSERT_TRUE(host->capture.ShowDeviceSelctDialog());
  EXPECT_EQ(preselected, 0);
  EXPECT_EQ(host->changes, 2);
}

TEST_F(ChooserTest, PreselectsIgnoringCaseAndFallsBackToNone) {
  AddMic("Mic A", "a");
  auto form = std::make_unique<TDSDeviceListForm>();
  form->Items().Add("Mic A");
  Choose("", mrOk);
  EXPECT_TRUE(form->Execute("mic a"));
  EXPECT_EQ(preselected, 2);
  EXPECT_EQ(form->SelectedText(), "Mic A");
  EXPECT_TRUE(form->Execute("Gone Mic"));
  EXPECT_EQ(preselected, 0);
  SetDSDeviceListViewFactory(nullptr);
  EXPECT_FALSE(form->Execute("Mic A")); // no window to show it in
  EXPECT_FALSE(host->capture.ShowDeviceSelctDialog());
  EXPECT_EQ(form->Caption(), "Devices");
}

} // namespace
