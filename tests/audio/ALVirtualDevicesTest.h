// The stage of the audio tests on virtual devices: the framework up, the main
// loop bound to the test's thread, ALSA off and no virtual device left from an
// earlier test; afterwards the devices go, ALSA is back on and what the main
// loop still holds runs. A fixture releases its components in its own
// TearDown and then calls this one's. Base is the gtest fixture kind.
#pragma once

#include <gtest/gtest.h>

#include "platform/mainloop/MainLoop.h"
#include "tests/audio/ALVirtualSourceSupport.h"
#include "tests/support/VirtualDevicesOnly.h"

template <class Base = testing::Test>
class TALVirtualDevicesTest : public TVirtualDevicesOnly<Base> {
protected:
  void SetUp() override {
    ALTestFrameworkUp();
    mainloop::TMainLoop::Main().BindMainThread();
    TVirtualDevicesOnly<Base>::SetUp();
  }
  void TearDown() override {
    TVirtualDevicesOnly<Base>::TearDown();
    mainloop::TMainLoop::Main().RunPending();
  }
};
