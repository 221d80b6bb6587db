#pragma once
// The "Pen" and "Brush" dialogs: they edit a pen or brush of a scope item in
// place, each change at once, and tell the caller through OnClick (which
// the caller points at its reload or apply handler before showing them).
// The only button, OK, is both the default and the cancel button, so Enter
// and Esc close and keep every change. Main thread only.

#include <QComboBox>
#include <QLabel>

#include "platform/classlib/ClassBuilder.h"
#include "platform/gui/ColorFontDialogs.h"
#include "platform/gui/DialogControls.h"
#include "platform/gui/Forms.h"

class TSLPenForm : public gui::TForm {
  CLASSLIB_SIMPLE_CLASS(TSLPenForm, gui::TForm)

public:
  // Centred on Owner's form.
  TSLPenForm(TComponent *Owner, TPen *Pen);

  gui::TToolDialog *Dialog() const { return static_cast<gui::TToolDialog *>(Widget()); }

  void PointColorButtonClick();
  void PenStyleComboBoxChange();
  void PenModeComboBoxChange();
  void WidthEditChange();
  void WidthEditKeyPress(char &Key);
  // The form's own key preview: nothing to do.
  // kept: the form's handler
  void FormKeyPress(char &) {}

  TNotifyEvent OnClick;

  QPushButton *PointColorButton;
  gui::TColorSwatch *ColorPaintBox;
  QComboBox *PenStyleComboBox;
  QComboBox *PenModeComboBox;
  gui::TFilteredEdit *WidthEdit;
  gui::TUpDown *PointSizeUpDown;
  QPushButton *OkButton;
  gui::TColorDialog ColorDialog;

private:
  void Click();

  TPen *FPen;
  bool FUpdating = false;
};

class TSLBrushForm : public gui::TForm {
  CLASSLIB_SIMPLE_CLASS(TSLBrushForm, gui::TForm)

public:
  TSLBrushForm(TComponent *Owner, TBrush *Brush);

  gui::TToolDialog *Dialog() const { return static_cast<gui::TToolDialog *>(Widget()); }

  void PointColorButtonClick();
  void BrushStyleComboBoxChange();

  TNotifyEvent OnClick;

  QPushButton *PointColorButton;
  gui::TColorSwatch *ColorPaintBox;
  QComboBox *BrushStyleComboBox;
  QPushButton *OkButton;
  gui::TColorDialog ColorDialog;

private:
  void Click();

  TBrush *FBrush;
  bool FUpdating = false;
};

// The value names of the graphics enumerations, in value order.
const std::vector<std::string> &SLPenStyleNames();
const std::vector<std::string> &SLPenModeNames();
const std::vector<std::string> &SLBrushStyleNames();
