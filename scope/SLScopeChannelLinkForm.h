#pragma once
// A small borderless editor of one cursor-to-channel link: its point (size,
// shape, channel colour, pen, brush) and its label. The cursors page embeds
// it for the channel selected there. Main thread only.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QMenu>
#include <QTabWidget>
#include <QToolButton>

#include "platform/classlib/ClassBuilder.h"
#include "platform/gui/DialogControls.h"
#include "platform/gui/Forms.h"

class TSLDisplayChannelLink;

class TSLScopeChannelLinkForm : public gui::TForm {
  CLASSLIB_SIMPLE_CLASS(TSLScopeChannelLinkForm, gui::TForm)

public:
  TSLScopeChannelLinkForm(TComponent *Owner, TSLDisplayChannelLink *Link);

  TSLDisplayChannelLink *GetLink() const { return FLink; }
  void SetLink(TSLDisplayChannelLink *Link);
  // Loads the link's values into the controls.
  void RefreshLinkData();
  // Stores every setting at once into the link.
  void LinkSettingsChange();
  void PointsSizeEditKeyPress(char &Key);
  void PointPenButtonClick();
  void PointBrushButtonClick();
  void BitBtn2Click();
  void SpeedButtonClick();

  // A digit was typed into the size field: the host's OK gives up its role.
  TNotifyEvent OnEditBegin;
  // Typing in the size or label field ended.
  TNotifyEvent OnEditEnd;

  QGroupBox *GroupBox;
  QTabWidget *PageControl;
  QCheckBox *UseChannelCheckBox;
  gui::TFilteredEdit *PointsSizeEdit;
  gui::TUpDown *PointSizeUpDown;
  QComboBox *ShapeComboBox;
  QPushButton *PointPenButton;
  QPushButton *PointBrushButton;
  QCheckBox *LabelVisibleCheckBox;
  gui::TFilteredEdit *LabelEdit;
  QPushButton *BitBtn2;
  QToolButton *SpeedButton;
  QMenu *PopupMenu;

private:
  void EditBegin();
  void EditEnd();

  TSLDisplayChannelLink *FLink;
  bool FUpdating = false;
};
