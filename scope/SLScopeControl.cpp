#include "scope/SLScopeControl.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "platform/classlib/ClassBuilder.h"
#include "scope/SLMarkers.h"
#include "scope/SLScopeToolBar.h"

// ---------------------------------------------------------------------------
// TSLDataDisplay

const TClassInfo &TSLDisplayZoomProperties::StaticClassInfo() {
  using C = TSLDisplayZoomProperties;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLDisplayZoomProperties", &TPersistent::StaticClassInfo(), [](TClassBuilder<C> &c) {
        c.Boolean("MouseZoom", &C::GetMouseZoom, &C::SetMouseZoom, true);
        c.Boolean("KeyboardZoom", &C::GetKeyboardZoom, &C::SetKeyboardZoom, true);
        c.Integer("SelectionColor", &C::GetSelectionColor, &C::SetSelectionColor, clWhite);
        c.Boolean("MouseWheelEnabled", &C::GetMouseWheelEnabled, &C::SetMouseWheelEnabled, true);
        c.Boolean("HoldOnZoom", &C::GetHoldOnZoom, &C::SetHoldOnZoom, true);
      });
  return info;
}

TSLDataDisplay::TSLDataDisplay(TComponent *Owner) : TCustomControl(Owner) {
  SetTabStop(true);
  FMouseTimer = CreateObject<gui::TTimer>(this);
  FMouseTimer->SetEnabled(false);
  FMouseTimer->SetInterval(100);
  FMouseTimer->SetOnTimer(TNotifyEvent{[this](TObject *Sender) { OnMouseTimer(Sender); }, {}});
  SetBounds(GetLeft(), GetTop(), 450, 280);
}

TSLDataDisplay::~TSLDataDisplay() { FMouseTimer->SetEnabled(false); }

void TSLDataDisplay::Loaded() {
  FRecalcRects = true;
  TCustomControl::Loaded();
}

void TSLDataDisplay::SetBounds(int32_t Left, int32_t Top, int32_t Width, int32_t Height) {
  if (Width != GetWidth() || Height != GetHeight())
    InvalidateRecalc();
  TCustomControl::SetBounds(Left, Top, Width, Height);
}

void TSLDataDisplay::SetCursor(TCursor Value) {
  FCursor = Value;
  TCustomControl::SetCursor(Value);
}

void TSLDataDisplay::SetColor(TColor Value) {
  if (Value == FColor)
    return;
  FColor = Value;
  Invalidate();
}

void TSLDataDisplay::InvalidateRecalc() {
  FRecalcRects = true;
  Invalidate();
}

void TSLDataDisplay::MouseEnter() {
  FMouseInside = true;
  for (int I = 0; I < FViews.Count(); ++I)
    FViews.GetItem(I)->MouseEnter();
  // An auto-hidden toolbar shows now.
  if (FToolBar && FToolBar->GetVisible() && FToolBar->GetAutoHide())
    Invalidate();
}

void TSLDataDisplay::MouseLeave() {
  FMouseInside = false;
  for (int I = 0; I < FViews.Count(); ++I)
    FViews.GetItem(I)->MouseLeave();
  if (FToolBar && ((FToolBar->GetVisible() && FToolBar->GetAutoHide()) || FToolBar->GetMouseOver()))
    Invalidate();
}

void TSLDataDisplay::CMMouseLeave() { MouseLeave(); }

void TSLDataDisplay::OnMouseTimer(TObject *) {
  TPoint P = ScreenToClient(GetCursorPos());
  if (PtInRect(GetClientRect(), P))
    return;
  FMouseTimer->SetEnabled(false);
  if (FMouseInside)
    MouseLeave();
}

void TSLDataDisplay::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  if (Designing())
    return;
  if (!FMouseInside) {
    FMouseTimer->SetEnabled(true);
    MouseEnter();
  }
  for (int I = 0; I < FViews.Count(); ++I)
    if (FViews.GetItem(I)->IsVisible())
      FViews.GetItem(I)->MouseMove(Shift, X, Y);
  if (!FToolBar || !FToolBar->GetVisible())
    return;
  const TRect Bounds = FToolBar->GetBoundRect();
  if (PtInRect(Bounds, TPoint{X, Y})) {
    if (!FToolBarCursorShown) {
      FToolBarCursorShown = true;
      SetDisplayCursor(FToolBar->GetCursor());
    }
    InvalidateRect(Bounds);
    return;
  }
  // A button lit in the last paint goes dark.
  if (FToolBar->GetMouseOver())
    InvalidateRect(Bounds);
  if (FToolBarCursorShown) {
    FToolBarCursorShown = false;
    SetDisplayCursor(FCursor);
  }
}

void TSLDataDisplay::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  SetFocus();
  // A press on a toolbar button is the toolbar's alone.
  if (!Designing() && Button == mbLeft && FToolBar && FToolBar->GetVisible() &&
      FToolBar->MouseDown(TPoint{X, Y}))
    return;
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Designing())
    return;
  for (int I = 0; I < FViews.Count(); ++I) {
    TSLDisplayView *View = FViews.GetItem(I);
    if (View->IsVisible())
      View->MouseDown(Button, Shift, X, Y, PtInRect(View->GetDrawRect(), TPoint{X, Y}));
  }
}

void TSLDataDisplay::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (Designing())
    return;
  for (int I = 0; I < FViews.Count(); ++I) {
    TSLDisplayView *View = FViews.GetItem(I);
    View->MouseUp(Button, Shift, X, Y, PtInRect(View->GetDrawRect(), TPoint{X, Y}));
  }
  if (Button == mbLeft && FToolBar)
    FToolBar->MouseUp(TPoint{X, Y});
}

void TSLDataDisplay::WheelAt(bool Down, TShiftState Shift, TPoint MousePos) {
  TPoint P = ScreenToClient(MousePos);
  for (int I = 0; I < FViews.Count(); ++I) {
    TSLDisplayView *View = FViews.GetItem(I);
    if (!PtInRect(View->GetDrawRect(), P))
      continue;
    if (Down)
      View->MouseWheelDown(Shift, P);
    else
      View->MouseWheelUp(Shift, P);
  }
  if (PtInRect(GetDataView()->GetDrawRect(), P)) {
    const double F = Down ? 1.1 : 0.9;
    MouseWheelZoom(P, F, F);
  }
}

bool TSLDataDisplay::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  bool Result = TCustomControl::DoMouseWheelDown(Shift, MousePos);
  WheelAt(true, Shift, MousePos);
  return Result;
}

bool TSLDataDisplay::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  bool Result = TCustomControl::DoMouseWheelUp(Shift, MousePos);
  WheelAt(false, Shift, MousePos);
  return Result;
}

void TSLDataDisplay::KeyPress(char &Key) {
  TCustomControl::KeyPress(Key);
  if (!FZooming.KeyboardZoom)
    return;
  if (Key == '+')
    ZoomBy(0.5);
  else if (Key == '-')
    ZoomBy(2.0);
}

void TSLDataDisplay::ZoomOff() {
  SaveUndoZoom(false);
  IntZoomOff();
  ZoomChanged(zoZoomOff);
}

void TSLDataDisplay::ClearZoomUndo() {
  FUndoZoomList.Clear();
  FRedoZoomList.Clear();
}

void TSLDataDisplay::ZoomChanged(TSLZoomOperation Operation) {
  InvalidateRecalc();
  if (OnZoomChanged) {
    TSLRealRanges R{FZooming.GerXMin(), FZooming.GerYMin(), FZooming.GerXMax(), FZooming.GerYMax()};
    OnZoomChanged(this, Operation, R);
  }
}

void TSLDataDisplay::RecalculateViewRects() {
  if (!FRecalcRects)
    return;
  const int32_t W = GetPlotWidth(), H = GetPlotHeight();
  TRect F{0, 0, W, H};
  int32_t MLB = 0, MLE = 0, MTB = 0, MTE = 0;
  for (int I = 0; I < FViews.Count(); ++I) {
    TSLDisplayView *View = FViews.GetItem(I);
    TRect R = F;
    if (View->IsVisibleForced()) {
      const TPoint Size = View->GetDefaultSize();
      switch (int(View->GetAlign()) & 0x7F) {
      case alTop:
        R.Bottom = F.Top + Size.Y;
        F.Top += Size.Y;
        MTB = std::max(MTB, View->GetDefaultOffsetBegin());
        MTE = std::max(MTE, View->GetDefaultOffsetEnd());
        break;
      case alBottom:
        R.Top = F.Bottom - Size.Y;
        F.Bottom -= Size.Y;
        MTB = std::max(MTB, View->GetDefaultOffsetBegin());
        MTE = std::max(MTE, View->GetDefaultOffsetEnd());
        break;
      case alLeft:
        R.Right = F.Left + Size.X;
        F.Left += Size.X;
        MLB = std::max(MLB, View->GetDefaultOffsetBegin());
        MLE = std::max(MLE, View->GetDefaultOffsetEnd());
        break;
      case alRight:
        R.Left = F.Right - Size.X;
        F.Right -= Size.X;
        MLB = std::max(MLB, View->GetDefaultOffsetBegin());
        MLE = std::max(MLE, View->GetDefaultOffsetEnd());
        break;
      case alClient:
        R.Left = std::max(R.Left, MTB);
        R.Top = std::max(R.Top, MLB);
        R.Bottom = std::min(R.Bottom, H - MLE);
        R.Right = std::min(R.Right, W - MTE);
        break;
      default:
        break;
      }
    }
    View->SetRect(R);
  }
}

// ---------------------------------------------------------------------------
// TSLDataChart

TSLDataChart::TSLDataChart(TComponent *Owner) : TSLDataDisplay(Owner) {
  FRefreshTimer = CreateObject<gui::TTimer>(this);
  FRefreshTimer->SetOnTimer(TNotifyEvent{[this](TObject *Sender) { OnRefreshTimer(Sender); }, {}});
  FRefreshTimer->SetInterval(100);
  FRefreshTimer->SetEnabled(!Designing());
  FRefreshTarget = mainloop::TMainLoop::Main().AddTarget();
  ISLAxisChart *Chart = this;
  FTitle = CreateObject<TSLDisplayTitle>(Chart);
  FTitle->SetText("Scope");
  FViews.Add(FTitle);
  FLegend = CreateObject<TSLScopeLegendView>(
      static_cast<ISLViewHost *>(static_cast<ISLDataViewHost *>(this)));
  FViews.Add(FLegend);
  FXAxis = CreateObject<TSLScopeXAxis>(Chart);
  FViews.Add(FXAxis);
  FYAxis = CreateObject<TSLScopeYAxis>(Chart);
  FViews.Add(FYAxis);
  FDataView = CreateObject<TSLScopeDataView>(static_cast<ISLDataViewHost *>(this));
  FViews.Add(FDataView);
  FInputPins = CreateObject<TOWPinList>(this, true);
  FToolBar.reset(CreateObject<TSLScopeToolBar>(this));
  FTrails.reset(CreateObject<TSLDisplayTrails>([this] { Invalidate(); }));
  FHighlighting.reset(CreateObject<TSLDisplayHighlighting>([this] { HighlightingChanged(); }));
}

void TSLDataChart::HighlightingChanged() {
  FDataView->HitTests();
  Invalidate();
}

void TSLDataChart::DoOverChannel(int32_t ChannelIndex, int32_t BeginSampleIndex,
                                 int32_t EndSampleIndex, const TSLRealPoint &Value) {
  if (OnOverChannel)
    OnOverChannel(this, ChannelIndex, BeginSampleIndex, EndSampleIndex, Value);
}

void TSLDataChart::DoLeaveChannel() {
  if (OnLeaveChannel)
    OnLeaveChannel(this);
}

void TSLDataChart::ItemDestroyed(TSLDisplayCollectionItem *Item) {
  if (FDataView)
    FDataView->ItemDestroyed(Item);
  if (FLegend)
    FLegend->ItemDestroyed(Item);
}

TSLDataChart::~TSLDataChart() {
  mainloop::TMainLoop::Main().RemoveTarget(FRefreshTarget);
  FRefreshParked = false;
  FRefreshTimer->SetEnabled(false);
  FreeObject(FInputPins);
}

void TSLDataChart::SetHold(bool Value) {
  if (Value == FHold)
    return;
  FHold = Value;
  PopulateDrawBuffers();
  Invalidate();
}

std::string TSLDataChart::GetFormatLabelText(double X, double Y, double, const std::string &Format,
                                             const std::string &Default) {
  return SLExpandFormatLabel(
      X, Y, Format, Default, [this](double V) { return FXAxis->GetTickText(V); },
      [this](double V) { return FYAxis->GetTickText(V); });
}

void TSLDataChart::RefreshView() {
  if (PopulateDrawBuffers())
    Invalidate();
}

void TSLDataChart::OnRefreshTimer(TObject *) {
  if (PopulateDrawBuffers()) {
    Invalidate();
    return;
  }
  // Held data stays pending: the timer keeps looking for the hold's end.
  if (IncomingPending())
    return;
  FRefreshParked = true;
  FRefreshTimer->SetEnabled(false);
  // A delivery between the look and the parking saw the timer still running.
  if (IncomingPending() || FRecalcRects)
    WakeRefresh();
}

void TSLDataChart::WakeRefresh() {
  if (!FRefreshParked.load() || !FRefreshParked.exchange(false))
    return;
  mainloop::TMainLoop &Loop = mainloop::TMainLoop::Main();
  if (Loop.IsMainThread()) {
    FRefreshTimer->SetEnabled(true);
    return;
  }
  if (!Loop.Post(FRefreshTarget, [this] { FRefreshTimer->SetEnabled(true); }))
    FRefreshParked = true;
}

void TSLDataChart::ConsumeFreqInvalidation() {
  if (!FFreqStale.exchange(false))
    return;
  FMaxFreqValid = false;
  FMaxTimeValid = false;
  FreqCachesDropped();
}

double TSLDataChart::CalcMaxTime() {
  ConsumeFreqInvalidation();
  if (FMaxTimeValid)
    return FMaxTime;
  const double R = GetSampleRate();
  const double S = FXAxis->GetVC_Samples();
  TSLScopeXAxisUnitScale *Unit = FXAxis->GetUnitScale();
  const int32_t E = Unit->GetAutoScale() ? SLTimeUnitExponent(R, S) : Unit->GetExponent();
  FMaxTime = SLCalcMaxTime(R, S, E);
  FMaxTimeValid = true;
  return FMaxTime;
}

double TSLDataChart::CalcMaxFreq() {
  ConsumeFreqInvalidation();
  if (FMaxFreqValid)
    return FMaxFreq;
  const double R = GetSampleRate();
  TSLScopeXAxisUnitScale *Unit = FXAxis->GetUnitScale();
  const int32_t E = Unit->GetAutoScale() ? SLFreqUnitExponent(R) : Unit->GetExponent();
  FMaxFreq = SLCalcMaxFreq(R, E);
  FMaxFreqValid = true;
  return FMaxFreq;
}

namespace {

// The new range of one axis for a wheel step about pixel P of a view
// stretch starting at A and S pixels long: the value under P stays put.
void WheelRange(double P, double A, double S, double Min, double Max, double F, double Sign,
                double &NewMin, double &NewMax) {
  const double Half = S / 2;
  const double R = Half > 0 ? (P - A - Half) / Half : 0;
  const double W = Max - Min;
  const double T = W * R / 2 - W * R * F / 2;
  const double G = (W * F - W) / 2;
  NewMin = Min - G + Sign * T;
  NewMax = Max + G + Sign * T;
}

} // namespace

void TSLDataChart::MouseWheelZoom(TPoint MousePos, double FX, double FY) {
  if (!FZooming.MouseWheelEnabled)
    return;
  SaveUndoZoom(true);
  const TRect D = FDataView->GetDrawRect();
  const bool V = GetIsVertical();
  const double XP = V ? MousePos.Y : MousePos.X, XA = V ? D.Top : D.Left,
               XS = V ? D.Bottom - D.Top : D.Right - D.Left;
  const double YP = V ? MousePos.X : MousePos.Y, YA = V ? D.Left : D.Top,
               YS = V ? D.Right - D.Left : D.Bottom - D.Top;
  double Lo, Hi;
  WheelRange(XP, XA, XS, FXAxis->GetDataZoomedMinRead(), FXAxis->GetDataZoomedMaxRead(), FX, 1, Lo,
             Hi);
  FXAxis->IntZoomTo(Lo, Hi);
  // Screen Y grows downwards: the shift goes the other way.
  WheelRange(YP, YA, YS, FYAxis->GetDataZoomedMinRead(), FYAxis->GetDataZoomedMaxRead(), FY, -1, Lo,
             Hi);
  FYAxis->IntZoomTo(Lo, Hi);
  FZoomed = true;
  Invalidate();
  ZoomChanged(zoMouseWheel);
}

void TSLDataChart::IntZoomTo(double XMin, double XMax, double YMin, double YMax) {
  FXAxis->IntZoomTo(XMin, XMax);
  FYAxis->IntZoomTo(YMin, YMax);
  FZoomed = true;
  Invalidate();
}

void TSLDataChart::IntZoomOff() {
  FZoomed = false;
  Invalidate();
  FXAxis->InvalidateMinMaxCache();
  FYAxis->InvalidateMinMaxCache();
}

void TSLDataChart::SaveUndoZoom(bool Coalesce) {
  if (Coalesce && FUndoSaved)
    return;
  FUndoSaved = Coalesce;
  FUndoZoomList.Add(GerXMinZoom(), GerXMaxZoom(), GerYMinZoom(), GerYMaxZoom(), FZoomed);
  FRedoZoomList.Clear();
}

void TSLDataChart::ZoomBy(double FX, double FY, bool SaveUndo) {
  if (SaveUndo)
    SaveUndoZoom(false);
  FYAxis->IntZoom(FY);
  FXAxis->IntZoom(FX);
  FZoomed = true;
  Invalidate();
  ZoomChanged(zoZoom);
}

void TSLDataChart::ZoomTo(double XMin, double XMax, double YMin, double YMax, bool SaveUndo) {
  if (SaveUndo)
    SaveUndoZoom(false);
  if (FZooming.HoldOnZoom)
    SetHold(true);
  IntZoomTo(XMin, XMax, YMin, YMax);
  ZoomChanged(zoZoom);
}

void TSLDataChart::UndoZoom() {
  FUndoSaved = false;
  FRedoZoomList.Add(GerXMinZoom(), GerXMaxZoom(), GerYMinZoom(), GerYMaxZoom(), FZoomed);
  double XMin, XMax, YMin, YMax;
  bool Zoomed;
  if (!FUndoZoomList.Get(XMin, XMax, YMin, YMax, Zoomed))
    return;
  if (Zoomed)
    IntZoomTo(XMin, XMax, YMin, YMax);
  else
    IntZoomOff();
  ZoomChanged(zoUndo);
}

void TSLDataChart::RedoZoom() {
  FUndoZoomList.Add(GerXMinZoom(), GerXMaxZoom(), GerYMinZoom(), GerYMaxZoom(), FZoomed);
  double XMin, XMax, YMin, YMax;
  bool Zoomed;
  if (!FRedoZoomList.Get(XMin, XMax, YMin, YMax, Zoomed))
    return;
  if (Zoomed)
    IntZoomTo(XMin, XMax, YMin, YMax);
  else
    IntZoomOff();
  ZoomChanged(zoRedo);
}

void TSLDataChart::ClearZoomUndo() {
  TSLDataDisplay::ClearZoomUndo();
  FUndoSaved = false;
}

void TSLDataChart::GetXScaleZoomedRange(double &Min, double &Max) {
  Min = FXAxis->GetScaleZoomedMinRead();
  Max = FXAxis->GetScaleZoomedMaxRead();
}

void TSLDataChart::GetXDataZoomedRange(double &Min, double &Max) {
  Min = FXAxis->GetDataZoomedMinRead();
  Max = FXAxis->GetDataZoomedMaxRead();
}

void TSLDataChart::GetYScaleZoomedRange(double &Min, double &Max) {
  Min = FYAxis->GetScaleZoomedMinRead();
  Max = FYAxis->GetScaleZoomedMaxRead();
}

void TSLDataChart::GetYDataZoomedRange(double &Min, double &Max) {
  Min = FYAxis->GetDataZoomedMinRead();
  Max = FYAxis->GetDataZoomedMaxRead();
}

void TSLDataChart::YUpTickLines(const TSLTickLineProc &Proc, bool FromEnd, TCanvas *Canvas,
                                int32_t TextHeight, bool All, double Min, double Max,
                                int32_t Offset, double Factor) {
  FYAxis->UpTickLines(Proc, FromEnd, Canvas, TextHeight, All, Min, Max, Offset, Factor);
}

void TSLDataChart::YDownTickLines(const TSLTickLineProc &Proc, bool FromEnd, TCanvas *Canvas,
                                  int32_t TextHeight, bool All, double Min, double Max,
                                  int32_t Offset, double Factor) {
  FYAxis->DownTickLines(Proc, FromEnd, Canvas, TextHeight, All, Min, Max, Offset, Factor);
}

void TSLDataChart::YRightTickLines(const TSLTickLineProc &Proc, bool FromEnd, TCanvas *Canvas,
                                   int32_t TextHeight, bool All, double A, double B, double Min,
                                   double Max, int32_t Offset, double Factor) {
  FYAxis->RightTickLines(Proc, FromEnd, Canvas, TextHeight, All, A, B, Min, Max, Offset, Factor);
}

// ---------------------------------------------------------------------------
// TSLScope

const TClassInfo &TSLScope::StaticClassInfo() {
  using C = TSLScope;
  static const TClassInfo &info =
      MakeClassInfo<C>("TSLScope", &TCustomControl::StaticClassInfo(), [](TClassBuilder<C> &c) {
        c.Integer("Color", &C::GetBackground, &C::SetColor, 0);
        c.Object("ToolBar", &C::GetToolBar, &C::SetToolBar);
        c.Object("Zooming", &C::GetZoomingProperties);
        c.Object("InputPins", &C::GetInputPins);
        c.Object("YAxis", &C::GetYAxis);
        c.Object("XAxis", &C::GetXAxis);
        c.Object("Legend", &C::GetLegend, &C::SetLegend);
        c.Object("Title", &C::GetTitle);
        c.Object("DataView", &C::GetScopeDataView);
        c.Object("Trails", &C::GetTrails, &C::SetTrails);
        c.Object("Highlighting", &C::GetHighlighting, &C::SetHighlighting);
        c.Event("OnOverChannel", static_cast<TSLOverChannelEvent C::*>(&C::OnOverChannel));
        c.Event("OnLeaveChannel", static_cast<TNotifyEvent C::*>(&C::OnLeaveChannel));
        c.Integer("RefreshInterval", &C::GetRefreshInterval, &C::SetRefreshInterval, 100);
        c.Boolean("Vertical", &C::GetVertical, &C::SetVertical, false);
        // Before the channels: their markers name their groups by index.
        c.Object("MarkerGroups", &C::GetMarkerGroups, &C::SetMarkerGroups);
        c.Object("Channels", &C::GetChannels, &C::SetChannels);
        c.Object("Cursors", &C::GetCursors, &C::SetCursors);
        c.Object("CursorLinks", &C::GetCursorLinks, &C::SetCursorLinks);
        c.Integer("SizeLimit", &C::GetSizeLimit, &C::SetSizeLimit, 0);
      });
  return info;
}

void RegisterScopeClasses() { RegisterClass(TSLScope::StaticClassInfo()); }

TSLScope::TSLScope(TComponent *Owner) : TSLDataChart(Owner) {
  FChannels = CreateObject<TSLScopeChannels>(static_cast<ISLScopeHost *>(this));
  FCursors = CreateObject<TSLDisplayCursors>(this, static_cast<ISLCursorChart *>(this));
  FCursorLinks = CreateObject<TSLDisplayCursorLinks>(this, static_cast<ISLCursorChart *>(this));
  FMarkerGroups = CreateObject<TSLScopeMarkerGroups>(static_cast<ISLScopeHost *>(this));
}

void TSLScope::AfterConstruction() {
  TSLDataChart::AfterConstruction();
  // A new scope shows one channel; a form that stores its channels replaces
  // them.
  FChannels->Add();
}

void TSLScope::BeforeDestruction() {
  FRefreshParked = false;
  FRefreshTimer->SetEnabled(false);
  FMouseTimer->SetEnabled(false);
  {
    IOWLockSectionPtr Section = FInputPins->WriteLock();
    for (int I = 0; I < FInputPins->GetCount(); ++I)
      if (TOWBasicPin *Pin = FInputPins->GetPin(I))
        Pin->Disconnect();
    // Links hold cursors, and cursors' channel links hold channels.
    FreeAndNil(FCursorLinks);
    FreeAndNil(FCursors);
    FreeAndNil(FChannels);
  }
  FreeAndNil(FMarkerGroups);
  TSLDataChart::BeforeDestruction();
}

TSLDisplayCollection *TSLScope::GetItems(int32_t Kind) {
  switch (Kind) {
  case ikChannels:
    return FChannels;
  case ikCursors:
    return FCursors;
  case ikCursorLinks:
    return FCursorLinks;
  case ikMarkerGroups:
    return FMarkerGroups;
  default:
    return nullptr;
  }
}

void TSLScope::UpdateCursors() {
  if (FCursors == nullptr)
    return;
  for (int32_t I = 0; I < FCursors->Count(); ++I) {
    TSLDisplayCursorPosition *P = FCursors->GetItem(I)->GetPosition();
    P->SetX(P->GetStoredX());
    P->SetY(P->GetY());
  }
}

void TSLScope::CursorXDataRange(double &Min, double &Max) {
  Min = FXAxis->GetDataFullMinRead();
  Max = FXAxis->GetDataFullMaxRead();
}

TSLDisplayCollectionItem *TSLScope::CursorPressed(TSLItemKind Kind) {
  if (Kind == ikCursors)
    return FDataView->GetPressedCursor();
  return Kind == ikCursorLinks ? FDataView->GetPressedCursorLink() : nullptr;
}

void TSLScope::SetMarkerGroups(TSLScopeMarkerGroups *Value) { FMarkerGroups->Assign(Value); }

TSLScopeMarkerGroup *TSLScope::GetLastMarerGroup() {
  if (FMarkerGroups->Count() == 0)
    return FMarkerGroups->Add();
  return FMarkerGroups->GetItem(FMarkerGroups->Count() - 1);
}

TSLScope::~TSLScope() {
  if (FCursorLinks)
    FreeAndNil(FCursorLinks);
  if (FCursors)
    FreeAndNil(FCursors);
  if (FChannels)
    FreeAndNil(FChannels);
  if (FMarkerGroups)
    FreeAndNil(FMarkerGroups);
}

void TSLScope::Loaded() {
  TSLDataChart::Loaded();
  if (FYAxis->GetMin() == FYAxis->GetMax())
    FYAxis->SetMin(-FYAxis->GetMax());
  // Links read before the cursors they name find them now.
  for (int32_t I = 0; I < FCursorLinks->Count(); ++I)
    FCursorLinks->GetItem(I)->PopulateLink();
}

void TSLScope::Invalidate() {
  if (!FNoInvalidate)
    TSLDataChart::Invalidate();
}

void TSLScope::InvalidateRecalc() {
  if (!FNoInvalidate)
    TSLDataChart::InvalidateRecalc();
}

void TSLScope::SetVertical(bool Value) {
  if (Value == FVertical)
    return;
  FVertical = Value;
  FRecalcRects = true;
  Invalidate();
}

void TSLScope::SetSizeLimit(uint32_t Value) {
  if (Value == FSizeLimit)
    return;
  FSizeLimit = Value;
  // Each channel cuts its incoming data under its own lock and keeps the
  // newest samples.
  if (Value != 0)
    for (int I = 0; I < FChannels->Count(); ++I)
      FChannels->GetItem(I)->ApplySizeLimit(Value);
}

bool TSLScope::GetHold() { return FHold || FDataView->InMouseZooming(); }

void TSLScope::InvalidateHistory() {
  FHistoryStale = true;
  TSLDataChart::InvalidateHistory();
}

void TSLScope::ConsumeHistoryReset() {
  if (FHistoryStale.exchange(false))
    FYAxis->ResetHistory();
}

void TSLScope::InvalidateMinMaxCache() {
  FXAxis->InvalidateMinMaxCache();
  FYAxis->InvalidateMinMaxCache();
}

bool TSLScope::IncomingPending() {
  for (int I = 0; I < FChannels->Count(); ++I)
    if (FChannels->GetItem(I)->HasNewData())
      return true;
  return false;
}

bool TSLScope::PopulateDrawBuffers() {
  ConsumeHistoryReset();
  if (GetHold())
    return false;
  bool Changed = false;
  for (int I = 0; I < FChannels->Count(); ++I) {
    TSLScopeChannel *Channel = FChannels->GetItem(I);
    if (!Channel->HasNewData())
      continue;
    Changed = true;
    InvalidateRecalc();
    Channel->PopulateDrawBuffers();
  }
  PopulateMaxSample();
  if (Changed) {
    InvalidateMinMaxCache();
    FYAxis->PopulateScaleHistory();
  }
  return FRecalcRects;
}

void TSLScope::PopulateMaxSample() {
  uint32_t Max = 0;
  for (int I = 0; I < FChannels->Count(); ++I) {
    TSLScopeChannel *Channel = FChannels->GetItem(I);
    if (!Channel->IsVisible())
      continue;
    if (const ISLRealBufferPtr &Y = Channel->GetDrawY())
      Max = std::max(Max, Y->GetSize());
  }
  FXAxis->SetSamples(int32_t(std::min<uint32_t>(Max, INT32_MAX)));
}

double TSLScope::GetSampleRate() {
  ConsumeFreqInvalidation();
  if (FSampleRateValid)
    return FSampleRate;
  double Rate = 0;
  for (int I = 0; I < FChannels->Count(); ++I) {
    TSLScopeChannel *Channel = FChannels->GetItem(I);
    // A NaN rate is never larger, so it cannot reach the axes.
    if (Channel->IsVisible() && Channel->GetSampleRate() > Rate)
      Rate = Channel->GetSampleRate();
  }
  if (Rate == 0 || !std::isfinite(Rate))
    Rate = 10000;
  FSampleRate = Rate;
  FSampleRateValid = true;
  return FSampleRate;
}

void TSLScope::ObtainDomains() {
  FFreqDomain = false;
  FIntensityDomain = false;
  FDomainsValid = true;
  for (int I = 0; I < FChannels->Count(); ++I) {
    TSLScopeChannel *Channel = FChannels->GetItem(I);
    if (!Channel->IsVisible())
      continue;
    if (Channel->GetSpectrum()) {
      FFreqDomain = true;
      return;
    }
    if (Channel->GetIntensity()) {
      FIntensityDomain = true;
      return;
    }
  }
}

bool TSLScope::GetChannelsInFreqencyDomain() {
  ConsumeFreqInvalidation();
  if (!FDomainsValid)
    ObtainDomains();
  return FFreqDomain;
}

bool TSLScope::GetChannelsInIntensityDomain() {
  ConsumeFreqInvalidation();
  if (!FDomainsValid)
    ObtainDomains();
  return FIntensityDomain;
}

// The smallest or largest X of the channels' draw data; false when the first
// channel holds none, so that the chart's own range applies.
bool TSLScope::ChannelsXExtreme(bool Largest, double &Value) {
  Value = 0;
  uint32_t C = 0;
  for (int I = 0; I < FChannels->Count(); ++I) {
    TSLScopeChannel *Channel = FChannels->GetItem(I);
    std::lock_guard<sys::TCriticalSection> Lock(Channel->ChannelLock());
    const ISLRealBufferPtr &X = Channel->GetDrawX();
    const uint32_t N = X ? X->GetSize() : 0;
    if (N == 0)
      continue;
    const double V = Largest ? X->GetMaxValue() : X->GetMinValue();
    if (I == 0) {
      C = N;
      Value = V;
    } else {
      Value = Largest ? std::max(Value, V) : std::min(Value, V);
    }
  }
  return C != 0;
}

double TSLScope::GetMinXValue() {
  double Value;
  return ChannelsXExtreme(false, Value) ? Value : TSLDataChart::GetMinXValue();
}

double TSLScope::GetMaxXValue() {
  double Value;
  return ChannelsXExtreme(true, Value) ? Value : TSLDataChart::GetMaxXValue();
}

double TSLScope::GetXScaleFactor() {
  const double Lo = FXAxis->GetMinSampleReal(), Hi = FXAxis->GetMaxSampleReal();
  if (Lo == Hi)
    return 1;
  return (FXAxis->GetScaleFullMaxRealRead() - FXAxis->GetScaleFullMinRealRead()) / (Hi - Lo);
}

TOWSinkPin *TSLScope::CreateChannelPin(TSLScopeChannel *, TSLOperationEvent Handler) {
  return SLCreateChannelPin(this, std::move(Handler));
}

int32_t TSLScope::GetAxisChannelCount() { return FChannels ? FChannels->Count() : 0; }

bool TSLScope::IsAxisChannelVisible(int32_t Index) {
  return FChannels->GetItem(Index)->IsVisible();
}

ISLRealBufferPtr TSLScope::GetAxisChannelDrawX(int32_t Index) {
  return FChannels->GetItem(Index)->GetDrawX();
}

ISLRealBufferPtr TSLScope::GetAxisChannelDrawY(int32_t Index) {
  return FChannels->GetItem(Index)->GetDrawY();
}

// Painting ------------------------------------------------------------------

bool TSLScope::PaintIsDisabled() {
  if (InState(csLoading) || InState(csReading))
    return true;
  if (!HandleAllocated())
    return true;
  return !GetVisible() && !Designing();
}

void TSLScope::PaintWindow(TCanvas *DC, const TRegion &Update) {
  if (PaintIsDisabled())
    return;
  PaintCanvas(DC, Update);
}

// The window shows the scope's own picture as it stands: one copy a frame.
const QImage *TSLScope::PaintOwnPicture(const TRegion &Update) {
  if (PaintIsDisabled())
    return nullptr;
  if (!FPrinting) {
    FBitmap.SetSize(GetWidth(), GetHeight());
    PaintToCanvasRgn(FBitmap.Canvas(), Update, false);
  }
  const QImage &Picture = FBitmap.Image();
  return Picture.isNull() ? nullptr : &Picture;
}

void TSLScope::PaintCanvas(TCanvas *DC, const TRegion &Region) {
  // While printing the layout is the page's: the screen shows the last
  // picture until printing ends.
  if (!FPrinting) {
    FBitmap.SetSize(GetWidth(), GetHeight());
    PaintToCanvasRgn(FBitmap.Canvas(), Region, false);
  }
  DC->Draw(0, 0, FBitmap.Image());
}

void TSLScope::PaintToCanvas(TCanvas *Canvas) {
  TRegion Region = TRegion::CreateRectRgn(0, 0, GetPlotWidth(), GetPlotHeight());
  PaintToCanvasRgn(Canvas, Region, true);
}

void TSLScope::PaintToCanvasRgn(TCanvas *Canvas, const TRegion &Region, bool Export) {
  ConsumeHistoryReset();
  RecalculateViewRects();
  const bool RecalcPending = FRecalcRects.exchange(false);
  const int32_t W = GetPlotWidth(), H = GetPlotHeight();

  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(FColor);
  Canvas->Pen()->SetStyle(psSolid);
  Canvas->SelectClipRgn(&Region);
  const TRect Plot{0, 0, W, H};
  Canvas->FillRect(Plot);
  if (Focused())
    Canvas->DrawFocusRect(Plot);

  double XMin = FXAxis->GetDataZoomedMinRead(), XMax = FXAxis->GetDataZoomedMaxRead();
  if (XMin == XMax) {
    XMin -= 1;
    XMax += 1;
  }
  const double YMax = FYAxis->GetDataZoomedMaxRead(), YMin = FYAxis->GetDataZoomedMinRead();
  int32_t YOffset = 0;
  double YScale = 1;
  FYAxis->GetScaleInfo(YOffset, YScale, YMin, YMax);
  const bool Vertical = GetIsVertical();
  const TRect DataView = FDataView->GetDrawRect();
  TRect Data = DataView;
  Data.Bottom -= 1;

  auto Paints = [&](const TRect &R) { return !R.IsEmpty() && Region.RectInRegion(R); };
  // Selections lie behind everything else.
  for (int32_t I = 0; I < FCursorLinks->Count(); ++I)
    FCursorLinks->GetItem(I)->Draw(ddpBackground, Canvas, Data, XMin, XMax, YMin, YMax);
  Canvas->Brush()->SetColor(FColor);
  for (int I = 0; I < FViews.Count(); ++I) {
    TSLDisplayView *View = FViews.GetItem(I);
    if (!View->IsVisible())
      continue;
    if (Paints(View->GetDrawRect()))
      View->Draw(ddpFeatures, Canvas, Vertical, Export, YMin, YMax, YOffset, YScale);
    else
      View->DrawEx(ddpFeatures, Canvas, Vertical, YMin, YMax, YOffset, YScale);
  }

  Canvas->ExcludeClipRect(0, 0, W, DataView.Top);
  Canvas->ExcludeClipRect(0, DataView.Bottom, W, H);
  Canvas->ExcludeClipRect(0, 0, DataView.Left, H);
  Canvas->ExcludeClipRect(DataView.Right, 0, W, H);

  Canvas->Brush()->SetColor(FColor);
  if (Paints(DataView))
    for (int I = 0; I < FChannels->Count(); ++I) {
      TSLScopeChannel *Channel = FChannels->GetItem(I);
      if (Channel->IsVisible())
        Channel->Draw(Canvas, Data, XMin, XMax, YMin, YMax, FYAxis->GetLogarithmic(), YOffset,
                      YScale);
    }

  // After a new layout the item under the mouse may be another.
  if (RecalcPending)
    FDataView->HitTests();

  for (int I = 0; I < FViews.Count(); ++I) {
    TSLDisplayView *View = FViews.GetItem(I);
    if (View->IsVisible() && Paints(View->GetDrawRect()))
      View->DrawMouseSelction(Canvas);
  }

  for (int32_t I = 0; I < FCursors->Count(); ++I)
    FCursors->GetItem(I)->Draw(Canvas, Data, XMin, XMax, YMin, YMax);
  for (int32_t I = 0; I < FCursorLinks->Count(); ++I)
    FCursorLinks->GetItem(I)->Draw(ddpFeatures, Canvas, Data, XMin, XMax, YMin, YMax);

  if (FDataView->GetHotChannel() != nullptr)
    for (int I = 0; I < FChannels->Count(); ++I) {
      TSLScopeChannel *Channel = FChannels->GetItem(I);
      if (Channel->IsVisible())
        Channel->DrawHitPoint(Canvas);
    }

  if (!Export && FToolBar->GetVisible() &&
      (!FToolBar->GetAutoHide() || FMouseInside || Designing())) {
    Canvas->SelectClipRgn(&Region);
    FToolBar->Draw(Canvas);
  }
  Canvas->SelectClipRgn(nullptr);
}
