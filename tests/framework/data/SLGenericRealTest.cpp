#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/data/SLGenericReal.h"
#include "platform/classlib/FormStream.h"
#include "platform/mainloop/MainLoop.h"
#include "tests/framework/data/SLBufferTestSupport.h"

namespace {

template <class T> using Owned = TOwnedPtr<T>;

class SLGenericRealTest : public SLRealChainTest {
protected:
  SLGenericRealTest() : SLRealChainTest("downstream") {}
  void SetUp() override {
    Loop().RunPending();
    SLRealChainTest::SetUp();
    filter.reset(CreateObject<TSLGenericReal>(nullptr));
    EXPECT_TRUE(filter->GetInputPin()->Connect(source.get()));
    EXPECT_TRUE(sink->Connect(filter->GetOutputPin()));
    log.clear();
  }
  void TearDown() override {
    filter.reset();
    Loop().RunPending();
    SLRealChainTest::TearDown();
  }
  static mainloop::TMainLoop &Loop() { return mainloop::TMainLoop::Main(); }
  static com::TComPtr<TSLRealBuffer> Buffer(std::vector<double> v) {
    return com::MakeCom<TSLRealBuffer>(v.data(), static_cast<uint32_t>(v.size()));
  }
  static double First(ISLDataBuffer *b) {
    return reinterpret_cast<const double *>(b->ByteRead())[0];
  }
  // A handler that doubles the samples into OutBuffer and logs the first input.
  void Doubling() {
    filter->OnProcessData.Fn = [this](TObject *, TSLCRealBuffer In, TSLCRealBuffer &Out,
                                      bool &Send) {
      log.push_back("process " + std::to_string(static_cast<int>(In.Read()[0])) + " of " +
                    std::to_string(In.Count()));
      Out.Multiply(2);
      Send = send;
    };
  }

  bool send = true;
  Owned<TSLGenericReal> filter;
};

TEST_F(SLGenericRealTest, WithoutAHandlerBuffersPassUnchanged) {
  com::TComPtr<TSLRealBuffer> b = Buffer({1, 2});
  source->SubmitBuffer(b);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0]->ByteRead(), b->ByteRead());
  filter->SetSynchronizeType(stQueue);
  source->SubmitBuffer(b);
  EXPECT_EQ(received.size(), 2u);
}

TEST_F(SLGenericRealTest, HandlerOnTheDeliveringThreadChangesOnlyWhatIsSent) {
  Doubling();
  com::TComPtr<TSLRealBuffer> b = Buffer({3, 4});
  source->SubmitBuffer(b);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(First(received[0].Get()), 6);
  EXPECT_EQ(b->GetItem(0), 3);
  send = false;
  source->SubmitBuffer(b);
  EXPECT_EQ(received.size(), 1u);
  EXPECT_EQ(log, (std::vector<std::string>{"process 3 of 2", "buffer", "process 3 of 2"}));
}

TEST_F(SLGenericRealTest, TheHandlerRunsWithTheOutputUnlinked) {
  Doubling();
  sink->Disconnect();
  log.clear();
  source->SubmitBuffer(Buffer({5}));
  EXPECT_EQ(log, (std::vector<std::string>{"process 5 of 1"}));
}

TEST_F(SLGenericRealTest, SingleValuesReachTheHandlerAsOneItemBuffers) {
  Doubling();
  Owned<TOWRealSourcePin> values(CreateObject<TOWRealSourcePin>(nullptr));
  ASSERT_TRUE(filter->GetInputPin()->Connect(values.get()));
  log.clear();
  values->SubmitReal(4);
  EXPECT_EQ(log, (std::vector<std::string>{"process 4 of 1", "single 8.000000"}));
}

TEST_F(SLGenericRealTest, QueuedBuffersAreHandledOnTheMainThreadInOrder) {
  Doubling();
  filter->SetSynchronizeType(stQueue);
  for (double v : {1.0, 2.0, 3.0})
    source->SubmitBuffer(Buffer({v}));
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(Loop().RunPending(), 3u);
  EXPECT_EQ(log, (std::vector<std::string>{"process 1 of 1", "buffer", "process 2 of 1", "buffer",
                                           "process 3 of 1", "buffer"}));
  ASSERT_EQ(received.size(), 3u);
  EXPECT_EQ(First(received[2].Get()), 6);
}

// Buffers delivered on the main thread itself, which alone frees the
// queue's slots: with every slot taken, the waiting buffers and the new one
// are handled at once, in order, instead of waiting for ever.
TEST_F(SLGenericRealTest, MainThreadDeliveryPastTheLastSlotIsHandledAtOnce) {
  Doubling();
  filter->SetSynchronizeType(stQueue);
  const int count = TSLMainThreadSlots::Slots + 3;
  for (int v = 0; v < count; ++v)
    source->SubmitBuffer(Buffer({static_cast<double>(v)}));
  ASSERT_EQ(received.size(), static_cast<size_t>(count))
      << "the waiting buffers and each one that found no slot, at once";
  EXPECT_EQ(Loop().RunPending(), static_cast<size_t>(TSLMainThreadSlots::Slots))
      << "the slots' messages come back with nothing left to handle";
  ASSERT_EQ(received.size(), static_cast<size_t>(count));
  for (int v = 0; v < count; ++v)
    ASSERT_EQ(First(received[static_cast<size_t>(v)].Get()), 2 * v);
}

TEST_F(SLGenericRealTest, SingleBufferModeKeepsOnlyTheFirstWaitingBuffer) {
  Doubling();
  filter->SetSynchronizeType(stSingleBuffer);
  for (double v : {1.0, 2.0, 3.0})
    source->SubmitBuffer(Buffer({v}));
  Loop().RunPending();
  EXPECT_EQ(log, (std::vector<std::string>{"process 1 of 1", "buffer"}));
}

TEST_F(SLGenericRealTest, SingleValueWithAQueueIsForwardedAtOnceAndProcessedLater) {
  Doubling();
  filter->SetSynchronizeType(stQueue);
  Owned<TOWRealSourcePin> values(CreateObject<TOWRealSourcePin>(nullptr));
  ASSERT_TRUE(filter->GetInputPin()->Connect(values.get()));
  Loop().RunPending();
  log.clear();
  received.clear();
  values->SubmitReal(4);
  EXPECT_TRUE(log.empty()); // the double itself means nothing to a buffer sink
  Loop().RunPending();
  EXPECT_EQ(log, (std::vector<std::string>{"process 4 of 1", "buffer"}));
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(First(received[0].Get()), 8);
}

TEST_F(SLGenericRealTest, StartAndStopEventsComeBeforeTheDownstreamSeesThem) {
  filter->OnStart.Fn = [this](TObject *, int n) { log.push_back("start " + std::to_string(n)); };
  filter->OnStop.Fn = [this](TObject *) { log.push_back("stop"); };
  source->Notify(TOWNotifyOperation::Make<TOWStartSampleRateOperation>(512, 44100.0).Get());
  EXPECT_EQ(filter->GetBlockSize(), 512);
  source->Stop();
  EXPECT_EQ(filter->GetBlockSize(), 0);
  EXPECT_EQ(log,
            (std::vector<std::string>{"start 512", "downstream start", "stop", "downstream stop"}));
}

TEST_F(SLGenericRealTest, StopDropsBuffersWaitingForTheMainThread) {
  Doubling();
  filter->SetSynchronizeType(stQueue);
  source->SubmitBuffer(Buffer({1}));
  source->Stop();
  Loop().RunPending();
  EXPECT_EQ(log, (std::vector<std::string>{"downstream stop"}));
}

TEST_F(SLGenericRealTest, CommandsGoUpstreamWhenTheInputIsLinked) {
  std::vector<std::string> upstream;
  Owned<TSLOWRealSourcePin> recordingSource(CreateObject<TSLOWRealSourcePin>(
      nullptr,
      [&upstream](TOWPin *, const TGUID *, IOWNotifyOperation *op, TOWNotifyState) {
        upstream.push_back(OWOperationAs<TOWStopOperation>(op) ? "stop" : "start");
        return TOWNotifyResult{};
      },
      0));
  ASSERT_TRUE(filter->GetInputPin()->Connect(recordingSource.get()));
  log.clear();
  filter->SendStartCommand(256, 8000.0f);
  filter->SendStopCommand();
  EXPECT_EQ(upstream, (std::vector<std::string>{"start", "stop"}));
  filter->GetInputPin()->Disconnect();
  log.clear();
  filter->SendStopCommand();
  EXPECT_EQ(log, (std::vector<std::string>{"downstream stop"}));
}

TEST_F(SLGenericRealTest, PublishedProperties) {
  const TClassInfo &info = filter->ClassInfo();
  for (const char *name : {"SynchronizeType", "OnStart", "OnStop", "OnProcessData", "OutputPin",
                           "InputPin", "EnablePin", "Enabled"})
    EXPECT_NE(info.FindProperty(name), nullptr) << name;
}

} // namespace

namespace {

// A form with a published handler for the filter's data event.
class TGenericRealTestForm : public TComponent {
  CLASSLIB_CLASS(TGenericRealTestForm)
public:
  explicit TGenericRealTestForm(TComponent *owner) : TComponent(owner) { SetIsForm(true); }
  void Process(TObject *, TSLCRealBuffer, TSLCRealBuffer &, bool &) { ++calls; }
  int calls = 0;
};

const TClassInfo &TGenericRealTestForm::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TGenericRealTestForm>(
      "TGenericRealTestForm", &TComponent::StaticClassInfo(), [](auto &c) {
        c.template Method<TSLGenericReal::TProcessDataEvent>("Process",
                                                             &TGenericRealTestForm::Process);
      });
  return info;
}

TSLGenericReal *LoadFilter(TGenericRealTestForm *form, const std::string &method) {
  RegisterClass(TGenericRealTestForm::StaticClassInfo());
  RegisterClass(TSLGenericReal::StaticClassInfo());
  LoadFormText(
      form,
      "object Form1: TGenericRealTestForm\n  object Filter: TSLGenericReal\n    OnFilterData = " +
          method + "\n  end\nend\n");
  return dynamic_cast<TSLGenericReal *>(form->FindComponent("Filter"));
}

TEST(SLGenericRealForm, OlderEventNameLoadsTheHandler) {
  TOwnedPtr<TGenericRealTestForm> form(CreateObject<TGenericRealTestForm>(nullptr));
  TSLGenericReal *filter = LoadFilter(form.get(), "Process");
  ASSERT_NE(filter, nullptr);
  ASSERT_TRUE(filter->OnProcessData);
  EXPECT_EQ(filter->OnProcessData.MethodName, "Process");
  TSLCRealBuffer out(1);
  bool send = true;
  filter->OnProcessData(filter, TSLCRealBuffer(1), out, send);
  EXPECT_EQ(form->calls, 1);
  // The older name is never written back.
  EXPECT_EQ(WriteFormText(form.get()).find("OnFilterData"), std::string::npos);
}

TEST(SLGenericRealForm, AMissingMethodIsIgnored) {
  TOwnedPtr<TGenericRealTestForm> form(CreateObject<TGenericRealTestForm>(nullptr));
  TSLGenericReal *filter = LoadFilter(form.get(), "Gone");
  ASSERT_NE(filter, nullptr);
  EXPECT_FALSE(filter->OnProcessData);
}

} // namespace
