// Channel pictures compared pixel for pixel with pictures composed from the
// drawing geometry: sample i of S in column rnd(i (L - 1) / (S - 1)) (halves
// to even), value v in row C - rnd(v x YScale), bars from the zero line or a
// base, symbols in a (2 Size + 1)-pixel box.
#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "scope/SLChannels.h"
#include "tests/scope/ScopeHostSupport.h"
#include "tests/support/FrameworkEnvironment.h"

namespace {

constexpr int32_t W = 505, H = 304;
// The recorder's picture: zero on row 152 and 16384 on row 76.
constexpr int32_t YOffset = 151;
constexpr double YScale = 152.0 / 32768;
const TRect Rect{0, 0, W, H - 1}; // the data view, bottom reduced by 1
constexpr TColor Black = 0;

QImage Blank() {
  QImage I(W, H, QImage::Format_RGB32);
  I.fill(0);
  return I;
}

void Put(QImage &I, int X, int Y, TColor C) {
  if (X >= 0 && Y >= 0 && X < I.width() && Y < I.height())
    I.setPixel(X, Y, ColorToQRgb(C));
}

void Fill(QImage &I, int L, int T, int R, int B, TColor C) {
  for (int Y = std::min(T, B); Y < std::max(T, B); ++Y)
    for (int X = std::min(L, R); X < std::max(L, R); ++X)
      Put(I, X, Y, C);
}

// Pixel-exact comparison; on a difference the actual, expected and diff
// pictures go to the test's temporary directory.
::testing::AssertionResult SamePicture(const QImage &Actual, const QImage &Expected,
                                       const std::string &Name) {
  int Differing = 0;
  std::string First;
  QImage Diff(Actual.size(), QImage::Format_RGB32);
  Diff.fill(0);
  for (int Y = 0; Y < Actual.height(); ++Y)
    for (int X = 0; X < Actual.width(); ++X)
      if ((Actual.pixel(X, Y) & 0xFFFFFF) != (Expected.pixel(X, Y) & 0xFFFFFF)) {
        if (++Differing <= 4)
          First += " (" + std::to_string(X) + "," + std::to_string(Y) + ") " +
                   std::to_string(Actual.pixel(X, Y) & 0xFFFFFF) + " vs " +
                   std::to_string(Expected.pixel(X, Y) & 0xFFFFFF);
        Diff.setPixel(X, Y, 0xFFFFFF);
      }
  if (Differing == 0)
    return ::testing::AssertionSuccess();
  const std::string Base = ::testing::TempDir() + "scope_" + Name;
  Actual.save(QString::fromStdString(Base + "_actual.png"));
  Expected.save(QString::fromStdString(Base + "_expected.png"));
  Diff.save(QString::fromStdString(Base + "_diff.png"));
  return ::testing::AssertionFailure()
         << Differing << " pixels differ, first at" << First << "; see " << Base << "_*.png";
}

int32_t Column(int32_t I, int32_t S, int32_t L = W) {
  return static_cast<int32_t>(std::nearbyint(double(I) * (L - 1) / (S - 1)));
}
int32_t Row(double V) { return 152 - static_cast<int32_t>(std::nearbyint(V * YScale)); }

class ChannelDraw : public ::testing::Test {
protected:
  void SetUp() override {
    Scope.reset(CreateObject<TTestScopeHost>());
    Channel = Scope->MakeChannels()->Add();
    Channel->SetColor(clRed);
    Canvas.SetImage(&Image);
  }
  void Load(const std::vector<double> &Y) {
    Channel->GetVC_Data()->SetYData(Y.data(), static_cast<uint32_t>(Y.size()));
    Scope->Refresh();
  }
  void Draw(double XMin, double XMax, bool Log = false) {
    Channel->Draw(&Canvas, Rect, XMin, XMax, -32768, 32768, Log, YOffset, YScale);
    Canvas.Flush();
  }

  TOwnedPtr<TTestScopeHost> Scope;
  TSLScopeChannel *Channel = nullptr;
  QImage Image = Blank();
  TCanvas Canvas;
};

// Points mode at 505 pixels over 1025 samples: sample 192 falls on 94.5 and
// goes to column 94 (halves to even; rounding away from zero gives 95).
TEST_F(ChannelDraw, SamplePointsLandOnRoundedColumnsAndRows) {
  const int32_t S = 1025;
  std::vector<double> Y(S, 0.0);
  Y[192] = 16384;
  Y[193] = -16384;
  Y[1024] = 32767;
  Load(Y);
  Channel->SetChannelMode(cmPoint);
  Draw(0, S - 1);
  QImage Expected = Blank();
  for (int32_t I = 0; I < S; ++I)
    Put(Expected, Column(I, S), Row(Y[I]), clRed);
  EXPECT_EQ(Column(192, S), 94);
  EXPECT_EQ(Row(16384), 76);
  EXPECT_TRUE(SamePicture(Image, Expected, "points"));
  EXPECT_EQ(Image.pixel(94, 76) & 0xFFFFFF, ColorToQRgb(clRed));
  EXPECT_EQ(Image.pixel(95, 76) & 0xFFFFFF, 0u);
}

TEST_F(ChannelDraw, FlatLineCoversEveryColumnIncludingTheLast) {
  Load(std::vector<double>(1024, 16384));
  Draw(0, 1023);
  QImage Expected = Blank();
  Fill(Expected, 0, 76, W, 77, clRed);
  EXPECT_TRUE(SamePicture(Image, Expected, "flat_line"));
}

// A NaN leaves a gap in the line; infinities run to the picture's edge.
TEST_F(ChannelDraw, NonFiniteSamples) {
  const double NaN = std::numeric_limits<double>::quiet_NaN();
  const double Inf = std::numeric_limits<double>::infinity();
  Load({0, 0, NaN, 0, 0});
  Draw(0, 4);
  QImage Expected = Blank();
  // Samples 0, 1 (columns 0..126) and 3, 4 (columns 378..504); none between.
  Fill(Expected, 0, 152, 127, 153, clRed);
  Fill(Expected, 378, 152, W, 153, clRed);
  EXPECT_TRUE(SamePicture(Image, Expected, "nan_gap"));

  Image = Blank();
  Canvas.SetImage(&Image);
  Load({0, Inf, 0, -Inf, 0});
  Draw(0, 4);
  // Values beyond every edge: the lines from the neighbours leave the
  // picture almost vertically, at the top for +inf and the bottom for -inf.
  for (const TPoint P : {TPoint{0, 0}, TPoint{252, 0}, TPoint{252, H - 1}, TPoint{504, H - 1}})
    EXPECT_EQ(Image.pixel(P.X, P.Y) & 0xFFFFFF, ColorToQRgb(clRed)) << P.X << "," << P.Y;
  EXPECT_EQ(Image.pixel(126, 0) & 0xFFFFFF, 0u);
}

TEST_F(ChannelDraw, EmptyChannelDrawsNothing) {
  Load({});
  Draw(0, 1023);
  EXPECT_TRUE(SamePicture(Image, Blank(), "empty"));
  Channel->SetVisible(false);
  Load({1, 2, 3});
  Draw(0, 2);
  EXPECT_TRUE(SamePicture(Image, Blank(), "hidden"));
}

// One sample in a range of one value sits in the middle of the plot.
TEST_F(ChannelDraw, SingleSampleInAZeroRange) {
  Load({0});
  Channel->SetChannelMode(cmPoint);
  Draw(0, 0);
  QImage Expected = Blank();
  Put(Expected, 252, 152, clRed);
  EXPECT_TRUE(SamePicture(Image, Expected, "single"));
}

TEST_F(ChannelDraw, BarsFromTheZeroLineAndFromTheBottom) {
  const std::vector<double> Y = {16384, -16384, 8192, 0};
  Load(Y);
  Channel->SetChannelMode(cmBar);
  Channel->SetWidth(4);
  int Calls = 0;
  Channel->OnSampleDraw.Fn = [&](TObject *Sender, double X, double V, TCanvas *&, bool,
                                 bool &DefaultDraw) {
    EXPECT_EQ(Sender, Channel);
    EXPECT_EQ(V, Y[static_cast<size_t>(X)]);
    ++Calls;
    DefaultDraw = X != 2; // the third bar is left out
  };
  Draw(0, 3);
  EXPECT_EQ(Calls, 4);
  QImage Expected = Blank();
  // Width 4: columns x - 2 .. x + 1; zero line Z = 152.
  const int32_t X0 = 0, X1 = 168, X3 = 504;
  Fill(Expected, X0 - 2, Row(16384), X0 + 2, 153, clRed); // up from the zero line
  Fill(Expected, X1 - 2, 152, X1 + 2, Row(-16384) + 1, clRed);
  Fill(Expected, X3 - 2, 152, X3 + 2, 153, clRed); // a zero value: the zero row
  EXPECT_TRUE(SamePicture(Image, Expected, "bars_zero"));

  Image = Blank();
  Canvas.SetImage(&Image);
  Channel->OnSampleDraw.Clear();
  Channel->SetShadeMode(csmBottom);
  Channel->SetWidth(1);
  Draw(0, 3);
  Expected = Blank();
  const int32_t X2 = 336;
  // The base is Rect.Bottom + 1 = 304: down to the last row.
  Fill(Expected, X0, Row(16384), X0 + 1, H, clRed);
  Fill(Expected, X1, Row(-16384), X1 + 1, H, clRed);
  Fill(Expected, X2, Row(8192), X2 + 1, H, clRed);
  Fill(Expected, X3, Row(0), X3 + 1, H, clRed);
  EXPECT_TRUE(SamePicture(Image, Expected, "bars_bottom"));
}

TEST_F(ChannelDraw, StarAndSquareSymbols) {
  Load({0, 16384});
  Channel->SetChannelMode(cmPoint);
  Channel->GetPoints()->SetVisible(true);
  Channel->GetPoints()->SetShape(psStar);
  Channel->GetPoints()->SetSize(2);
  Draw(0, 1);
  QImage Expected = Blank();
  for (const TPoint P : {TPoint{0, 152}, TPoint{504, 76}})
    for (int K = -2; K <= 2; ++K) {
      Put(Expected, P.X + K, P.Y, clRed); // plus
      Put(Expected, P.X, P.Y + K, clRed);
      Put(Expected, P.X + K, P.Y + K, clRed); // cross
      Put(Expected, P.X - K, P.Y + K, clRed);
    }
  EXPECT_TRUE(SamePicture(Image, Expected, "star"));

  Image = Blank();
  Canvas.SetImage(&Image);
  Channel->GetPoints()->SetShape(psSquare);
  Channel->GetPoints()->SetUseChannelColor(false);
  Channel->GetPoints()->GetPen()->SetColor(clLime);
  Channel->GetPoints()->GetBrush()->SetColor(clLime);
  Draw(0, 1);
  Expected = Blank();
  Fill(Expected, -2, 150, 3, 155, clLime);
  Fill(Expected, 502, 74, 507, 79, clLime);
  EXPECT_TRUE(SamePicture(Image, Expected, "square"));
  // The canvas gets its pen and brush back.
  EXPECT_EQ(Canvas.Pen()->GetColor(), clRed);
}

// Highlighted, a width-3 line is drawn with a 5-pixel pen in the highlight
// colour; the normal curve over it keeps 3 rows.
TEST_F(ChannelDraw, HighlightedLineIsWiderInTheHighlightColour) {
  Load(std::vector<double>(64, 16384));
  Channel->SetWidth(3);
  Channel->Draw(&Canvas, Rect, 0, 63, 0, 0, false, YOffset, YScale);
  Channel->PlotChannelData(&Canvas, true, Rect, YOffset, Channel->GetDrawY(),
                           Channel->GetDrawX()->Read());
  Canvas.Flush();
  EXPECT_EQ(Canvas.Pen()->GetWidth(), 5);
  Channel->PlotChannelData(&Canvas, false, Rect, YOffset, Channel->GetDrawY(),
                           Channel->GetDrawX()->Read());
  Canvas.Flush();
  std::vector<TColor> Column;
  for (int Y = 72; Y <= 80; ++Y)
    Column.push_back(QRgbToColor(Image.pixel(250, Y) & 0xFFFFFF));
  EXPECT_EQ(Column,
            (std::vector<TColor>{Black, Black, clAqua, clRed, clRed, clRed, clAqua, Black, Black}));
}

TEST_F(ChannelDraw, VerticalScopeSwapsTheAxes) {
  Scope->Vertical = true;
  const TRect Tall{0, 0, H, W - 1};
  const std::vector<double> Y = {0, 16384, -16384};
  Load(Y);
  Channel->SetChannelMode(cmPoint);
  QImage Picture(H, W, QImage::Format_RGB32);
  Picture.fill(0);
  Canvas.SetImage(&Picture);
  Channel->Draw(&Canvas, Tall, 0, 2, 0, 0, false, YOffset, YScale);
  Canvas.Flush();
  QImage Expected(H, W, QImage::Format_RGB32);
  Expected.fill(0);
  // Along X: rows rnd(i (L - 1) / 2) with L = 504; along Y: columns
  // C - rnd(v x YScale) with C = Right - YOffset - 1 = 152 (larger values
  // to the left).
  for (int32_t I = 0; I < 3; ++I)
    Put(Expected, 152 - static_cast<int32_t>(std::nearbyint(Y[I] * YScale)), Column(I, 3, W - 1),
        clRed);
  EXPECT_TRUE(SamePicture(Picture, Expected, "vertical"));
}

TEST_F(ChannelDraw, LogarithmicValuesMirrorAroundZero) {
  Load({0, 99, -99, 9999});
  Channel->Draw(&Canvas, Rect, 0, 3, 0, 0, true, YOffset, 10);
  const int32_t *PY = Channel->GetPixelY()->Read();
  EXPECT_EQ(PY[0], 152);
  EXPECT_EQ(PY[1], 152 - 20);
  EXPECT_EQ(PY[2], 152 + 20);
  EXPECT_EQ(PY[3], 152 - 40);
  EXPECT_EQ(Channel->GetPixelBounds(), (TRect{0, 112, 504, 172}));
}

// X pixels are computed again only when the count, length, origin or X
// range changes, not for new values.
TEST_F(ChannelDraw, XPixelsAreCachedWhileTheGeometryStays) {
  Load({1, 2, 3, 4});
  Draw(0, 3);
  const uint32_t First = Channel->GetPixelXComputations();
  Load({4, 3, 2, 1});
  Draw(0, 3);
  EXPECT_EQ(Channel->GetPixelXComputations(), First);
  Draw(0, 2);
  EXPECT_EQ(Channel->GetPixelXComputations(), First + 1);
  Load({1, 2, 3, 4, 5});
  Draw(0, 2);
  EXPECT_EQ(Channel->GetPixelXComputations(), First + 2);
  Draw(0, 0); // a zero range stays cached as given
  Draw(0, 0);
  EXPECT_EQ(Channel->GetPixelXComputations(), First + 3);
}

// New X values of the same count over the same range move the pixels; a
// ramp replaced by a ramp leaves them standing.
TEST_F(ChannelDraw, NewXValuesOverTheSameRangeMoveThePixels) {
  auto LoadXY = [&](std::vector<double> X, std::vector<double> Y) {
    Channel->GetVC_Data()->SetXYData(X.data(), Y.data(), static_cast<uint32_t>(X.size()));
    Scope->Refresh();
  };
  LoadXY({0, 1, 2, 3}, {1, 2, 3, 4});
  Draw(0, 3);
  const int32_t Before = Channel->GetPixelX()->Read()[1];
  const uint32_t First = Channel->GetPixelXComputations();
  LoadXY({0, 2.5, 2.75, 3}, {1, 2, 3, 4});
  Draw(0, 3);
  EXPECT_EQ(Channel->GetPixelXComputations(), First + 1);
  EXPECT_EQ(Channel->GetPixelX()->Read()[1], Channel->GetPixelX()->Read()[3] * 5 / 6);
  EXPECT_GT(Channel->GetPixelX()->Read()[1], Before);
  Load({4, 3, 2, 1}); // back on a ramp
  Draw(0, 3);
  EXPECT_EQ(Channel->GetPixelX()->Read()[1], Before);
  Load({1, 1, 1, 1});
  Draw(0, 3);
  EXPECT_EQ(Channel->GetPixelXComputations(), First + 2);
}

// The draw handler sees the draw data and whether it changed; it cannot make
// the scope repaint; a handler that throws costs only its own channel.
TEST_F(ChannelDraw, ChannelDrawHandler) {
  Load({5, 6});
  std::vector<bool> Changed;
  Channel->OnChannelDraw.Fn = [&](TObject *Sender, int32_t Index, const double *Data, int32_t Size,
                                  bool WasChanged) {
    EXPECT_EQ(Sender, Scope.get());
    EXPECT_EQ(Index, 0);
    EXPECT_EQ(Size, 2);
    EXPECT_EQ(Data[1], 6);
    Changed.push_back(WasChanged);
    Channel->SetColor(clLime);
    Scope->Invalidate();
  };
  Scope->ResetCounts();
  Draw(0, 1);
  Draw(0, 1);
  EXPECT_EQ(Changed, (std::vector<bool>{true, false}));
  EXPECT_EQ(Scope->Invalidations + Scope->Recalcs, 0);
  EXPECT_FALSE(Scope->NoInvalidate);

  Image = Blank();
  Canvas.SetImage(&Image);
  Channel->OnChannelDraw.Fn = [](TObject *, int32_t, const double *, int32_t, bool) {
    throw std::runtime_error("handler");
  };
  Channel->SetWidth(7);
  EXPECT_NO_THROW(Draw(0, 1));
  EXPECT_TRUE(SamePicture(Image, Blank(), "throwing_handler"));
  EXPECT_FALSE(Scope->NoInvalidate);
  EXPECT_EQ(Canvas.Pen()->GetWidth(), 1);
}

} // namespace
