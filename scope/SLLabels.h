#pragma once
// The scope's small caption settings: a text with its font and visibility
// that tells its owner when it changes (TSLOptionalLabel), the bold variant
// of axis and legend captions (TSLDisplayLabel) and the smaller variant of
// measurement-line labels (TSLMeasurementLabel), and the title view that
// writes the scope's title above everything else. Main thread only.

#include <functional>
#include <string>

#include "platform/classlib/Persistent.h"
#include "platform/gui/Canvas.h"
#include "scope/SLDisplayAxis.h"

// The owner's reaction to a change: the label that changed.
using TSLLabelChange = std::function<void(TObject *Sender)>;

class TSLOptionalLabel : public TPersistent {
  CLASSLIB_CLASS(TSLOptionalLabel)

public:
  // Font "Arial", the default size + 2 points, white; visible; no text.
  TSLOptionalLabel();
  ~TSLOptionalLabel() override;

  const std::string &GetText() const { return FText; }
  // A different text is stored and reported.
  void SetText(const std::string &Value);
  TFont *GetFont() { return FFont.get(); }
  // Copies the given font's settings, then reports the change.
  void SetFont(TFont *Value);
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool Value);

  // Calls the change notification when one is set.
  void Invalidate();

  // From a display label (or a descendant), or from a label of this one's
  // own kind: text, font settings and visibility, without a notification.
  // Any other source fails with the class library's conversion error.
  void Assign(TPersistent *Source) override;

  // Set by the owner.
  TSLLabelChange OnChange;

protected:
  void FontChanged(TObject *Sender);

private:
  std::string FText;
  std::unique_ptr<TFont> FFont;
  bool FVisible = true;
};

// Axis and legend section captions: bold.
class TSLDisplayLabel : public TSLOptionalLabel {
  CLASSLIB_CLASS(TSLDisplayLabel)

public:
  TSLDisplayLabel();
};

// Measurement-line labels: back at the default size.
class TSLMeasurementLabel : public TSLOptionalLabel {
  CLASSLIB_CLASS(TSLMeasurementLabel)

public:
  TSLMeasurementLabel();
};

// The scope's title: centred on the whole control, 4 pixels from the top.
class TSLDisplayTitle : public TSLOptionalView {
  CLASSLIB_CLASS(TSLDisplayTitle)

public:
  // Font white "Arial", the default size + 8 points, bold; no text.
  explicit TSLDisplayTitle(ISLAxisChart *Display);

  const std::string &GetText() const { return FText; }
  // A different text redoes the layout (the title's height may change).
  void SetText(const std::string &Value);
  TFont *GetFont() { return FFont.get(); }
  void SetFont(TFont *Value) { FFont->Assign(Value); }
  void FontChanged(TObject *) { InvalidateRecalc(); }

  // (-1, text height of "Xg" + 16): the whole width, one line of text.
  TPoint GetDefaultSize() override;
  TAlign GetAlign() override { return alTop; }
  void Draw(TSLDisplayDrawPart Part, TCanvas *Canvas, bool Vertical, bool Exporting, double YMin,
            double YMax, int32_t YOffset, double YFactor) override;

private:
  ISLAxisChart *FDisplayChart;
  std::string FText;
  std::unique_ptr<TFont> FFont;
};
