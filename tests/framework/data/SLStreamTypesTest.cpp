#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/data/SLStreamTypes.h"
#include "tests/framework/data/SLBufferTestSupport.h"

namespace {

template <class T> using Owned = TOwnedPtr<T>;

// One operation seen by a recording pin.
struct TSeen {
  std::string Pin;
  int64_t ID;
  std::string Kind;
  ISLDataBuffer *Buffer;
};

std::string KindOf(IOWNotifyOperation *op) {
  if (OWOperationAs<TOWStartSampleRateOperation>(op))
    return "rate-start";
  if (OWOperationAs<TOWStartOperation>(op))
    return "start";
  if (OWOperationAs<TOWEndStopOperation>(op))
    return "end-stop";
  if (OWOperationAs<TOWStopOperation>(op))
    return "stop";
  if (OWOperationAs<TOWSuppliedBufferOperation>(op))
    return "buffer";
  if (OWOperationAs<TOWMasterPumpOperation>(op))
    return "pump";
  if (OWOperationAs<TOWSuppliedSingleOperation>(op))
    return "single";
  return "other";
}

class SLStreamTypesTest : public SLCountedTest {
protected:
  TSLOperationEvent Recorder(const std::string &name, bool raise = false) {
    return [this, name, raise](TOWPin *, const TGUID *, IOWNotifyOperation *op, TOWNotifyState) {
      const auto *supplied = OWOperationAs<TOWSuppliedBufferOperation>(op);
      seen.push_back({name, op->Instance()->GetOperationID(), KindOf(op),
                      supplied ? supplied->Buffer() : nullptr});
      if (raise)
        throw Exception("receiver failed");
      return TOWNotifyResult{};
    };
  }
  std::vector<std::string> Kinds(const std::string &pin) const {
    std::vector<std::string> r;
    for (const TSeen &s : seen)
      if (s.Pin == pin)
        r.push_back(s.Kind);
    return r;
  }
  Owned<TSLOWRealSourcePin> RealSource() {
    return Owned<TSLOWRealSourcePin>(
        CreateObject<TSLOWRealSourcePin>(nullptr, Recorder("source"), 0));
  }
  Owned<TSLOWRealSinkPin> RealSink(const std::string &name, bool raise = false) {
    return Owned<TSLOWRealSinkPin>(CreateObject<TSLOWRealSinkPin>(nullptr, Recorder(name, raise)));
  }

  std::vector<TSeen> seen;
};

// ---------------------------------------------------------------------------
// Registry

TEST_F(SLStreamTypesTest, RegistryHoldsTheFiveBufferTypesInOrder) {
  ASSERT_EQ(SLOWGetStreamTypesCount(), 5);
  EXPECT_EQ(SLOWGetStreamType(0), IOWSLChannelStream::IID);
  EXPECT_EQ(SLOWGetStreamType(1), IOWSLBinaryStream::IID);
  EXPECT_EQ(SLOWGetStreamType(4), IOWSLComplexStream::IID);
  EXPECT_THROW(SLOWGetStreamType(5), EListError);
  EXPECT_EQ(SLOWGetSampleSize(IOWSLRealStream::IID), 8);
  EXPECT_EQ(SLOWGetSampleSize(IOWSLIntegerStream::IID), 4);
  EXPECT_EQ(SLOWGetSampleSize(IOWSLComplexStream::IID), 16);
  EXPECT_EQ(SLOWGetSampleSize(IOWSLUniversalStream::IID), 1);
  EXPECT_EQ(SLOWGetSampleSize(IOWFloatStream::IID), 1);
  EXPECT_NE(OWGetDefaultHandler(IOWSLRealStream::IID), nullptr);
}

TEST_F(SLStreamTypesTest, RegistryMakesAndUpdatesBuffers) {
  com::TComPtr<ISLDataBuffer> b = SLOWCreateBuffer(IOWSLRealStream::IID, 6);
  ASSERT_TRUE(b);
  EXPECT_TRUE(com::TComPtr<ISLRealBuffer>::Query(b));
  EXPECT_EQ(b->GetSize(), 6u);
  EXPECT_FALSE(SLOWCreateBuffer(IOWFloatStream::IID, 6));
  SLOWUpdateBuffer(IOWSLRealStream::IID, b.Get(),
                   TOWNotifyOperation::Make<TOWStartSampleRateOperation>(1024, 44100.0).Get());
  EXPECT_EQ(b->GetSize(), 1024u);
  SLOWUpdateBuffer(IOWSLRealStream::IID, b.Get(),
                   TOWNotifyOperation::Make<TOWStopOperation>().Get());
  EXPECT_EQ(b->GetSize(), 1024u);
  SLOWUpdateBuffer(IOWFloatStream::IID, b.Get(),
                   TOWNotifyOperation::Make<TOWStartSampleRateOperation>(2, 1.0).Get());
  EXPECT_EQ(b->GetSize(), 1024u);
}

TEST_F(SLStreamTypesTest, ReregisteringKeepsTheFirstSampleSize) {
  const TGUID id = TGUID::FromLiteral("{0C1D2E3F-4A5B-4C6D-8E9F-A0B1C2D3E4F5}");
  SLOWRegisterStreamType(id, 2, [](uint32_t n) {
    return com::TComPtr<ISLDataBuffer>(com::MakeCom<TSLBlockBuffer>(n));
  });
  SLOWRegisterStreamType(id, 3, [](uint32_t n) {
    return com::TComPtr<ISLDataBuffer>(com::MakeCom<TSLRealBuffer>(n));
  });
  EXPECT_EQ(SLOWGetSampleSize(id), 2);
  EXPECT_TRUE(com::TComPtr<ISLRealBuffer>::Query(SLOWCreateBuffer(id, 1)));
  EXPECT_EQ(SLOWGetStreamTypesCount(), 6);
  SLStreamTypesFinalization();
  SLStreamTypesInitialization();
  EXPECT_EQ(SLOWGetStreamTypesCount(), 5);
}

TEST(SLStartSampleRate, RateIsSamplesPerBufferAsSingle) {
  TOWStartSampleRateOperation op(1024, 44100.0);
  EXPECT_EQ(op.Rate(), static_cast<float>(44100.0 / 1024));
  EXPECT_EQ(op.BufferSize(), 1024);
  EXPECT_EQ(op.SampleRate(), 44100.0);
  EXPECT_EQ(TOWStartSampleRateOperation(0, 8000.0).Rate(), 8000.0f);
}

// ---------------------------------------------------------------------------
// Delivery

TEST_F(SLStreamTypesTest, SubmittedBufferReachesTheSinkUncopied) {
  auto source = RealSource();
  auto sink = RealSink("sink");
  ASSERT_TRUE(sink->Connect(source.get()));
  EXPECT_EQ(source->GetConnectionID(sink.get()), IOWSLRealStream::IID);
  com::TComPtr<TSLRealBuffer> buffer = com::MakeCom<TSLRealBuffer>(4u);
  seen.clear();
  source->SubmitBuffer(buffer);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].Kind, "buffer");
  EXPECT_EQ(seen[0].Buffer, static_cast<ISLDataBuffer *>(buffer.Get()));
}

TEST_F(SLStreamTypesTest, ANewSinkIsGreetedWithTheLastStartOnly) {
  auto source = RealSource();
  auto first = RealSink("first");
  ASSERT_TRUE(first->Connect(source.get()));
  IOWNotifyOperationPtr start = TOWNotifyOperation::Make<TOWStartSampleRateOperation>(512, 48000.0);
  source->Notify(start.Get());
  source->SubmitBuffer(com::MakeCom<TSLRealBuffer>(2u));
  auto late = RealSink("late");
  ASSERT_TRUE(late->Connect(source.get()));
  ASSERT_EQ(Kinds("late"), (std::vector<std::string>{"rate-start"}));
  EXPECT_EQ(seen.back().ID, start->Instance()->GetOperationID());
  source->Stop();
  auto after = RealSink("after");
  ASSERT_TRUE(after->Connect(source.get()));
  EXPECT_TRUE(Kinds("after").empty());
  EXPECT_FALSE(source->GetLastStart());
}

TEST_F(SLStreamTypesTest, EndStopClearsTheStartLikeAStop) {
  auto source = RealSource();
  source->Notify(TOWNotifyOperation::Make<TOWStartOperation>().Get());
  EXPECT_TRUE(source->GetLastStart());
  source->EndStop();
  EXPECT_FALSE(source->GetLastStart());
  source->Notify(TOWNotifyOperation::Make<TOWStartOperation>().Get());
  source->Notify(TOWNotifyOperation::Make<TOWSLPauseOperation>().Get());
  EXPECT_TRUE(source->GetLastStart());
}

TEST_F(SLStreamTypesTest, UnlinkingSendsAStopEvenWithoutAStream) {
  auto source = RealSource();
  auto sink = RealSink("sink");
  auto other = RealSink("other");
  ASSERT_TRUE(sink->Connect(source.get()));
  ASSERT_TRUE(other->Connect(source.get()));
  seen.clear();
  sink->Disconnect();
  EXPECT_EQ(Kinds("sink"), (std::vector<std::string>{"stop"}));
  EXPECT_TRUE(Kinds("other").empty());
  EXPECT_FALSE(sink->IsConnected());
}

TEST_F(SLStreamTypesTest, AFailingReceiverDoesNotReachTheSubmitter) {
  auto source = RealSource();
  auto good1 = RealSink("good1");
  auto bad = RealSink("bad", true);
  auto good2 = RealSink("good2");
  ASSERT_TRUE(good1->Connect(source.get()));
  ASSERT_TRUE(bad->Connect(source.get()));
  ASSERT_TRUE(good2->Connect(source.get()));
  for (int round = 0; round < 2; ++round) {
    seen.clear();
    EXPECT_NO_THROW(source->SubmitBuffer(com::MakeCom<TSLRealBuffer>(1u)));
    // Nothing after the failing receiver got this buffer.
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().Pin, "bad");
  }
  EXPECT_THROW(source->Notify(TOWNotifyOperation::Make<TOWSuppliedBufferOperation>(
                                  com::MakeCom<TSLRealBuffer>(1u))
                                  .Get()),
               Exception);
}

TEST_F(SLStreamTypesTest, ClockSinkTicksOncePerBuffer) {
  auto source = RealSource();
  int ticks = 0;
  Owned<TOWClockSinkPin> clock(CreateObject<TOWClockSinkPin>(
      nullptr, [&ticks](TOWPin *) { ++ticks; }, nullptr));
  ASSERT_TRUE(clock->Connect(source.get()));
  EXPECT_EQ(source->GetConnectionID(clock.get()), IOWClockStream::IID);
  ticks = 0;
  source->Notify(TOWNotifyOperation::Make<TOWStartOperation>().Get());
  source->SubmitBuffer(com::MakeCom<TSLRealBuffer>(1u));
  source->SubmitBuffer(com::MakeCom<TSLRealBuffer>(1u));
  source->Stop();
  EXPECT_EQ(ticks, 2);
}

TEST_F(SLStreamTypesTest, FloatSinkFollowsARealStreamWithTheFirstItem) {
  Owned<TSLOWRealSourcePin> source(CreateObject<TSLOWRealSourcePin>(nullptr, TSLOperationEvent()));
  std::vector<float> values;
  Owned<TOWFloatSinkPin> single(CreateObject<TOWFloatSinkPin>(
      nullptr, [&values](TOWPin *, float v) { values.push_back(v); }, nullptr));
  ASSERT_TRUE(single->Connect(source.get()));
  EXPECT_EQ(source->GetConnectionID(single.get()), IOWFloatStream::IID);
  values.clear();
  const double data[] = {2.5, 7};
  source->SubmitBuffer(com::MakeCom<TSLRealBuffer>(data, 2u));
  source->Notify(TOWNotifyOperation::Make<TOWStartOperation>().Get());
  EXPECT_EQ(values, (std::vector<float>{2.5f}));
  // An empty buffer fails with the range error, which SubmitBuffer drops.
  EXPECT_NO_THROW(source->SubmitBuffer(com::MakeCom<TSLRealBuffer>()));
  EXPECT_THROW(source->Notify(TOWNotifyOperation::Make<TOWSuppliedBufferOperation>(
                                  com::MakeCom<TSLRealBuffer>())
                                  .Get()),
               ERangeError);
}

TEST_F(SLStreamTypesTest, SinksSendUpstreamToTheSourcesOwner) {
  auto source = RealSource();
  auto sink = RealSink("sink");
  ASSERT_TRUE(sink->Connect(source.get()));
  seen.clear();
  sink->MasterPump(nullptr);
  sink->BCBNotify(TOWNotifyOperation::Make<TOWStopOperation>().Get());
  EXPECT_EQ(Kinds("source"), (std::vector<std::string>{"pump", "stop"}));
}

struct LinkCase {
  const char *name;
  TGUID expected;
};

TEST_F(SLStreamTypesTest, LinksTakeTheMostRecentTypeTheSinkImplements) {
  Owned<TSLOWChannelSourcePin> channel(
      CreateObject<TSLOWChannelSourcePin>(nullptr, TSLOperationEvent(), TSLDispatchEvent()));
  EXPECT_EQ(channel->GetMaxSampleSize(), 1);
  Owned<TSLOWComboRealIntSinkPin> scope(
      CreateObject<TSLOWComboRealIntSinkPin>(nullptr, Recorder("scope")));
  ASSERT_TRUE(scope->Connect(channel.get()));
  EXPECT_EQ(channel->GetConnectionID(scope.get()), IOWSLRealStream::IID);
  Owned<TSLOWComplexSinkPin> complex(
      CreateObject<TSLOWComplexSinkPin>(nullptr, Recorder("complex")));
  ASSERT_TRUE(complex->Connect(channel.get()));
  EXPECT_EQ(channel->GetMaxSampleSize(), 16);
  // The channel sink implements neither the generic nor the universal stream.
  Owned<TSLOWChannelSinkPin> sink(CreateObject<TSLOWChannelSinkPin>(nullptr, Recorder("sink")));
  EXPECT_EQ(sink->RequestInterfaceOnly(IOWSLChannelStream::IID), E_NOINTERFACE);
  ASSERT_TRUE(sink->Connect(channel.get()));
  EXPECT_EQ(channel->GetConnectionID(sink.get()), IOWSLRealStream::IID);
  // A binary source cannot feed a real sink.
  Owned<TSLOWBinarySourcePin> binary(
      CreateObject<TSLOWBinarySourcePin>(nullptr, TSLOperationEvent()));
  auto real = RealSink("real");
  EXPECT_FALSE(real->Connect(binary.get()));
}

TEST_F(SLStreamTypesTest, ChannelSourceDispatchEventReplacesTheDelivery) {
  int dispatched = 0;
  Owned<TSLOWChannelSourcePin> channel(CreateObject<TSLOWChannelSourcePin>(
      nullptr, TSLOperationEvent(),
      [&dispatched](IOWStream *, const TGUID *, IOWNotifyOperation *, TOWNotifyState) {
        ++dispatched;
        return TOWNotifyResult{};
      }));
  auto sink = RealSink("sink");
  ASSERT_TRUE(sink->Connect(channel.get()));
  dispatched = 0;
  seen.clear();
  channel->SubmitBuffer(com::MakeCom<TSLRealBuffer>(1u));
  EXPECT_EQ(dispatched, 1);
  EXPECT_TRUE(Kinds("sink").empty());
}

TEST_F(SLStreamTypesTest, UniversalPinsRefuseTheUniversalType) {
  Owned<TSLOWUniversalSinkPin> sink(CreateObject<TSLOWUniversalSinkPin>(nullptr));
  EXPECT_NE(sink->RequestInterfaceOnly(IOWSLUniversalStream::IID), S_OK);
  EXPECT_EQ(sink->RequestInterfaceOnly(IOWSLRealStream::IID), S_OK);
  EXPECT_EQ(sink->GetTypes().GetLength(), 1 + SLOWGetStreamTypesCount());
  Owned<TSLOWUniversalSourcePin> source(CreateObject<TSLOWUniversalSourcePin>(nullptr));
  EXPECT_NE(source->RequestInterfaceOnly(IOWSLUniversalStream::IID), S_OK);
  auto real = RealSink("real");
  ASSERT_TRUE(real->Connect(source.get()));
  EXPECT_EQ(source->GetConnectionID(real.get()), IOWSLRealStream::IID);
  seen.clear();
  source->SubmitBuffer(com::MakeCom<TSLRealBuffer>(1u));
  EXPECT_EQ(Kinds("real"), (std::vector<std::string>{"buffer"}));
}

} // namespace
