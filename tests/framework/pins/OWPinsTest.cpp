// Pins, pin names, stream types and the registry.
#include <gtest/gtest.h>

#include "tests/framework/pins/PinsTestComponents.h"

namespace {

constexpr TGUID RealSingle = TGUID::FromLiteral("{208F9564-3C20-4C97-BB77-2FC5AE6E4194}");
constexpr TGUID DataStream = TGUID::FromLiteral("{CFDF94D7-5134-49D9-AC65-902BBC1CD140}");

TEST(OWStreamRegistry, DisplayTextsOfStreamTypes) {
  OWRegisterStream(RealSingle, "Real single");
  OWRegisterDefaultHandler(DataStream, nullptr);
  EXPECT_EQ(OWGetStreamTypeFromID(OWNULLID), "NIL ID");
  EXPECT_EQ(OWGetStreamTypeFromID(RealSingle), "Real single");
  EXPECT_EQ(OWGetStreamTypeFromID(DataStream), "{CFDF94D7-5134-49D9-AC65-902BBC1CD140}");
  EXPECT_EQ(OWGetStreamTypeFromID(TGUID::FromLiteral("{0a0b0c0d-0e0f-1011-1213-141516171819}")),
            "{0A0B0C0D-0E0F-1011-1213-141516171819}");
  OWRegisterStream(RealSingle, "Renamed");
  EXPECT_EQ(OWGetStreamTypeFromID(RealSingle), "Renamed") << "registering again overwrites";
}

TEST(TOWPinStreamType, AddingAgainKeepsThePlaceAndRemovingMovesUp) {
  constexpr TGUID C = TGUID::FromLiteral("{6A1F0C52-33E1-4D0B-9E0A-1B2C3D4E5F62}");
  TOWPinStreamType types;
  int called = 0;
  types.AddType(IID_TestA, nullptr);
  types.AddType(IID_TestB, nullptr);
  types.AddType(C, nullptr);
  types.AddType(IID_TestA, [&](IOWStream *, const TGUID *, IOWNotifyOperation *, TOWNotifyState) {
    ++called;
    return TOWNotifyResult{};
  });
  ASSERT_EQ(types.GetLength(), 3);
  EXPECT_EQ(types.GetID(0), IID_TestA);
  EXPECT_EQ(types.GetID(1), IID_TestB);
  EXPECT_EQ(types.GetID(2), C);
  ASSERT_TRUE(types.GetSubmitFunc(0));
  types.GetSubmitFunc(0)(nullptr, nullptr, nullptr, {});
  EXPECT_EQ(called, 1);
  types.RemoveType(IID_TestB);
  ASSERT_EQ(types.GetLength(), 2);
  EXPECT_EQ(types.GetID(1), C);
  types.RemoveType(IID_TestB);
  EXPECT_EQ(types.GetLength(), 2);
}

class TOWPinTest : public TPinsFixture {};

TOWNotifyResult CountingDefaultHandler(TOWPin *, IOWStream *, const TGUID *, IOWNotifyOperation *,
                                       TOWNotifyState) {
  return {nrDataChanged};
}

TEST_F(TOWPinTest, SubmitFunctionsOfTypesWithAndWithoutHandler) {
  auto *src = Source("AudioIn");
  TOWPin *pin = src->OutputPin;
  pin->AddType(IID_TestB);
  EXPECT_FALSE(pin->GetSubmitFunctionID(OWNULLID));
  EXPECT_FALSE(
      pin->GetSubmitFunctionID(TGUID::FromLiteral("{11111111-2222-3333-4444-555555555555}")));
  TOWSubmit viaDefault = pin->GetSubmitFunctionID(IID_TestB);
  ASSERT_TRUE(viaDefault);
  // Without a default handler in the registry the delivery does nothing.
  EXPECT_TRUE(viaDefault(nullptr, &IID_TestB, nullptr, {}).Empty());
  OWRegisterDefaultHandler(IID_TestB, &CountingDefaultHandler);
  EXPECT_TRUE(viaDefault(nullptr, &IID_TestB, nullptr, {}).Contains(nrDataChanged));
}

TEST_F(TOWPinTest, NamesFromThePublishedProperty) {
  auto *src = Source("AudioIn");
  TOWPin *pin = src->OutputPin;
  EXPECT_EQ(pin->GetFullName(true), "MainForm.AudioIn.OutputPin");
  EXPECT_EQ(pin->GetFullIdentName(true), "MainForm.AudioIn.OutputPin");
  EXPECT_EQ(pin->GetFullName(false), "AudioIn.OutputPin");
  EXPECT_EQ(pin->GetName(), "OutputPin");
  EXPECT_EQ(pin->GetSaveName(), "OutputPin");
  EXPECT_EQ(pin->GetRootName(), "MainForm");
  EXPECT_EQ(pin->GetOwnerName(), "AudioIn");
  EXPECT_EQ(pin->GetRoot(), Form);
  EXPECT_TRUE(pin->GetIsRealPin());
}

TEST_F(TOWPinTest, APinOwnedByTheFormHasTheFormAsRoot) {
  auto *pin = CreateObject<TTestSinkPin>(Form);
  EXPECT_EQ(pin->GetRootName(), "MainForm");
  EXPECT_EQ(pin->GetRoot(), Form);
  FreeObject(pin);
}

TEST_F(TOWPinTest, PinsWithoutOwnerOrWithAnOwnerlessOwner) {
  auto *lone = CreateObject<TTestSinkPin>(nullptr);
  EXPECT_EQ(lone->GetFullName(true), "(No owner)");
  EXPECT_EQ(lone->GetFullIdentName(false), "(No owner)");
  EXPECT_EQ(lone->GetRoot(), nullptr);
  EXPECT_FALSE(lone->OwnerInDesigning());
  EXPECT_FALSE(lone->OwnerInLoading());
  EXPECT_FALSE(lone->RootInDestroying());
  FreeObject(lone);

  auto *orphan = CreateObject<TTestSinkComponent>(nullptr);
  orphan->SetName("Orphan");
  EXPECT_EQ(orphan->InputPin->GetRootName(), "") << "cached earlier: empty for a fresh pin";
  EXPECT_EQ(orphan->InputPin->GetRoot(), orphan);
  FreeObject(orphan);
}

// A pin that counts the destructions it hears of.
class TListeningPin : public TOWSinkPin {
public:
  using TOWSinkPin::TOWSinkPin;
  void PinDeletedNotify(TOWBasicPin *pin) override {
    Heard.push_back(pin);
    TOWSinkPin::PinDeletedNotify(pin);
  }
  std::vector<TOWBasicPin *> Heard;
};

TEST_F(TOWPinTest, EveryPinHearsOfADestructionTheDestroyedOneIncluded) {
  auto *listener = CreateObject<TListeningPin>(Form);
  // The dying pin records into a list that outlives it.
  static std::vector<TOWBasicPin *> heardBySelf;
  heardBySelf.clear();
  struct TSelfListening : TOWSinkPin {
    using TOWSinkPin::TOWSinkPin;
    void PinDeletedNotify(TOWBasicPin *pin) override { heardBySelf.push_back(pin); }
  };
  auto *dying = CreateObject<TSelfListening>(Form);
  const int before = OWGetPinCount();
  FreeObject(dying);
  EXPECT_EQ(OWGetPinCount(), before - 1);
  ASSERT_EQ(listener->Heard.size(), 1u);
  EXPECT_EQ(listener->Heard[0], dying);
  ASSERT_EQ(heardBySelf.size(), 1u);
  EXPECT_EQ(heardBySelf[0], dying);
  FreeObject(listener);
}

// The list of all pins: every pin (placeholders included) from its making to
// its destruction, appended in the order of making.
TEST_F(TOWPinTest, TheListOfAllPinsHoldsEveryLivePinInTheOrderOfMaking) {
  const int before = OWGetPinCount();
  auto *src = Source("AudioIn");
  auto *placeholder = TOWUnloadedPin::FindOrCreate(Form, ptSink, "MainForm.Later.InputPin",
                                                   "MainForm.Later.InputPin", "x");
  ASSERT_EQ(OWGetPinCount(), before + 2);
  EXPECT_EQ(OWGetPin(before), src->OutputPin);
  EXPECT_EQ(OWGetPin(before + 1), placeholder);
  EXPECT_THROW(OWGetPin(before + 2), EListError);
  FreeObject(src);
  ASSERT_EQ(OWGetPinCount(), before + 1);
  EXPECT_EQ(OWGetPin(before), placeholder);
  OWClearPendingLinks();
  EXPECT_EQ(OWGetPinCount(), before);
}

// Notifier events reach every observer; one that raises stops nothing.
class TRecordingNotifier : public com::TInterfacedObject, public IOWPinNotifier {
public:
  explicit TRecordingNotifier(bool raises) : raises_(raises) {}
  void PinCreated(TOWBasicPin *) override {
    ++Created;
    if (raises_)
      throw Exception("observer failure");
  }
  void PinDestroying(TOWBasicPin *, bool) override { ++Destroying; }
  void PinDisconnected(TOWBasicPin *, TOWPinObject *) override { ++Disconnected; }
  int Created = 0, Destroying = 0, Disconnected = 0;

private:
  bool raises_;
};

TEST_F(TOWPinTest, NotifiersHearCreationAndDestructionAndTheirExceptionsAreDropped) {
  auto failing = com::MakeCom<TRecordingNotifier>(true);
  auto recording = com::MakeCom<TRecordingNotifier>(false);
  OWAddPinNotifier(IOWPinNotifierPtr(failing));
  OWAddPinNotifier(IOWPinNotifierPtr(recording));
  auto *pin = CreateObject<TTestSinkPin>(Form);
  FreeObject(pin);
  OWRemovePinNotifier(failing.Get());
  OWRemovePinNotifier(recording.Get());
  EXPECT_EQ(failing->Created, 1);
  EXPECT_EQ(recording->Created, 1);
  EXPECT_EQ(recording->Destroying, 1);
}

TEST_F(TOWPinTest, DesignAndLoadingStatesComeFromTheOwner) {
  auto *sink = Sink("Meter");
  EXPECT_FALSE(sink->InputPin->OwnerInDesigning());
  sink->IncludeState(csDesigning | csLoading);
  EXPECT_TRUE(sink->InputPin->OwnerInDesigning());
  EXPECT_TRUE(sink->InputPin->OwnerInLoading());
  sink->ExcludeState(csDesigning | csLoading);
}

} // namespace
