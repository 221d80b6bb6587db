#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "audio/ALGenericFilter.h"
#include "platform/classlib/FormStream.h"
#include "tests/audio/AudioChainSupport.h"

namespace {

using Log = std::vector<std::string>;

class GenericFilterTest : public testing::Test {
protected:
  void SetUp() override {
    TestLoop().RunPending();
    filter.reset(CreateObject<TALGenericFilter>(nullptr));
    EXPECT_TRUE(filter->GetInputPin()->Connect(source.pin.get()));
    EXPECT_TRUE(sink.pin->Connect(filter->GetOutputPin()));
    sink.log.clear();
    source.Start(44100, 16, 1);
    sink.log.clear();
  }
  void TearDown() override {
    filter.reset();
    TestLoop().RunPending();
  }
  // A handler that logs the first input sample and its thread, and doubles
  // the samples into OutBuffer.
  void Doubling() {
    filter->OnProcessData.Fn = [this](TObject *, TALCAudioBuffer In, TALCAudioBuffer &Out,
                                      bool &Send) {
      handled.push_back(In.GetItem(0, 0));
      threads.push_back(std::this_thread::get_id());
      Out.Multiply(2);
      Send = send;
    };
  }
  void SendValue(int v) { source.Send(TestAudioBuffer(44100, 16, 1, {v, v})); }

  TTestAudioSource source;
  TOwnedPtr<TALGenericFilter> filter;
  TTestAudioSink sink;
  std::vector<int> handled;
  std::vector<std::thread::id> threads;
  bool send = true;
};

TEST_F(GenericFilterTest, WithoutAHandlerBuffersPassUnchangedAndUncopied) {
  auto b = TestAudioBuffer(44100, 16, 1, {5, 6});
  filter->SetSynchronizeType(stQueue);
  source.Send(b);
  ASSERT_EQ(sink.buffers.size(), 1u);
  EXPECT_EQ(sink.buffers[0]->Read(), b->Read());
}

TEST_F(GenericFilterTest, NoneRunsTheHandlerOnTheDeliveringThread) {
  Doubling();
  auto b = TestAudioBuffer(44100, 16, 1, {3, 4});
  source.Send(b);
  ASSERT_EQ(sink.buffers.size(), 1u);
  EXPECT_EQ(sink.buffers[0]->GetItem(0, 0), 6);
  EXPECT_EQ(b->GetItem(0, 0), 3) << "the buffer other sinks received is unchanged";
  EXPECT_EQ(threads, std::vector<std::thread::id>{std::this_thread::get_id()});
  send = false;
  SendValue(7);
  EXPECT_EQ(sink.buffers.size(), 1u);
  EXPECT_EQ(handled, (std::vector<int>{3, 7}));
}

TEST_F(GenericFilterTest, TheHandlerRunsWithTheOutputUnlinked) {
  Doubling();
  sink.pin->Disconnect();
  SendValue(5);
  EXPECT_EQ(handled, std::vector<int>{5});
}

TEST_F(GenericFilterTest, DisabledPassesUnprocessed) {
  Doubling();
  TOwnedPtr<TOWBoolSourcePin> control(CreateObject<TOWBoolSourcePin>(nullptr));
  ASSERT_TRUE(filter->GetEnablePin()->Connect(control.get()));
  control->SetValue(true);
  control->SetValue(false);
  SendValue(5);
  EXPECT_TRUE(handled.empty());
  ASSERT_EQ(sink.buffers.size(), 1u);
  EXPECT_EQ(sink.buffers[0]->GetItem(0, 0), 5);
}

TEST_F(GenericFilterTest, QueueHandsEveryBufferToTheMainThreadInOrder) {
  Doubling();
  filter->SetSynchronizeType(stQueue);
  for (int v : {1, 2, 3})
    SendValue(v);
  EXPECT_TRUE(handled.empty());
  EXPECT_TRUE(sink.buffers.empty()) << "nothing is sent from the delivering thread";
  TestLoop().RunPending();
  EXPECT_EQ(handled, (std::vector<int>{1, 2, 3}));
  ASSERT_EQ(sink.buffers.size(), 3u);
  EXPECT_EQ(sink.buffers[2]->GetItem(0, 0), 6);
}

TEST_F(GenericFilterTest, SingleBufferDropsBuffersWhileOneWaits) {
  Doubling();
  filter->SetSynchronizeType(stSingleBuffer);
  for (int v : {1, 2, 3})
    SendValue(v);
  TestLoop().RunPending();
  EXPECT_EQ(handled, std::vector<int>{1});
  EXPECT_EQ(sink.buffers.size(), 1u);
}

TEST_F(GenericFilterTest, AStopDropsTheWaitingBuffers) {
  Doubling();
  filter->SetSynchronizeType(stQueue);
  SendValue(1);
  source.Stop();
  TestLoop().RunPending();
  EXPECT_TRUE(handled.empty());
}

TEST_F(GenericFilterTest, StartAndStopSeeTheStreamFormat) {
  Log log;
  filter->OnStart.Fn = [&](TObject *) {
    log.push_back("start " + std::to_string(filter->StreamFormat.Format.nChannels) + " " +
                  std::to_string(filter->StreamFormat.Format.nSamplesPerSec) + " " +
                  std::to_string(filter->StreamFormat.Format.wBitsPerSample));
  };
  filter->OnStop.Fn = [&](TObject *) {
    log.push_back("stop " + std::to_string(filter->StreamFormat.Format.nChannels));
  };
  source.Start(44100, 16, 2);
  source.Stop();
  EXPECT_EQ(log, (Log{"start 2 44100 16", "stop 2"}));
  EXPECT_EQ(filter->StreamFormat.Format.nChannels, 0);
  EXPECT_EQ(filter->GetWaveFormat()->Format.nChannels, 2) << "the base keeps the last format";
  EXPECT_EQ(sink.log, (Log{"start", "stop"})) << "downstream starts and stops too";
  filter->OnStart.Clear();
  filter->OnStop.Clear();
}

TEST_F(GenericFilterTest, UpstreamOperationsWithNowhereToGoComeBackDown) {
  source.pin.reset();
  sink.log.clear();
  sink.pin->Notify(TOWNotifyOperation::Make<TOWPumpRequestOperation>().Get());
  EXPECT_EQ(sink.log, (Log{"pump request"}));
}

TEST_F(GenericFilterTest, StartCommandGoesUpstreamWhenLinked) {
  filter->SendStartCommand(20, 2, 512, 44099.6f);
  ASSERT_EQ(source.upstream.size(), 1u);
  const auto *start = OWOperationAs<TOWStartWaveOperation>(source.upstream[0].Get());
  ASSERT_NE(start, nullptr);
  const WAVEFORMATEXTENSIBLE &f = start->WaveFormat();
  EXPECT_EQ(f.Format.wFormatTag, WAVE_FORMAT_PCM);
  EXPECT_EQ(f.Format.wBitsPerSample, 24);
  EXPECT_EQ(f.Samples.wValidBitsPerSample, 20);
  EXPECT_EQ(f.Format.nBlockAlign, 6);
  EXPECT_EQ(f.Format.nSamplesPerSec, 44100u);
  EXPECT_EQ(f.Format.nAvgBytesPerSec, 6u * 44100);
  EXPECT_EQ(f.dwChannelMask, 3u);
  filter->SendResumeCommand();
  EXPECT_EQ(sink.log, Log{"resume"});
}

// Two synchronized filters in a row: the second receives its buffers on the
// main thread, from the first one's main-thread step. With every slot of its
// queue taken it must not wait for the main thread, which is itself.
TEST_F(GenericFilterTest, AChainOfSynchronizedFiltersNeverWaitsOnTheMainThread) {
  TOwnedPtr<TALGenericFilter> second(CreateObject<TALGenericFilter>(nullptr));
  TTestAudioSink end;
  sink.pin->Disconnect();
  ASSERT_TRUE(second->GetInputPin()->Connect(filter->GetOutputPin()));
  ASSERT_TRUE(end.pin->Connect(second->GetOutputPin()));
  filter->SetSynchronizeType(stQueue);
  second->SetSynchronizeType(stQueue);
  filter->OnProcessData.Fn = [](TObject *, TALCAudioBuffer, TALCAudioBuffer &, bool &) {};
  std::vector<int> seen;
  second->OnProcessData.Fn = [&](TObject *, TALCAudioBuffer In, TALCAudioBuffer &, bool &) {
    seen.push_back(In.GetItem(0, 0));
  };
  const int count = TSLMainThreadSlots::Slots * 2 + 5;
  for (int v = 0; v < count; ++v)
    SendValue(v);
  TestLoop().RunPending();
  ASSERT_EQ(seen.size(), static_cast<size_t>(count));
  for (int v = 0; v < count; ++v)
    ASSERT_EQ(seen[static_cast<size_t>(v)], v);
  ASSERT_EQ(end.buffers.size(), static_cast<size_t>(count));
  EXPECT_EQ(end.buffers.back()->GetItem(0, 0), count - 1);
  second.reset();
}

// A form with a published handler for the filter's data event.
class TGenericFilterTestForm : public TComponent {
  CLASSLIB_CLASS(TGenericFilterTestForm)
public:
  explicit TGenericFilterTestForm(TComponent *owner) : TComponent(owner) { SetIsForm(true); }
  void Process(TObject *, TALCAudioBuffer, TALCAudioBuffer &, bool &) { ++calls; }
  int calls = 0;
};

} // namespace

const TClassInfo &TGenericFilterTestForm::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TGenericFilterTestForm>(
      "TGenericFilterTestForm", &TComponent::StaticClassInfo(), [](auto &c) {
        c.template Method<TALGenericFilter::TProcessDataEvent>("Process",
                                                               &TGenericFilterTestForm::Process);
      });
  return info;
}

namespace {

TALGenericFilter *LoadFilter(TGenericFilterTestForm *form, const std::string &method) {
  RegisterClass(TGenericFilterTestForm::StaticClassInfo());
  ALGenericFilterRegister();
  LoadFormText(form, "object Form1: TGenericFilterTestForm\n  object Filter: TALGenericFilter\n    "
                     "OnFilterData = " +
                         method + "\n  end\nend\n");
  return dynamic_cast<TALGenericFilter *>(form->FindComponent("Filter"));
}

TEST(GenericFilterForm, OlderEventNameLoadsTheHandler) {
  TOwnedPtr<TGenericFilterTestForm> form(CreateObject<TGenericFilterTestForm>(nullptr));
  TALGenericFilter *filter = LoadFilter(form.get(), "Process");
  ASSERT_NE(filter, nullptr);
  ASSERT_TRUE(filter->OnProcessData);
  EXPECT_EQ(filter->OnProcessData.MethodName, "Process");
  TALCAudioBuffer out;
  bool send = true;
  filter->OnProcessData(filter, TALCAudioBuffer(), out, send);
  EXPECT_EQ(form->calls, 1);
  EXPECT_EQ(WriteFormText(form.get()).find("OnFilterData"), std::string::npos);
}

TEST(GenericFilterForm, AMissingMethodIsIgnored) {
  TOwnedPtr<TGenericFilterTestForm> form(CreateObject<TGenericFilterTestForm>(nullptr));
  TALGenericFilter *filter = LoadFilter(form.get(), "Gone");
  ASSERT_NE(filter, nullptr);
  EXPECT_FALSE(filter->OnProcessData);
}

} // namespace
