#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/data/SLCommonFilter.h"
#include "framework/data/Slfiltertypes.h"
#include "tests/framework/data/SLBufferTestSupport.h"

namespace {

template <class T> using Owned = TOwnedPtr<T>;

// Records what the filter is told, in order, into a shared log.
class TRecordingRealFilter : public TSLCommonRealFilter {
public:
  TRecordingRealFilter(TComponent *owner, std::vector<std::string> &log)
      : TSLCommonRealFilter(owner), log_(log) {}
  void SetSamples(int n) override { log_.push_back("samples " + std::to_string(n)); }
  void SetSampleRate(double r) override {
    log_.push_back("rate " + std::to_string(static_cast<int>(r)));
    TSLCommonRealFilter::SetSampleRate(r);
  }
  void Reset() override { log_.push_back("reset"); }
  void Stop() override {
    TSLCommonRealFilter::Stop();
    log_.push_back("stop, rate " + std::to_string(static_cast<int>(GetVC_SampleRate())));
  }
  bool CanInline() override { return inlineWork; }
  // Out = 2 * In.
  void FilterInternalOperation(ISLRealBuffer *InBuffer, TBufferPtr &OutBuffer,
                               bool &SendOutput) override {
    ++processed;
    ownedOut = OutBuffer->GetInstance()->OwnsData();
    double *out = OutBuffer->Write();
    const double *in = InBuffer->Read();
    for (uint32_t i = 0; i < OutBuffer->GetSize(); ++i)
      out[i] = 2 * in[i];
    SendOutput = send;
  }
  bool ownedOut = true;
  bool inlineWork = false;
  bool send = true;
  int processed = 0;

private:
  std::vector<std::string> &log_;
};

class SLCommonFilterTest : public SLRealChainTest {
protected:
  SLCommonFilterTest() : SLRealChainTest("forwarded") {}
  void TearDown() override {
    filter.reset();
    SLRealChainTest::TearDown();
  }
  TRecordingRealFilter *MakeFilter() {
    filter.reset(CreateObject<TRecordingRealFilter>(nullptr, log));
    EXPECT_TRUE(filter->GetInputPin()->Connect(source.get()));
    EXPECT_TRUE(sink->Connect(filter->GetOutputPin()));
    log.clear();
    return filter.get();
  }

  Owned<TRecordingRealFilter> filter;
};

TEST_F(SLCommonFilterTest, StartAndStopReachTheFilterBeforeTheyAreSentOn) {
  TRecordingRealFilter *f = MakeFilter();
  source->Notify(TOWNotifyOperation::Make<TOWStartSampleRateOperation>(1024, 44100.0).Get());
  EXPECT_EQ(f->GetVC_SampleRate(), 44100.0);
  source->Stop();
  EXPECT_EQ(log, (std::vector<std::string>{"samples 1024", "rate 44100", "reset", "forwarded start",
                                           "stop, rate 0", "forwarded stop"}));
  log.clear();
  source->Notify(TOWNotifyOperation::Make<TOWStartOperation>().Get());
  EXPECT_EQ(log, (std::vector<std::string>{"samples 1", "reset", "forwarded start"}));
}

TEST_F(SLCommonFilterTest, DisabledFilterSendsTheSamplesOnUnchanged) {
  TRecordingRealFilter *f = MakeFilter();
  f->SetEnabled(false);
  const double data[] = {1, 2};
  com::TComPtr<TSLRealBuffer> in = com::MakeCom<TSLRealBuffer>(data, 2u);
  source->SubmitBuffer(in);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0]->ByteRead(), in->ByteRead());
  EXPECT_EQ(f->processed, 0);
}

TEST_F(SLCommonFilterTest, EnabledFilterProcessesACopyUnlessItMayWorkInPlace) {
  TRecordingRealFilter *f = MakeFilter();
  const double data[] = {1, 2};
  com::TComPtr<TSLRealBuffer> in = com::MakeCom<TSLRealBuffer>(data, 2u);
  source->SubmitBuffer(in);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(reinterpret_cast<const double *>(received[0]->ByteRead())[1], 4);
  EXPECT_EQ(in->GetItem(1), 2); // the sender's samples are untouched
  EXPECT_TRUE(f->ownedOut);
  // As the last receiver of the fan-out, a filter that works in place gets an
  // output that does not claim the samples.
  f->inlineWork = true;
  received.clear();
  source->SubmitBuffer(in);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_FALSE(f->ownedOut);
  EXPECT_EQ(reinterpret_cast<const double *>(received[0]->ByteRead())[1], 4);
}

TEST_F(SLCommonFilterTest, ClearedSendOutputSendsNothing) {
  TRecordingRealFilter *f = MakeFilter();
  f->send = false;
  source->SubmitBuffer(com::MakeCom<TSLRealBuffer>(3u));
  EXPECT_EQ(f->processed, 1);
  EXPECT_TRUE(received.empty());
}

TEST_F(SLCommonFilterTest, HookRunsOnlyWithTheOutputLinked) {
  TRecordingRealFilter *f = MakeFilter();
  sink->Disconnect();
  source->SubmitBuffer(com::MakeCom<TSLRealBuffer>(3u));
  EXPECT_EQ(f->processed, 0);
}

TEST_F(SLCommonFilterTest, SingleValuesRunThroughTheBufferHook) {
  TRecordingRealFilter *f = MakeFilter();
  Owned<TOWRealSourcePin> values(CreateObject<TOWRealSourcePin>(nullptr));
  ASSERT_TRUE(f->GetInputPin()->Connect(values.get()));
  // The new link carried the source's current value already.
  log.clear();
  f->processed = 0;
  values->SubmitReal(3);
  EXPECT_EQ(f->processed, 1);
  f->SetEnabled(false);
  values->SubmitReal(5);
  EXPECT_EQ(log, (std::vector<std::string>{"single 6.000000", "single 5.000000"}));
  // A hook that clears SendOutput lets the value operation itself pass.
  f->SetEnabled(true);
  f->send = false;
  log.clear();
  values->SubmitReal(7);
  EXPECT_TRUE(log.empty()); // a double value reaches a real-buffer sink as nothing it knows
}

TEST_F(SLCommonFilterTest, EnablePinSwitchesTheFilter) {
  TRecordingRealFilter *f = MakeFilter();
  Owned<TOWBoolSourcePin> enable(CreateObject<TOWBoolSourcePin>(nullptr));
  ASSERT_TRUE(f->GetEnablePin()->Connect(enable.get()));
  enable->SetValue(true);
  enable->SetValue(false);
  EXPECT_FALSE(f->GetEnabled());
  source->SubmitBuffer(com::MakeCom<TSLRealBuffer>(3u));
  EXPECT_EQ(f->processed, 0);
  enable->SetValue(true);
  EXPECT_TRUE(f->GetEnabled());
}

TEST_F(SLCommonFilterTest, EnabledComplexFilterWithoutHookSendsAClearedBufferOfTheSameLength) {
  Owned<TSLOWComplexSourcePin> in(
      CreateObject<TSLOWComplexSourcePin>(nullptr, TSLOperationEvent()));
  std::vector<com::TComPtr<ISLDataBuffer>> out;
  Owned<TSLOWComplexSinkPin> tap(CreateObject<TSLOWComplexSinkPin>(
      nullptr, [&out](TOWPin *, const TGUID *, IOWNotifyOperation *op, TOWNotifyState) {
        if (const auto *b = OWOperationAs<TOWSuppliedBufferOperation>(op))
          out.push_back(b->Buffer());
        return TOWNotifyResult{};
      }));
  Owned<TSLCommonComplexFilter> f(CreateObject<TSLCommonComplexFilter>(nullptr));
  ASSERT_TRUE(f->GetInputPin()->Connect(in.get()));
  ASSERT_TRUE(tap->Connect(f->GetOutputPin()));
  com::TComPtr<TSLComplexBuffer> b = com::MakeCom<TSLComplexBuffer>(3u);
  b->SetValue(1, 2);
  in->SubmitBuffer(b);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0]->GetSize(), 3u);
  EXPECT_NE(out[0]->ByteRead(), b->ByteRead());
  for (uint32_t i = 0; i < out[0]->GetByteSize(); ++i)
    EXPECT_EQ(out[0]->ByteRead()[i], 0);
  f->SetEnabled(false);
  in->SubmitBuffer(b);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[1]->ByteRead(), b->ByteRead());
  out.clear();
}

TEST_F(SLCommonFilterTest, TypedBasesPublishTheirPinsAndSwitch) {
  Owned<TSLCommonBinaryFilter> f(CreateObject<TSLCommonBinaryFilter>(nullptr));
  const TClassInfo &info = f->ClassInfo();
  for (const char *name : {"OutputPin", "InputPin", "EnablePin", "Enabled"})
    EXPECT_NE(info.FindProperty(name), nullptr) << name;
  // The binary base keeps its lock object out of the pins' group.
  EXPECT_NE(f->GetLockObject()->GetGroupLock(), f->GetInputPin()->GetGroupLock());
  Owned<TSLCommonIntegerFilter> g(CreateObject<TSLCommonIntegerFilter>(nullptr));
  EXPECT_EQ(g->GetLockObject()->GetGroupLock(), g->GetInputPin()->GetGroupLock());
}

// ---------------------------------------------------------------------------
// Enumeration display names

struct NameCase {
  const char *name;
  bool removePrefix, insertSpaces;
  const char *shown;
};

class SLEnumNames : public testing::TestWithParam<NameCase> {};

TEST_P(SLEnumNames, FollowTheCaseRules) {
  const NameCase &c = GetParam();
  EXPECT_EQ(SLEnumNameToString(c.name, c.removePrefix, c.insertSpaces), c.shown);
}

INSTANTIATE_TEST_SUITE_P(Table, SLEnumNames,
                         testing::Values(NameCase{"msTriangleUp", true, true, "Triangle Up"},
                                         NameCase{"msHLine", true, true, "H Line"},
                                         NameCase{"bsFDiagonal", true, false, "FDiagonal"},
                                         NameCase{"cmLine", true, false, "Line"},
                                         NameCase{"msTriangleUp", false, false, "msTriangleUp"},
                                         NameCase{"ab1Cd", true, false, "Cd"},
                                         NameCase{"abc", true, false, "c"},
                                         NameCase{"Ax2y", false, true, "Ax 2y"},
                                         NameCase{"x", true, true, "x"}));

TEST(SLEnumTypeToStrings, OneLinePerValueInOrder) {
  TStringList list;
  list.Add("old");
  SLEnumTypeToStrings({"tsOne", "tsTwoThree"}, list, true, true);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Strings(0), "One");
  EXPECT_EQ(list.Strings(1), "Two Three");
}

} // namespace
