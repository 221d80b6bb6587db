// Deliveries from several threads while links change, and the hand-over of a
// placeholder while other threads make pins.
#include <random>

#include <gtest/gtest.h>

#include "tests/framework/pins/PinsTestComponents.h"
#include "tests/support/Wait.h"

namespace {

using namespace std::chrono_literals;

class TOWDeliveryThreadsTest : public TPinsFixture {};

// Filter: the output is computed from the input and shares its lock group.
struct TFilter {
  TTestSinkComponent *In;
  TTestSourceComponent *Out;
};

TEST_F(TOWDeliveryThreadsTest, ConcurrentDeliveryWhileLinksChange) {
  auto *src = Source("AudioIn");
  src->OutputPin->ClearTypes();
  src->OutputPin->AddType(IID_TestA, CountingHandler());
  std::vector<TTestSinkComponent *> sinks;
  for (int i = 0; i < 4; ++i) {
    sinks.push_back(Sink("Sink" + std::to_string(i)));
    sinks.back()->InputPin->AddType(IID_TestA, CountingHandler());
    ASSERT_TRUE(sinks.back()->InputPin->Connect(src->OutputPin));
  }
  // A filter behind the first sink, delivering further down.
  TFilter filter{Sink("FilterIn"), Source("FilterOut")};
  filter.Out->OutputPin->ClearTypes();
  filter.Out->OutputPin->AddType(IID_TestA, CountingHandler());
  filter.Out->OutputPin->FunctionDependencies().Add(filter.In->InputPin, true);
  filter.In->InputPin->AddType(IID_TestA, CountingHandler());
  ASSERT_TRUE(filter.In->InputPin->Connect(src->OutputPin));
  auto *tail = Sink("Tail");
  tail->InputPin->AddType(IID_TestA, CountingHandler()); // sends upstream
  ASSERT_TRUE(tail->InputPin->Connect(filter.Out->OutputPin));
  src->OutputPin->Accepts = {IID_TestA};

  std::atomic<bool> stop{false};
  std::vector<std::unique_ptr<TTestThread>> threads;
  for (int t = 0; t < 3; ++t)
    threads.push_back(std::make_unique<TTestThread>([&] {
      for (int i = 0; i < 300; ++i) {
        src->OutputPin->Notify(TOWNotifyOperation::Make<TOWClockOperation>().Get());
        filter.Out->OutputPin->Notify(TOWNotifyOperation::Make().Get());
      }
    }));
  threads.push_back(std::make_unique<TTestThread>([&] {
    // Upstream from the end of the chain: takes the stream locks in order. A
    // fixed number at least, however late this thread gets to run.
    for (int i = 0; i < 100 || !stop; ++i)
      tail->InputPin->Notify(TOWNotifyOperation::Make<TOWQueryStreamOperation>().Get());
  }));
  TTestThread relinker([&] {
    std::mt19937 rng(5);
    for (int i = 0; i < 100; ++i) {
      TTestSinkComponent *s = sinks[rng() % sinks.size()];
      s->InputPin->Connect(nullptr);
      s->InputPin->Connect(src->OutputPin);
    }
  });
  EXPECT_TRUE(relinker.Finished(120s));
  for (size_t i = 0; i + 1 < threads.size(); ++i)
    EXPECT_TRUE(threads[i]->Finished(120s));
  stop = true;
  EXPECT_TRUE(threads.back()->Finished(120s));

  EXPECT_EQ(src->OutputPin->GetNestingCount(), 0);
  EXPECT_EQ(src->OutputPin->GetSinkCount(), 5);
  for (TOWObject *o :
       std::vector<TOWObject *>{src->OutputPin, filter.In->InputPin, filter.Out->OutputPin,
                                tail->InputPin, sinks[0]->InputPin}) {
    EXPECT_EQ(o->GetCountReads(), 0);
    EXPECT_EQ(o->GetCountWrites(), 0);
  }
  for (auto *s : sinks)
    EXPECT_GT(s->InputPin->Delivered, 0);
  EXPECT_GE(tail->InputPin->Delivered, 900) << "every filter notification reached the tail";
  EXPECT_GT(filter.Out->OutputPin->Delivered, 0)
      << "upstream deliveries reached the filter's output";
}

// The hand-over of a placeholder walks the list of all pins under the unit's
// critical section, so pins made meanwhile on another thread do not race it.
TEST_F(TOWDeliveryThreadsTest, TakeOverWhilePinsAreMadeElsewhere) {
  std::atomic<bool> stop{false};
  TTestThread maker([&] {
    while (!stop) {
      auto *pin = CreateObject<TTestSinkPin>(nullptr);
      FreeObject(pin);
    }
  });
  auto *src = Source("AudioIn");
  for (int i = 0; i < 50; ++i) {
    auto *sink = Sink("Late" + std::to_string(i));
    auto *placeholder =
        TOWUnloadedPin::FindOrCreate(Form, ptSink, "MainForm.Waiting", "MainForm.Waiting", "x");
    ASSERT_TRUE(src->OutputPin->IntConnectAfter(placeholder, nullptr));
    TOWUnloadedPin::TakeOver(static_cast<TOWUnloadedPin *>(placeholder), sink->InputPin);
    EXPECT_EQ(sink->InputPin->GetSourcePin(), src->OutputPin);
  }
  stop = true;
  EXPECT_TRUE(maker.Finished(60s));
  EXPECT_EQ(OWGetPendingCount(), 0);
  EXPECT_EQ(src->OutputPin->GetSinkCount(), 50);
}

// Dependency searches in several threads at once: each search keeps its own
// record of the pins it met, so no search sees another's marks.
TEST_F(TOWDeliveryThreadsTest, ConcurrentDependencySearchesAgree) {
  // A chain of three filters: In0 -> Out0 -> In1 -> Out1 -> In2 -> Out2.
  std::vector<TFilter> chain;
  for (int i = 0; i < 3; ++i) {
    TFilter f{Sink("In" + std::to_string(i)), Source("Out" + std::to_string(i))};
    f.Out->OutputPin->FunctionDependencies().Add(f.In->InputPin, false);
    if (!chain.empty()) {
      ASSERT_TRUE(f.In->InputPin->Connect(chain.back().Out->OutputPin));
    }
    chain.push_back(f);
  }
  std::atomic<int> wrong{0};
  std::vector<std::unique_ptr<TTestThread>> threads;
  for (int t = 0; t < 4; ++t)
    threads.push_back(std::make_unique<TTestThread>([&] {
      for (int i = 0; i < 2000; ++i) {
        if (!chain[2].Out->OutputPin->DependsOn(chain[0].In->InputPin))
          ++wrong;
        if (chain[0].In->InputPin->CanConnectTo(chain[2].Out->OutputPin))
          ++wrong; // would close a cycle
      }
    }));
  for (auto &t : threads)
    EXPECT_TRUE(t->Finished(120s));
  EXPECT_EQ(wrong, 0);
}

// A sink that joins a state group takes the global lock before its own, so a
// delivery that holds the global lock for reading and waits for the sink's
// lock cannot deadlock against it.
TEST_F(TOWDeliveryThreadsTest, ASinkJoiningAGroupWhileDeliveriesRunDoesNotDeadlock) {
  auto *src = Source("AudioIn");
  src->OutputPin->ClearTypes();
  src->OutputPin->AddType(IID_TestA, CountingHandler());
  auto *sink = Sink("Meter");
  auto *a = State("A");
  auto *b = State("B");
  ASSERT_TRUE(a->StatePin->ConnectByState(b->StatePin));
  TOWStateDispatcher *group = a->StatePin->GetStateGroup();
  ASSERT_TRUE(sink->InputPin->Connect(src->OutputPin));
  std::atomic<bool> stop{false};
  TTestThread notifier([&] {
    while (!stop)
      src->OutputPin->Notify(TOWNotifyOperation::Make().Get());
  });
  TTestThread joiner([&] {
    for (int i = 0; i < 200; ++i) {
      sink->InputPin->ConnectToState(group);
      sink->InputPin->Connect(src->OutputPin);
    }
  });
  EXPECT_TRUE(joiner.Finished(120s));
  stop = true;
  EXPECT_TRUE(notifier.Finished(120s));
  EXPECT_EQ(sink->InputPin->GetSourcePin(), src->OutputPin);
  EXPECT_EQ(group->GetPinCount(), 2);
}

// Linking from the source's end asks the source and then the sink whether
// they can link, while another thread links from a sink's end and needs
// the source inside its global write section: both checks take the global
// lock before the pin's own, so neither end waits for the other.
TEST_F(TOWDeliveryThreadsTest, LinkingFromBothEndsAtOnceDoesNotDeadlock) {
  auto *src = Source("AudioIn");
  src->OutputPin->ClearTypes();
  src->OutputPin->AddType(IID_TestA, CountingHandler());
  auto *fromSource = Sink("FromSource");
  auto *fromSink = Sink("FromSink");
  std::atomic<int> ready{0};
  auto together = [&ready] {
    ++ready;
    while (ready < 2)
      std::this_thread::yield();
  };
  TTestThread sourceSide([&] {
    together();
    for (int i = 0; i < 5000; ++i) {
      src->OutputPin->Connect(fromSource->InputPin);
      fromSource->InputPin->Connect(nullptr);
    }
  });
  TTestThread sinkSide([&] {
    together();
    for (int i = 0; i < 5000; ++i) {
      fromSink->InputPin->Connect(src->OutputPin);
      fromSink->InputPin->Connect(nullptr);
    }
  });
  EXPECT_TRUE(sourceSide.Finished(120s));
  EXPECT_TRUE(sinkSide.Finished(120s));
  EXPECT_EQ(src->OutputPin->GetSinkCount(), 0);
}

} // namespace
