// Pin lists, their "Pins" property and the pin look-up functions.
#include <gtest/gtest.h>

#include "tests/framework/pins/PinsTestComponents.h"

namespace {

// A component that makes two input pins in its pin list.
class TTestScope : public TComponent {
  CLASSLIB_CLASS(TTestScope)
public:
  explicit TTestScope(TComponent *owner)
      : TComponent(owner), InputPins(CreateObject<TOWPinList>(this, true)) {
    InputPins->Add(CreateObject<TTestSinkPin>(this));
    InputPins->Add(CreateObject<TTestSinkPin>(this));
  }
  ~TTestScope() override { FreeObject(InputPins); }
  TOWPinList *GetInputPins() const { return InputPins; }
  TOWPinList *InputPins;
};

const TClassInfo &TTestScope::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TTestScope>(
      "TTestScope", &TComponent::StaticClassInfo(),
      [](TClassBuilder<TTestScope> &c) { c.Object("InputPins", &TTestScope::GetInputPins); });
  return info;
}

// A component with two output pins in its pin list.
class TTestSplitter : public TComponent {
  CLASSLIB_CLASS(TTestSplitter)
public:
  explicit TTestSplitter(TComponent *owner)
      : TComponent(owner), OutputPins(CreateObject<TOWPinList>(this, true)) {
    for (int i = 0; i < 2; ++i) {
      auto *pin = CreateObject<TTestSourcePin>(this);
      AddRecordingTypes(pin, {IID_TestA});
      OutputPins->Add(pin);
    }
  }
  ~TTestSplitter() override { FreeObject(OutputPins); }
  TOWPinList *GetOutputPins() const { return OutputPins; }
  TTestSourcePin *Output(int i) const {
    return dynamic_cast<TTestSourcePin *>(OutputPins->GetPin(i));
  }
  TOWPinList *OutputPins;
};

const TClassInfo &TTestSplitter::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TTestSplitter>(
      "TTestSplitter", &TComponent::StaticClassInfo(), [](TClassBuilder<TTestSplitter> &c) {
        c.Object("OutputPins", &TTestSplitter::GetOutputPins);
      });
  return info;
}

// A component whose owner list makes its input pins itself.
class TTestMixer : public TComponent {
  CLASSLIB_CLASS(TTestMixer)
public:
  explicit TTestMixer(TComponent *owner)
      : TComponent(owner),
        InputPins(CreateObject<TOWPinListOwner>(
            this, [this](TOWPinList *) -> TOWPin * { return CreateObject<TTestSinkPin>(this); },
            nullptr)) {}
  ~TTestMixer() override { FreeObject(InputPins); }
  TOWPinList *GetInputPins() const { return InputPins; }
  TTestSinkPin *Input(int i) const { return dynamic_cast<TTestSinkPin *>(InputPins->GetPin(i)); }
  TOWPinListOwner *InputPins;
};

const TClassInfo &TTestMixer::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TTestMixer>(
      "TTestMixer", &TComponent::StaticClassInfo(),
      [](TClassBuilder<TTestMixer> &c) { c.Object("InputPins", &TTestMixer::GetInputPins); });
  return info;
}

class TOWPinListTest : public TPinsFixture {
protected:
  void SetUp() override {
    TPinsFixture::SetUp();
    RegisterClass(TTestScope::StaticClassInfo());
    RegisterClass(TTestSplitter::StaticClassInfo());
    RegisterClass(TTestMixer::StaticClassInfo());
    Meter = CreateObject<TTestListComponent>(Form);
    Meter->SetName("Meter");
  }
  TTestSinkPin *NewPin() { return CreateObject<TTestSinkPin>(Meter); }
  TTestListComponent *Meter = nullptr;
};

TEST_F(TOWPinListTest, NamesOfEntries) {
  TOWPinList *list = Meter->InputPins;
  EXPECT_EQ(list->GetCount(), 0);
  TTestSinkPin *p = NewPin();
  list->Add(p);
  EXPECT_EQ(list->GetCount(), 1);
  EXPECT_EQ(list->GetName(0), "Pin [0]");
  EXPECT_EQ(list->GetStoredName(0), "");
  list->SetName(0, "Pin [0]");
  EXPECT_EQ(list->GetStoredName(0), "");
  list->SetName(0, "Left");
  EXPECT_EQ(list->GetName(0), "Left");
  list->SetName(5, "Ignored");
  EXPECT_EQ(list->GetCount(), 1);
  EXPECT_EQ(p->GetPinList(), list);
  EXPECT_EQ(list->GetListName(), "InputPins");
  EXPECT_THROW(list->GetName(3), EListError);
}

TEST_F(TOWPinListTest, PinNamesInBothForms) {
  TTestSinkPin *p = NewPin();
  Meter->InputPins->Add(p);
  EXPECT_EQ(OWValueToString(p, ".", false, true), "Meter.InputPins._Pin0");
  EXPECT_EQ(OWValueToString(p, ".", false, false), "Meter.InputPins.Pin [0]");
  EXPECT_EQ(p->GetFullIdentName(true), "MainForm.Meter.InputPins._Pin0");
  EXPECT_EQ(p->GetOwnerName(), "Meter.InputPins");
  EXPECT_EQ(p->GetName(), "InputPins.Pin [0]");
  EXPECT_EQ(OWValueToString(nullptr, ".", true, true), "");
}

TEST_F(TOWPinListTest, SwapExchangesNamesAndPins) {
  TOWPinList *list = Meter->InputPins;
  TTestSinkPin *a = NewPin();
  TTestSinkPin *b = NewPin();
  list->AddNamed(a, "Left");
  list->AddNamed(b, "Right");
  list->Swap(0, 1);
  EXPECT_EQ(list->GetPin(0), b);
  EXPECT_EQ(list->GetName(0), "Right");
  EXPECT_EQ(list->GetPin(1), a);
  EXPECT_EQ(list->IndexOf(a), 1);
}

TEST_F(TOWPinListTest, AnOwningListRefusesAPinItAlreadyHolds) {
  TTestSinkPin *p = NewPin();
  Meter->InputPins->Add(p);
  EXPECT_THROW(Meter->InputPins->Add(p), EOWException);
  EXPECT_EQ(Meter->InputPins->GetCount(), 1);
}

TEST_F(TOWPinListTest, ARealPinTakesThePlaceholdersSlotAndLinks) {
  auto *src = Source("AudioIn");
  // While the form loads, the list keeps a placeholder for a pin not made yet.
  Meter->IncludeState(csLoading);
  auto *placeholder = TOWUnloadedPin::FindOrCreate(Form, ptSink, "MainForm.Meter.InputPins._Pin0",
                                                   "MainForm.Meter.InputPins._Pin0", "x");
  ASSERT_TRUE(src->OutputPin->IntConnectAfter(placeholder, nullptr));
  Meter->InputPins->Add(placeholder);
  EXPECT_EQ(Meter->InputPins->GetPlaceholderCount(), 1);
  EXPECT_EQ(Meter->InputPins->GetCount(), 0);
  TTestSinkPin *real = NewPin();
  Meter->InputPins->Add(real);
  Meter->ExcludeState(csLoading);
  EXPECT_EQ(Meter->InputPins->GetPlaceholderCount(), 0);
  EXPECT_EQ(Meter->InputPins->GetCount(), 1);
  EXPECT_EQ(Meter->InputPins->GetPin(0), real);
  EXPECT_EQ(real->GetSourcePin(), src->OutputPin);
  EXPECT_EQ(OWGetPendingCount(), 0);
}

TEST_F(TOWPinListTest, LeftoverPlaceholdersVanishAtTheFirstLookAtRunTime) {
  Meter->IncludeState(csLoading);
  auto *placeholder = TOWUnloadedPin::FindOrCreate(Form, ptSink, "MainForm.Meter.InputPins._Pin3",
                                                   "MainForm.Meter.InputPins._Pin3", "x");
  Meter->InputPins->Add(placeholder);
  Meter->ExcludeState(csLoading);
  EXPECT_EQ(OWGetPendingCount(), 1);
  EXPECT_EQ(Meter->InputPins->GetCount(), 0);
  EXPECT_EQ(Meter->InputPins->GetPlaceholderCount(), 0);
  EXPECT_EQ(OWGetPendingCount(), 0) << "a placeholder without links goes";
}

TEST_F(TOWPinListTest, APlaceholderHeldByAListStaysPendingWithoutLinks) {
  auto *src = Source("AudioIn");
  Meter->IncludeState(csLoading);
  auto *placeholder = TOWUnloadedPin::FindOrCreate(Form, ptSink, "MainForm.Meter.InputPins._Pin0",
                                                   "MainForm.Meter.InputPins._Pin0", "x");
  ASSERT_TRUE(src->OutputPin->IntConnectAfter(placeholder, nullptr));
  Meter->InputPins->Add(placeholder);
  src->OutputPin->Disconnect();
  EXPECT_EQ(OWGetPendingCount(), 1) << "held by the list, it does not go with its last link";
  EXPECT_EQ(Meter->InputPins->GetPlaceholderCount(), 1);
  Meter->ExcludeState(csLoading);
  EXPECT_EQ(Meter->InputPins->GetCount(), 0);
  EXPECT_EQ(OWGetPendingCount(), 0);
}

TEST_F(TOWPinListTest, ListsAreWrittenWhenAPinIsLinkedAndOwnerListsAlways) {
  TTestSinkPin *p = NewPin();
  Meter->InputPins->Add(p);
  EXPECT_FALSE(Meter->InputPins->DoWrite());
  auto *src = Source("AudioIn");
  ASSERT_TRUE(p->Connect(src->OutputPin));
  EXPECT_TRUE(Meter->InputPins->DoWrite());
  auto *owner = CreateObject<TOWPinListOwner>(Meter, nullptr, nullptr);
  EXPECT_TRUE(owner->DoWrite());
  FreeObject(owner);
}

TEST_F(TOWPinListTest, AnOwnerListKeepsItsCountWithinItsBounds) {
  int destroyed = 0;
  auto *owner = CreateObject<TOWPinListOwner>(
      Meter, 2, 4, [&](TOWPinList *) -> TOWPin * { return CreateObject<TTestSinkPin>(Meter); },
      [&](TOWPinList *, TOWBasicPin *) { ++destroyed; });
  EXPECT_EQ(owner->GetCount(), 2);
  owner->SetCount(10);
  EXPECT_EQ(owner->GetCount(), 4);
  owner->SetCount(0);
  EXPECT_EQ(owner->GetCount(), 2);
  EXPECT_EQ(destroyed, 2);
  FreeObject(owner);
  EXPECT_EQ(destroyed, 4) << "emptied before destruction";
}

TEST_F(TOWPinListTest, LookUpListsThePinsAPinMayLinkTo) {
  auto *src = Source("AudioIn");
  Meter->InputPins->Add(NewPin());
  Sink("Other", {IID_TestB});
  TStringList names;
  EXPECT_TRUE(OWGetClassPropertiesOfTypeName(Meter, "TOWPin", &names, true));
  ASSERT_EQ(names.Count(), 1);
  EXPECT_EQ(names.Strings(0), "InputPins._Pin0");
  TStringList candidates;
  EXPECT_TRUE(OWGetPinsValueList(&candidates, src->OutputPin, ".", {}));
  ASSERT_EQ(candidates.Count(), 1) << "the sink of another type cannot link";
  EXPECT_EQ(candidates.Strings(0), "Meter.InputPins.Pin [0]");
  TStringList saved;
  EXPECT_TRUE(OWGetPinsValueList(&saved, src->OutputPin, ".", {pvoFullList, pvoSaveValue}));
  ASSERT_EQ(saved.Count(), 1);
  EXPECT_EQ(saved.Strings(0), "Meter.InputPins._Pin0");
}

TEST_F(TOWPinListTest, PinsOfAListAreStoredAndLoaded) {
  const std::string text = "object MainForm: TTestForm\n"
                           "  object AudioIn: TTestSourceComponent\n"
                           "    OutputPin.SinkPins = (\n"
                           "      (\n"
                           "        MainForm.Scope.InputPins._Pin1\n"
                           "        'MainForm.Scope.InputPins.Pin [1]'))\n"
                           "  end\n"
                           "  object Scope: TTestScope\n"
                           "    InputPins.Pins = (\n"
                           "      nil\n"
                           "      MainForm.AudioIn.OutputPin)\n"
                           "  end\n"
                           "end\n";
  FreeObject(Form);
  Form = App.AddForm("Loading");
  LoadFormText(Form, text);
  EXPECT_EQ(OWGetPendingCount(), 0);
  auto *scope = dynamic_cast<TTestScope *>(Form->FindComponent("Scope"));
  auto *audioIn = dynamic_cast<TTestSourceComponent *>(Form->FindComponent("AudioIn"));
  ASSERT_TRUE(scope && audioIn);
  EXPECT_EQ(dynamic_cast<TOWSinkPin *>(scope->InputPins->GetPin(1))->GetSourcePin(),
            audioIn->OutputPin);
  EXPECT_EQ(dynamic_cast<TOWSinkPin *>(scope->InputPins->GetPin(0))->GetSourcePin(), nullptr);
  EXPECT_EQ(WriteFormText(Form), text);
}

// The pins of an owner list are made while its "Pins" value is read. A source
// stored before the list's owner has made a placeholder for the list pin it
// names; the pin, once made, takes the placeholder's link over, so the source
// keeps one entry and the link is written once. Either order of the two
// components gives the same links and the same text, loaded again.
struct TMixerLoadCase {
  const char *name;
  const char *text;
};

class TOWOwnerListLoad : public TOWPinListTest,
                         public ::testing::WithParamInterface<TMixerLoadCase> {
protected:
  // Loads text into a fresh form and checks the one link Gen -> Mix pin 1.
  void LoadAndCheck(const std::string &text) {
    FreeObject(Form);
    Form = App.AddForm("Loading");
    LoadFormText(Form, text);
    auto *gen = dynamic_cast<TTestSourceComponent *>(Form->FindComponent("Gen"));
    auto *mix = dynamic_cast<TTestMixer *>(Form->FindComponent("Mix"));
    ASSERT_TRUE(gen && mix);
    ASSERT_EQ(mix->InputPins->GetCount(), 2);
    EXPECT_EQ(mix->Input(0)->GetSourcePin(), nullptr);
    EXPECT_EQ(mix->Input(1)->GetSourcePin(), gen->OutputPin);
    ASSERT_EQ(gen->OutputPin->GetSinkCount(), 1) << "no entry left for a placeholder";
    EXPECT_EQ(gen->OutputPin->GetSink(0), mix->Input(1));
  }
};

TEST_P(TOWOwnerListLoad, LinksTheListPinOnceAndWritesItOnce) {
  // A placeholder of the same name in another form is not this list's.
  TOWUnloadedPin::FindOrCreate(nullptr, ptSink, "OtherForm.Mix.InputPins._Pin1",
                               "OtherForm.Mix.InputPins._Pin1", "x");
  ASSERT_EQ(OWGetPendingCount(), 1);
  LoadAndCheck(GetParam().text);
  ASSERT_EQ(OWGetPendingCount(), 1);
  EXPECT_EQ(OWGetPending(0)->GetFullIdentName(true), "OtherForm.Mix.InputPins._Pin1");
  const std::string written = WriteFormText(Form);
  EXPECT_EQ(written, GetParam().text);
  LoadAndCheck(written);
  EXPECT_EQ(WriteFormText(Form), written);
  EXPECT_EQ(OWGetPendingCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, TOWOwnerListLoad,
    ::testing::Values(TMixerLoadCase{"SourceFirst", "object MainForm: TTestForm\n"
                                                    "  object Gen: TTestSourceComponent\n"
                                                    "    OutputPin.SinkPins = (\n"
                                                    "      (\n"
                                                    "        MainForm.Mix.InputPins._Pin1\n"
                                                    "        'MainForm.Mix.InputPins.Pin [1]'))\n"
                                                    "  end\n"
                                                    "  object Mix: TTestMixer\n"
                                                    "    InputPins.Pins = (\n"
                                                    "      nil\n"
                                                    "      MainForm.Gen.OutputPin)\n"
                                                    "  end\n"
                                                    "end\n"},
                      TMixerLoadCase{"SinksFirst", "object MainForm: TTestForm\n"
                                                   "  object Mix: TTestMixer\n"
                                                   "    InputPins.Pins = (\n"
                                                   "      nil\n"
                                                   "      MainForm.Gen.OutputPin)\n"
                                                   "  end\n"
                                                   "  object Gen: TTestSourceComponent\n"
                                                   "    OutputPin.SinkPins = (\n"
                                                   "      (\n"
                                                   "        MainForm.Mix.InputPins._Pin1\n"
                                                   "        'MainForm.Mix.InputPins.Pin [1]'))\n"
                                                   "  end\n"
                                                   "end\n"}),
    [](const auto &info) { return std::string(info.param.name); });

// A list of sources stores each pin's sinks after "Sinks", and a pin in a
// state group its "State" value first; both come back when the form loads.
TEST_F(TOWPinListTest, SourcesAndStateMembersOfAListAreStoredAndLoaded) {
  auto *splitter = CreateObject<TTestSplitter>(Form);
  splitter->SetName("Splitter");
  auto *left = Sink("Left");
  auto *right = Sink("Right");
  auto *enable = State("Enable");
  ASSERT_TRUE(left->InputPin->Connect(splitter->Output(0)));
  ASSERT_TRUE(right->InputPin->Connect(splitter->Output(1)));
  ASSERT_TRUE(splitter->Output(1)->ConnectByState(enable->StatePin));
  ASSERT_EQ(splitter->Output(1)->GetStateGroup()->GetName(), "MainFormLink1");
  const std::string text = WriteFormText(Form);
  EXPECT_NE(text.find("OutputPins.Pins = (\n"
                      "      Sinks\n"
                      "      (\n"
                      "        MainForm.Left.InputPin)\n"
                      "      State\n"
                      "      (\n"
                      "        'MainFormLink1'\n"
                      "        Sinks\n"
                      "        (\n"
                      "          MainForm.Right.InputPin)))"),
            std::string::npos)
      << text;

  FreeObject(Form);
  Form = App.AddForm("Loading");
  LoadFormText(Form, text);
  EXPECT_EQ(OWGetPendingCount(), 0);
  auto *loaded = dynamic_cast<TTestSplitter *>(Form->FindComponent("Splitter"));
  auto *loadedLeft = dynamic_cast<TTestSinkComponent *>(Form->FindComponent("Left"));
  auto *loadedRight = dynamic_cast<TTestSinkComponent *>(Form->FindComponent("Right"));
  auto *loadedEnable = dynamic_cast<TTestStateComponent *>(Form->FindComponent("Enable"));
  ASSERT_TRUE(loaded && loadedLeft && loadedRight && loadedEnable);
  EXPECT_EQ(loadedLeft->InputPin->GetSourcePin(), loaded->Output(0));
  EXPECT_EQ(loadedRight->InputPin->GetSourcePin(), loaded->Output(1));
  TOWStateDispatcher *group = loaded->Output(1)->GetStateGroup();
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->GetName(), "MainFormLink1");
  EXPECT_EQ(loadedEnable->StatePin->GetStateGroup(), group);
  EXPECT_EQ(loaded->Output(0)->GetStateGroup(), nullptr);
  EXPECT_EQ(WriteFormText(Form), text);
}

} // namespace
