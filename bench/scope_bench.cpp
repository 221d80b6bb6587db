// Frames per second of the scope in the recorder's set-up (only the data
// view, Y over [-32768, 32768], two channels) against what a user would write
// instead: map the same samples to pixels and draw them with one
// QPainter::drawPolyline per channel into a QImage of the same size,
// antialiasing off. A frame is a refresh (both channels got a new block
// through their input pins) plus the repaint of the whole control; delivering
// the blocks is left out of the time. Two sizes (the recorder's 505 x 304 and
// 1920 x 1080) and two block lengths (one second at 48 kHz, 1024 samples).
// After the run the program prints frames per second and the ratio of the
// times per frame (the scope's over the polyline's).
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "framework/data/FrameworkRuntime.h"
#include "scope/SLScopeControl.h"

namespace {

struct TFrameSize {
  int W, H;
};
constexpr TFrameSize kSizes[] = {{505, 304}, {1920, 1080}};
constexpr int kLengths[] = {48000, 1024};

// A window without a screen: repaints are done by the benchmark itself.
struct TBenchWindow : IControlHost {
  void InvalidateRect(const TRect *) override {}
  bool Focused() const override { return false; }
  void SetFocus() override {}
  TPoint ClientToScreen(TPoint P) const override { return P; }
  TPoint ScreenToClient(TPoint P) const override { return P; }
  TPoint CursorPos() const override { return {-1000, -1000}; }
  void SetCursor(TCursor) override {}
  void BoundsChanged(const TRect &) override {}
  void ControlDestroyed() override {}
};

// Timers that never fire: the benchmark calls RefreshView itself.
struct TStillTimers : sys::ITimerService {
  sys::TTimerId Start(uint32_t, sys::TTimerCallback) override { return ++Last; }
  bool Kill(sys::TTimerId) override { return true; }
  sys::TTimerId Last = 0;
};

// A 440 Hz tone with a slow second tone on top, different per channel, in
// 16-bit sample units.
std::vector<double> Signal(int Channel, int Length) {
  std::vector<double> V(static_cast<size_t>(Length));
  for (int I = 0; I < Length; ++I)
    V[size_t(I)] = 14000 * std::sin(2 * M_PI * 440 * I / 48000.0 + Channel) +
                   6000 * std::sin(2 * M_PI * 3 * I / 48000.0) * (Channel ? -1 : 1);
  return V;
}

void Scope(benchmark::State &State, TFrameSize Size, int Length) {
  TStillTimers Timers;
  gui::TScopedWindowTimerService TimerScope{Timers};
  TBenchWindow Window;
  TOwnedPtr<TSLScope> Scope{CreateObject<TSLScope>(nullptr)};
  Scope->SetHost(&Window);
  Scope->SetBounds(0, 0, Size.W, Size.H);
  Scope->SetRefreshInterval(0);
  Scope->GetTitle()->SetVisible(false);
  Scope->GetXAxis()->SetVisible(false);
  Scope->GetYAxis()->SetVisible(false);
  Scope->GetYAxis()->SetMin(-32768);
  Scope->GetYAxis()->SetMax(32768);
  Scope->GetYAxis()->GetAutoScaling()->SetEnabled(false);
  Scope->GetChannels()->GetItem(0)->SetColor(clRed);
  Scope->GetChannels()->Add()->SetColor(clLime);
  std::vector<TOwnedPtr<TSLOWRealSourcePin>> Sources;
  std::vector<com::TComPtr<TSLRealBuffer>> Blocks;
  for (int C = 0; C < 2; ++C) {
    Sources.emplace_back(CreateObject<TSLOWRealSourcePin>(nullptr, TSLOperationEvent()));
    Scope->GetChannels()->GetItem(C)->GetInputPin()->Connect(Sources.back().get());
    const std::vector<double> V = Signal(C, Length);
    Blocks.push_back(com::MakeCom<TSLRealBuffer>(V.data(), uint32_t(Length)));
  }
  for (auto _ : State) {
    State.PauseTiming();
    for (int C = 0; C < 2; ++C)
      Sources[size_t(C)]->SubmitBuffer(com::TComPtr<ISLRealBuffer>(Blocks[size_t(C)].Get()));
    State.ResumeTiming();
    Scope->RefreshView();
    // As the window repaints: the scope paints its own picture, which the
    // window then shows (that last copy to the screen is every program's,
    // the polyline's too, and left out of both).
    const QImage *Picture = Scope->PaintOwnPicture(TRegion(Scope->GetClientRect()));
    if (Picture == nullptr) {
      State.SkipWithError("the scope painted no picture");
      break;
    }
    benchmark::DoNotOptimize(Picture->constBits());
  }
  Scope->SetHost(nullptr);
}

void Plain(benchmark::State &State, TFrameSize Size, int Length) {
  const std::vector<double> Data[2] = {Signal(0, Length), Signal(1, Length)};
  const QColor Colors[2] = {Qt::red, Qt::green};
  QImage Image(Size.W, Size.H, QImage::Format_RGB32);
  std::vector<QPoint> Points(static_cast<size_t>(Length));
  for (auto _ : State) {
    Image.fill(Qt::black);
    QPainter Painter(&Image);
    Painter.setRenderHint(QPainter::Antialiasing, false);
    const double XScale = double(Size.W - 1) / (Length - 1);
    const double YScale = (Size.H - 1) / 65536.0;
    for (int C = 0; C < 2; ++C) {
      for (int I = 0; I < Length; ++I)
        Points[size_t(I)] = QPoint(int(std::lround(I * XScale)),
                                   int(std::lround((32768 - Data[C][size_t(I)]) * YScale)));
      Painter.setPen(Colors[C]);
      Painter.drawPolyline(Points.data(), Length);
    }
    Painter.end();
    benchmark::DoNotOptimize(Image.constBits());
  }
}

std::string Name(const char *Kind, TFrameSize Size, int Length) {
  return std::string(Kind) + "/" + std::to_string(Size.W) + "x" + std::to_string(Size.H) + "/" +
         std::to_string(Length);
}

class TCollect : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run> &runs) override {
    for (const auto &r : runs)
      real[r.benchmark_name()] = r.GetAdjustedRealTime(); // milliseconds per frame
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> real;
};

} // namespace

int main(int argc, char **argv) {
  // No display: Qt's offscreen platform serves the fonts and images.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication App(argc, argv);
  TFrameworkRuntime Runtime;
  for (TFrameSize S : kSizes)
    for (int L : kLengths) {
      benchmark::RegisterBenchmark(Name("scope", S, L).c_str(), Scope, S, L)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
      benchmark::RegisterBenchmark(Name("polyline", S, L).c_str(), Plain, S, L)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
    }
  benchmark::Initialize(&argc, argv);
  TCollect Reporter;
  benchmark::RunSpecifiedBenchmarks(&Reporter);
  std::printf("\nframes per second (refresh + repaint) and the time a scope frame takes over a "
              "polyline frame\n");
  std::printf("%-10s %7s %10s %10s %14s\n", "size", "samples", "scope", "polyline", "scope / poly");
  for (TFrameSize S : kSizes)
    for (int L : kLengths) {
      const double Ours = Reporter.real[Name("scope", S, L) + "/real_time"];
      const double Plain = Reporter.real[Name("polyline", S, L) + "/real_time"];
      if (Ours > 0 && Plain > 0)
        std::printf("%4dx%-5d %7d %10.1f %10.1f %13.2fx\n", S.W, S.H, L, 1000 / Ours, 1000 / Plain,
                    Ours / Plain);
    }
  benchmark::Shutdown();
  return 0;
}
