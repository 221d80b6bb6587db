#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "scope/SLChannels.h"
#include "tests/scope/ScopeHostSupport.h"
#include "tests/support/FrameworkEnvironment.h"

namespace {

using Values = std::vector<double>;

Values Ramp(uint32_t From, uint32_t Count) {
  Values V(Count);
  for (uint32_t I = 0; I < Count; ++I)
    V[I] = From + I;
  return V;
}

Values Contents(const ISLRealBufferPtr &B) { return Values(B->Read(), B->Read() + B->GetSize()); }

com::TComPtr<ISLDataBuffer> RealBuffer(const Values &V) {
  return com::MakeCom<TSLRealBuffer>(V.data(), static_cast<uint32_t>(V.size()));
}

class ScopeChannels : public ::testing::Test {
protected:
  void SetUp() override {
    Scope.reset(CreateObject<TTestScopeHost>());
    Channels = Scope->MakeChannels();
    Channel = Channels->Add();
    Scope->ResetCounts();
  }
  TOWNotifyResult Send(IOWNotifyOperationPtr Op) {
    return Channel->SinkDispatch(Channel->GetInputPin(), nullptr, Op.Get(), TOWNotifyState{});
  }
  TOWNotifyResult SendBuffer(com::TComPtr<ISLDataBuffer> B) {
    return Send(TOWNotifyOperation::Make<TOWSuppliedBufferOperation>(std::move(B)));
  }

  TOwnedPtr<TTestScopeHost> Scope;
  TSLScopeChannels *Channels = nullptr;
  TSLScopeChannel *Channel = nullptr;
};

// Supplied buffers of each kind, with and without a size limit: what lands
// in the incoming Y buffer, and that X is always rebuilt as the ramp.
TEST_F(ScopeChannels, SuppliedBuffersByKindAndSizeLimit) {
  const double Inf = std::numeric_limits<double>::infinity();
  const double NaN = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char *Name;
    uint32_t Limit;
    std::function<com::TComPtr<ISLDataBuffer>()> Make;
    Values ExpectY;
  };
  const Values Seed = {9, 8};
  const int32_t Ints[] = {1, -2, 3};
  const int32_t ManyInts[] = {1, 2, 3, 4, 5, 6};
  const Case Cases[] = {
      {"real within no limit", 0, [] { return RealBuffer(Ramp(0, 1024)); }, Ramp(0, 1024)},
      {"real over the limit keeps the newest", 256, [] { return RealBuffer(Ramp(0, 1024)); },
       Ramp(768, 256)},
      {"real at the limit", 4,
       [] {
         return RealBuffer({1, 2, 3, 4});
       },
       Values{1, 2, 3, 4}},
      {"integer", 0, [&] { return com::MakeCom<TSLIntegerBuffer>(Ints, 3u); }, Values{1, -2, 3}},
      {"integer over the limit", 2, [&] { return com::MakeCom<TSLIntegerBuffer>(ManyInts, 6u); },
       Values{5, 6}},
      {"empty integer", 0, [] { return com::MakeCom<TSLIntegerBuffer>(0u); }, Values{}},
      {"empty real", 0, [] { return RealBuffer({}); }, Values{}},
      {"plain memory read as doubles", 0,
       [] {
         auto M = com::MakeCom<TSLMemoryBuffer>(uint32_t(2 * sizeof(double)));
         const double D[] = {0.5, -7};
         std::memcpy(M->ByteWrite(), D, sizeof D);
         return com::TComPtr<ISLDataBuffer>(M);
       },
       Values{0.5, -7}},
      {"complex leaves Y", 0, [] { return com::MakeCom<TSLComplexBuffer>(4u); }, Seed},
      {"bytes leave Y", 0, [] { return com::MakeCom<TSLBlockBuffer>(16u); }, Seed},
      {"non-finite samples pass unchanged", 0,
       [&] {
         return RealBuffer({Inf, -Inf, 1});
       },
       Values{Inf, -Inf, 1}},
  };
  for (const Case &C : Cases) {
    SCOPED_TRACE(C.Name);
    Scope->Limit = 0;
    Channel->GetVC_Data()->SetYData(Seed.data(), 2);
    Scope->Refresh();
    Scope->Limit = C.Limit;
    EXPECT_TRUE(SendBuffer(C.Make()) == TOWNotifyResult{});
    EXPECT_TRUE(Channel->HasNewData());
    EXPECT_EQ(Contents(Channel->InY()), C.ExpectY);
    EXPECT_EQ(Contents(Channel->InX()), Ramp(0, C.ExpectY.size()));
  }
  // A NaN passes as well (NaN compares unequal, so apart from the table).
  SendBuffer(RealBuffer({NaN, 2}));
  EXPECT_TRUE(std::isnan(Channel->InY()->Read()[0]));
}

TEST_F(ScopeChannels, RealBufferWithinTheLimitIsSharedNotCopied) {
  auto B = RealBuffer(Ramp(0, 1024));
  SendBuffer(B);
  EXPECT_EQ(reinterpret_cast<const uint8_t *>(Channel->InY()->Read()), B->ByteRead());
  // The sender's next write into its buffer does not reach the channel.
  reinterpret_cast<double *>(B->ByteModify())[0] = 42;
  EXPECT_EQ(Channel->InY()->Read()[0], 0);
}

// Start operations: the rate each records, its domain flags, and that the
// incoming data is emptied and the scope's caches are cleared.
TEST_F(ScopeChannels, StartOperationsRecordRateAndDomain) {
  struct Case {
    const char *Name;
    std::function<IOWNotifyOperationPtr()> Make;
    double Rate;
    bool Spectrum, Intensity;
  };
  const double NaN = std::numeric_limits<double>::quiet_NaN();
  const Case Cases[] = {
      {"sample rate",
       [] { return TOWNotifyOperation::Make<TOWStartSampleRateOperation>(1024, 44100.0); }, 44100,
       false, false},
      {"plain start", [] { return TOWNotifyOperation::Make<TOWStartOperation>(); }, 10000, false,
       false},
      {"rate start", [] { return TOWNotifyOperation::Make<TOWStartRateOperation>(5.0f); }, 10000,
       false, false},
      {"spectrum", [] { return TOWNotifyOperation::Make<TOWStartSpectrumOperation>(512, 8000.0); },
       8000, true, false},
      {"intensity",
       [] { return TOWNotifyOperation::Make<TOWStartIntensityOperation>(512, 22050.0); }, 22050,
       false, true},
      {"rate 0 is unknown",
       [] { return TOWNotifyOperation::Make<TOWStartSampleRateOperation>(1, 0.0); }, 0, false,
       false},
      {"NaN rate is unknown",
       [&] { return TOWNotifyOperation::Make<TOWStartSampleRateOperation>(1, NaN); }, 0, false,
       false},
      {"infinite rate is unknown",
       [] {
         return TOWNotifyOperation::Make<TOWStartSampleRateOperation>(
             1, std::numeric_limits<double>::infinity());
       },
       0, false, false},
      {"negative rate is unknown",
       [] { return TOWNotifyOperation::Make<TOWStartSampleRateOperation>(1, -48000.0); }, 0, false,
       false},
  };
  for (const Case &C : Cases) {
    SCOPED_TRACE(C.Name);
    SendBuffer(RealBuffer({1, 2, 3}));
    Scope->Refresh();
    Scope->ResetCounts();
    Send(C.Make());
    EXPECT_EQ(Channel->GetSampleRate(), C.Rate);
    EXPECT_EQ(Channel->GetVC_Data()->GetSampleRate(), C.Rate);
    EXPECT_EQ(Channel->GetSpectrum(), C.Spectrum);
    EXPECT_EQ(Channel->GetIntensity(), C.Intensity);
    EXPECT_EQ(Channel->GetVC_Data()->GetSize(), 0u);
    EXPECT_EQ(Channel->InX()->GetSize(), 0u);
    EXPECT_TRUE(Channel->HasNewData());
    EXPECT_EQ(Scope->HistoryResets, 1);
    EXPECT_EQ(Scope->FreqInvalidations, 1);
    // The picture empties at the next refresh.
    EXPECT_EQ(Channel->GetVC_Data()->GetDrawSize(), 3u);
    Scope->Refresh();
    EXPECT_EQ(Channel->GetVC_Data()->GetDrawSize(), 0u);
  }
}

TEST_F(ScopeChannels, StopResetsHistoryOnlyAndOtherOperationsAreIgnored) {
  SendBuffer(RealBuffer({1, 2}));
  Scope->Refresh();
  Scope->ResetCounts();
  Send(TOWNotifyOperation::Make<TOWStopOperation>());
  Send(TOWNotifyOperation::Make<TOWEndStopOperation>());
  EXPECT_EQ(Scope->HistoryResets, 2);
  Send(TOWNotifyOperation::Make<TOWSuppliedBoolOperation>(true));
  Send(TOWNotifyOperation::Make<TOWSuppliedStringOperation>("x"));
  Send(TOWNotifyOperation::Make<TOWClockOperation>());
  EXPECT_EQ(Contents(Channel->InY()), (Values{1, 2}));
  EXPECT_FALSE(Channel->HasNewData());
  EXPECT_EQ(Scope->FreqInvalidations, 0);
}

// Single values of the three kinds append as points; at the limit the
// oldest drops and X keeps counting.
TEST_F(ScopeChannels, SingleValuesAppendPoints) {
  Send(TOWNotifyOperation::Make<TOWSuppliedSingleOperation>(1.5f));
  Send(TOWNotifyOperation::Make<TOWSuppliedRealOperation>(-2.25));
  Send(TOWNotifyOperation::Make<TOWSuppliedIntegerOperation>(7));
  EXPECT_EQ(Contents(Channel->InY()), (Values{1.5, -2.25, 7}));
  EXPECT_EQ(Contents(Channel->InX()), (Values{0, 1, 2}));
  EXPECT_TRUE(Channel->HasNewData());
  Scope->Limit = 3;
  Send(TOWNotifyOperation::Make<TOWSuppliedRealOperation>(8));
  EXPECT_EQ(Contents(Channel->InY()), (Values{-2.25, 7, 8}));
  EXPECT_EQ(Contents(Channel->InX()), (Values{1, 2, 3}));
}

// Through a real link: a real source's buffers and a replayed start reach the
// channel; the pin ignores the upstream chain.
TEST_F(ScopeChannels, LinkedSourceFeedsTheChannel) {
  TOwnedPtr<TSLOWRealSourcePin> Source(
      CreateObject<TSLOWRealSourcePin>(nullptr, TSLOperationEvent()));
  auto *Pin = Channel->GetInputPin();
  EXPECT_TRUE(Pin->HasToIgnoreUpstream());
  EXPECT_NE(dynamic_cast<TSLOWComboRealIntSinkPin *>(Pin), nullptr);
  Source->Notify(TOWNotifyOperation::Make<TOWStartSampleRateOperation>(4, 48000.0).Get());
  ASSERT_TRUE(Pin->Connect(Source.get()));
  EXPECT_EQ(Channel->GetSampleRate(), 48000);
  Source->SubmitBuffer(RealBuffer({4, 5, 6, 7}));
  EXPECT_EQ(Contents(Channel->InY()), (Values{4, 5, 6, 7}));
  Scope->Refresh();
  EXPECT_EQ(Contents(Channel->GetDrawY()), (Values{4, 5, 6, 7}));
  EXPECT_EQ(Contents(Channel->GetDrawX()), (Values{0, 1, 2, 3}));
  EXPECT_FALSE(Channel->HasNewData());
  EXPECT_TRUE(Channel->GetWasChanged());
  EXPECT_GE(Scope->MinMaxInvalidations, 1);
  // Freeing the channel unlinks and frees its pin; the source stays.
  Scope->ResetCounts();
  FreeObject(Channel);
  EXPECT_EQ(Scope->Pins->GetCount(), 0);
  EXPECT_EQ(Scope->PinsDestroyed, 1);
  EXPECT_TRUE(Scope->RecalcRects);
  EXPECT_FALSE(Source->IsConnected());
  Source->SubmitBuffer(RealBuffer({1}));
}

// Draw and incoming data differ between a change and the next refresh.
TEST_F(ScopeChannels, HandOverMovesIncomingToDrawBuffers) {
  const double Y[] = {1, 2, 3};
  Channel->GetVC_Data()->SetYData(Y, 3);
  EXPECT_EQ(Channel->GetVC_Data()->GetDrawSize(), 0u);
  Scope->Refresh();
  EXPECT_EQ(Channel->GetVC_Data()->GetDrawSize(), 3u);
  Channel->GetVC_Data()->AddYPoint(4);
  EXPECT_EQ(Channel->GetVC_Data()->GetSize(), 4u);
  EXPECT_EQ(Contents(Channel->GetDrawY()), (Values{1, 2, 3}));
  Scope->Refresh();
  EXPECT_EQ(Contents(Channel->GetDrawY()), (Values{1, 2, 3, 4}));
}

// Lowering the size limit keeps every channel's newest samples (X and Y).
TEST_F(ScopeChannels, SizeLimitKeepsTheNewestSamples) {
  const Values Y = Ramp(100, 10);
  Channel->GetVC_Data()->SetYData(Y.data(), 10);
  Scope->Refresh();
  Scope->SetSizeLimit(4);
  EXPECT_EQ(Contents(Channel->InY()), (Values{106, 107, 108, 109}));
  EXPECT_EQ(Contents(Channel->InX()), (Values{6, 7, 8, 9}));
  EXPECT_TRUE(Channel->HasNewData());
  Scope->Refresh();
  EXPECT_EQ(Channel->GetVC_Data()->GetDrawSize(), 4u);
  // A raised limit or none cuts nothing.
  Scope->SetSizeLimit(0);
  Scope->SetSizeLimit(8);
  EXPECT_EQ(Channel->GetVC_Data()->GetSize(), 4u);
}

TEST_F(ScopeChannels, PaletteGivesTheLeastUsedColour) {
  const TColor Expected[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFFFF00,
                             0xF0FBFF, 0x008080, 0xFFFFFF, 0xC0C0C0, 0x800080,
                             0xFF00FF, 0x808000, 0x800000, 0x0000FF, 0x00FF00};
  FreeObject(Channel);
  for (size_t I = 0; I < std::size(Expected); ++I) {
    SCOPED_TRACE(I);
    EXPECT_EQ(Channels->Add()->GetColor(), Expected[I]);
  }
  // A freed colour is taken again first.
  FreeObject(Channels->GetItem(2));
  EXPECT_EQ(Channels->Add()->GetColor(), 0xFF0000);
}

TEST_F(ScopeChannels, ThirdChannelAfterRedAndLimeIsBlue) {
  Channels->Add()->SetColor(clLime);
  Channel->SetColor(clRed);
  Scope->ResetCounts();
  EXPECT_EQ(Channels->Add()->GetColor(), 0xFF0000);
  EXPECT_GE(Scope->Recalcs, 1);
}

TEST_F(ScopeChannels, SettingsRepaintOnlyOnChange) {
  struct Case {
    const char *Name;
    std::function<void()> Set;
    int32_t Width;
    int Recalcs;
  };
  const Case Cases[] = {
      {"width 0 stores 1", [&] { Channel->SetWidth(0); }, 1, 0},
      {"width 5000 stores 2000", [&] { Channel->SetWidth(5000); }, 2000, 1},
      {"width -7 stores 1", [&] { Channel->SetWidth(-7); }, 1, 1},
      {"width 3", [&] { Channel->SetWidth(3); }, 3, 1},
      {"same width", [&] { Channel->SetWidth(3); }, 3, 0},
  };
  for (const Case &C : Cases) {
    SCOPED_TRACE(C.Name);
    Scope->ResetCounts();
    C.Set();
    EXPECT_EQ(Channel->GetWidth(), C.Width);
    EXPECT_EQ(Scope->Recalcs, C.Recalcs);
  }
  Scope->ResetCounts();
  Channel->SetColor(Channel->GetColor());
  Channel->SetChannelMode(cmLine);
  Channel->SetShadeMode(csmZero);
  Channel->SetVisible(true);
  EXPECT_EQ(Scope->Recalcs + Scope->Invalidations, 0);
  Channel->SetChannelMode(cmBar);
  Channel->SetShadeMode(csmTop);
  EXPECT_EQ(Scope->Invalidations, 2);
  Channel->SetColor(clAqua);
  EXPECT_EQ(Scope->Recalcs, 1);
}

std::vector<std::string> PinNames(TOWPinList *Pins) {
  std::vector<std::string> N;
  for (int I = 0; I < Pins->GetCount(); ++I)
    N.push_back(Pins->GetName(I));
  return N;
}

std::vector<std::string> ChannelNames(TSLScopeChannels *Channels) {
  std::vector<std::string> N;
  for (int I = 0; I < Channels->Count(); ++I)
    N.push_back(Channels->GetItem(I)->GetName());
  return N;
}

TEST_F(ScopeChannels, PinsAreNamedAfterTheirChannels) {
  EXPECT_EQ(Channel->GetName(), "Channel0");
  EXPECT_EQ(Scope->Pins->GetPin(0), Channel->GetInputPin());
  auto *Second = Channels->Add();
  EXPECT_EQ(Second->GetName(), "Channel1");
  Second->SetName("Right");
  EXPECT_EQ(PinNames(Scope->Pins), (std::vector<std::string>{"Channel0", "Right"}));
  // The number counts pins, not channels: a third pin held by the list
  // makes the next channel Channel3.
  Scope->Pins->AddNamed(SLCreateChannelPin(Scope.get(), TSLOperationEvent()), "Extra");
  EXPECT_EQ(Channels->Add()->GetName(), "Channel3");
}

// Moving a channel moves its pin the same way, so pin i is always channel
// i's; each step is reported to the scope.
TEST_F(ScopeChannels, MovingAChannelMovesItsPin) {
  Channels->Add();
  Channels->Add();
  auto Order = [&] {
    std::vector<int> O;
    for (int I = 0; I < Channels->Count(); ++I) {
      EXPECT_EQ(Scope->Pins->GetPin(I), Channels->GetItem(I)->GetInputPin()) << "at " << I;
      O.push_back(Channels->GetItem(I)->GetName().back() - '0');
    }
    return O;
  };
  Scope->ResetCounts();
  Channels->GetItem(1)->SetIndex(2);
  EXPECT_EQ(Order(), (std::vector<int>{0, 2, 1}));
  EXPECT_EQ(Scope->Swaps, (std::vector<std::pair<int32_t, int32_t>>{{1, 2}}));
  EXPECT_GE(Scope->Invalidations, 1);
  Channels->GetItem(2)->SetIndex(1);
  EXPECT_EQ(Order(), (std::vector<int>{0, 1, 2}));
  Scope->ResetCounts();
  Channels->GetItem(2)->SetIndex(0);
  EXPECT_EQ(Order(), (std::vector<int>{2, 0, 1}));
  EXPECT_EQ(PinNames(Scope->Pins), (std::vector<std::string>{"Channel2", "Channel0", "Channel1"}));
  EXPECT_EQ(Scope->Swaps, (std::vector<std::pair<int32_t, int32_t>>{{2, 1}, {1, 0}}));
  // Renaming after the move names the channel's own pin.
  Channels->GetItem(0)->SetName("Two");
  EXPECT_EQ(Scope->Pins->GetName(0), "Two");
  EXPECT_THROW(Channels->GetItem(0)->SetIndex(3), EListError);
  EXPECT_EQ(ChannelNames(Channels), (std::vector<std::string>{"Two", "Channel0", "Channel1"}));
}

TEST_F(ScopeChannels, AssignSharesDataAndColourOnly) {
  auto *Other = Channels->Add();
  const double Y[] = {5, 6};
  Other->GetVC_Data()->SetYData(Y, 2);
  Other->SetWidth(4);
  Scope->Refresh();
  Channel->Assign(Other);
  EXPECT_EQ(Contents(Channel->InY()), (Values{5, 6}));
  EXPECT_EQ(Contents(Channel->GetDrawY()), (Values{5, 6}));
  EXPECT_EQ(Channel->GetColor(), Other->GetColor());
  EXPECT_EQ(Channel->GetWidth(), 1);
  // The copies are apart: new data for one leaves the other.
  Other->GetVC_Data()->AddYPoint(7);
  EXPECT_EQ(Channel->GetVC_Data()->GetSize(), 2u);
  TOwnedPtr<TSLScopeChannels> Foreign(
      CreateObject<TSLScopeChannels>(static_cast<ISLScopeHost *>(Scope.get())));
  EXPECT_THROW(Channel->Assign(Foreign.get()), EConvertError);
}

} // namespace
