#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "scope/SLChannelData.h"
#include "tests/support/ScopeChannelHost.h"

namespace {

// A producer appends while the main thread refreshes, reads, clears, loads
// arrays and changes the size limit: every read sees a consistent buffer
// (X consecutive, as AddYPoint continues them; Y rising, as the producer
// writes them and the seed lies below them), never more than
// the limit once the limit is in force, and the sanitizer sees no race.
TEST(ChannelDataThreads, ProducerAppendsWhileTheMainThreadReadsClearsAndLimits) {
  TFakeChannelHost Host;
  TSLChannelData Data(&Host);
  std::atomic<bool> Stop{false};
  std::thread Producer([&] {
    for (int I = 0; I < 20000 && !Stop; ++I)
      Data.AddYPoint(I);
  });
  std::vector<double> X(4096), Y(4096);
  int Broken = -1;
  for (int Round = 0; Round < 400 && Broken < 0; ++Round) {
    Host.Limit = (Round % 3) ? 64 : 512;
    const uint32_t NX = Data.GetXData(X.data(), 4096);
    const uint32_t NY = Data.GetYData(Y.data(), 4096);
    for (uint32_t I = 1; I < NX; ++I)
      if (X[I] != X[I - 1] + 1)
        Broken = Round;
    for (uint32_t I = 1; I < NY; ++I)
      if (!(Y[I] > Y[I - 1]))
        Broken = Round;
    Host.Refresh();
    std::vector<double> DX(Data.GetDrawSize());
    Data.GetDrawXData(DX.data());
    if (Round % 50 == 0)
      Data.Clear();
    if (Round % 70 == 0) {
      const double Seed[] = {-3, -2, -1};
      Data.SetXYData(Seed, Seed, 3);
    }
  }
  Stop = true;
  Producer.join();
  EXPECT_EQ(Broken, -1) << "an inconsistent buffer was read in that round";
  Host.Limit = 64;
  Data.AddXYPoint(1e6, 1e6);
  EXPECT_LE(Data.GetSize(), 64u);
}

} // namespace
