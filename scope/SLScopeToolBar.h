#pragma once
// The scope's own toolbar: run or hold, copy, print, save and setup in the
// first row; zoom in, zoom out, zoom off, undo and redo zoom in the second.

#include "scope/SLToolBar.h"

class TSLDataChart;

class TSLScopeToolBar : public TSLDisplayToolBar {
  CLASSLIB_SIMPLE_CLASS(TSLScopeToolBar, TSLDisplayToolBar)

public:
  explicit TSLScopeToolBar(TSLDataChart *Chart);

  // Shows run or hold by the chart's hold, and enables zoom off, undo and
  // redo by its zoom state, before painting.
  void Draw(TCanvas *Canvas) override;

  void RunClick(TSLDisplayToolBarButton *Sender);
  void HoldClick(TSLDisplayToolBarButton *Sender);
  void CopyClick(TSLDisplayToolBarButton *Sender);
  // The print dialog, then one page; cancelled, the display stays held.
  void PrintClick(TSLDisplayToolBarButton *Sender);
  // The save dialog, then a JPEG file for ".jpg" and ".jpeg", a bitmap
  // file for any other name; cancelled, the display stays held.
  void SaveClick(TSLDisplayToolBarButton *Sender);
  void SetupClick(TSLDisplayToolBarButton *Sender);
  void ZoomInClick(TSLDisplayToolBarButton *Sender);
  void ZoomOutClick(TSLDisplayToolBarButton *Sender);
  void ZoomOffClick(TSLDisplayToolBarButton *Sender);
  void UndoZoomClick(TSLDisplayToolBarButton *Sender);
  void RedoZoomClick(TSLDisplayToolBarButton *Sender);

private:
  // Runs an export with the display held: the hold returns to what it was
  // after the export, also when it fails, and stays on when the dialog was
  // cancelled; every button is released afterwards.
  void HeldExport(const std::function<bool()> &Dialog, const std::function<void()> &Export);

  TSLDataChart *FChart;
  TSLDisplayToolBarButton *FRunButton;
  TSLDisplayToolBarButton *FHoldButton;
  TSLDisplayToolBarButton *FSetupButton;
  TSLDisplayToolBarButton *FZoomOffButton;
  TSLDisplayToolBarButton *FUndoButton;
  TSLDisplayToolBarButton *FRedoButton;
};

// True for names whose extension, in upper case, is ".JPG" or ".JPEG".
bool SLIsJpegFileName(const std::string &FileName);
