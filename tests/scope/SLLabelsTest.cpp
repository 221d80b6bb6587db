#include <memory>

#include <gtest/gtest.h>

#include "platform/classlib/Exceptions.h"
#include "scope/SLLabels.h"

namespace {

TEST(LabelsTest, DefaultsOfTheThreeKinds) {
  TSLOptionalLabel Plain;
  TSLDisplayLabel Caption;
  TSLMeasurementLabel Measure;
  EXPECT_TRUE(Plain.GetVisible());
  EXPECT_EQ(Plain.GetText(), "");
  EXPECT_EQ(Plain.GetFont()->GetName(), "Arial");
  EXPECT_EQ(Plain.GetFont()->GetColor(), clWhite);
  EXPECT_EQ(Plain.GetFont()->GetSize(), DefaultFontSize + 2);
  EXPECT_FALSE(Plain.GetFont()->HasStyle(fsBold));
  EXPECT_TRUE(Caption.GetFont()->HasStyle(fsBold));
  EXPECT_EQ(Measure.GetFont()->GetSize(), DefaultFontSize);
}

TEST(LabelsTest, OnlyRealChangesAreReported) {
  TSLDisplayLabel L;
  int Changes = 0;
  L.OnChange = [&](TObject *Sender) {
    EXPECT_EQ(Sender, &L);
    ++Changes;
  };
  L.SetText("Amplitude");
  L.SetText("Amplitude");
  EXPECT_EQ(Changes, 1);
  L.SetVisible(false);
  L.SetVisible(false);
  EXPECT_EQ(Changes, 2);
  L.GetFont()->SetHeight(-14);
  EXPECT_EQ(Changes, 3);
  TFont F;
  F.SetHeight(-21);
  L.SetFont(&F);
  EXPECT_EQ(Changes, 4);
  EXPECT_EQ(L.GetFont()->GetHeight(), -21);
}

TEST(LabelsTest, AssignCopiesIntoIndependentLabels) {
  auto Source = std::make_unique<TSLDisplayLabel>();
  Source->SetText("Time");
  Source->GetFont()->SetHeight(-13);
  Source->SetVisible(false);
  TSLDisplayLabel Target;
  int Changes = 0;
  Target.OnChange = [&](TObject *) { ++Changes; };
  Target.Assign(Source.get());
  EXPECT_EQ(Changes, 0); // copying reports nothing
  EXPECT_EQ(Target.GetText(), "Time");
  EXPECT_EQ(Target.GetFont()->GetHeight(), -13);
  EXPECT_FALSE(Target.GetVisible());
  Source->GetFont()->SetHeight(-30);
  EXPECT_EQ(Target.GetFont()->GetHeight(), -13);
  Source.reset();
  EXPECT_EQ(Target.GetText(), "Time");
}

TEST(LabelsTest, AssignAcceptsDisplayLabelsAndItsOwnKindOnly) {
  TSLMeasurementLabel Measure;
  Measure.SetText("%V dB");
  TSLDisplayLabel Caption;
  EXPECT_THROW(Caption.Assign(&Measure), EConvertError);
  // A measurement label copies to another (the link settings do so).
  TSLMeasurementLabel Other;
  Other.Assign(&Measure);
  EXPECT_EQ(Other.GetText(), "%V dB");
  TSLOptionalLabel Plain;
  Plain.Assign(&Caption);
  EXPECT_THROW(Caption.Assign(&Plain), EConvertError);
  TFont F;
  EXPECT_THROW(Plain.Assign(&F), EConvertError);
}

} // namespace
