#include "scope/SLHighlighting.h"

#include "platform/classlib/ClassBuilder.h"

// Trails ---------------------------------------------------------------------------

const TClassInfo &TSLDisplayTrails::StaticClassInfo() {
  using C = TSLDisplayTrails;
  static const TClassInfo &info =
      MakeClassInfo<C>("TSLDisplayTrails", &TPersistent::StaticClassInfo(),
                       [](TClassBuilder<C> &c) { c.Object("Font", &C::GetFont, &C::SetFont); });
  return info;
}

TSLDisplayTrails::TSLDisplayTrails(TSLSettingsChange Repaint) : FRepaint(std::move(Repaint)) {
  FFont.SetName("Arial");
  FFont.SetColor(clWhite);
  FFont.OnChange = [this](TObject *) { this->Repaint(); };
}

void TSLDisplayTrails::Repaint() {
  if (FRepaint)
    FRepaint();
}

void TSLDisplayTrails::SetColor(TColor Value) {
  if (Value == FColor)
    return;
  FColor = Value;
  Repaint();
}

void TSLDisplayTrails::Assign(TPersistent *Source) {
  if (auto *T = dynamic_cast<TSLDisplayTrails *>(Source)) {
    FFont.Assign(&T->FFont);
    SetColor(T->FColor);
    return;
  }
  TPersistent::Assign(Source);
}

void TSLDisplayTrails::DefineProperties(TFiler *Filer) {
  TPersistent::DefineProperties(Filer);
  DefineColorProperty(
      Filer, "Color", [this] { return FColor; }, [this](TColor C) { SetColor(C); },
      FColor != 0xFFFFFF);
}

// Item highlighting ------------------------------------------------------------------

const TClassInfo &TSLDisplayItemHighlighting::StaticClassInfo() {
  using C = TSLDisplayItemHighlighting;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLDisplayItemHighlighting", &TPersistent::StaticClassInfo(), [](TClassBuilder<C> &c) {
        c.Boolean("HiglightLegendButton", &C::GetHiglightLegendButton, &C::SetHiglightLegendButton,
                  true);
        c.Boolean("HiglightFromLegend", &C::GetHiglightFromLegend, &C::SetHiglightFromLegend, true);
        // Always stored: the channels' default differs from the others'.
        c.Boolean("HiglightFromMouse", &C::GetHiglightFromMouse, &C::SetHiglightFromMouse);
      });
  return info;
}

const TClassInfo &TSLChannelItemHighlighting::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TSLChannelItemHighlighting>(
      "TSLChannelItemHighlighting", &TSLDisplayItemHighlighting::StaticClassInfo());
  return info;
}

TSLDisplayItemHighlighting::TSLDisplayItemHighlighting(TSLSettingsChange Changed)
    : FChanged(std::move(Changed)) {}

TSLChannelItemHighlighting::TSLChannelItemHighlighting(TSLSettingsChange Changed)
    : TSLDisplayItemHighlighting(std::move(Changed)) {
  FHiglightFromMouse = false;
}

void TSLDisplayItemHighlighting::Changed() {
  if (FChanged)
    FChanged();
}

void TSLDisplayItemHighlighting::SetHiglightLegendButton(bool Value) {
  if (Value == FHiglightLegendButton)
    return;
  FHiglightLegendButton = Value;
  Changed();
}

void TSLDisplayItemHighlighting::SetHiglightFromLegend(bool Value) {
  if (Value == FHiglightFromLegend)
    return;
  FHiglightFromLegend = Value;
  Changed();
}

void TSLDisplayItemHighlighting::SetHiglightFromMouse(bool Value) {
  if (Value == FHiglightFromMouse)
    return;
  FHiglightFromMouse = Value;
  Changed();
}

void TSLDisplayItemHighlighting::SetColor(TColor Value) {
  if (Value == FColor)
    return;
  FColor = Value;
  Changed();
}

void TSLDisplayItemHighlighting::Assign(TPersistent *Source) {
  if (auto *H = dynamic_cast<TSLDisplayItemHighlighting *>(Source)) {
    FHiglightLegendButton = H->FHiglightLegendButton;
    FHiglightFromLegend = H->FHiglightFromLegend;
    FHiglightFromMouse = H->FHiglightFromMouse;
    FColor = H->FColor;
    return;
  }
  TPersistent::Assign(Source);
}

void TSLDisplayItemHighlighting::DefineProperties(TFiler *Filer) {
  TPersistent::DefineProperties(Filer);
  DefineColorProperty(
      Filer, "Color", [this] { return FColor; }, [this](TColor C) { SetColor(C); },
      FColor != 0x00FF00);
}

// Hit point -------------------------------------------------------------------------

const TClassInfo &TSLChannelMouseHitPoint::StaticClassInfo() {
  using C = TSLChannelMouseHitPoint;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLChannelMouseHitPoint", &TPersistent::StaticClassInfo(), [](TClassBuilder<C> &c) {
        c.Boolean("Enabled", &C::GetEnabled, &C::SetEnabled, true);
        c.Object("PointLabel", &C::GetPointLabel, &C::SetPointLabel);
        c.Boolean("UseChannelColor", &C::GetUseChannelColor, &C::SetUseChannelColor, true);
      });
  return info;
}

TSLChannelMouseHitPoint::TSLChannelMouseHitPoint(TSLSettingsChange Changed)
    : FPointLabel(std::make_unique<TSLMeasurementLabel>()), FChanged(std::move(Changed)) {
  FPointLabel->OnChange = [this](TObject *) { this->Changed(); };
}

void TSLChannelMouseHitPoint::Changed() {
  if (FChanged)
    FChanged();
}

void TSLChannelMouseHitPoint::SetEnabled(bool Value) {
  if (Value == FEnabled)
    return;
  FEnabled = Value;
  Changed();
}

void TSLChannelMouseHitPoint::SetPointLabel(TSLMeasurementLabel *Value) {
  FPointLabel->Assign(Value);
  Changed();
}

void TSLChannelMouseHitPoint::SetColor(TColor Value) {
  if (Value == FColor)
    return;
  FColor = Value;
  Changed();
}

void TSLChannelMouseHitPoint::SetUseChannelColor(bool Value) {
  if (Value == FUseChannelColor)
    return;
  FUseChannelColor = Value;
  Changed();
}

void TSLChannelMouseHitPoint::Assign(TPersistent *Source) {
  if (auto *H = dynamic_cast<TSLChannelMouseHitPoint *>(Source)) {
    FEnabled = H->FEnabled;
    FPointLabel->Assign(H->FPointLabel.get());
    FColor = H->FColor;
    FUseChannelColor = H->FUseChannelColor;
    return;
  }
  TPersistent::Assign(Source);
}

void TSLChannelMouseHitPoint::DefineProperties(TFiler *Filer) {
  TPersistent::DefineProperties(Filer);
  DefineColorProperty(
      Filer, "Color", [this] { return FColor; }, [this](TColor C) { SetColor(C); },
      FColor != 0x0000FF);
}

// Highlighting -----------------------------------------------------------------------

const TClassInfo &TSLDisplayHighlighting::StaticClassInfo() {
  using C = TSLDisplayHighlighting;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLDisplayHighlighting", &TPersistent::StaticClassInfo(), [](TClassBuilder<C> &c) {
        c.Object("Channels", &C::GetChannels, &C::SetChannels);
        c.Object("Markers", &C::GetMarkers, &C::SetMarkers);
        c.Object("Cursors", &C::GetCursors, &C::SetCursors);
        c.Object("CursorLinks", &C::GetCursorLinks, &C::SetCursorLinks);
        c.Object("MouseHitPoint", &C::GetMouseHitPoint, &C::SetMouseHitPoint);
      });
  return info;
}

TSLDisplayHighlighting::TSLDisplayHighlighting(TSLSettingsChange Changed)
    : FChanged(std::move(Changed)), FChannels([this] { this->Changed(); }),
      FMarkers([this] { this->Changed(); }), FCursors([this] { this->Changed(); }),
      FCursorLinks([this] { this->Changed(); }), FMouseHitPoint([this] { this->Changed(); }) {}

void TSLDisplayHighlighting::Changed() {
  if (FChanged)
    FChanged();
}

void TSLDisplayHighlighting::SetChannels(TSLChannelItemHighlighting *Value) {
  FChannels.Assign(Value);
  Changed();
}

void TSLDisplayHighlighting::SetMarkers(TSLDisplayItemHighlighting *Value) {
  FMarkers.Assign(Value);
  Changed();
}

void TSLDisplayHighlighting::SetCursors(TSLDisplayItemHighlighting *Value) {
  FCursors.Assign(Value);
  Changed();
}

void TSLDisplayHighlighting::SetCursorLinks(TSLDisplayItemHighlighting *Value) {
  FCursorLinks.Assign(Value);
  Changed();
}

void TSLDisplayHighlighting::SetMouseHitPoint(TSLChannelMouseHitPoint *Value) {
  FMouseHitPoint.Assign(Value);
  Changed();
}

void TSLDisplayHighlighting::Assign(TPersistent *Source) {
  if (auto *H = dynamic_cast<TSLDisplayHighlighting *>(Source)) {
    FChannels.Assign(&H->FChannels);
    FMarkers.Assign(&H->FMarkers);
    FCursors.Assign(&H->FCursors);
    FCursorLinks.Assign(&H->FCursorLinks);
    FMouseHitPoint.Assign(&H->FMouseHitPoint);
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}
