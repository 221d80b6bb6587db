// A test on the virtual audio devices alone: ALSA off and no virtual device
// left from an earlier test; afterwards the devices go and ALSA is back on.
// Base is the gtest fixture kind (plain or parameterised).
#pragma once

#include <gtest/gtest.h>

#include "platform/media/Media.h"
#include "platform/media/VirtualAudio.h"

template <class Base = ::testing::Test> class TVirtualDevicesOnly : public Base {
protected:
  void SetUp() override {
    media::SetAlsaEnabled(false);
    media::TVirtualAudio::Clear();
  }
  void TearDown() override {
    media::TVirtualAudio::Clear();
    media::SetAlsaEnabled(true);
  }
};
