#pragma once
// The small toolbars the scope draws inside its own client area instead of
// using window controls: a strip of 16 x 16 buttons painted from our glyph
// strip, recoloured at run time into four image lists (normal, disabled,
// mouse over, mouse down) so that every colour of a toolbar is a property.
// The scope's toolbar (Part of the chart) and the two-button toolbar of each
// axis share this base. Main thread only.

#include <QImage>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/Persistent.h"
#include "platform/gui/Canvas.h"
#include "platform/gui/Control.h"
#include "platform/gui/ImageList.h"

// What a toolbar needs of the control it is drawn on.
class ISLToolBarHost {
public:
  // The width of the plot (the control's, or the print size's).
  virtual int32_t GetToolBarPlotWidth() = 0;
  // The mouse in the control's client coordinates.
  virtual TPoint GetToolBarMousePos() = 0;
  // The control's background colour.
  virtual TColor GetToolBarColor() = 0;
  virtual void InvalidateToolBar() = 0;
  virtual void InvalidateToolBarRect(const TRect &R) = 0;

protected:
  ~ISLToolBarHost() = default;
};

// The glyphs of the strip, in strip order.
enum TSLToolBarGlyph : int32_t {
  tgRun,
  tgHold,
  tgZoomIn,
  tgZoomOut,
  tgZoomOff,
  tgPrint,
  tgSave,
  tgCopy,
  tgSetup,
  tgUndoZoom,
  tgRedoZoom,
  tgGlyphCount
};

// Our strip of the eleven button glyphs, 176 x 16, in four colour roles:
// white is glyph, 0x808080 the button border, 0xC0C0C0 the blend of glyph
// and button, black the button face; any other colour is transparent.
const QImage &SLScopeButtonGlyphs();

class TSLDisplayToolBarButton;
using TSLToolBarClick = std::function<void(TSLDisplayToolBarButton *Sender)>;

class TSLDisplayToolBarButton {
public:
  TSLDisplayToolBarButton(int32_t GlyphIndex, TSLToolBarClick OnClick)
      : FGlyphIndex(GlyphIndex), FOnClick(std::move(OnClick)) {}

  int32_t GetGlyphIndex() const { return FGlyphIndex; }
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool Value) { FVisible = Value; }
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; }
  bool GetDown() const { return FDown; }
  void SetDown(bool Value) { FDown = Value; }
  // Down, then the click handler.
  void Click();

private:
  int32_t FGlyphIndex;
  bool FVisible = true;
  bool FEnabled = true;
  bool FDown = false;
  TSLToolBarClick FOnClick;
};

class TSLDisplayToolBar : public TPersistent {
  CLASSLIB_CLASS(TSLDisplayToolBar)

public:
  explicit TSLDisplayToolBar(ISLToolBarHost *Host = nullptr);
  ~TSLDisplayToolBar() override;

  bool GetVisible() const { return FVisible; }
  void SetVisible(bool Value);
  // Shown only while the mouse is over the control (or at design time).
  bool GetAutoHide() const { return FAutoHide; }
  void SetAutoHide(bool Value);
  // kept: the published colours; some accessors have no caller
  TColor GetGlyphColor() const { return FGlyphColor; }
  void SetGlyphColor(TColor Value) { SetColorField(FGlyphColor, Value); }
  TColor GetBorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor Value) { SetColorField(FBorderColor, Value); }
  TColor GetButtonColor() const { return FButtonColor; }
  void SetButtonColor(TColor Value) { SetColorField(FButtonColor, Value); }
  TColor GetMouseOverBorderColor() const { return FMouseOverBorderColor; }
  void SetMouseOverBorderColor(TColor Value) { SetColorField(FMouseOverBorderColor, Value); }
  TColor GetMouseOverButtonColor() const { return FMouseOverButtonColor; }
  void SetMouseOverButtonColor(TColor Value) { SetColorField(FMouseOverButtonColor, Value); }
  TColor GetMouseDownBorderColor() const { return FMouseDownBorderColor; }
  void SetMouseDownBorderColor(TColor Value) { SetColorField(FMouseDownBorderColor, Value); }
  TColor GetMouseDownButtonColor() const { return FMouseDownButtonColor; }
  void SetMouseDownButtonColor(TColor Value) { SetColorField(FMouseDownButtonColor, Value); }
  TColor GetDisabledColor() const { return FDisabledColor; }
  void SetDisabledColor(TColor Value) { SetColorField(FDisabledColor, Value); }
  TCursor GetCursor() const { return FCursor; }
  void SetCursor(TCursor Value) { FCursor = Value; }

  void Assign(TPersistent *Source) override;
  // The colours and the cursor, by name or number.
  void DefineProperties(TFiler *Filer) override;

  // Reloads the glyphs into the four lists and recolours them.
  void ReassignColors();
  // Recolours every picture of List: white to Glyph, 0x808080 to Border,
  // 0xC0C0C0 to the blend of Glyph and Button, black to Button, anything
  // else transparent.
  void AssignColors(gui::TImageList *List, TColor Glyph, TColor Border, TColor Button);
  // Releases every button (before the properties dialog opens).
  void Hide();

  virtual int32_t GetXOffset();
  virtual int32_t GetYOffset() { return 3; }
  virtual bool GetHasTwoRows() { return true; }
  TRect GetBoundRect();
  virtual void Draw(TCanvas *Canvas);
  // A press at Point: clicks the enabled button there and releases any
  // other that is down; true when a button was clicked.
  bool MouseDown(TPoint Point);
  // Releases every button that is down.
  void MouseUp(TPoint Point);

  // The mouse was over an enabled button in the last paint.
  bool GetMouseOver() const { return FMouseOver; }
  int32_t ButtonCount() const { return int32_t(FButtons.size()); }
  TSLDisplayToolBarButton *GetButton(int32_t Index) const { return FButtons[size_t(Index)].get(); }
  int32_t VisibleButtonCount() const;
  gui::TImageList *GetNormalImages() const { return FNormalImages.get(); }
  gui::TImageList *GetDisabledImages() const { return FDisabledImages.get(); }
  gui::TImageList *GetMouseDownImages() const { return FMouseDownImages.get(); }
  gui::TImageList *GetMouseOverImages() const { return FMouseOverImages.get(); }

protected:
  TSLDisplayToolBarButton *AddButton(int32_t Glyph, TSLToolBarClick OnClick);
  ISLToolBarHost *Host() const { return FHost; }
  void Repaint();

private:
  void SetColorField(TColor &Field, TColor Value);
  // Each visible button with its rectangle, as Draw places them.
  void WalkButtons(const std::function<void(TSLDisplayToolBarButton *, const TRect &)> &Visit);

  bool FVisible = true;
  bool FAutoHide = true;
  ISLToolBarHost *FHost;
  std::unique_ptr<gui::TImageList> FNormalImages;
  std::unique_ptr<gui::TImageList> FDisabledImages;
  std::unique_ptr<gui::TImageList> FMouseDownImages;
  std::unique_ptr<gui::TImageList> FMouseOverImages;
  std::vector<std::unique_ptr<TSLDisplayToolBarButton>> FButtons;
  bool FMouseOver = false;
  TColor FGlyphColor = 0x00FFFF;
  TColor FBorderColor = 0x008000;
  TColor FButtonColor = 0x000000;
  TColor FMouseOverBorderColor = 0x00FF00;
  TColor FMouseOverButtonColor = 0x008000;
  TColor FMouseDownBorderColor = 0x00FFFF;
  TColor FMouseDownButtonColor = 0x008080;
  TColor FDisabledColor = 0x008000;
  TCursor FCursor = crHandPoint;
};

class TSLDisplayAxis;

// An axis's zoom in and zoom out: one per row beside a vertical axis at the
// data view's top, one row at the bottom of a horizontal axis from the data
// view's left.
class TSLAxisToolBar : public TSLDisplayToolBar {
  CLASSLIB_SIMPLE_CLASS(TSLAxisToolBar, TSLDisplayToolBar)

public:
  TSLAxisToolBar(TSLDisplayAxis *Axis, ISLToolBarHost *Host);

  int32_t GetXOffset() override;
  int32_t GetYOffset() override;
  bool GetHasTwoRows() override;

private:
  TSLDisplayAxis *FAxis;
};
