// How a channel shows that it is lit: from the legend, under the mouse, and
// the hit point with its label.
#include "scope/SLChannels.h"
#include "scope/SLDataView.h"
#include "scope/SLHighlighting.h"

bool TSLDisplayChannel::GetHighlighted() {
  TSLScopeDataView *View = FChart ? FChart->GetPlotView() : nullptr;
  TSLDisplayHighlighting *H = FChart ? FChart->GetHighlighting() : nullptr;
  return View && H && View->GetHotItem() == this && H->GetChannels()->GetHiglightLegendButton();
}

void TSLDisplayChannel::SetHighlighted(bool Value) {
  TSLScopeDataView *View = FChart ? FChart->GetPlotView() : nullptr;
  TSLDisplayHighlighting *H = FChart ? FChart->GetHighlighting() : nullptr;
  if (!View || !H)
    return;
  if (Value) {
    if (H->GetChannels()->GetHiglightFromLegend())
      View->SetLegendHighlighted(ikChannels, this);
  } else {
    View->SetLegendHighlighted(ikChannels, nullptr);
  }
}

bool TSLScopeChannel::IsDrawnHighlighted() {
  TSLScopeDataView *View = FScope->GetPlotView();
  TSLDisplayHighlighting *H = FScope->GetHighlighting();
  if (!View || !H)
    return false;
  TSLChannelItemHighlighting *C = H->GetChannels();
  return (View->GetLegendHighlighted(ikChannels) == this && C->GetHiglightFromLegend()) ||
         (View->GetHotItem() == this && C->GetHiglightFromMouse());
}

void TSLScopeChannel::DrawHitPoint(TCanvas *Canvas) {
  TSLScopeDataView *View = FScope->GetPlotView();
  TSLDisplayHighlighting *H = FScope->GetHighlighting();
  if (!View || !H || View->GetHotItem() != this)
    return;
  TSLChannelMouseHitPoint *Point = H->GetMouseHitPoint();
  if (!Point->GetEnabled())
    return;
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(FScope->GetDisplayColor());
  Canvas->Pen()->SetColor(Point->GetUseChannelColor() ? FColor : Point->GetColor());
  Canvas->Pen()->SetWidth(1);
  Canvas->Pen()->SetStyle(psSolid);
  const TPoint P = View->GetHitPoint();
  Canvas->Rectangle(P.X - 2, P.Y - 2, P.X + 3, P.Y + 3);
  TSLMeasurementLabel *Label = Point->GetPointLabel();
  if (!Label->GetVisible())
    return;
  Canvas->SetFont(Label->GetFont());
  const TSLRealPoint V = View->GetHitValue();
  const std::string Text = FScope->FormatLabelText(V.X, V.Y, Label->GetText(), "%X : %Y");
  const TSize E = Canvas->TextExtent(Text);
  const TPoint C{P.X + 4, P.Y - E.cy};
  Canvas->Rectangle(C.X, C.Y, C.X + E.cx + 4, C.Y + E.cy + 2);
  Canvas->TextOut(C.X + 2, C.Y + 1, Text);
}
