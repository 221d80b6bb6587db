#include "scope/SLScopeToolBar.h"

#include <algorithm>
#include <cctype>

#include "platform/classlib/Dialogs.h"
#include "platform/gui/Printing.h"
#include "platform/sys/ScopeExit.h"
#include "scope/SLScopeControl.h"

TSLScopeToolBar::TSLScopeToolBar(TSLDataChart *Chart)
    : TSLDisplayToolBar(static_cast<TSLDataDisplay *>(Chart)), FChart(Chart) {
  auto Bind = [this](void (TSLScopeToolBar::*Handler)(TSLDisplayToolBarButton *)) {
    return [this, Handler](TSLDisplayToolBarButton *Sender) { (this->*Handler)(Sender); };
  };
  FRunButton = AddButton(tgRun, Bind(&TSLScopeToolBar::RunClick));
  FRunButton->SetVisible(false);
  FHoldButton = AddButton(tgHold, Bind(&TSLScopeToolBar::HoldClick));
  AddButton(tgCopy, Bind(&TSLScopeToolBar::CopyClick));
  AddButton(tgPrint, Bind(&TSLScopeToolBar::PrintClick));
  AddButton(tgSave, Bind(&TSLScopeToolBar::SaveClick));
  FSetupButton = AddButton(tgSetup, Bind(&TSLScopeToolBar::SetupClick));
  AddButton(tgZoomIn, Bind(&TSLScopeToolBar::ZoomInClick));
  AddButton(tgZoomOut, Bind(&TSLScopeToolBar::ZoomOutClick));
  FZoomOffButton = AddButton(tgZoomOff, Bind(&TSLScopeToolBar::ZoomOffClick));
  FUndoButton = AddButton(tgUndoZoom, Bind(&TSLScopeToolBar::UndoZoomClick));
  FRedoButton = AddButton(tgRedoZoom, Bind(&TSLScopeToolBar::RedoZoomClick));
}

void TSLScopeToolBar::Draw(TCanvas *Canvas) {
  const bool Held = FChart->GetHold();
  FRunButton->SetVisible(Held);
  FHoldButton->SetVisible(!Held);
  FZoomOffButton->SetEnabled(FChart->IsZoomed());
  FUndoButton->SetEnabled(FChart->GetCanUndoZoom());
  FRedoButton->SetEnabled(FChart->GetCanRedoZoom());
  TSLDisplayToolBar::Draw(Canvas);
}

void TSLScopeToolBar::RunClick(TSLDisplayToolBarButton *) { FChart->SetHold(false); }

void TSLScopeToolBar::HoldClick(TSLDisplayToolBarButton *) {
  FChart->SetHold(true);
  FRunButton->SetDown(true);
  FHoldButton->SetDown(true);
}

void TSLScopeToolBar::CopyClick(TSLDisplayToolBarButton *) { FChart->CopyToClipboard(); }

void TSLScopeToolBar::HeldExport(const std::function<bool()> &Dialog,
                                 const std::function<void()> &Export) {
  const bool Held = FChart->GetVC_Hold();
  FChart->SetHold(true);
  sys::TScopeExit Release([this] { MouseUp(TPoint{}); });
  if (!Dialog())
    return;
  sys::TScopeExit Restore([this, Held] { FChart->SetHold(Held); });
  Export();
}

void TSLScopeToolBar::PrintClick(TSLDisplayToolBarButton *) {
  HeldExport([] { return gui::ExecutePrintDialog(); }, [this] { FChart->Print(); });
}

bool SLIsJpegFileName(const std::string &FileName) {
  const size_t Slash = FileName.find_last_of('/');
  const size_t Dot = FileName.find_last_of('.');
  if (Dot == std::string::npos || (Slash != std::string::npos && Dot < Slash))
    return false;
  std::string Ext = FileName.substr(Dot);
  std::transform(Ext.begin(), Ext.end(), Ext.begin(),
                 [](unsigned char C) { return char(std::toupper(C)); });
  return Ext == ".JPG" || Ext == ".JPEG";
}

void TSLScopeToolBar::SaveClick(TSLDisplayToolBarButton *) {
  TFileDialog Dialog;
  Dialog.Kind = fdSave;
  Dialog.Filter = "Bitmap (*.bmp)|*.bmp|JPEG File Interchange Format (*.jpg)|*.jpg";
  Dialog.DefaultExt = "bmp";
  HeldExport([&Dialog] { return ExecuteFileDialog(Dialog); },
             [this, &Dialog] {
               if (SLIsJpegFileName(Dialog.FileName))
                 FChart->SaveToJpeg(Dialog.FileName);
               else
                 FChart->SaveToBitmap(Dialog.FileName);
             });
}

void TSLScopeToolBar::SetupClick(TSLDisplayToolBarButton *) { FChart->ShowSetupDialog(); }
void TSLScopeToolBar::ZoomInClick(TSLDisplayToolBarButton *) { FChart->ZoomBy(0.5); }
void TSLScopeToolBar::ZoomOutClick(TSLDisplayToolBarButton *) { FChart->ZoomBy(2.0); }
void TSLScopeToolBar::ZoomOffClick(TSLDisplayToolBarButton *) { FChart->ZoomOff(); }
void TSLScopeToolBar::UndoZoomClick(TSLDisplayToolBarButton *) { FChart->UndoZoom(); }
void TSLScopeToolBar::RedoZoomClick(TSLDisplayToolBarButton *) { FChart->RedoZoom(); }
