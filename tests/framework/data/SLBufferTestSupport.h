// A fixture for the buffer tests: every test leaves as many live stores and
// buffers behind as there were before it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "framework/data/SLSimpleDataBuffer.h"
#include "framework/data/SLStreamTypes.h"
#include "framework/pins/OWPins.h"
#include "framework/pins/OWStdTypes.h"
#include "tests/support/FrameworkEnvironment.h"

class SLCountedTest : public testing::Test {
protected:
  void SetUp() override {
    stores_ = _SLCountStores.load();
    buffers_ = _SLCountPasBuffers.load();
  }
  void TearDown() override {
    EXPECT_EQ(_SLCountStores.load(), stores_) << "stores left behind";
    EXPECT_EQ(_SLCountPasBuffers.load(), buffers_) << "buffers left behind";
  }
  int32_t stores_ = 0;
  int32_t buffers_ = 0;
};

// A real source pin to feed the filter under test and a real sink that records, in
// order, what the filter passes on: "buffer", "<passedOn> start", "<passedOn> stop",
// "single <value>". Derived fixtures link their filter between the two.
class SLRealChainTest : public SLCountedTest {
protected:
  explicit SLRealChainTest(std::string passedOn) : passedOn_(std::move(passedOn)) {}
  void SetUp() override {
    SLCountedTest::SetUp();
    source.reset(CreateObject<TSLOWRealSourcePin>(nullptr, TSLOperationEvent(), 0));
    sink.reset(CreateObject<TSLOWRealSinkPin>(
        nullptr, [this](TOWPin *, const TGUID *, IOWNotifyOperation *op, TOWNotifyState) {
          if (const auto *b = OWOperationAs<TOWSuppliedBufferOperation>(op)) {
            received.push_back(b->Buffer());
            log.push_back("buffer");
          } else if (OWOperationAs<TOWStartOperation>(op)) {
            log.push_back(passedOn_ + " start");
          } else if (OWOperationAs<TOWStopOperation>(op)) {
            log.push_back(passedOn_ + " stop");
          } else if (const auto *s = OWOperationAs<TOWSuppliedSingleOperation>(op)) {
            log.push_back("single " + std::to_string(s->Value()));
          }
          return TOWNotifyResult{};
        }));
  }
  // Derived fixtures free their filter first, then call this.
  void TearDown() override {
    received.clear();
    sink.reset();
    source.reset();
    SLCountedTest::TearDown();
  }

  std::vector<std::string> log;
  std::vector<com::TComPtr<ISLDataBuffer>> received;
  TOwnedPtr<TSLOWRealSourcePin> source;
  TOwnedPtr<TSLOWRealSinkPin> sink;

private:
  std::string passedOn_;
};
