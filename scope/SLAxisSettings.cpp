#include "scope/SLAxisSettings.h"

#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/FormStream.h"

const TClassInfo &TSLScopeAutoScalingSpace::StaticClassInfo() {
  using C = TSLScopeAutoScalingSpace;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLScopeAutoScalingSpace", &TPersistent::StaticClassInfo(), [](TClassBuilder<C> &c) {
        c.Integer("Space", &C::GetSpace, &C::SetSpace, 20);
        c.Integer("Threshold", &C::GetThreshold, &C::SetThreshold, 10);
      });
  return info;
}

const TClassInfo &TSLScopeAutoScaling::StaticClassInfo() {
  using C = TSLScopeAutoScaling;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLScopeAutoScaling", &TPersistent::StaticClassInfo(), [](TClassBuilder<C> &c) {
        c.Boolean("Enabled", &C::GetEnabled, &C::SetEnabled);
        c.Object("SpaceAbove", &C::GetSpaceAbove, &C::SetSpaceAbove);
        c.Object("SpaceBelow", &C::GetSpaceBelow, &C::SetSpaceBelow);
        c.Integer("MaxHistory", &C::GetMaxHistory, &C::SetMaxHistory, 20);
      });
  return info;
}

const TClassInfo &TSLScopeMaxSample::StaticClassInfo() {
  using C = TSLScopeMaxSample;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLScopeMaxSample", &TPersistent::StaticClassInfo(), [](TClassBuilder<C> &c) {
        c.Boolean("Autosize", &C::GetAutosize, &C::SetAutosize, true);
        c.Integer("Value", &C::GetValue, &C::SetValue, 1024);
      });
  return info;
}

const TClassInfo &TSLBasicScopeAxisValue::StaticClassInfo() {
  using C = TSLBasicScopeAxisValue;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLBasicScopeAxisValue", &TPersistent::StaticClassInfo(),
      [](TClassBuilder<C> &c) { c.Boolean("AutoScale", &C::GetAutoScale, &C::SetAutosize, true); });
  return info;
}

const TClassInfo &TSLScopeAxisValue::StaticClassInfo() {
  using C = TSLScopeAxisValue;
  static const TClassInfo &info =
      MakeClassInfo<C>("TSLScopeAxisValue", &TSLBasicScopeAxisValue::StaticClassInfo(),
                       [](TClassBuilder<C> &c) { c.Object("Tick", &C::GetTick, &C::SetTick); });
  return info;
}

const TClassInfo &TSLDisplayAxisCursorSettings::StaticClassInfo() {
  using C = TSLDisplayAxisCursorSettings;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLDisplayAxisCursorSettings", &TPersistent::StaticClassInfo(), [](TClassBuilder<C> &c) {
        c.Boolean("SnapToSample", &C::GetSnapToSample, &C::SetSnapToSample, false);
      });
  return info;
}

const TClassInfo &TSLMinorTicks::StaticClassInfo() {
  using C = TSLMinorTicks;
  static const TClassInfo &info =
      MakeClassInfo<C>("TSLMinorTicks", &TPersistent::StaticClassInfo(),
                       [](TClassBuilder<C> &c) { c.Integer("Count", &C::GetCount, &C::SetCount); });
  return info;
}

const TClassInfo &TSLScopeXAxisUnitScale::StaticClassInfo() {
  using C = TSLScopeXAxisUnitScale;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLScopeXAxisUnitScale", &TPersistent::StaticClassInfo(), [](TClassBuilder<C> &c) {
        c.Boolean("AutoScale", &C::GetAutoScale, &C::SetAutoScale, true);
        c.Integer("Exponent", &C::GetExponent, &C::SetExponent);
      });
  return info;
}

// ---------------------------------------------------------------------------

void TSLScopeAutoScalingSpace::Changed() {
  if (invalidateStep_)
    invalidateStep_();
}

void TSLScopeAutoScalingSpace::SetSpace(uint32_t Value) {
  if (Value == space_)
    return;
  space_ = Value;
  Changed();
}

void TSLScopeAutoScalingSpace::SetThreshold(uint32_t Value) {
  if (Value == threshold_)
    return;
  threshold_ = Value;
  Changed();
}

void TSLScopeAutoScalingSpace::Assign(TPersistent *Source) {
  auto *S = dynamic_cast<TSLScopeAutoScalingSpace *>(Source);
  if (!S)
    return TPersistent::Assign(Source);
  space_ = S->space_;
  threshold_ = S->threshold_;
  Changed();
}

TSLScopeAutoScaling::TSLScopeAutoScaling(TSLSettingChange InvalidateStep)
    : invalidateStep_(InvalidateStep), spaceAbove_(InvalidateStep), spaceBelow_(InvalidateStep) {
  NewHistories();
}

void TSLScopeAutoScaling::Changed() {
  if (invalidateStep_)
    invalidateStep_();
}

void TSLScopeAutoScaling::NewHistories() {
  maxima_ = com::MakeCom<TSLRealBuffer>(maxHistory_);
  minima_ = com::MakeCom<TSLRealBuffer>(maxHistory_);
  maxima_->Zero();
  minima_->Zero();
}

void TSLScopeAutoScaling::SetEnabled(bool Value) {
  if (Value == enabled_)
    return;
  enabled_ = Value;
  Changed();
}

void TSLScopeAutoScaling::SetSpaceAbove(TSLScopeAutoScalingSpace *Value) {
  spaceAbove_.Assign(Value);
}

void TSLScopeAutoScaling::SetSpaceBelow(TSLScopeAutoScalingSpace *Value) {
  spaceBelow_.Assign(Value);
}

void TSLScopeAutoScaling::SetMaxHistory(uint32_t Value) {
  if (Value == maxHistory_)
    return;
  maxHistory_ = Value;
  NewHistories();
  Changed();
}

void TSLScopeAutoScaling::Assign(TPersistent *Source) {
  auto *S = dynamic_cast<TSLScopeAutoScaling *>(Source);
  if (!S)
    return TPersistent::Assign(Source);
  SetEnabled(S->enabled_);
  SetSpaceAbove(&S->spaceAbove_);
  SetSpaceBelow(&S->spaceBelow_);
  SetMaxHistory(S->maxHistory_);
}

void TSLScopeMaxSample::Changed() {
  if (OnChange)
    OnChange(this);
}

void TSLScopeMaxSample::SetAutosize(bool Value) {
  if (Value == autosize_)
    return;
  autosize_ = Value;
  Changed();
}

void TSLScopeMaxSample::SetValue(uint32_t Value) {
  if (Value == value_)
    return;
  value_ = Value;
  Changed();
}

void TSLScopeMaxSample::Assign(TPersistent *Source) {
  auto *S = dynamic_cast<TSLScopeMaxSample *>(Source);
  if (!S)
    return TPersistent::Assign(Source);
  SetAutosize(S->autosize_);
  SetValue(S->value_);
}

void TSLBasicScopeAxisValue::Changed() {
  if (onChange_)
    onChange_(this);
}

void TSLBasicScopeAxisValue::SetAutosize(bool Value) {
  if (Value == autoScale_)
    return;
  autoScale_ = Value;
  Changed();
}

void TSLBasicScopeAxisValue::SetValue(double Value) {
  if (Value == value_)
    return;
  value_ = Value;
  Changed();
}

void TSLBasicScopeAxisValue::Assign(TPersistent *Source) {
  auto *S = dynamic_cast<TSLBasicScopeAxisValue *>(Source);
  if (!S)
    return TPersistent::Assign(Source);
  SetAutosize(S->autoScale_);
  SetValue(S->value_);
}

void TSLBasicScopeAxisValue::DefineProperties(TFiler *Filer) {
  TPersistent::DefineProperties(Filer);
  Filer->DefineProperty(
      "Value", [this](TReader *R) { value_ = R->ReadFloat(); },
      [this](TWriter *W) { W->WriteFloat(value_); }, true);
}

TSLScopeAxisValue::TSLScopeAxisValue(TSLSettingNotify OnChange)
    : TSLBasicScopeAxisValue(std::move(OnChange)), tick_([this](TObject *S) { DoChange(S); }) {}

void TSLScopeAxisValue::DoChange(TObject *) { Changed(); }

void TSLScopeAxisValue::SetTick(TSLBasicScopeAxisValue *Value) {
  if (!Value)
    return;
  // Stored past the tick's setters: one change of this record, not one per
  // field plus one.
  tick_.autoScale_ = Value->GetAutoScale();
  tick_.value_ = Value->GetValue();
  DoChange(this);
}

void TSLScopeAxisValue::Assign(TPersistent *Source) {
  TSLBasicScopeAxisValue::Assign(Source);
  if (auto *S = dynamic_cast<TSLScopeAxisValue *>(Source))
    SetTick(&S->tick_);
}

void TSLDisplayAxisCursorSettings::SetSnapToSample(bool Value) {
  if (Value == snapToSample_)
    return;
  snapToSample_ = Value;
  if (updateCursors_)
    updateCursors_();
}

void TSLDisplayAxisCursorSettings::Assign(TPersistent *Source) {
  auto *S = dynamic_cast<TSLDisplayAxisCursorSettings *>(Source);
  if (!S)
    return TPersistent::Assign(Source);
  SetSnapToSample(S->snapToSample_);
}

void TSLMinorTicks::SetCount(uint32_t Value) {
  if (Value == count_)
    return;
  count_ = Value;
  if (onChange_)
    onChange_(this);
}

void TSLMinorTicks::Assign(TPersistent *Source) {
  auto *S = dynamic_cast<TSLMinorTicks *>(Source);
  if (!S)
    return TPersistent::Assign(Source);
  SetCount(S->count_);
}

void TSLScopeXAxisUnitScale::Changed() {
  if (changed_)
    changed_();
}

void TSLScopeXAxisUnitScale::SetAutoScale(bool Value) {
  if (Value == autoScale_)
    return;
  autoScale_ = Value;
  Changed();
}

void TSLScopeXAxisUnitScale::SetExponent(int32_t Value) {
  if (Value == exponent_)
    return;
  exponent_ = Value;
  Changed();
}

void TSLScopeXAxisUnitScale::Assign(TPersistent *Source) {
  auto *S = dynamic_cast<TSLScopeXAxisUnitScale *>(Source);
  if (!S)
    return TPersistent::Assign(Source);
  SetAutoScale(S->autoScale_);
  SetExponent(S->exponent_);
}
