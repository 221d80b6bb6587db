#include "platform/gui/Canvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <unordered_map>
#include <vector>

#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/FormStream.h"

// Geometry ------------------------------------------------------------------

TRect TRect::Normalized() const {
  return TRect{std::min(Left, Right), std::min(Top, Bottom), std::max(Left, Right),
               std::max(Top, Bottom)};
}

bool PtInRect(const TRect &R, TPoint P) {
  return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom;
}

namespace {

// Qt's rectangles name their last pixel; ours the one past it. Sizes are
// taken in 64 bits so that huge coordinates saturate instead of wrapping.
QRect ToQRect(const TRect &R) {
  TRect N = R.Normalized();
  int64_t W = int64_t(N.Right) - N.Left;
  int64_t H = int64_t(N.Bottom) - N.Top;
  return QRect(N.Left, N.Top, int(std::min<int64_t>(W, INT32_MAX)),
               int(std::min<int64_t>(H, INT32_MAX)));
}

} // namespace

// Colours -------------------------------------------------------------------

TColor ColorToRGB(TColor Color) {
  if ((static_cast<uint32_t>(Color) & 0xFF000000u) != 0x80000000u)
    return static_cast<TColor>(static_cast<uint32_t>(Color) & 0x00FFFFFFu);
  // The platform's default scheme, 0x00BBGGRR.
  switch (Color & 0xFF) {
  case 1:  // desktop
  case 7:  // window frame
  case 8:  // window text
  case 18: // button text
  case 23: // tool tip text
    return 0x000000;
  case 5:  // window
  case 9:  // caption text
  case 14: // highlight text
  case 20: // button highlight
    return 0xFFFFFF;
  case 13: // highlight
    return RGBColor(0, 120, 215);
  case 15: // button face
    return 0xF0F0F0;
  case 16: // button shadow
    return 0xA0A0A0;
  case 17: // grey text
    return 0x6D6D6D;
  case 21: // 3-D dark shadow
    return 0x696969;
  case 22: // 3-D light
    return 0xE3E3E3;
  case 24: // tool tip background
    return 0xE1FFFF;
  default:
    return 0xC8C8C8;
  }
}

uint32_t ColorToQRgb(TColor Color) {
  uint32_t C = static_cast<uint32_t>(ColorToRGB(Color));
  return ((C & 0xFF) << 16) | (C & 0xFF00) | ((C >> 16) & 0xFF);
}

TColor QRgbToColor(uint32_t Rgb) {
  return RGBColor(uint8_t(Rgb >> 16), uint8_t(Rgb >> 8), uint8_t(Rgb));
}

namespace {

QColor ToQColor(TColor Color) { return QColor::fromRgb(0xFF000000u | ColorToQRgb(Color)); }

// Windows' MulDiv: the product in 64 bits, halves rounded away from zero.
int32_t MulDiv(int32_t A, int32_t B, int32_t C) {
  int64_t P = int64_t(A) * B;
  int64_t Q = (std::llabs(P) * 2 + std::llabs(C)) / (2 * std::llabs(int64_t(C)));
  return static_cast<int32_t>(((P < 0) != (C < 0)) ? -Q : Q);
}

} // namespace

// Colour names --------------------------------------------------------------------

namespace {

struct TColorName {
  TColor Color;
  const char *Name;
};

const TColorName ColorNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clWindow, "clWindow"},
    {clWindowText, "clWindowText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
};

} // namespace

bool IdentToColor(const std::string &Ident, TColor &Color) {
  for (const TColorName &N : ColorNames)
    if (Ident == N.Name) {
      Color = N.Color;
      return true;
    }
  return false;
}

bool ColorToIdent(TColor Color, std::string &Ident) {
  for (const TColorName &N : ColorNames)
    if (Color == N.Color) {
      Ident = N.Name;
      return true;
    }
  return false;
}

void DefineColorProperty(TFiler *Filer, const std::string &Name, std::function<TColor()> Get,
                         std::function<void(TColor)> Set, bool Stored) {
  Filer->DefineProperty(
      Name,
      [Set, Name](TReader *R) {
        if (R->NextValue() == vaIdent) {
          std::string Ident = R->ReadIdent();
          TColor C = 0;
          if (!IdentToColor(Ident, C))
            throw EReadError("Invalid property value " + Ident);
          Set(C);
        } else {
          Set(static_cast<TColor>(R->ReadInt64()));
        }
      },
      [Get](TWriter *W) {
        std::string Ident;
        if (ColorToIdent(Get(), Ident))
          W->WriteIdent(Ident);
        else
          W->WriteInteger(Get());
      },
      Stored);
}

// Graphics objects ------------------------------------------------------------

void TGraphicsObject::Changed() {
  if (OnChange)
    OnChange(this);
}

const TClassInfo &TPen::StaticClassInfo() {
  static const TClassInfo &info =
      MakeClassInfo<TPen>("TPen", &TPersistent::StaticClassInfo(), [](TClassBuilder<TPen> &c) {
        c.Enumeration("Mode", &TPen::GetMode, &TPen::SetMode,
                      {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy",
                       "pmMergePenNot", "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge",
                       "pmNotMerge", "pmMask", "pmNotMask", "pmXor", "pmNotXor"},
                      pmCopy);
        c.Enumeration(
            "Style", &TPen::GetStyle, &TPen::SetStyle,
            {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"},
            psSolid);
        c.Integer("Width", &TPen::GetWidth, &TPen::SetWidth, 1);
      });
  return info;
}

void TPen::SetColor(TColor Value) {
  if (Value != color_) {
    color_ = Value;
    Changed();
  }
}

void TPen::SetStyle(TPenStyle Value) {
  if (Value != style_) {
    style_ = Value;
    Changed();
  }
}

void TPen::SetMode(TPenMode Value) {
  if (Value != mode_) {
    mode_ = Value;
    Changed();
  }
}

void TPen::SetWidth(int32_t Value) {
  if (Value < 0)
    Value = 0;
  if (Value != width_) {
    width_ = Value;
    Changed();
  }
}

void TPen::Assign(TPersistent *Source) {
  if (auto *P = dynamic_cast<TPen *>(Source)) {
    color_ = P->color_;
    style_ = P->style_;
    mode_ = P->mode_;
    width_ = P->width_;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

void TPen::DefineProperties(TFiler *Filer) {
  TGraphicsObject::DefineProperties(Filer);
  DefineColorProperty(
      Filer, "Color", [this] { return color_; }, [this](TColor C) { SetColor(C); },
      color_ != clBlack);
}

const TClassInfo &TBrush::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TBrush>(
      "TBrush", &TPersistent::StaticClassInfo(), [](TClassBuilder<TBrush> &c) {
        c.Enumeration("Style", &TBrush::GetStyle, &TBrush::SetStyle,
                      {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal",
                       "bsBDiagonal", "bsCross", "bsDiagCross"},
                      bsSolid);
      });
  return info;
}

void TBrush::SetColor(TColor Value) {
  if (Value == color_ && style_ != bsClear)
    return;
  color_ = Value;
  if (style_ == bsClear)
    style_ = bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
  if (Value != style_) {
    style_ = Value;
    Changed();
  }
}

void TBrush::Assign(TPersistent *Source) {
  if (auto *B = dynamic_cast<TBrush *>(Source)) {
    color_ = B->color_;
    style_ = B->style_;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

void TBrush::DefineProperties(TFiler *Filer) {
  TGraphicsObject::DefineProperties(Filer);
  DefineColorProperty(
      Filer, "Color", [this] { return color_; },
      [this](TColor C) {
        // A stored colour does not change a stored clear style.
        TBrushStyle Keep = style_;
        SetColor(C);
        SetStyle(Keep);
      },
      color_ != clWhite);
}

const TClassInfo &TFont::StaticClassInfo() {
  static const TClassInfo &info =
      MakeClassInfo<TFont>("TFont", &TPersistent::StaticClassInfo(), [](TClassBuilder<TFont> &c) {
        c.Integer("Charset", &TFont::GetCharset, &TFont::SetCharset, 1);
        c.Integer("Height", &TFont::GetHeight, &TFont::SetHeight);
        c.String("Name", &TFont::GetName, &TFont::SetName);
        c.Set("Style", &TFont::GetStyle, &TFont::SetStyle,
              {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}, 0);
      });
  return info;
}

void TFont::DefineProperties(TFiler *Filer) {
  TGraphicsObject::DefineProperties(Filer);
  DefineColorProperty(
      Filer, "Color", [this] { return color_; }, [this](TColor C) { SetColor(C); }, true);
}

TFont::TFont() : height_(-MulDiv(DefaultFontSize, ScreenPixelsPerInch, 72)) {}

void TFont::SetName(const std::string &Value) {
  if (Value != name_) {
    name_ = Value;
    Changed();
  }
}

void TFont::SetHeight(int32_t Value) {
  if (Value != height_) {
    height_ = Value;
    Changed();
  }
}

int32_t TFont::GetSize() const { return -MulDiv(height_, 72, ScreenPixelsPerInch); }

void TFont::SetSize(int32_t Value) { SetHeight(-MulDiv(Value, ScreenPixelsPerInch, 72)); }

void TFont::SetColor(TColor Value) {
  if (Value != color_) {
    color_ = Value;
    Changed();
  }
}

void TFont::SetStyle(TFontStyles Value) {
  Value &= 0x0F;
  if (Value != style_) {
    style_ = Value;
    Changed();
  }
}

void TFont::SetOrientation(int32_t Value) {
  if (Value != orientation_) {
    orientation_ = Value;
    Changed();
  }
}

void TFont::SetCharset(uint8_t Value) {
  if (Value != charset_) {
    charset_ = Value;
    Changed();
  }
}

void TFont::Assign(TPersistent *Source) {
  if (auto *F = dynamic_cast<TFont *>(Source)) {
    name_ = F->name_;
    height_ = F->height_;
    color_ = F->color_;
    style_ = F->style_;
    orientation_ = F->orientation_;
    charset_ = F->charset_;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

// Text renderers ----------------------------------------------------------------

namespace {

class TQtTextRenderer final : public ITextRenderer {
public:
  TTextMetric Metric(const TFont &Font) override { return Measured(Font).Metric; }
  int32_t TextWidth(const TFont &Font, const std::string &Text) override {
    TMeasured &M = Measured(Font);
    auto Found = M.Widths.find(Text);
    if (Found != M.Widths.end())
      return Found->second;
    if (M.Widths.size() >= kWidthsKept)
      M.Widths.clear();
    const int32_t Width =
        QFontMetrics(Base(Font, M.PixelSize)).horizontalAdvance(QString::fromStdString(Text));
    M.Widths.emplace(Text, Width);
    return Width;
  }
  void Draw(QPainter &Painter, const TFont &Font, const std::string &Text) override {
    TMeasured &M = Measured(Font);
    Painter.setFont(Base(Font, M.PixelSize));
    Painter.setPen(ToQColor(Font.GetColor()));
    Painter.drawText(0, M.Metric.Ascent, QString::fromStdString(Text));
  }

private:
  // A scope repaints its axes ten times a second, measuring the same labels
  // in the same font each time; asking Qt again means shaping the text again.
  // Only numbers are kept (no Qt font objects), one cache per thread, so a
  // painting thread needs no lock and nothing outlives the application.
  struct TMeasured {
    std::string Name;
    int32_t Height = 0;
    TFontStyles Style = 0;
    int PixelSize = 0;
    TTextMetric Metric;
    std::unordered_map<std::string, int32_t> Widths;
  };
  static constexpr size_t kFontsKept = 16;
  static constexpr size_t kWidthsKept = 1024;

  static TMeasured &Measured(const TFont &Font) {
    thread_local std::vector<TMeasured> Fonts;
    for (TMeasured &M : Fonts)
      if (M.Height == Font.GetHeight() && M.Style == Font.GetStyle() && M.Name == Font.GetName())
        return M;
    if (Fonts.size() >= kFontsKept)
      Fonts.clear();
    TMeasured &M = Fonts.emplace_back();
    M.Name = Font.GetName();
    M.Height = Font.GetHeight();
    M.Style = Font.GetStyle();
    M.PixelSize = PixelSize(Font);
    QFontMetrics Q(Base(Font, M.PixelSize));
    M.Metric = TTextMetric{Q.ascent(), Q.descent()};
    return M;
  }
  static QFont Base(const TFont &Font, int PixelSize) {
    QFont F(QString::fromStdString(Font.GetName()));
    F.setPixelSize(std::max(PixelSize, 1));
    F.setBold(Font.HasStyle(fsBold));
    F.setItalic(Font.HasStyle(fsItalic));
    F.setUnderline(Font.HasStyle(fsUnderline));
    F.setStrikeOut(Font.HasStyle(fsStrikeOut));
    // Pictures are compared pixel for pixel: no grey edges.
    F.setStyleStrategy(QFont::NoAntialias);
    F.setHintingPreference(QFont::PreferFullHinting);
    return F;
  }
  // A negative height is the em size; a positive one the cell height, which
  // the em size is scaled to.
  static int PixelSize(const TFont &Font) {
    int32_t H = Font.GetHeight();
    if (H <= 0)
      return H == 0 ? 16 : -H;
    QFontMetrics M(Base(Font, H));
    int Cell = M.ascent() + M.descent();
    if (Cell <= 0 || Cell == H)
      return H;
    return int(std::lround(double(H) * H / Cell));
  }
};

} // namespace

ITextRenderer &QtTextRenderer() {
  static TQtTextRenderer Renderer;
  return Renderer;
}

int32_t TFixedTextRenderer::TextWidth(const TFont &, const std::string &Text) {
  return static_cast<int32_t>(Text.size()) * charWidth_;
}

void TFixedTextRenderer::Draw(QPainter &Painter, const TFont &Font, const std::string &Text) {
  int32_t W = TextWidth(Font, Text);
  int32_t H = metric_.Height();
  if (W <= 0 || H <= 0)
    return;
  Painter.setPen(QPen(ToQColor(Font.GetColor()), 0));
  Painter.setBrush(Qt::NoBrush);
  Painter.drawRect(QRect(0, 0, W - 1, H - 1));
}

// Regions -------------------------------------------------------------------------

TRegion::TRegion(const TRect &R) : region_(ToQRect(R)) {}

bool TRegion::RectInRegion(const TRect &R) const {
  QRect Q = ToQRect(R);
  return !Q.isEmpty() && region_.intersects(Q);
}

// Canvas ----------------------------------------------------------------------------

TCanvas::TCanvas(QImage *Image) : renderer_(&QtTextRenderer()) {
  // A canvas starts as a device context does: black pen, white brush.
  font_.SetColor(clBlack);
  SetImage(Image);
}

TCanvas::~TCanvas() { Flush(); }

void TCanvas::SetImage(QImage *Image) {
  Flush();
  image_ = Image;
  if (image_ && !image_->isNull() && image_->format() != QImage::Format_RGB32)
    *image_ = image_->convertToFormat(QImage::Format_RGB32);
}

void TCanvas::Flush() {
  if (painter_) {
    painter_->end();
    painter_.reset();
  }
}

void TCanvas::SetTextRenderer(ITextRenderer *Renderer) {
  renderer_ = Renderer ? Renderer : &QtTextRenderer();
}

QPainter &TCanvas::Begin() {
  if (!painter_) {
    painter_ = std::make_unique<QPainter>(image_);
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setRenderHint(QPainter::TextAntialiasing, false);
  }
  painter_->resetTransform();
  ApplyClip(*painter_);
  painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
  return *painter_;
}

namespace {

bool CanPaint(const QImage *Image) { return Image && !Image->isNull(); }

QPainter::CompositionMode ModeFor(TPenMode Mode) {
  switch (Mode) {
  case pmBlack:
    return QPainter::RasterOp_ClearDestination;
  case pmWhite:
    return QPainter::RasterOp_SetDestination;
  case pmNot:
    return QPainter::RasterOp_NotDestination;
  case pmNotCopy:
    return QPainter::RasterOp_NotSource;
  case pmMergePenNot:
    return QPainter::RasterOp_SourceOrNotDestination;
  case pmMaskPenNot:
    return QPainter::RasterOp_SourceAndNotDestination;
  case pmMergeNotPen:
    return QPainter::RasterOp_NotSourceOrDestination;
  case pmMaskNotPen:
    return QPainter::RasterOp_NotSourceAndDestination;
  case pmMerge:
    return QPainter::RasterOp_SourceOrDestination;
  case pmNotMerge:
    return QPainter::RasterOp_NotSourceAndNotDestination;
  case pmMask:
    return QPainter::RasterOp_SourceAndDestination;
  case pmNotMask:
    return QPainter::RasterOp_NotSourceOrNotDestination;
  case pmXor:
    return QPainter::RasterOp_SourceXorDestination;
  case pmNotXor:
    return QPainter::RasterOp_NotSourceXorDestination;
  default:
    return QPainter::CompositionMode_SourceOver;
  }
}

Qt::BrushStyle QtBrushStyle(TBrushStyle S) {
  switch (S) {
  case bsSolid:
    return Qt::SolidPattern;
  case bsHorizontal:
    return Qt::HorPattern;
  case bsVertical:
    return Qt::VerPattern;
  case bsFDiagonal:
    return Qt::FDiagPattern; // falling from left to right, as the platform's forward hatch
  case bsBDiagonal:
    return Qt::BDiagPattern;
  case bsCross:
    return Qt::CrossPattern;
  case bsDiagCross:
    return Qt::DiagCrossPattern;
  default:
    return Qt::NoBrush;
  }
}

} // namespace

bool TCanvas::PenDraws() const { return pen_.GetStyle() != psClear && pen_.GetMode() != pmNop; }

void TCanvas::ApplyPen(QPainter &P) {
  if (!PenDraws()) {
    P.setPen(Qt::NoPen);
    return;
  }
  QPen Q(ToQColor(pen_.GetColor()));
  int32_t W = pen_.GetWidth();
  Q.setWidth(W <= 1 ? 0 : W);
  switch (pen_.GetStyle()) {
  case psDash:
    Q.setStyle(Qt::DashLine);
    break;
  case psDot:
    Q.setStyle(Qt::DotLine);
    break;
  case psDashDot:
    Q.setStyle(Qt::DashDotLine);
    break;
  case psDashDotDot:
    Q.setStyle(Qt::DashDotDotLine);
    break;
  default:
    Q.setStyle(Qt::SolidLine);
  }
  // Flat caps leave out a one-pixel line's end point; wide lines are
  // round-ended like the platform's geometric pens.
  Q.setCapStyle(W <= 1 ? Qt::FlatCap : Qt::RoundCap);
  Q.setJoinStyle(W <= 1 ? Qt::MiterJoin : Qt::RoundJoin);
  P.setPen(Q);
  P.setCompositionMode(ModeFor(pen_.GetMode()));
}

void TCanvas::ApplyBrush(QPainter &P) {
  if (brush_.GetStyle() == bsClear) {
    P.setBrush(Qt::NoBrush);
    return;
  }
  P.setBrush(QBrush(ToQColor(brush_.GetColor()), QtBrushStyle(brush_.GetStyle())));
  P.setCompositionMode(ModeFor(pen_.GetMode()));
}

void TCanvas::ApplyClip(QPainter &P) {
  if (hasClip_)
    P.setClipRegion(clip_);
  else
    P.setClipping(false);
}

QRegion TCanvas::ImageRegion() const {
  return image_ ? QRegion(0, 0, image_->width(), image_->height()) : QRegion();
}

bool TCanvas::ClipAllows(int32_t X, int32_t Y) const {
  if (!image_ || X < 0 || Y < 0 || X >= image_->width() || Y >= image_->height())
    return false;
  return !hasClip_ || clip_.contains(QPoint(X, Y));
}

namespace {

// The platform's cosmetic pen patterns, in pixels on and off.
const std::vector<int> &PenPattern(TPenStyle Style) {
  static const std::vector<int> None, Dash{18, 6}, Dot{3, 3}, DashDot{9, 6, 3, 6},
      DashDotDot{9, 3, 3, 3, 3, 3};
  switch (Style) {
  case psDash:
    return Dash;
  case psDot:
    return Dot;
  case psDashDot:
    return DashDot;
  case psDashDotDot:
    return DashDotDot;
  default:
    return None;
  }
}

} // namespace

namespace {

// One-pixel lines are stepped here rather than by Qt, whose aliased lines
// leave out the end that lies to the right or below whichever way they run:
// the pixels from (X0, Y0) towards (X1, Y1), (X1, Y1) left out, the minor
// coordinate rounded half away from the start. Pattern is the dash state,
// carried from one segment to the next like the platform's pen. Plot gets
// each drawn pixel that lies within Width x Height.
template <class PlotFn>
void StepLine(TPoint A, TPoint B, int64_t Width, int64_t Height, const std::vector<int> &Dashes,
              int &Pattern, PlotFn &&Plot) {
  int Period = 0;
  for (int D : Dashes)
    Period += D;
  const int64_t DX = int64_t(B.X) - A.X, DY = int64_t(B.Y) - A.Y;
  const int64_t N = std::max(std::llabs(DX), std::llabs(DY));
  if (N == 0)
    return;
  const bool XMajor = std::llabs(DX) >= std::llabs(DY);
  // Only the steps whose major coordinate lies in the picture are visited,
  // so a line from far outside costs no more than one across it.
  const int64_t Start = XMajor ? A.X : A.Y, Dir = (XMajor ? DX : DY) < 0 ? -1 : 1;
  const int64_t Size = XMajor ? Width : Height;
  int64_t Lo = Dir > 0 ? -Start : Start - (Size - 1);
  int64_t Hi = Dir > 0 ? Size - 1 - Start : Start;
  Lo = std::max<int64_t>(Lo, 0);
  Hi = std::min<int64_t>(Hi, N - 1);
  if (Period > 0)
    Pattern = int((Pattern + Lo) % Period);
  if (Lo <= Hi) {
    // The offset along the minor axis at step I is (2 I |D| + N) div 2N,
    // rounded halves away from the start; it is carried from step to step as
    // quotient and remainder, with one division for the first visited step.
    const int64_t D = XMajor ? DY : DX;
    const int64_t AbsD2 = 2 * std::llabs(D), N2 = 2 * N;
    const int64_t MinorDir = D < 0 ? -1 : 1;
    const int64_t First = 2 * Lo * std::llabs(D) + N;
    int64_t Off = First / N2, Rem = First % N2;
    const int64_t MajorStart = Start, MinorStart = XMajor ? A.Y : A.X;
    const int64_t MinorSize = XMajor ? Height : Width;
    for (int64_t I = Lo; I <= Hi; ++I) {
      bool On = true;
      if (Period > 0) {
        int Phase = Pattern % Period, K = 0;
        while (Phase >= Dashes[size_t(K)]) {
          Phase -= Dashes[size_t(K)];
          ++K;
        }
        On = (K % 2) == 0;
        Pattern = (Pattern + 1) % Period;
      }
      if (On) {
        const int64_t Major = MajorStart + Dir * I;
        const int64_t Minor = MinorStart + MinorDir * Off;
        if (Minor >= 0 && Minor < MinorSize) {
          if (XMajor)
            Plot(int(Major), int(Minor));
          else
            Plot(int(Minor), int(Major));
        }
      }
      Rem += AbsD2;
      if (Rem >= N2) {
        Rem -= N2;
        ++Off;
      }
    }
  }
  if (Period > 0 && Hi < N - 1)
    Pattern = int((Pattern + (N - 1 - std::max(Hi, Lo - 1))) % Period);
}

} // namespace

bool TCanvas::DirectLineTarget(QRect &Clip, uint32_t &Pixel) const {
  // The pen's pixels can be stored straight into the picture when they
  // replace what is there and the clip is one rectangle (or none).
  if (pen_.GetMode() != pmCopy || image_->format() != QImage::Format_RGB32)
    return false;
  Clip = QRect(0, 0, image_->width(), image_->height());
  if (hasClip_) {
    if (clip_.rectCount() > 1)
      return false;
    Clip &= clip_.boundingRect();
  }
  Pixel = 0xFF000000u | ColorToQRgb(pen_.GetColor());
  return true;
}

void TCanvas::StrokePath(const std::vector<TPoint> &Points) {
  if (Points.size() < 2 || !CanPaint(image_) || !PenDraws())
    return;
  const std::vector<int> &Dashes = PenPattern(pen_.GetStyle());
  const int64_t Width = image_->width(), Height = image_->height();
  QRect Clip;
  uint32_t Pixel = 0;
  if (pen_.GetWidth() <= 1 && DirectLineTarget(Clip, Pixel)) {
    // The painter draws into the picture as it goes (an image being painted
    // is never shared), so the pixels can go in beside it.
    uchar *Bits = image_->bits();
    const qsizetype Stride = image_->bytesPerLine();
    const int L = Clip.left(), T = Clip.top(), R = Clip.right(), B = Clip.bottom();
    int Pattern = 0;
    for (size_t I = 1; I < Points.size(); ++I)
      StepLine(Points[I - 1], Points[I], Width, Height, Dashes, Pattern, [&](int X, int Y) {
        if (X >= L && X <= R && Y >= T && Y <= B)
          reinterpret_cast<uint32_t *>(Bits + Y * Stride)[X] = Pixel;
      });
    return;
  }
  QPainter &P = Begin();
  ApplyPen(P);
  if (pen_.GetWidth() > 1) {
    std::vector<QPoint> Q;
    Q.reserve(Points.size());
    for (const TPoint &Pt : Points)
      Q.emplace_back(Pt.X, Pt.Y);
    P.drawPolyline(Q.data(), int(Q.size()));
    return;
  }
  QPen Dots(P.pen());
  Dots.setStyle(Qt::SolidLine);
  Dots.setWidth(0);
  P.setPen(Dots);
  // Drawn in batches: a long curve of steep segments would otherwise
  // collect millions of pixels before drawing any (each segment adds at
  // most the picture's width or height).
  std::vector<QPoint> Pixels;
  int Pattern = 0;
  for (size_t I = 1; I < Points.size(); ++I) {
    StepLine(Points[I - 1], Points[I], Width, Height, Dashes, Pattern,
             [&](int X, int Y) { Pixels.emplace_back(X, Y); });
    if (Pixels.size() >= 16384) {
      P.drawPoints(Pixels.data(), int(Pixels.size()));
      Pixels.clear();
    }
  }
  if (!Pixels.empty())
    P.drawPoints(Pixels.data(), int(Pixels.size()));
}

void TCanvas::LineTo(int32_t X, int32_t Y) {
  TPoint From = penPos_;
  penPos_ = {X, Y};
  StrokePath({From, penPos_});
}

void TCanvas::Polyline(const std::vector<TPoint> &Points) { StrokePath(Points); }

void TCanvas::Polygon(const std::vector<TPoint> &Points) {
  if (Points.size() < 2 || !CanPaint(image_) || pen_.GetMode() == pmNop)
    return;
  QPainter &P = Begin();
  ApplyBrush(P);
  ApplyPen(P);
  std::vector<QPoint> Q;
  Q.reserve(Points.size());
  for (const TPoint &Pt : Points)
    Q.emplace_back(Pt.X, Pt.Y);
  P.drawPolygon(Q.data(), int(Q.size()), Qt::OddEvenFill);
}

void TCanvas::Rectangle(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom) {
  if (!CanPaint(image_))
    return;
  TRect R = TRect{Left, Top, Right, Bottom}.Normalized();
  if (R.IsEmpty() || pen_.GetMode() == pmNop)
    return;
  QPainter &P = Begin();
  if (!PenDraws()) {
    // Without an outline the fill keeps inside where the outline would be.
    if (brush_.GetStyle() != bsClear && R.Width() > 1 && R.Height() > 1) {
      ApplyBrush(P);
      P.setPen(Qt::NoPen);
      P.drawRect(QRect(R.Left, R.Top, R.Width() - 1, R.Height() - 1));
    }
    return;
  }
  if (brush_.GetStyle() != bsClear && R.Width() > 2 && R.Height() > 2) {
    ApplyBrush(P);
    P.setPen(Qt::NoPen);
    P.drawRect(QRect(R.Left + 1, R.Top + 1, R.Width() - 2, R.Height() - 2));
  }
  if (pen_.GetWidth() <= 1) {
    // The outline as one closed run, so no corner is painted twice; a
    // rectangle one pixel wide or high is a single run with its last pixel.
    if (R.Width() == 1)
      StrokePath({{R.Left, R.Top}, {R.Left, R.Bottom}});
    else if (R.Height() == 1)
      StrokePath({{R.Left, R.Top}, {R.Right, R.Top}});
    else
      StrokePath({{R.Left, R.Top},
                  {R.Right - 1, R.Top},
                  {R.Right - 1, R.Bottom - 1},
                  {R.Left, R.Bottom - 1},
                  {R.Left, R.Top}});
  } else {
    P.setBrush(Qt::NoBrush);
    ApplyPen(P);
    P.drawRect(QRect(R.Left, R.Top, R.Width() - 1, R.Height() - 1));
  }
}

void TCanvas::FillRect(const TRect &Rect) {
  TRect R = Rect.Normalized();
  if (!CanPaint(image_) || R.IsEmpty() || brush_.GetStyle() == bsClear)
    return;
  QPainter &P = Begin();
  P.fillRect(ToQRect(R), QBrush(ToQColor(brush_.GetColor()), QtBrushStyle(brush_.GetStyle())));
}

void TCanvas::Ellipse(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom) {
  TRect R = TRect{Left, Top, Right, Bottom}.Normalized();
  if (!CanPaint(image_) || R.Width() < 2 || R.Height() < 2 || pen_.GetMode() == pmNop)
    return;
  QPainter &P = Begin();
  ApplyBrush(P);
  ApplyPen(P);
  if (!PenDraws())
    P.setPen(Qt::NoPen);
  P.drawEllipse(QRect(R.Left, R.Top, R.Width() - 1, R.Height() - 1));
}

void TCanvas::DrawFocusRect(const TRect &Rect) {
  TRect R = Rect.Normalized();
  if (!CanPaint(image_) || R.IsEmpty())
    return;
  Flush();
  auto Invert = [this](int32_t X, int32_t Y) {
    if (((X + Y) & 1) != 0 || !ClipAllows(X, Y))
      return;
    auto *Line = reinterpret_cast<uint32_t *>(image_->scanLine(Y));
    Line[X] ^= 0x00FFFFFFu;
  };
  for (int32_t X = R.Left; X < R.Right; ++X) {
    Invert(X, R.Top);
    if (R.Bottom - 1 != R.Top)
      Invert(X, R.Bottom - 1);
  }
  for (int32_t Y = R.Top + 1; Y < R.Bottom - 1; ++Y) {
    Invert(R.Left, Y);
    if (R.Right - 1 != R.Left)
      Invert(R.Right - 1, Y);
  }
}

TColor TCanvas::GetPixel(int32_t X, int32_t Y) {
  if (!CanPaint(image_) || X < 0 || Y < 0 || X >= image_->width() || Y >= image_->height())
    return -1;
  Flush();
  return QRgbToColor(image_->pixel(X, Y) & 0x00FFFFFFu);
}

void TCanvas::SetPixel(int32_t X, int32_t Y, TColor Color) {
  if (!CanPaint(image_) || !ClipAllows(X, Y))
    return;
  image_->setPixel(X, Y, 0xFF000000u | ColorToQRgb(Color));
}

TSize TCanvas::TextExtent(const std::string &Text) {
  return TSize{renderer_->TextWidth(font_, Text), renderer_->Metric(font_).Height()};
}

void TCanvas::TextOut(int32_t X, int32_t Y, const std::string &Text) {
  if (!CanPaint(image_))
    return;
  TSize E = TextExtent(Text);
  int32_t Turn = ((font_.GetOrientation() % 3600) + 3600) % 3600;
  penPos_.X = X + (Turn == 0 ? E.cx : 0);
  if (E.cx <= 0 || E.cy <= 0)
    return;
  if (Turn % 900 != 0) {
    QPainter &P = Begin();
    P.save();
    P.translate(X, Y);
    P.rotate(-Turn / 10.0);
    if (brush_.GetStyle() != bsClear)
      P.fillRect(QRect(0, 0, E.cx, E.cy), ToQColor(brush_.GetColor()));
    renderer_->Draw(P, font_, Text);
    P.restore();
    return;
  }
  // Quarter turns: the cell is drawn upright and turned as an image, so
  // every pixel lands exactly: cell pixel (u, v) goes to (X + v, Y - 1 - u)
  // for 900, the cell lying right of X and above Y.
  QImage Cell(E.cx, E.cy, QImage::Format_ARGB32_Premultiplied);
  if (Cell.isNull())
    return;
  Cell.fill(brush_.GetStyle() != bsClear ? (0xFF000000u | ColorToQRgb(brush_.GetColor())) : 0u);
  {
    QPainter CP(&Cell);
    CP.setRenderHint(QPainter::Antialiasing, false);
    CP.setRenderHint(QPainter::TextAntialiasing, false);
    renderer_->Draw(CP, font_, Text);
  }
  int32_t DX = X, DY = Y;
  if (Turn != 0) {
    Cell = Cell.transformed(QTransform().rotate(-Turn / 10.0));
    if (Turn == 900) {
      DY = Y - E.cx;
    } else if (Turn == 1800) {
      DX = X - E.cx;
      DY = Y - E.cy;
    } else {
      DX = X - E.cy;
    }
  }
  QPainter &P = Begin();
  P.drawImage(DX, DY, Cell);
}

void TCanvas::SelectClipRgn(const TRegion *Region) {
  hasClip_ = Region != nullptr;
  clip_ = Region ? Region->AsQRegion() : QRegion();
}

void TCanvas::ExcludeClipRect(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom) {
  if (!hasClip_) {
    clip_ = ImageRegion();
    hasClip_ = true;
  }
  clip_ -= ToQRect(TRect{Left, Top, Right, Bottom});
}

void TCanvas::IntersectClipRect(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom) {
  if (!hasClip_) {
    clip_ = ImageRegion();
    hasClip_ = true;
  }
  clip_ &= ToQRect(TRect{Left, Top, Right, Bottom});
}

TRegion TCanvas::GetClipRgn() const { return TRegion(hasClip_ ? clip_ : ImageRegion()); }

void TCanvas::Draw(int32_t X, int32_t Y, const QImage &Source) {
  if (!CanPaint(image_) || Source.isNull())
    return;
  QPainter &P = Begin();
  P.setCompositionMode(QPainter::CompositionMode_Source);
  P.drawImage(X, Y, Source);
}

// Saver -----------------------------------------------------------------------------

TCanvasSaver::TCanvasSaver(TCanvas *Canvas) : canvas_(Canvas) {
  pen_.Assign(Canvas->Pen());
  brush_.Assign(Canvas->Brush());
  font_.Assign(Canvas->Font());
}

TCanvasSaver::~TCanvasSaver() {
  canvas_->SetPen(&pen_);
  canvas_->SetBrush(&brush_);
  canvas_->SetFont(&font_);
}

// Bitmap ----------------------------------------------------------------------------

TBitmap::TBitmap(int32_t Width, int32_t Height) { SetSize(Width, Height); }

void TBitmap::SetSize(int32_t Width, int32_t Height) {
  Width = std::max(Width, 0);
  Height = std::max(Height, 0);
  if (!image_.isNull() && Width == image_.width() && Height == image_.height())
    return;
  canvas_.Flush();
  if (Width == 0 || Height == 0) {
    image_ = QImage();
  } else {
    image_ = QImage(Width, Height, QImage::Format_RGB32);
    if (!image_.isNull())
      image_.fill(0xFFFFFFFFu);
  }
  canvas_.SetImage(&image_);
}

const QImage &TBitmap::Image() {
  canvas_.Flush();
  return image_;
}
