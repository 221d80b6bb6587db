#include <string>

#include <gtest/gtest.h>

#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/Component.h"
#include "platform/classlib/FormStream.h"
#include "scope/SLAxisSettings.h"

namespace {

// A component publishing axis limits as the X axis does, counting changes.
class TLimitHost : public TComponent {
  CLASSLIB_CLASS(TLimitHost)

public:
  explicit TLimitHost(TComponent *Owner) : TComponent(Owner) {}
  TSLScopeAxisValue *GetMin() { return &Min; }
  TSLScopeAxisValue *GetMax() { return &Max; }
  TSLScopeAutoScaling *GetAutoScaling() { return &AutoScaling; }
  int Changes = 0;
  int Steps = 0;
  TSLScopeAxisValue Min{[this](TObject *) { ++Changes; }};
  TSLScopeAxisValue Max{[this](TObject *) { ++Changes; }};
  TSLScopeAutoScaling AutoScaling{[this] { ++Steps; }};
};

} // namespace

const TClassInfo &TLimitHost::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TLimitHost>(
      "TLimitHost", &TComponent::StaticClassInfo(), [](TClassBuilder<TLimitHost> &c) {
        c.Object("Min", &TLimitHost::GetMin);
        c.Object("Max", &TLimitHost::GetMax);
        c.Object("AutoScaling", &TLimitHost::GetAutoScaling);
      });
  return info;
}

namespace {

TEST(SLScopeAxisValue, ValueIsAlwaysWrittenAndReadWithoutChangeEvents) {
  TLimitHost *Host = CreateObject<TLimitHost>(nullptr);
  Host->SetName("Host");
  Host->Max.SetValue(1024);
  Host->Max.GetTick()->SetValue(1024);
  Host->Changes = 0;
  const std::string Text = WriteFormText(Host);
  EXPECT_NE(Text.find("Min.Value = 0"), std::string::npos) << Text;
  EXPECT_NE(Text.find("Min.Tick.Value = 0"), std::string::npos) << Text;
  EXPECT_NE(Text.find("Max.Value = 1024"), std::string::npos) << Text;
  EXPECT_NE(Text.find("AutoScaling.Enabled = True"), std::string::npos) << Text;

  TLimitHost *Loaded = CreateObject<TLimitHost>(nullptr);
  LoadFormText(Loaded, "object Host: TLimitHost\n  Min.Value = -2.5\n  Max.Tick.Value = 7\n"
                       "  Max.AutoScale = False\nend\n");
  EXPECT_EQ(Loaded->Min.GetValue(), -2.5);
  EXPECT_EQ(Loaded->Max.GetTick()->GetValue(), 7);
  EXPECT_FALSE(Loaded->Max.GetAutoScale());
  EXPECT_EQ(Loaded->Changes, 1) << "only the published AutoScale goes through its setter";
  FreeObject(Loaded);
  FreeObject(Host);
}

TEST(SLScopeAxisValue, SettersReportRealChangesAndTickChangesAsTheLimits) {
  std::vector<TObject *> Senders;
  TSLScopeAxisValue Max([&](TObject *S) { Senders.push_back(S); });
  Max.SetValue(0);
  Max.SetAutosize(true);
  EXPECT_TRUE(Senders.empty()) << "the current value is no change";
  Max.SetValue(5);
  Max.GetTick()->SetValue(2);
  ASSERT_EQ(Senders.size(), 2u);
  EXPECT_EQ(Senders[1], &Max) << "a tick's change is reported by its limit";
  TSLBasicScopeAxisValue Tick;
  Tick.SetAutosize(false);
  Tick.SetValue(9);
  Max.SetTick(&Tick);
  EXPECT_EQ(Senders.size(), 3u) << "one report for the copy of both fields";
  EXPECT_FALSE(Max.GetTick()->GetAutoScale());
  EXPECT_EQ(Max.GetTick()->GetValue(), 9);
}

TEST(SLScopeAutoScaling, DefaultsHistoriesAndStepInvalidation) {
  int Steps = 0;
  TSLScopeAutoScaling A([&] { ++Steps; });
  EXPECT_TRUE(A.GetEnabled());
  EXPECT_EQ(A.GetMaxHistory(), 20u);
  EXPECT_EQ(A.GetSpaceAbove()->GetSpace(), 20u);
  EXPECT_EQ(A.GetSpaceBelow()->GetThreshold(), 10u);
  ASSERT_EQ(A.GetMaxHistoryBuffer()->GetSize(), 20u);
  EXPECT_EQ(A.GetMinHistoryBuffer()->GetMaxValue(), 0.0);
  A.GetMaxHistoryBuffer()->SetItem(3, 42);
  A.SetMaxHistory(20);
  EXPECT_EQ(Steps, 0);
  EXPECT_EQ(A.GetMaxHistoryBuffer()->GetItem(3), 42) << "an unchanged length keeps the history";
  A.SetMaxHistory(0);
  EXPECT_EQ(Steps, 1);
  EXPECT_EQ(A.GetMaxHistoryBuffer()->GetSize(), 0u);
  EXPECT_EQ(A.GetMinHistoryBuffer()->GetSize(), 0u);
  A.GetSpaceAbove()->SetSpace(40);
  A.GetSpaceBelow()->SetThreshold(10);
  EXPECT_EQ(Steps, 2) << "the spaces invalidate their axis, unchanged values do not";
  TSLScopeAutoScalingSpace Given;
  Given.SetSpace(40);
  A.SetSpaceAbove(&Given);
  EXPECT_EQ(Steps, 3) << "a copied space always reports";
  A.SetEnabled(false);
  EXPECT_EQ(Steps, 4);
}

TEST(SLAxisRecords, HandlersRunOnlyForRealChanges) {
  int Snaps = 0, Ticks = 0, Units = 0, Samples = 0;
  TSLDisplayAxisCursorSettings Cursor([&] { ++Snaps; });
  Cursor.SetSnapToSample(false);
  Cursor.SetSnapToSample(true);
  TSLMinorTicks Minor([&](TObject *) { ++Ticks; });
  Minor.SetCount(0);
  Minor.SetCount(4);
  TSLScopeXAxisUnitScale Unit([&] { ++Units; });
  Unit.SetAutoScale(true);
  Unit.SetExponent(-3);
  Unit.SetAutoScale(false);
  TSLScopeMaxSample Max;
  Max.SetValue(2048);
  Max.OnChange = [&](TObject *) { ++Samples; };
  Max.SetValue(2048);
  Max.SetAutosize(false);
  EXPECT_EQ(Snaps, 1);
  EXPECT_EQ(Ticks, 1);
  EXPECT_EQ(Units, 2);
  EXPECT_EQ(Samples, 1);
  EXPECT_EQ(Max.GetValue(), 2048u);
}

} // namespace
