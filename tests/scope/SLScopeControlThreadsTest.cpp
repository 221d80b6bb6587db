#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/mainloop/MainLoop.h"
#include "platform/sys/MMTimer.h"
#include "scope/SLScopeControl.h"
#include "tests/scope/ScopeTestWindow.h"
#include "tests/support/FrameworkEnvironment.h"
#include "tests/support/Wait.h"

namespace {

// The recorder's use: a producer thread feeds both channels' pins (starts
// with rates, buffers, stops) while the main thread refreshes, paints, reads
// the derived ranges, clears a channel and changes the size limit.
TEST(ScopeControlThreads, ProducerFeedsWhileTheMainThreadRefreshesAndPaints) {
  TStillTimers Timers;
  THostedScope Hosted{Timers};
  TOwnedPtr<TSLScope> &Scope = Hosted.Scope;
  Scope->SetBounds(0, 0, 505, 304);
  Scope->GetYAxis()->SetMin(-32768);
  Scope->GetYAxis()->SetMax(32768);
  Scope->GetYAxis()->GetAutoScaling()->SetEnabled(false);
  Scope->GetChannels()->GetItem(0)->SetColor(clRed);
  Scope->GetChannels()->Add()->SetColor(clLime);
  std::vector<TOwnedPtr<TSLOWRealSourcePin>> Sources;
  for (int C = 0; C < 2; ++C) {
    Sources.emplace_back(CreateObject<TSLOWRealSourcePin>(nullptr, TSLOperationEvent()));
    ASSERT_TRUE(Scope->GetChannels()->GetItem(C)->GetInputPin()->Connect(Sources.back().get()));
  }
  std::atomic<bool> Stop{false}, Done{false};
  TTestThread Producer([&] {
    for (int I = 0; I < 2000 && !Stop; ++I)
      for (size_t C = 0; C < Sources.size(); ++C) {
        if (I % 400 == 0)
          Sources[C]->Notify(
              TOWNotifyOperation::Make<TOWStartSampleRateOperation>(1024, 44100.0 + I).Get());
        const uint32_t N = 1 + (I * 37) % 1024;
        auto B = com::MakeCom<TSLRealBuffer>(N);
        double *P = B->Write();
        for (uint32_t K = 0; K < N; ++K)
          P[K] = C == 0 ? 16384 : -16384;
        Sources[C]->SubmitBuffer(B);
        if (I % 400 == 399)
          Sources[C]->Notify(TOWNotifyOperation::Make<TOWStopOperation>().Get());
      }
    Done = true;
  });
  QImage Image(505, 304, QImage::Format_RGB32);
  TCanvas Canvas(&Image);
  for (int Round = 0; (Round < 300 || !Done) && Round < 1000000; ++Round) {
    Scope->RefreshView();
    Scope->PaintWindow(&Canvas, TRegion(Scope->GetClientRect()));
    EXPECT_TRUE(std::isfinite(Scope->CalcMaxTime()));
    EXPECT_GT(Scope->GetSampleRate(), 0);
    if (Round % 40 == 0)
      Scope->GetChannels()->GetItem(Round % 2)->GetVC_Data()->Clear();
    if (Round % 25 == 0)
      Scope->SetSizeLimit((Round / 25) % 3 == 0 ? 0 : 50 + Round % 100);
  }
  Stop = true;
  ASSERT_TRUE(Producer.Finished(EventuallyDeadline));
  // After the producer, the picture shows what came last, within the limit.
  Scope->SetSizeLimit(32);
  Sources[0]->SubmitBuffer(
      com::MakeCom<TSLRealBuffer>(std::vector<double>(100, 16384).data(), 100u));
  Sources[1]->SubmitBuffer(
      com::MakeCom<TSLRealBuffer>(std::vector<double>(100, -16384).data(), 100u));
  Scope->RefreshView();
  EXPECT_EQ(Scope->GetChannels()->GetItem(0)->GetDrawY()->GetSize(), 32u);
  Scope->PaintWindow(&Canvas, TRegion(Scope->GetClientRect()));
  Canvas.Flush();
  bool Red = false, Lime = false;
  for (int Y = 0; Y < Image.height(); ++Y)
    for (int X = 0; X < Image.width(); ++X) {
      const QRgb P = Image.pixel(X, Y) & 0xFFFFFFu;
      Red = Red || P == (ColorToQRgb(clRed) & 0xFFFFFFu);
      Lime = Lime || P == (ColorToQRgb(clLime) & 0xFFFFFFu);
    }
  EXPECT_TRUE(Red);
  EXPECT_TRUE(Lime);
}

} // namespace

namespace {

// A refresh that finds nothing new stops the refresh timer, so an idle scope
// never wakes the program; a buffer from the delivering thread sets it
// running again (through the main loop) and its next tick takes the buffer.
// Data stored on the main thread restarts it at once.
TEST(ScopeControlThreads, TheRefreshTimerRestsUntilDataArrives) {
  sys::TManualTimerService Timers;
  THostedScope Hosted{Timers};
  TOwnedPtr<TSLScope> &Scope = Hosted.Scope;
  Scope->SetBounds(0, 0, 505, 304);
  TOwnedPtr<TSLOWRealSourcePin> Source{
      CreateObject<TSLOWRealSourcePin>(nullptr, TSLOperationEvent())};
  ASSERT_TRUE(Scope->GetChannels()->GetItem(0)->GetInputPin()->Connect(Source.get()));
  QImage Image(505, 304, QImage::Format_RGB32);
  TCanvas Canvas(&Image);
  auto Paint = [&] { Scope->PaintWindow(&Canvas, TRegion(Scope->GetClientRect())); };
  auto Ticks = [&] { return Timers.FirePeriod(100); };
  // Ticks, each followed by the repaint it asked for, until the timer
  // rests; how many fired.
  auto TicksUntilRest = [&] {
    int N = 0;
    while (N < 10 && Ticks() == 1) {
      ++N;
      Paint();
    }
    return N;
  };

  const int First = TicksUntilRest();
  EXPECT_GE(First, 1) << "a new scope's timer runs";
  EXPECT_LE(First, 3) << "nothing new: the timer rests";
  EXPECT_EQ(Ticks(), 0);

  std::thread Delivery([&] {
    Source->SubmitBuffer(com::MakeCom<TSLRealBuffer>(std::vector<double>(64, 100).data(), 64u));
  });
  Delivery.join();
  mainloop::TMainLoop::Main().RunPending();
  ASSERT_EQ(Ticks(), 1) << "the delivery woke the timer";
  EXPECT_EQ(Scope->GetChannels()->GetItem(0)->GetDrawY()->GetSize(), 64u);
  Paint();
  EXPECT_LE(TicksUntilRest(), 3);
  EXPECT_EQ(Ticks(), 0);

  Scope->GetChannels()->GetItem(0)->GetVC_Data()->Clear();
  EXPECT_EQ(Ticks(), 1) << "main-thread data wakes the timer at once";
  EXPECT_EQ(Scope->GetChannels()->GetItem(0)->GetDrawY()->GetSize(), 0u);
}

} // namespace
