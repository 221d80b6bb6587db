#pragma once
// Settings the plot items and the legend share: the trails (colour and font
// of the dotted previews while an item is dragged), and per item kind
// whether and in what colour the item under the mouse, or under the mouse in
// the legend, is highlighted, with the settings of the channel hit point
// (the pixel of the curve under the mouse and its "%X : %Y" label). Main
// thread only.

#include <functional>
#include <memory>

#include "platform/classlib/Persistent.h"
#include "platform/gui/Canvas.h"
#include "scope/SLLabels.h"

// What a settings object does when it changes: the chart's reaction.
using TSLSettingsChange = std::function<void()>;

class TSLDisplayTrails : public TPersistent {
  CLASSLIB_CLASS(TSLDisplayTrails)

public:
  // Repaint: the chart's repaint. White pen, white "Arial".
  explicit TSLDisplayTrails(TSLSettingsChange Repaint = {});

  TColor GetColor() const { return FColor; }
  // A different colour repaints.
  void SetColor(TColor Value);
  TFont *GetFont() { return &FFont; }
  // Copies the font; any change of it repaints.
  void SetFont(TFont *Value) { FFont.Assign(Value); }
  void Assign(TPersistent *Source) override;
  // Color, by name or number.
  void DefineProperties(TFiler *Filer) override;

private:
  void Repaint();

  TColor FColor = 0xFFFFFF;
  TFont FFont;
  TSLSettingsChange FRepaint;
};

class TSLDisplayItemHighlighting : public TPersistent {
  CLASSLIB_CLASS(TSLDisplayItemHighlighting)

public:
  // Changed: the chart's HighlightingChanged.
  explicit TSLDisplayItemHighlighting(TSLSettingsChange Changed = {});

  // The legend lights an item's button while the item is lit in the plot.
  bool GetHiglightLegendButton() const { return FHiglightLegendButton; }
  void SetHiglightLegendButton(bool Value);
  // The mouse over an item's legend button lights the item in the plot.
  bool GetHiglightFromLegend() const { return FHiglightFromLegend; }
  void SetHiglightFromLegend(bool Value);
  // The item under the mouse in the plot is lit.
  bool GetHiglightFromMouse() const { return FHiglightFromMouse; }
  void SetHiglightFromMouse(bool Value);
  TColor GetColor() const { return FColor; }
  void SetColor(TColor Value);

  // Whether the plot looks for this kind under the mouse at all.
  bool GetMouseHighlighting() const { return FHiglightLegendButton || FHiglightFromMouse; }
  // kept: public read-only access; the program reads none of it
  bool GetVC_HiglightLegendButton() const { return FHiglightLegendButton; }
  bool GetVC_HiglightFromLegend() const { return FHiglightFromLegend; }
  bool GetVC_HiglightFromMouse() const { return FHiglightFromMouse; }
  TColor GetVC_Color() const { return FColor; }

  // Another highlighting's published values, without a notification.
  void Assign(TPersistent *Source) override;
  // Color, by name or number.
  void DefineProperties(TFiler *Filer) override;

protected:
  void Changed();

  bool FHiglightLegendButton = true;
  bool FHiglightFromLegend = true;
  bool FHiglightFromMouse = true;
  TColor FColor = 0x00FF00;
  TSLSettingsChange FChanged;
};

// Channels are lit from the mouse only when asked.
class TSLChannelItemHighlighting : public TSLDisplayItemHighlighting {
  CLASSLIB_CLASS(TSLChannelItemHighlighting)

public:
  explicit TSLChannelItemHighlighting(TSLSettingsChange Changed = {});
};

class TSLChannelMouseHitPoint : public TPersistent {
  CLASSLIB_CLASS(TSLChannelMouseHitPoint)

public:
  explicit TSLChannelMouseHitPoint(TSLSettingsChange Changed = {});

  // The data view looks for the curve's point under the mouse and the
  // channel draws it.
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  TSLMeasurementLabel *GetPointLabel() { return FPointLabel.get(); }
  // Copies the label; any change of it is reported.
  void SetPointLabel(TSLMeasurementLabel *Value);
  TColor GetColor() const { return FColor; }
  void SetColor(TColor Value);
  bool GetUseChannelColor() const { return FUseChannelColor; }
  void SetUseChannelColor(bool Value);

  void Assign(TPersistent *Source) override;
  void DefineProperties(TFiler *Filer) override;

private:
  void Changed();

  bool FEnabled = true;
  std::unique_ptr<TSLMeasurementLabel> FPointLabel;
  TColor FColor = 0x0000FF;
  bool FUseChannelColor = true;
  TSLSettingsChange FChanged;
};

class TSLDisplayHighlighting : public TPersistent {
  CLASSLIB_CLASS(TSLDisplayHighlighting)

public:
  // Changed: the chart's HighlightingChanged, for every part.
  explicit TSLDisplayHighlighting(TSLSettingsChange Changed = {});

  TSLChannelItemHighlighting *GetChannels() { return &FChannels; }
  TSLDisplayItemHighlighting *GetMarkers() { return &FMarkers; }
  TSLDisplayItemHighlighting *GetCursors() { return &FCursors; }
  TSLDisplayItemHighlighting *GetCursorLinks() { return &FCursorLinks; }
  TSLChannelMouseHitPoint *GetMouseHitPoint() { return &FMouseHitPoint; }
  // Copy the given record's values, then report the change.
  void SetChannels(TSLChannelItemHighlighting *Value);
  void SetMarkers(TSLDisplayItemHighlighting *Value);
  void SetCursors(TSLDisplayItemHighlighting *Value);
  void SetCursorLinks(TSLDisplayItemHighlighting *Value);
  void SetMouseHitPoint(TSLChannelMouseHitPoint *Value);

  void Assign(TPersistent *Source) override;

private:
  void Changed();

  TSLSettingsChange FChanged;
  TSLChannelItemHighlighting FChannels;
  TSLDisplayItemHighlighting FMarkers;
  TSLDisplayItemHighlighting FCursors;
  TSLDisplayItemHighlighting FCursorLinks;
  TSLChannelMouseHitPoint FMouseHitPoint;
};
