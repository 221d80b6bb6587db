#include <atomic>
#include <vector>

#include <gtest/gtest.h>

#include "scope/SLChannels.h"
#include "tests/scope/ScopeHostSupport.h"
#include "tests/support/FrameworkEnvironment.h"
#include "tests/support/Wait.h"

namespace {

// Every sample the producer sends is larger than all before it, and X is a
// run of consecutive values whatever happened (ramp, appended points, a cut
// to the size limit), so any torn buffer shows.
bool Consistent(const std::vector<double> &X, const std::vector<double> &Y) {
  for (size_t I = 1; I < X.size(); ++I)
    if (X[I] != X[I - 1] + 1)
      return false;
  for (size_t I = 1; I < Y.size(); ++I)
    if (!(Y[I] > Y[I - 1]))
      return false;
  return true;
}

// Two linked sources drive the channels' pins from a producer thread (starts,
// buffers, single values, stops) while the main thread refreshes, reads the
// draw and incoming data, clears and changes the size limit.
TEST(ScopeChannelsThreads, ProducerDrivesPinsWhileTheMainThreadRefreshesClearsAndLimits) {
  TOwnedPtr<TTestScopeHost> Scope(CreateObject<TTestScopeHost>());
  TSLScopeChannels *Channels = Scope->MakeChannels();
  Channels->Add();
  Channels->Add();
  std::vector<TOwnedPtr<TSLOWRealSourcePin>> Sources;
  for (int C = 0; C < 2; ++C) {
    Sources.emplace_back(CreateObject<TSLOWRealSourcePin>(nullptr, TSLOperationEvent()));
    ASSERT_TRUE(Channels->GetItem(C)->GetInputPin()->Connect(Sources.back().get()));
  }
  std::atomic<bool> Stop{false}, Done{false};
  TTestThread Producer([&] {
    double Next = 0;
    for (int I = 0; I < 3000 && !Stop; ++I) {
      for (auto &Source : Sources) {
        if (I % 500 == 0)
          Source->Notify(TOWNotifyOperation::Make<TOWStartSampleRateOperation>(64, 48000.0).Get());
        const uint32_t N = 1 + (I * 37) % 300;
        auto B = com::MakeCom<TSLRealBuffer>(N);
        double *P = B->Write();
        for (uint32_t K = 0; K < N; ++K)
          P[K] = ++Next;
        Source->SubmitBuffer(B);
        if (I % 3 == 0)
          Source->Notify(TOWNotifyOperation::Make<TOWSuppliedRealOperation>(++Next).Get());
        if (I % 500 == 499)
          Source->Notify(TOWNotifyOperation::Make<TOWStopOperation>().Get());
      }
    }
    Done = true;
  });
  int Broken = -1;
  std::vector<double> X(4096), Y(4096);
  // The main thread keeps going until the producer is through.
  for (int Round = 0; (Round < 1500 || !Done) && Round < 5000000 && Broken < 0; ++Round) {
    Scope->Refresh();
    for (int C = 0; C < 2; ++C) {
      TSLScopeChannel *Channel = Channels->GetItem(C);
      TSLChannelData *Data = Channel->GetVC_Data();
      std::vector<double> DX(Data->GetDrawSize()), DY(Data->GetDrawSize());
      Data->GetDrawXYData(DX.data(), DY.data());
      if (!Consistent(DX, DY))
        Broken = Round;
      const uint32_t NY = Data->GetYData(Y.data(), 4096);
      if (!Consistent({}, std::vector<double>(Y.begin(), Y.begin() + NY)))
        Broken = Round;
      (void)Channel->GetSampleRate();
    }
    if (Round % 40 == 0)
      Channels->GetItem(Round % 2)->GetVC_Data()->Clear();
    if (Round % 25 == 0)
      Scope->SetSizeLimit((Round / 25) % 3 == 0 ? 0 : 50 + Round % 100);
  }
  Stop = true;
  ASSERT_TRUE(Producer.Finished(EventuallyDeadline));
  EXPECT_EQ(Broken, -1) << "an inconsistent buffer was read in that round";
  // Once the limit is in force, deliveries respect it.
  Scope->SetSizeLimit(32);
  Sources[0]->SubmitBuffer(com::MakeCom<TSLRealBuffer>(100u));
  Scope->Refresh();
  EXPECT_EQ(Channels->GetItem(0)->GetVC_Data()->GetDrawSize(), 32u);
  EXPECT_LE(Channels->GetItem(1)->GetVC_Data()->GetSize(), 32u);
}

} // namespace
