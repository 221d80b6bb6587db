// The stage of the audio tests on virtual devices: the framework up, the main
// loop bound to the test's thread, ALSA off and no virtual device left from an
// earlier test; afterwards the devices go, ALSA is back on and what the main
// loop still holds runs. A fixture releases its components in its own
// TearDown and then calls this one's. Base is the gtest fixture kind.
#pragma once

#include <gtest/gtest.h>

#include "platform/mainloop/MainLoop.h"
#include "platform/media/Media.h"
#include "platform/media/VirtualAudio.h"
#include "tests/audio/ALVirtualSourceSupport.h"

template <class Base = testing::Test> class TALVirtualDevicesTest : public Base {
protected:
  void SetUp() override {
    ALTestFrameworkUp();
    mainloop::TMainLoop::Main().BindMainThread();
    media::SetAlsaEnabled(false);
    media::TVirtualAudio::Clear();
  }
  void TearDown() override {
    media::TVirtualAudio::Clear();
    media::SetAlsaEnabled(true);
    mainloop::TMainLoop::Main().RunPending();
  }
};
