#include <cmath>
#include <limits>
#include <type_traits>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/Component.h"
#include "platform/classlib/FormStream.h"
#include "platform/gui/Application.h"
#include "scope/SLAxes.h"
#include "scope/SLLabels.h"
#include "tests/support/Pictures.h"

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

ISLRealBufferPtr Buffer(const std::vector<double> &Values) {
  ISLRealBufferPtr B(com::MakeCom<TSLRealBuffer>());
  B->Resize(static_cast<uint32_t>(Values.size()), false);
  double *D = B->Write();
  for (size_t I = 0; I < Values.size(); ++I)
    D[I] = Values[I];
  return B;
}

// The scope control as the axes see it: a data view rectangle, a canvas with
// fixed text metrics (characters 6 wide, cells 10 high), a zoom flag, the
// chart's ranges and a list of channels.
class TFakeChart : public ISLAxisChart {
public:
  TFakeChart() : Bitmap(300, 200), Fixed(6, 8, 2) { Bitmap.Canvas()->SetTextRenderer(&Fixed); }

  void Invalidate() override { ++Invalidations; }
  void InvalidateRecalc() override { ++Recalcs; }
  void SetRecalcRects() override {}
  void InvalidateViewRect(const TRect &) override { ++ViewInvalidations; }
  TCanvas *GetCanvas() override { return Bitmap.Canvas(); }
  bool GetIsVertical() override { return Vertical; }
  bool IsDesigning() override { return false; }
  int32_t GetPlotWidth() override { return Bitmap.GetWidth(); }
  TRect GetDataViewRect() override { return DataView; }
  TPoint GetMouseClientPos() override { return Mouse; }
  TSLScopeXAxis *GetXAxis() override { return X; }
  TSLScopeYAxis *GetYAxis() override { return Y; }
  bool IsZoomed() override { return Zoomed; }
  void SetZoomed() override { Zoomed = true; }
  void SaveUndoZoom(bool) override { ++UndoSaves; }
  void ZoomBy(double X, double Y, bool) override { LastZoom = {X, Y}; }
  void MouseWheelZoom(TPoint, double X, double Y) override { LastWheel = {X, Y}; }
  void ZoomChanged(TSLZoomOperation) override { ++ZoomChanges; }
  double CalcMinTime() override { return 0; }
  double CalcMaxTime() override { return MaxTime; }
  double CalcMinFreq() override { return 0; }
  double CalcMaxFreq() override { return MaxFreq; }
  double GetMinXValue() override { return MinX; }
  double GetMaxXValue() override { return MaxX; }
  double GetSampleRate() override { return SampleRate; }
  bool GetChannelsInFreqencyDomain() override { return FreqDomain; }
  bool GetChannelsInIntensityDomain() override { return false; }
  void InvalidateSamples() override { ++SampleInvalidations; }
  void InvalidateTimeFreqCaches() override {}
  void UpdateCursors() override {}
  int32_t GetAxisChannelCount() override { return static_cast<int32_t>(Channels.size()); }
  bool IsAxisChannelVisible(int32_t) override { return true; }
  ISLRealBufferPtr GetAxisChannelDrawX(int32_t I) override { return ChannelsX[size_t(I)]; }
  ISLRealBufferPtr GetAxisChannelDrawY(int32_t I) override { return Channels[size_t(I)]; }

  TBitmap Bitmap;
  TFixedTextRenderer Fixed;
  bool Vertical = false;
  TRect DataView{40, 0, 300, 170};
  TPoint Mouse{-1000, -1000};
  TSLScopeXAxis *X = nullptr;
  TSLScopeYAxis *Y = nullptr;
  bool Zoomed = false;
  double MaxTime = 0, MaxFreq = 0, MinX = 0, MaxX = 0, SampleRate = 10000;
  bool FreqDomain = false;
  std::vector<ISLRealBufferPtr> Channels, ChannelsX;
  int Invalidations = 0, Recalcs = 0, ViewInvalidations = 0, UndoSaves = 0, ZoomChanges = 0,
      SampleInvalidations = 0;
  // The control's factors of the last zoom button and wheel step: X, Y.
  std::pair<double, double> LastZoom{0, 0}, LastWheel{0, 0};
};

// A component that publishes the two axes as the scope does.
class TAxisHost : public TComponent {
  CLASSLIB_CLASS(TAxisHost)

public:
  explicit TAxisHost(TComponent *Owner) : TComponent(Owner) {
    Chart.X = &X;
    Chart.Y = &Y;
  }
  TSLScopeXAxis *GetXAxis() { return &X; }
  TSLScopeYAxis *GetYAxis() { return &Y; }
  TFakeChart Chart;
  TSLScopeXAxis X{&Chart};
  TSLScopeYAxis Y{&Chart};
};

} // namespace

const TClassInfo &TAxisHost::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TAxisHost>(
      "TAxisHost", &TComponent::StaticClassInfo(), [](TClassBuilder<TAxisHost> &c) {
        c.Object("XAxis", &TAxisHost::GetXAxis);
        c.Object("YAxis", &TAxisHost::GetYAxis);
      });
  return info;
}

namespace {

TEST(AxesStreamTest, TheRecordersAxisSettingsLoadFromFormText) {
  gui::Application();
  TAxisHost *Host = CreateObject<TAxisHost>(nullptr);
  LoadFormText(Host, "object Host: TAxisHost\n"
                     "  XAxis.Visible = False\n"
                     "  XAxis.MinorTicks.Count = 0\n"
                     "  XAxis.Font.Height = -11\n"
                     "  XAxis.Font.Color = clWhite\n"
                     "  XAxis.Color = clLime\n"
                     "  XAxis.TrackColor = 255\n"
                     "  XAxis.AxisLabel.Font.Height = -13\n"
                     "  XAxis.AxisLabel.Font.Style = [fsBold]\n"
                     "  XAxis.FixedPrecision = False\n"
                     "  XAxis.TicksMode = atmTime\n"
                     "  XAxis.UnitScale.Exponent = 0\n"
                     "  XAxis.Min.Tick.Value = 0\n"
                     "  XAxis.Min.Value = 0\n"
                     "  XAxis.Max.Tick.Value = 1024\n"
                     "  XAxis.Max.Value = 1024\n"
                     "  YAxis.Visible = False\n"
                     "  YAxis.AxisLabel.Text = 'Amplitude'\n"
                     "  YAxis.FixedPrecision = True\n"
                     "  YAxis.Logarithmic = False\n"
                     "  YAxis.AutoScaling.Enabled = False\n"
                     "end\n");
  EXPECT_FALSE(Host->X.GetVisible());
  EXPECT_EQ(Host->X.GetTicksMode(), atmTime);
  EXPECT_EQ(Host->X.GetFont()->GetHeight(), -11);
  EXPECT_EQ(Host->X.GetFont()->GetColor(), clWhite);
  EXPECT_EQ(Host->X.GetColor(), clLime);
  EXPECT_EQ(Host->X.GetTrackColor(), clRed);
  EXPECT_TRUE(Host->X.GetAxisLabel()->GetFont()->HasStyle(fsBold));
  EXPECT_EQ(Host->X.GetMax()->GetValue(), 1024);
  EXPECT_EQ(Host->Y.GetAxisLabelText(), "Amplitude");
  EXPECT_TRUE(Host->Y.GetFixedPrecision());
  EXPECT_FALSE(Host->Y.GetAutoScaling()->GetEnabled());
  // "MinMax" is read into the range without its setters.
  int Recalcs = Host->Chart.Recalcs;
  LoadFormText(Host, "object Host: TAxisHost\n  YAxis.MinMax = (\n    -32768\n    32768)\nend\n");
  EXPECT_EQ(Host->Y.GetMin(), -32768);
  EXPECT_EQ(Host->Y.GetMax(), 32768);
  EXPECT_EQ(Host->Chart.Recalcs, Recalcs);
  // Written back as "MinMax", never as Min and Max.
  Host->SetName("Host");
  std::string Text = WriteFormText(Host);
  EXPECT_NE(Text.find("YAxis.MinMax"), std::string::npos) << Text;
  EXPECT_EQ(Text.find("YAxis.Min ="), std::string::npos) << Text;
  EXPECT_NE(Text.find("XAxis.Color = clLime"), std::string::npos) << Text;
  EXPECT_NE(Text.find("XAxis.Font.Color = clWhite"), std::string::npos) << Text;
  EXPECT_EQ(Text.find("XAxis.TrackColor"), std::string::npos) << Text; // the default
  FreeObject(Host);
}

class TAxesTest : public ::testing::Test {
protected:
  void SetUp() override {
    gui::Application();
    Chart.X = &XAxis;
    Chart.Y = &YAxis;
    YAxis.GetAutoScaling()->SetEnabled(false);
  }
  TFakeChart Chart;
  TSLScopeXAxis XAxis{&Chart};
  TSLScopeYAxis YAxis{&Chart};
};

// An axis whose data and scale ranges the test sets, counting its reads.
class TPlainAxis : public TSLDisplayAxis {
public:
  using TSLDisplayAxis::TSLDisplayAxis;
  double FullMin = 0, FullMax = 0, ZoomMin = 0, ZoomMax = 0, ScaleMin = 0, ScaleMax = 0;
  TPoint GetDefaultSize() override { return {}; }
  TAlign GetAlign() override { return alLeft; }
  int32_t GetDimentionLength() override { return 100; }
  double GetRangeWidth(bool) override { return 1; }
  int32_t GetMinScaleLineDistance() override { return 20; }
  double Step = 1;
  double GetStep() override { return Step; }
  bool GetIsVertical() override { return true; }
  void ZoomIn() override {}
  void ZoomOut() override {}
  double GetDataFullMin() override { return FullMin; }
  double GetDataFullMax() override { return FullMax; }
  double GetDataZoomedMin() override { return ZoomMin; }
  double GetDataZoomedMax() override { return ZoomMax; }
  double GetScaleFullMin() override { return ScaleMin; }
  double GetScaleFullMax() override { return ScaleMax; }
  std::string GetTickText(double Value) override { return CustomLabel(Value, "t"); }
};

TEST(DisplayAxisTest, ReversedHorizontalTicksRunFromRightToLeft) {
  gui::Application();
  TFakeChart Chart;
  TPlainAxis A(&Chart);
  A.SetRect({40, 170, 300, 200});
  A.FullMin = A.ZoomMin = A.ScaleMin = 0;
  A.FullMax = A.ZoomMax = A.ScaleMax = 100;
  A.Step = 25;
  A.GetMinorTicks()->SetCount(1); // every second tick (12.5 apart) is a minor one
  TCanvas *C = Chart.GetCanvas();
  struct TCase {
    bool All;
    std::vector<double> Values;
  };
  // Without All only the ends of the full range: 0, and what lies within a
  // step of its maximum (87.5 minor, 100).
  const TCase Cases[] = {{true, {0, 12.5, 25, 37.5, 50, 62.5, 75, 87.5, 100}},
                         {false, {0, 87.5, 100}}};
  for (const TCase &K : Cases) {
    C->Brush()->SetColor(clBlack);
    C->FillRect({0, 0, 300, 200});
    A.DrawLeftTicksV(C, K.All);
    TExpectedPicture E(300, 200, clBlack);
    if (K.All)
      E.HLine(40, 299, 175, clWhite); // the axis line, right end left out
    for (double V : K.Values) {
      // From the data view's Right (one past its last column) leftwards.
      int32_t X = 300 - SLRoundPixel(V * 259 / 100);
      bool Minor = std::fmod(V, 25) != 0;
      E.VLine(X, 175, Minor ? 179 : 181, clWhite);
      if (!Minor)
        E.Frame(X - 3, 184, X + 3, 194, clWhite);
    }
    EXPECT_TRUE(PicturesEqual(Chart.Bitmap.Image(), E.Image(),
                              K.All ? "axes-reversed-x-all" : "axes-reversed-x-ends"));
  }
}

TEST(DisplayAxisTest, CachedValuesAreComputedOnceUntilInvalidated) {
  TFakeChart Chart;
  TPlainAxis A(&Chart);
  A.FullMin = 3;
  EXPECT_EQ(A.GetDataFullMinRead(), 3);
  A.FullMin = 4;
  EXPECT_EQ(A.GetDataFullMinRead(), 3);
  EXPECT_EQ(A.CacheFills(0), 1);
  A.InvalidateMinMaxCache();
  EXPECT_EQ(A.GetDataFullMinRead(), 4);
  EXPECT_EQ(A.CacheFills(0), 2);
}

TEST(DisplayAxisTest, ZoomedScaleIsProportionalToTheZoomedData) {
  TFakeChart Chart;
  TPlainAxis A(&Chart);
  A.FullMin = 0;
  A.FullMax = 1000;
  A.ScaleMin = 0;
  A.ScaleMax = 0.1;
  A.ZoomMin = 200;
  A.ZoomMax = 400;
  EXPECT_DOUBLE_EQ(A.GetScaleZoomedMinRead(), 0.02);
  EXPECT_DOUBLE_EQ(A.GetScaleZoomedMaxRead(), 0.04);
  // A flat data range: the zoomed data range widened by one on each side.
  A.FullMin = A.FullMax = A.ZoomMin = A.ZoomMax = 5;
  A.InvalidateMinMaxCache();
  EXPECT_EQ(A.GetScaleZoomedMinRead(), 4);
  EXPECT_EQ(A.GetScaleZoomedMaxRead(), 6);
}

TEST(DisplayAxisTest, CustomLabelHandlerChangesTheTextAndSetTickTextWins) {
  TFakeChart Chart;
  TPlainAxis A(&Chart);
  EXPECT_EQ(A.GetTickText(1), "t");
  TSLCustomAxisLabelEvent Rename;
  Rename.Fn = [](TObject *, double V, std::string &Label) { Label += std::to_string(int(V)); };
  A.SetOnCustomLabel(Rename);
  EXPECT_EQ(A.GetTickText(7), "t7");
  TSLCustomAxisLabelEvent Both;
  Both.Fn = [&A](TObject *, double, std::string &Label) {
    A.SetTickText("set");
    Label = "changed";
  };
  A.SetOnCustomLabel(Both);
  EXPECT_EQ(A.GetTickText(7), "set");
}

TEST(AxisNumbersTest, DecimalPointsOfALabel) {
  struct TCase {
    double Span;
    bool Fixed;
    int32_t Decimals;
  };
  const TCase Cases[] = {{2000, false, 0}, {2, false, 2},   {0.5, false, 3},
                         {0.05, false, 4}, {0, false, 1},   {2000, true, 3},
                         {0.05, true, 3},  {Inf, false, 0}, {NaN, false, 0}};
  for (const TCase &K : Cases)
    EXPECT_EQ(SLGetDecimalPoints(0, K.Span, 3, K.Fixed), K.Decimals) << K.Span << " " << K.Fixed;
  EXPECT_EQ(SLGetDecimalPoints(0, 5, 0, false), 0);
}

TEST(AxisNumbersTest, TickTexts) {
  struct TCase {
    double Value;
    int32_t Decimals, Precision;
    bool Fixed;
    const char *Text;
  };
  const TCase Cases[] = {
      {12.5, 3, 3, true, "12.500"},     {12.4, 0, 3, false, "12"},
      {-0.25, 2, 3, false, "-0.25"},    {1.23456e20, 5, 2, true, "1.23E+20"},
      {1.5e20, 1, 3, false, "1.5E+20"}, {NaN, 2, 3, false, "NAN"},
      {-Inf, 2, 3, false, "-INF"},
  };
  for (const TCase &K : Cases)
    EXPECT_EQ(SLFormatTickText(K.Value, K.Decimals, K.Precision, K.Fixed), K.Text) << K.Value;
}

TEST(AxisNumbersTest, TimeAndFrequencyUnits) {
  EXPECT_EQ(SLTimeUnitExponent(44100, 1024), 3); // log10(43066) = 4.63
  EXPECT_EQ(SLTimeUnitExponent(8000, 10), 3);
  EXPECT_EQ(SLFreqUnitExponent(44100), 3);
  EXPECT_DOUBLE_EQ(SLCalcMaxTime(44100, 1024, 3), 1023.0 / 44100 * 1000);
  EXPECT_DOUBLE_EQ(SLCalcMaxFreq(44100, 3), 22.05);
  // No rate, no finite logarithm: exponent 0 and an empty range.
  EXPECT_EQ(SLTimeUnitExponent(0, 1024), 0);
  EXPECT_EQ(SLTimeUnitExponent(NaN, 1024), 0);
  EXPECT_EQ(SLFreqUnitExponent(-5), 0);
  EXPECT_EQ(SLCalcMaxTime(NaN, 1024, 0), 0);
  EXPECT_EQ(SLCalcMaxFreq(0, 0), 0);
  struct TCase {
    int32_t E;
    const char *Time, *Freq;
  };
  const TCase Cases[] = {{0, "Sec", "Hz"},
                         {3, "mSec", "kHz"},
                         {6, "uSec", "MHz"},
                         {9, "nSec", "GHz"},
                         {-3, "Sec (E3)", "mHz"},
                         {-9, "Sec (E9)", "nHz"},
                         {12, "Sec (E-12)", "Hz (E-12)"}};
  for (const TCase &K : Cases) {
    EXPECT_EQ(SLTimeUnitCaption(K.E), K.Time) << K.E;
    EXPECT_EQ(SLFreqUnitCaption(K.E), K.Freq) << K.E;
  }
}

TEST_F(TAxesTest, XCaptionsFollowTheTicksMode) {
  struct TCase {
    TSLDisplayAxisTicksMode Mode;
    bool AutoUnit;
    int32_t Exponent;
    double Rate;
    int32_t Samples;
    const char *Caption;
  };
  const TCase Cases[] = {
      {atmTime, true, 0, 44100, 1024, "mSec"},
      {atmTime, true, 0, 8000, 10, "mSec"},
      {atmFrequency, true, 0, 44100, 1024, "kHz"},
      {atmTime, false, 12, 44100, 1024, "Sec (E-12)"},
      {atmFrequency, false, 12, 44100, 1024, "Hz (E-12)"},
      {atmTime, false, 0, 44100, 1024, "Sec"},
      {atmManual, true, 0, 44100, 1024, "X Axis"},
      {atmIntensity, true, 0, 44100, 1024, "Intensity"},
      {atmBufferSamples, true, 0, 44100, 1024, "Samples"},
  };
  for (const TCase &K : Cases) {
    XAxis.SetTicksMode(K.Mode);
    XAxis.GetUnitScale()->SetAutoScale(K.AutoUnit);
    XAxis.GetUnitScale()->SetExponent(K.Exponent);
    Chart.SampleRate = K.Rate;
    XAxis.SetSamples(K.Samples);
    EXPECT_EQ(XAxis.GetAxisLabelText(), K.Caption) << int(K.Mode) << " " << K.Rate;
  }
  XAxis.GetAxisLabel()->SetText("Time");
  EXPECT_EQ(XAxis.GetAxisLabelText(), "Time");
}

TEST_F(TAxesTest, XDataRangeFromTheChartOrTheFixedLimits) {
  XAxis.SetTicksMode(atmBufferSamples);
  XAxis.SetSamples(0);
  EXPECT_EQ(XAxis.GetVC_Samples(), 1024);
  Chart.MinX = 2;
  Chart.MaxX = 2047;
  XAxis.InvalidateMinMaxCache();
  EXPECT_EQ(XAxis.GetDataFullMinRead(), 2);
  EXPECT_EQ(XAxis.GetDataFullMaxRead(), 2047);
  XAxis.GetMin()->SetAutosize(false);
  XAxis.GetMin()->SetValue(10);
  XAxis.GetMax()->SetAutosize(false);
  XAxis.GetMax()->SetValue(500);
  EXPECT_EQ(XAxis.GetDataFullMinRead(), 10);
  EXPECT_EQ(XAxis.GetDataFullMaxRead(), 500);
  // The time axis takes the chart's time range.
  XAxis.SetTicksMode(atmTime);
  XAxis.GetMax()->SetAutosize(true);
  Chart.MaxTime = 23.2;
  XAxis.InvalidateMinMaxCache();
  EXPECT_DOUBLE_EQ(XAxis.GetDataFullMaxRead(), 23.2);
}

TEST_F(TAxesTest, XDragStopsAtTheFullRange) {
  XAxis.SetTicksMode(atmBufferSamples);
  Chart.MinX = 0;
  Chart.MaxX = 1000;
  Chart.Zoomed = true;
  XAxis.IntZoomTo(100, 300);
  EXPECT_EQ(XAxis.GetDataZoomedMinRead(), 100);
  // Data view 260 wide (width 259): dragging right by 259 pixels would move
  // the window by its own width to the left, past the start.
  XAxis.MouseDown(mbLeft, 0, 50, 50, true);
  XAxis.MouseMove(ssLeft, 50 + 259, 50);
  EXPECT_EQ(XAxis.GetDataZoomedMinRead(), 0);
  EXPECT_EQ(XAxis.GetDataZoomedMaxRead(), 200);
  XAxis.MouseMove(ssLeft, 50 - 2000, 50);
  EXPECT_EQ(XAxis.GetDataZoomedMaxRead(), 1000);
  EXPECT_EQ(XAxis.GetDataZoomedMinRead(), 800);
  XAxis.MouseUp(mbLeft, 0, 0, 0, true);
}

TEST_F(TAxesTest, SampleWindowSurvivesAZeroDataRange) {
  XAxis.SetTicksMode(atmBufferSamples);
  Chart.MinX = Chart.MaxX = 7;
  Chart.Zoomed = true;
  XAxis.IntZoomTo(1, 2);
  EXPECT_EQ(XAxis.ScaleToSample(5), 0);
  EXPECT_EQ(XAxis.GetMinSample(), 0);
  EXPECT_EQ(XAxis.GetMaxSample(), 1024);
  EXPECT_EQ(XAxis.SampleToScale(5), 0);
}

TEST_F(TAxesTest, DisplayXAxisLabelsTheNearestInteger) {
  class TX : public TSLDisplayXAxis {
  public:
    using TSLDisplayXAxis::TSLDisplayXAxis;
    double GetDataFullMin() override { return 0; }
    double GetDataFullMax() override { return 1; }
  } X(&Chart);
  EXPECT_EQ(X.GetTickText(2.6), "3");
  EXPECT_EQ(X.GetTickText(2.5), "2"); // halves to the even neighbour
  EXPECT_EQ(X.GetTickText(-3.7), "-4");
}

// The two axes do alike what they share, each on its own dimension: the
// zoom buttons and the wheel scale only their own axis, and a left-button
// drag moves the zoomed range along the axis's screen direction, the Y
// axis's turned unless it is reversed, and only the X range held to the data.
struct TDragCase {
  TSLAxisKind Kind;
  bool Vertical, Reversed;
  int32_t Pixels, Length; // the drag counted along the axis, and the view's extent
};

class TAxisTwins : public TAxesTest, public ::testing::WithParamInterface<TDragCase> {
protected:
  void SetUp() override {
    TAxesTest::SetUp();
    XAxis.SetTicksMode(atmBufferSamples);
    Chart.MinX = 0;
    Chart.MaxX = 1000;
    YAxis.SetMin(-1000);
    YAxis.SetMax(1000);
  }
  template <class A> A &Axis() {
    if constexpr (std::is_same_v<A, TSLScopeXAxis>)
      return XAxis;
    else
      return YAxis;
  }
  // The zoomed range 400..600 (X) or -100..100 (Y) dragged by (DX, DY)
  // pixels; the new zoom minimum.
  template <class A> double DragBy(int32_t DX, int32_t DY) {
    A &Ax = Axis<A>();
    Ax.SetReversed(GetParam().Reversed);
    Chart.Zoomed = true;
    if constexpr (std::is_same_v<A, TSLScopeXAxis>)
      Ax.IntZoomTo(400, 600);
    else
      Ax.IntZoomTo(-100, 100);
    Ax.MouseDown(mbLeft, 0, 100, 100, true);
    Ax.MouseMove(ssLeft, 100 + DX, 100 + DY);
    Ax.MouseUp(mbLeft, 0, 100 + DX, 100 + DY, true);
    EXPECT_DOUBLE_EQ(Ax.GetZoomMax() - Ax.GetZoomMin(), 200);
    return Ax.GetZoomMin();
  }
};

TEST_P(TAxisTwins, ZoomButtonsWheelAndDragOnTheirOwnDimension) {
  const TDragCase C = GetParam();
  Chart.Vertical = C.Vertical;
  const bool IsX = C.Kind == TSLAxisKind::X;
  TSLDisplayXYAxis &Ax = IsX ? static_cast<TSLDisplayXYAxis &>(XAxis) : YAxis;
  EXPECT_EQ(Ax.GetIsVertical(), IsX == C.Vertical);
  auto Own = [IsX](double F) { return IsX ? std::pair{F, 1.0} : std::pair{1.0, F}; };
  Ax.ZoomIn();
  EXPECT_EQ(Chart.LastZoom, Own(0.5));
  Ax.ZoomOut();
  EXPECT_EQ(Chart.LastZoom, Own(2.0));
  Ax.MouseWheelDown(0, {});
  EXPECT_EQ(Chart.LastWheel, Own(1.1));
  Ax.MouseWheelUp(0, {});
  EXPECT_EQ(Chart.LastWheel, Own(0.9));

  // The drag: 10 pixels right and 20 down; the axis counts the one along
  // its own screen direction.
  const double Start = IsX ? 400 : -100;
  const double Moved = IsX ? DragBy<TSLScopeXAxis>(10, 20) : DragBy<TSLScopeYAxis>(10, 20);
  EXPECT_DOUBLE_EQ(Moved, Start - 200.0 * C.Pixels / C.Length);
  // Far past the data: the X range stops at its start, the Y range goes on
  // past either end.
  const double Far = IsX ? DragBy<TSLScopeXAxis>(5000, 5000) : DragBy<TSLScopeYAxis>(5000, 5000);
  if (IsX)
    EXPECT_EQ(Far, 0);
  else
    EXPECT_GT(std::fabs(Far), 1000);
}

// The data view is 259 pixels wide and 169 high (less one each way).
INSTANTIATE_TEST_SUITE_P(BothAxesBothOrientations, TAxisTwins,
                         ::testing::Values(TDragCase{TSLAxisKind::X, false, false, 10, 259},
                                           TDragCase{TSLAxisKind::X, false, true, 10, 259},
                                           TDragCase{TSLAxisKind::X, true, false, 20, 169},
                                           TDragCase{TSLAxisKind::Y, false, false, -20, 169},
                                           TDragCase{TSLAxisKind::Y, false, true, 20, 169},
                                           TDragCase{TSLAxisKind::Y, true, false, -10, 259},
                                           TDragCase{TSLAxisKind::Y, true, true, 10, 259}));

// Snapping follows each axis's own values: X values for the X axis, Y
// values for the Y axis.
TEST_F(TAxesTest, EachAxisSnapsToItsOwnValues) {
  Chart.ChannelsX = {Buffer({0, 10, 20})};
  Chart.Channels = {Buffer({100, 200, 300})};
  XAxis.GetCursorSettings()->SetSnapToSample(true);
  YAxis.GetCursorSettings()->SetSnapToSample(true);
  EXPECT_EQ(XAxis.AlignValue(12), 10);
  EXPECT_EQ(XAxis.AlignValue(190), 190);
  EXPECT_EQ(YAxis.AlignValue(12), 12);
  EXPECT_EQ(YAxis.AlignValue(190), 200);
}

TEST_F(TAxesTest, YZoomArithmetic) {
  Chart.Zoomed = true;
  YAxis.IntZoomTo(3, 3);
  EXPECT_EQ(YAxis.GetZoomMin(), 3);
  EXPECT_DOUBLE_EQ(YAxis.GetZoomMax(), 3.0001);
  YAxis.IntZoomTo(1, -1);
  YAxis.IntZoom(0.5);
  EXPECT_EQ(YAxis.GetDataZoomedMinRead(), -0.5);
  EXPECT_EQ(YAxis.GetDataZoomedMaxRead(), 0.5);
  YAxis.IntZoomTo(-1, 1);
  YAxis.IntZoom(2.0);
  EXPECT_EQ(YAxis.GetDataZoomedMinRead(), -2);
  EXPECT_EQ(YAxis.GetDataZoomedMaxRead(), 2);
  // Zooming in keeps at least the 0.0001 floor; out until overflow keeps
  // the last finite range.
  for (int I = 0; I < 100; ++I)
    YAxis.IntZoom(0.01);
  EXPECT_GE(YAxis.GetDataZoomedMaxRead() - YAxis.GetDataZoomedMinRead(), 0.0001 * 0.999);
  YAxis.IntZoomTo(-1e300, 1e300);
  YAxis.IntZoom(1e10);
  EXPECT_EQ(YAxis.GetDataZoomedMinRead(), -1e300);
  EXPECT_EQ(YAxis.GetDataZoomedMaxRead(), 1e300);
  // Also when the first zoom step already overflows: what was shown stays.
  Chart.Zoomed = false;
  YAxis.SetMin(-1e300);
  YAxis.SetMax(1e300);
  YAxis.InvalidateMinMaxCache();
  YAxis.IntZoom(1e10);
  Chart.Zoomed = true;
  EXPECT_EQ(YAxis.GetDataZoomedMinRead(), -1e300);
  EXPECT_EQ(YAxis.GetDataZoomedMaxRead(), 1e300);
  // ZoomBy marks the chart zoomed, repaints and reports once.
  YAxis.ZoomBy(0.5);
  EXPECT_EQ(Chart.UndoSaves, 1);
  EXPECT_EQ(Chart.ZoomChanges, 1);
}

TEST_F(TAxesTest, YPixelTransformOfTheRecordersScope) {
  // All views hidden: the data view is the whole 505 x 304 control.
  Chart.DataView = {0, 0, 505, 304};
  YAxis.SetMin(-32768);
  YAxis.SetMax(32768);
  int32_t Offset = 0;
  double Factor = 0;
  YAxis.GetScaleInfo(Offset, Factor, -32768, 32768);
  EXPECT_EQ(Offset, 151);
  EXPECT_DOUBLE_EQ(Factor, 302.0 / 65536);
  // Rows counted from the data rectangle's bottom (304 - 1 - 1 = 302 is
  // the top pixel of the range): value 0 on row 152, 16384 on row 76.
  auto Row = [&](double V) { return 303 - (Offset + SLRoundPixel(V * Factor)); };
  EXPECT_EQ(Row(0), 152);
  EXPECT_EQ(Row(16384), 76);
  EXPECT_EQ(Row(32768), 1);
  // Reversed: the maximum lies at the low end.
  YAxis.SetReversed(true);
  YAxis.GetScaleInfo(Offset, Factor, -32768, 32768);
  EXPECT_EQ(Offset + SLRoundPixel(32768 * Factor), 0);
  // A flat range: the middle, one pixel per unit.
  YAxis.SetReversed(false);
  YAxis.GetScaleInfo(Offset, Factor, 5, 5);
  EXPECT_EQ(Offset, 151);
  EXPECT_EQ(Factor, 1.0);
  // No view at all: every value on row 0, no division by zero.
  Chart.DataView = {0, 0, 0, 0};
  YAxis.GetScaleInfo(Offset, Factor, -32768, 32768);
  EXPECT_EQ(Offset, 0);
  EXPECT_EQ(Factor, 0.0);
}

TEST_F(TAxesTest, YTickTexts) {
  YAxis.SetFixedPrecision(true);
  EXPECT_EQ(YAxis.GetTickText(12.5), "12.500");
  YAxis.SetFixedPrecision(false);
  YAxis.SetMin(-1000);
  YAxis.SetMax(1000);
  YAxis.InvalidateMinMaxCache();
  EXPECT_EQ(YAxis.GetTickText(12.4), "12");
  YAxis.SetPrecision(40);
  EXPECT_EQ(YAxis.GetPrecision(), 18);
  YAxis.SetPrecision(-3);
  EXPECT_EQ(YAxis.GetPrecision(), 0);
}

TEST_F(TAxesTest, AutoScalingSpaceAndThreshold) {
  YAxis.GetAutoScaling()->SetEnabled(true);
  YAxis.GetAutoScaling()->SetMaxHistory(0);
  auto *Below = YAxis.GetAutoScaling()->GetSpaceBelow();
  auto *Above = YAxis.GetAutoScaling()->GetSpaceAbove();
  Below->SetSpace(10);
  Above->SetSpace(10);
  Below->SetThreshold(0);
  Above->SetThreshold(0);
  Chart.Channels = {Buffer({0, 40, 100, 20})};
  YAxis.InvalidateMinMaxCache();
  EXPECT_EQ(YAxis.GetDataZoomedMinRead(), -5);
  EXPECT_EQ(YAxis.GetDataZoomedMaxRead(), 105);
  // Threshold 20, last minimum 0: a new minimum of 5 under a maximum of
  // 100 keeps 0 (5 < 0 + 95 x 20 / 200); 15 replaces it.
  Below->SetSpace(0);
  Below->SetThreshold(20);
  YAxis.GetAutoScaling()->SetEnabled(false);
  YAxis.SetMin(0);
  YAxis.InvalidateMinMaxCache();
  YAxis.GetDataZoomedMinRead(); // last minimum 0
  YAxis.GetAutoScaling()->SetEnabled(true);
  Chart.Channels = {Buffer({5, 100})};
  YAxis.InvalidateMinMaxCache();
  EXPECT_EQ(YAxis.GetDataZoomedMinRead(), 0);
  Chart.Channels = {Buffer({15, 100})};
  YAxis.InvalidateMinMaxCache();
  EXPECT_EQ(YAxis.GetDataZoomedMinRead(), 15);
}

TEST_F(TAxesTest, AutoScalingOverChannelsStaysFinite) {
  struct TCase {
    const char *Name;
    std::vector<std::vector<double>> Channels;
    double Min, Max;
  };
  const TCase Cases[] = {
      // A flat channel beside a moving one does not widen the range.
      {"flat beside moving", {{0, 10}, {-5, -5}}, -5, 10},
      {"flat beside moving, other order", {{-5, -5}, {0, 10}}, -5, 10},
      {"one flat channel", {{3, 3, 3}}, 2.5, 3.5},
      {"non-finite samples left out", {{NaN, 1, Inf, -2, -Inf}}, -2, 1},
      {"only non-finite samples", {{NaN, Inf}}, -1000, 1000},
      {"single sample: not counted", {{42}}, -1000, 1000},
      {"no channel", {}, -1000, 1000},
  };
  for (const TCase &K : Cases) {
    Chart.Channels.clear();
    for (const auto &C : K.Channels)
      Chart.Channels.push_back(Buffer(C));
    EXPECT_EQ(YAxis.GetCalcMinCurrentScale(), K.Min) << K.Name;
    EXPECT_EQ(YAxis.GetCalcMaxCurrentScale(), K.Max) << K.Name;
  }
}

TEST_F(TAxesTest, ScaleHistoryKeepsTheWidestOfTheLastRefreshes) {
  YAxis.GetAutoScaling()->SetEnabled(true);
  YAxis.GetAutoScaling()->SetMaxHistory(2);
  YAxis.GetAutoScaling()->GetSpaceBelow()->SetSpace(0);
  YAxis.GetAutoScaling()->GetSpaceAbove()->SetSpace(0);
  YAxis.GetAutoScaling()->GetSpaceBelow()->SetThreshold(0);
  YAxis.GetAutoScaling()->GetSpaceAbove()->SetThreshold(0);
  for (auto R : {std::vector<double>{-10, 10}, {-1, 1}, {-2, 3}}) {
    Chart.Channels = {Buffer(R)};
    YAxis.PopulateScaleHistory();
  }
  YAxis.InvalidateMinMaxCache();
  // The first range has left the two-entry history.
  EXPECT_EQ(YAxis.GetDataZoomedMinRead(), -2);
  EXPECT_EQ(YAxis.GetDataZoomedMaxRead(), 3);
  EXPECT_EQ(YAxis.GetHistoryCount(), 2);
  YAxis.ResetHistory();
  EXPECT_EQ(YAxis.GetHistoryCount(), 0);
}

TEST_F(TAxesTest, SnappingToSamples) {
  YAxis.GetCursorSettings()->SetSnapToSample(true);
  Chart.Channels = {Buffer({0, 10, 20})};
  EXPECT_EQ(YAxis.AlignValue(12), 10);
  EXPECT_EQ(YAxis.AlignValue(15), 10); // the first of two equally near
  EXPECT_EQ(YAxis.AlignValue(25), 25); // outside the range: unchanged
  YAxis.GetCursorSettings()->SetSnapToSample(false);
  EXPECT_EQ(YAxis.AlignValue(12), 12);
}

// Single ticks against the pixel geometry: characters 6 wide, cells 10 high,
// each drawn as a frame; lines leave out their end point.
TEST_F(TAxesTest, SingleTicksSitOnTheirPixels) {
  TCanvas *C = Chart.GetCanvas();
  C->Brush()->SetColor(clBlack);
  C->FillRect({0, 0, 300, 200});
  YAxis.SetRect({0, 0, 40, 170});
  YAxis.SetFixedPrecision(true);
  YAxis.SetPrecision(0);
  C->Pen()->SetColor(clWhite);
  C->Font()->SetColor(clYellow);
  C->Brush()->SetStyle(bsClear);
  YAxis.DrawUpTick(C, false, 5, false, 7, 50); // major, label "7"
  YAxis.DrawUpTick(C, false, 0, true, 7, 80);  // minor
  XAxis.SetRect({40, 170, 300, 200});
  XAxis.SetFixedPrecision(true);
  XAxis.SetPrecision(0);
  XAxis.DrawRightTick(C, false, 5, false, 12, 100); // major, label "12"
  XAxis.DrawRightTick(C, false, 0, true, 12, 150);  // minor
  TExpectedPicture E(300, 200, clBlack);
  E.Frame(40 - 14 - 6, 45, 40 - 14, 55, clYellow); // right end 14 left of Right
  E.HLine(29, 34, 50, clWhite);
  E.HLine(31, 34, 80, clWhite);
  E.Frame(100 - 6, 170 + 14, 100 + 6, 170 + 24, clYellow); // centred under the tick
  E.VLine(100, 175, 181, clWhite);
  E.VLine(150, 175, 179, clWhite);
  EXPECT_TRUE(PicturesEqual(Chart.Bitmap.Image(), E.Image(), "axes-single-ticks"));
}

TEST_F(TAxesTest, YAxisDrawsItsLineTicksAndTurnedCaption) {
  // Range -100..100 over a data view 101 pixels high: 1 pixel per 2 units.
  Chart.DataView = {40, 0, 300, 102};
  YAxis.SetRect({0, 0, 40, 102});
  YAxis.SetMin(-100);
  YAxis.SetMax(100);
  YAxis.SetFixedPrecision(true);
  YAxis.SetPrecision(0);
  YAxis.GetAxisLabel()->SetText("Ab");
  int32_t Offset = 0;
  double Factor = 0;
  YAxis.GetScaleInfo(Offset, Factor, -100, 100);
  ASSERT_EQ(Offset, 50);
  ASSERT_DOUBLE_EQ(Factor, 0.5);
  double Step = YAxis.GetStep();
  ASSERT_NEAR(Step, 50, 1e-9); // labels 10 high need 20 pixels: 50 units = 25 pixels
  TCanvas *C = Chart.GetCanvas();
  C->Brush()->SetColor(clBlack);
  C->FillRect({0, 0, 300, 200});
  YAxis.Draw(ddpFeatures, C, false, true, -100, 100, Offset, Factor);
  TExpectedPicture E(300, 200, clBlack);
  E.VLine(35, 0, 101, clWhite); // the axis line, bottom left out
  for (double V : {-100.0, -50.0, 0.0, 50.0, 100.0}) {
    int32_t P = (102 - Offset - 1) - SLRoundPixel(V * Factor); // from the end
    std::string T = std::to_string(int(V));
    int32_t W = int32_t(T.size()) * 6;
    E.Frame(40 - 14 - W, P - 5, 40 - 14, P + 5, clWhite);
    E.HLine(29, 34, P, clWhite);
  }
  // The caption turned upwards at Left + 2, centred along the axis.
  int32_t Y0 = 0 + (12 + YAxis.GetHeight()) / 2;
  E.Frame(2, Y0 - 12, 2 + 10, Y0, clWhite);
  EXPECT_TRUE(PicturesEqual(Chart.Bitmap.Image(), E.Image(), "axes-y-draw"));
}

TEST_F(TAxesTest, XAxisDrawsTicksLabelsCaptionAndTrackMarker) {
  XAxis.SetRect({40, 170, 300, 200});
  XAxis.SetTicksMode(atmBufferSamples);
  XAxis.GetMin()->SetAutosize(false);
  XAxis.GetMax()->SetAutosize(false);
  XAxis.GetMax()->SetValue(100);
  // Labels "100" need 18 + 8 pixels: 26 of 259 pixels are 10.04 units, so
  // the step is 20.
  EXPECT_NEAR(XAxis.GetStep(), 20, 1e-9);
  XAxis.GetDefaultSize(); // sets the marker length: 10 + 16 - 1
  EXPECT_EQ(XAxis.GetMarkerLength(), 25);
  Chart.Mouse = {100, 50};
  XAxis.MouseMove(0, 100, 50);
  TCanvas *C = Chart.GetCanvas();
  C->Brush()->SetColor(clBlack);
  C->FillRect({0, 0, 300, 200});
  XAxis.Draw(ddpFeatures, C, false, false, 0, 0, 0, 1);
  TExpectedPicture E(300, 200, clBlack);
  E.VLine(100, 175, 194, clRed); // the track marker
  E.HLine(40, 299, 175, clWhite);
  for (int V = 0; V <= 100; V += 20) {
    int32_t X = 40 + SLRoundPixel(V * 259.0 / 100);
    int32_t W = int32_t(std::to_string(V).size()) * 6;
    E.VLine(X, 175, 181, clWhite);
    E.Frame(X - W / 2, 184, X - W / 2 + W, 194, clWhite);
  }
  E.Frame(150 - 21, 196, 150 + 21, 206, clWhite); // "Samples", centred on the plot
  EXPECT_TRUE(PicturesEqual(Chart.Bitmap.Image(), E.Image(), "axes-x-draw"));
  // Exported pictures have no track marker.
  C->Brush()->SetColor(clBlack);
  C->FillRect({0, 0, 300, 200});
  XAxis.Draw(ddpFeatures, C, false, true, 0, 0, 0, 1);
  EXPECT_EQ(C->GetPixel(100, 180), clBlack);
}

TEST_F(TAxesTest, TitleReservesOneLineAndCentresOnTheControl) {
  TSLDisplayTitle Title(&Chart);
  EXPECT_EQ(Title.GetFont()->GetSize(), DefaultFontSize + 8);
  EXPECT_TRUE(Title.GetFont()->HasStyle(fsBold));
  EXPECT_EQ(Title.GetAlign(), alTop);
  // Empty, it still takes a line of text + 16 while visible.
  EXPECT_EQ(Title.GetDefaultSize(), (TPoint{-1, 26}));
  int Before = Chart.Recalcs;
  Title.SetText("Scope");
  Title.SetText("Scope");
  EXPECT_EQ(Chart.Recalcs, Before + 1);
  Title.SetVisible(false);
  EXPECT_FALSE(Title.IsVisibleForced());
  TCanvas *C = Chart.GetCanvas();
  C->Brush()->SetColor(clBlack);
  C->FillRect({0, 0, 300, 200});
  C->Brush()->SetStyle(bsClear);
  Title.Draw(ddpFeatures, C, false, false, 0, 0, 0, 0);
  TExpectedPicture E(300, 200, clBlack);
  E.Frame(150 - 15, 4, 150 + 15, 14, clWhite);
  EXPECT_TRUE(PicturesEqual(Chart.Bitmap.Image(), E.Image(), "axes-title"));
}

} // namespace
