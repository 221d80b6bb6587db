// A fixture for the buffer tests: every test leaves as many live stores and
// buffers behind as there were before it.
#pragma once

#include "framework/data/SLSimpleDataBuffer.h"

#include <gtest/gtest.h>

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
