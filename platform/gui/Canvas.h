// The drawing surface of self-drawn controls: a canvas with a pen, a brush
// and a font that keep their settings between calls, over QPainter on an
// RGB32 QImage with antialiasing off, following the pixel rules that the
// drawing code was written against:
//
// - A line leaves out its end point, so MoveTo/LineTo chains join without
//   painting a pixel twice (which matters under XOR pens).
// - Rectangle, FillRect and Ellipse cover Left..Right-1 and
//   Top..Bottom-1; an inverted rectangle (Right < Left or Bottom < Top) is
//   normalised first. Rectangle with a clear pen fills one pixel less to the
//   right and bottom, as the outline it leaves out would have.
// - TextOut places the top-left corner of the text cell (ascent + descent
//   high) at (X, Y) and fills the cell in the brush colour first unless the
//   brush is clear. A font with Orientation 900 writes upwards from (X, Y),
//   the cell lying to the right of X.
// - DrawFocusRect inverts every other pixel of the frame (a checkerboard
//   from the image origin), so drawing it twice restores the picture.
// - The pen mode is the raster operation of lines and of the fill and
//   outline of Rectangle, Ellipse and Polygon; pmNop leaves all of them
//   out. FillRect, TextOut and pixel writes copy.
// - Pens wider than one pixel are round-ended and centred on the line, so
//   their ends reach half the width past the end points.
// - Colours are 0x00BBGGRR; system colours (high byte 0x80) are resolved.
// - A clip region, when selected, limits every operation, pixel writes and
//   the focus frame included.
//
// Text is measured and drawn by a text renderer: Qt's fonts by default
// ("Arial" resolves through fontconfig to a face of the same metrics), or a
// fixed-metrics renderer that tests install so that layout arithmetic does
// not depend on a rasteriser; it draws each text cell as a one-pixel frame in
// the font colour, so pictures stay exact.
//
// Main thread only, like every window. Needs a QGuiApplication for the Qt
// text renderer only.
#pragma once

#include <QImage>
#include <QRegion>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/Persistent.h"
#include "platform/gui/Graphics.h"

class QPainter;
class QColor;
class QFont;

struct TPoint {
  int32_t X = 0;
  int32_t Y = 0;
  friend bool operator==(const TPoint &, const TPoint &) = default;
};

struct TSize {
  int32_t cx = 0;
  int32_t cy = 0;
  friend bool operator==(const TSize &, const TSize &) = default;
};

// Right and Bottom lie just outside the rectangle.
struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  int32_t Width() const { return Right - Left; }
  int32_t Height() const { return Bottom - Top; }
  // Empty when it covers no pixel (also when inverted).
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  TRect Normalized() const;
  friend bool operator==(const TRect &, const TRect &) = default;
};

// Left <= X < Right and Top <= Y < Bottom.
bool PtInRect(const TRect &R, TPoint P);

// Colours ----------------------------------------------------------------

constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clBtnFace = static_cast<TColor>(0x8000000Fu);
constexpr TColor clBtnShadow = static_cast<TColor>(0x80000010u);
constexpr TColor clBtnText = static_cast<TColor>(0x80000012u);
constexpr TColor clHighlight = static_cast<TColor>(0x8000000Du);
constexpr TColor clHighlightText = static_cast<TColor>(0x8000000Eu);

// The 0x00BBGGRR value a colour stands for, system colours resolved.
TColor ColorToRGB(TColor Color);
constexpr TColor RGBColor(uint8_t R, uint8_t G, uint8_t B) {
  return static_cast<TColor>(R | (G << 8) | (B << 16));
}
// 0x00RRGGBB (QImage's RGB32 order, without alpha) of a colour.
uint32_t ColorToQRgb(TColor Color);
TColor QRgbToColor(uint32_t Rgb);

// The colour names of form texts ("clRed", "clWindowText"...), both ways.
bool IdentToColor(const std::string &Ident, TColor &Color);
bool ColorToIdent(TColor Color, std::string &Ident);

// Declares a colour property in DefineProperties: read as a name or a
// number, written as a name when the colour has one; written only when
// Stored.
void DefineColorProperty(TFiler *Filer, const std::string &Name, std::function<TColor()> Get,
                         std::function<void(TColor)> Set, bool Stored);

// Pen, brush, font --------------------------------------------------------

// A change notification: the object that changed.
using TGraphicsChange = std::function<void(TObject *Sender)>;

class TGraphicsObject : public TPersistent {
public:
  // Called after every change of a setting, also by Assign.
  TGraphicsChange OnChange;

protected:
  void Changed();
};

enum TPenStyle : uint8_t {
  psSolid,
  psDash,
  psDot,
  psDashDot,
  psDashDotDot,
  psClear,
  psInsideFrame
};
// The sixteen binary raster operations, in the class library's order.
enum TPenMode : uint8_t {
  pmBlack,
  pmWhite,
  pmNop,
  pmNot,
  pmCopy,
  pmNotCopy,
  pmMergePenNot,
  pmMaskPenNot,
  pmMergeNotPen,
  pmMaskNotPen,
  pmMerge,
  pmNotMerge,
  pmMask,
  pmNotMask,
  pmXor,
  pmNotXor
};

class TPen : public TGraphicsObject {
  CLASSLIB_CLASS(TPen)

public:
  TColor GetColor() const { return color_; }
  void SetColor(TColor Value);
  TPenStyle GetStyle() const { return style_; }
  void SetStyle(TPenStyle Value);
  TPenMode GetMode() const { return mode_; }
  void SetMode(TPenMode Value);
  // 0 and 1 both give one-pixel lines.
  int32_t GetWidth() const { return width_; }
  void SetWidth(int32_t Value);

  void Assign(TPersistent *Source) override;
  // Color, by name or number.
  void DefineProperties(TFiler *Filer) override;

private:
  TColor color_ = clBlack;
  TPenStyle style_ = psSolid;
  TPenMode mode_ = pmCopy;
  int32_t width_ = 1;
};

enum TBrushStyle : uint8_t {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};

class TBrush : public TGraphicsObject {
  CLASSLIB_CLASS(TBrush)

public:
  TColor GetColor() const { return color_; }
  // Also makes a clear brush solid, as choosing a colour for a brush does.
  void SetColor(TColor Value);
  TBrushStyle GetStyle() const { return style_; }
  void SetStyle(TBrushStyle Value);

  void Assign(TPersistent *Source) override;
  // Color, by name or number.
  void DefineProperties(TFiler *Filer) override;

private:
  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
};

enum TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
// Bit (1 << TFontStyle) per style.
using TFontStyles = uint8_t;
constexpr TFontStyles FontStyle(TFontStyle S) { return static_cast<TFontStyles>(1u << S); }

// Screen resolution of sizes given in points.
constexpr int32_t ScreenPixelsPerInch = 96;
// The class library's default font size, in points.
constexpr int32_t DefaultFontSize = 8;

class TFont : public TGraphicsObject {
  CLASSLIB_CLASS(TFont)

public:
  TFont();

  const std::string &GetName() const { return name_; }
  void SetName(const std::string &Value);
  // Negative: the em size in pixels; positive: the cell height (ascent +
  // descent) in pixels.
  int32_t GetHeight() const { return height_; }
  void SetHeight(int32_t Value);
  // Points at 96 dpi: Size s is Height -round(s x 96 / 72) (halves away
  // from zero), and back.
  int32_t GetSize() const;
  void SetSize(int32_t Value);
  TColor GetColor() const { return color_; }
  void SetColor(TColor Value);
  TFontStyles GetStyle() const { return style_; }
  void SetStyle(TFontStyles Value);
  bool HasStyle(TFontStyle S) const { return (style_ & FontStyle(S)) != 0; }
  // Tenths of a degree counter-clockwise; 900 writes upwards. Escapement
  // follows it (the text runs in the direction of its glyphs).
  int32_t GetOrientation() const { return orientation_; }
  void SetOrientation(int32_t Value);
  uint8_t GetCharset() const { return charset_; }
  void SetCharset(uint8_t Value);

  void Assign(TPersistent *Source) override;
  // Color, by name or number.
  void DefineProperties(TFiler *Filer) override;

private:
  std::string name_ = "Arial";
  int32_t height_;
  TColor color_ = clWindowText;
  TFontStyles style_ = 0;
  int32_t orientation_ = 0;
  uint8_t charset_ = 1; // the default character set
};

// Text --------------------------------------------------------------------

struct TTextMetric {
  int32_t Ascent = 0;
  int32_t Descent = 0;
  int32_t Height() const { return Ascent + Descent; }
};

class ITextRenderer {
public:
  virtual ~ITextRenderer() = default;
  virtual TTextMetric Metric(const TFont &Font) = 0;
  // Advance width of Text in Font (unturned).
  virtual int32_t TextWidth(const TFont &Font, const std::string &Text) = 0;
  // Draws Text with its cell's top-left corner at the painter's origin,
  // running along +x (the canvas turns the painter for turned fonts).
  virtual void Draw(QPainter &Painter, const TFont &Font, const std::string &Text) = 0;
};

// Qt's fonts. Shared and stateless apart from a cache.
ITextRenderer &QtTextRenderer();

// Every character CharWidth pixels wide, cells Ascent + Descent high,
// whatever the font; draws each cell as a one-pixel frame in the font colour.
class TFixedTextRenderer final : public ITextRenderer {
public:
  TFixedTextRenderer(int32_t CharWidth, int32_t Ascent, int32_t Descent)
      : charWidth_(CharWidth), metric_{Ascent, Descent} {}
  TTextMetric Metric(const TFont &) override { return metric_; }
  int32_t TextWidth(const TFont &, const std::string &Text) override;
  void Draw(QPainter &Painter, const TFont &Font, const std::string &Text) override;

private:
  int32_t charWidth_;
  TTextMetric metric_;
};

// Clip regions --------------------------------------------------------------

// A region of pixels, as GDI regions: rectangles exclude Right and Bottom.
class TRegion {
public:
  TRegion() = default;
  explicit TRegion(const TRect &R);
  explicit TRegion(const QRegion &R) : region_(R) {}
  static TRegion CreateRectRgn(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom) {
    return TRegion(TRect{Left, Top, Right, Bottom});
  }
  bool IsEmpty() const { return region_.isEmpty(); }
  // Some pixel of R lies in the region (RectInRegion).
  bool RectInRegion(const TRect &R) const;
  const QRegion &AsQRegion() const { return region_; }

private:
  QRegion region_;
};

// Canvas --------------------------------------------------------------------

class TCanvas {
public:
  // Draws into Image (kept RGB32), which must outlive the canvas or be
  // replaced through SetImage.
  explicit TCanvas(QImage *Image = nullptr);
  ~TCanvas();
  TCanvas(const TCanvas &) = delete;
  TCanvas &operator=(const TCanvas &) = delete;

  // Ends any painting on the old image first.
  void SetImage(QImage *Image);
  // Ends the painter kept between calls, so the image may be read, copied
  // or resized. Every drawing call begins it again.
  void Flush();

  TPen *Pen() { return &pen_; }
  TBrush *Brush() { return &brush_; }
  TFont *Font() { return &font_; }
  // Copy the given settings into the canvas's own.
  void SetPen(TPen *Value) { pen_.Assign(Value); }
  void SetBrush(TBrush *Value) { brush_.Assign(Value); }
  void SetFont(TFont *Value) { font_.Assign(Value); }

  // nullptr restores the Qt renderer.
  void SetTextRenderer(ITextRenderer *Renderer);
  ITextRenderer &TextRenderer() const { return *renderer_; }

  TPoint GetPenPos() const { return penPos_; }
  void MoveTo(int32_t X, int32_t Y) { penPos_ = {X, Y}; }
  // From the pen position to (X, Y), (X, Y) itself left out.
  void LineTo(int32_t X, int32_t Y);
  // Lines through the points, the last point left out.
  void Polyline(const std::vector<TPoint> &Points);
  // Filled with the brush and outlined with the pen.
  void Polygon(const std::vector<TPoint> &Points);
  void Rectangle(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom);
  void Rectangle(const TRect &R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
  // The brush only, no outline.
  void FillRect(const TRect &R);
  void Ellipse(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom);
  void Ellipse(const TRect &R) { Ellipse(R.Left, R.Top, R.Right, R.Bottom); }
  void DrawFocusRect(const TRect &R);

  // -1 outside the image.
  TColor GetPixel(int32_t X, int32_t Y);
  void SetPixel(int32_t X, int32_t Y, TColor Color);

  void TextOut(int32_t X, int32_t Y, const std::string &Text);
  TSize TextExtent(const std::string &Text);
  int32_t TextWidth(const std::string &Text) { return TextExtent(Text).cx; }
  int32_t TextHeight(const std::string &Text) { return TextExtent(Text).cy; }

  // Clipping: nullptr removes the clip region.
  void SelectClipRgn(const TRegion *Region);
  void ExcludeClipRect(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom);
  void IntersectClipRect(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom);
  // The current clip region, or the whole image when there is none.
  TRegion GetClipRgn() const;

  // Copies Source's pixels (SRCCOPY) to (X, Y), clipped.
  void Draw(int32_t X, int32_t Y, const QImage &Source);

private:
  QPainter &Begin();
  void ApplyPen(QPainter &P);
  void ApplyBrush(QPainter &P);
  void ApplyClip(QPainter &P);
  bool PenDraws() const;
  bool DirectLineTarget(QRect &Clip, uint32_t &Pixel) const;
  void StrokePath(const std::vector<TPoint> &Points);
  bool ClipAllows(int32_t X, int32_t Y) const;
  QRegion ImageRegion() const;

  QImage *image_ = nullptr;
  std::unique_ptr<QPainter> painter_;
  TPen pen_;
  TBrush brush_;
  TFont font_;
  ITextRenderer *renderer_;
  TPoint penPos_;
  bool hasClip_ = false;
  QRegion clip_;
};

// Keeps a canvas's pen, brush and font and puts them back when it goes, so
// a drawing routine may change them freely.
class TCanvasSaver {
public:
  explicit TCanvasSaver(TCanvas *Canvas);
  ~TCanvasSaver();
  TCanvasSaver(const TCanvasSaver &) = delete;
  TCanvasSaver &operator=(const TCanvasSaver &) = delete;

private:
  TCanvas *canvas_;
  TPen pen_;
  TBrush brush_;
  TFont font_;
};

// The off-screen picture of a control: an RGB32 image with its canvas.
class TBitmap {
public:
  TBitmap(int32_t Width = 0, int32_t Height = 0);
  TBitmap(const TBitmap &) = delete;
  TBitmap &operator=(const TBitmap &) = delete;

  int32_t GetWidth() const { return image_.width(); }
  int32_t GetHeight() const { return image_.height(); }
  // Keeps nothing of the old picture when the size changes; negative sizes
  // count as 0.
  void SetSize(int32_t Width, int32_t Height);
  TCanvas *Canvas() { return &canvas_; }
  // The picture, painting finished.
  const QImage &Image();

private:
  QImage image_;
  TCanvas canvas_;
};
