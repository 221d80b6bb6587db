#pragma once
// The "Channels" page of the scope's properties dialog: name, visibility,
// colour, width, drawing and shade mode and the point symbols of each
// channel. Channels are neither added nor removed here. Main thread only.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>

#include "platform/gui/ColorFontDialogs.h"
#include "scope/SLPropertyPageForm.h"

class TSLScope;
class TSLScopeChannel;

class TSLScopeChannelForm : public TSLPropertyPageForm {
  CLASSLIB_SIMPLE_CLASS(TSLScopeChannelForm, TSLPropertyPageForm)

public:
  // Owner: the host dialog; Item: the channel selected first (none when out
  // of range).
  TSLScopeChannelForm(TComponent *Owner, TSLScope *Scope, int32_t Item);

  // Loads the selected channel's values into the controls.
  void ChannelsListBoxClick();
  void ChannelsListBoxClickCheck(int32_t Index);
  void NameEditChange();
  void NameEditKeyPress(char &Key);
  void NameEditExit();
  void VisibleCheckBoxClick();
  void ModeComboBoxChange();
  void ShadeComboBoxChange();
  void ColorButtonClick();
  void WidthEditChange();
  void PointsSizeEditChange();
  void PointsVisibleCheckBoxClick();
  void PointsShapeComboBoxChange();
  void PointsUseChannelColorCheckBoxClick();
  void PointPenButtonClick();
  void PointBrushButtonClick();

  gui::TCheckList *ChannelsListBox;
  gui::TFilteredEdit *NameEdit;
  QCheckBox *VisibleCheckBox;
  QComboBox *ModeComboBox;
  QComboBox *ShadeComboBox;
  QPushButton *ColorButton;
  gui::TColorSwatch *ColorPaintBox;
  gui::TFilteredEdit *WidthEdit;
  gui::TUpDown *WidthUpDown;
  QGroupBox *PointGroupBox;
  QCheckBox *PointsVisibleCheckBox;
  QComboBox *PointsShapeComboBox;
  gui::TFilteredEdit *PointsSizeEdit;
  gui::TUpDown *PointSizeUpDown;
  QCheckBox *PointsUseChannelColorCheckBox;
  QPushButton *PointPenButton;
  QPushButton *PointBrushButton;
  gui::TColorDialog ColorDialog;

private:
  // The selected channel, or null.
  TSLScopeChannel *Selected() const;

  TSLScope *FScope;
  bool FUpdating = false;
};
