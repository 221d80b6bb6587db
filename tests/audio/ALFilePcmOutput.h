// The output component on the file PCM's "USB Audio CODEC" device of
// tests/support/AlsaFilePcm.h, with the framework up and ALSA in place of the
// virtual devices. Base is the gtest fixture kind (plain or parameterised).
#pragma once

#include <gtest/gtest.h>

#include "audio/ALDSAudioOut.h"
#include "platform/mainloop/MainLoop.h"
#include "platform/media/Media.h"
#include "platform/media/VirtualAudio.h"
#include "tests/audio/ALVirtualSourceSupport.h"

template <class Base = testing::Test> class TALFilePcmOutputTest : public Base {
protected:
  void SetUp() override {
    ALTestFrameworkUp();
    mainloop::TMainLoop::Main().BindMainThread();
    media::SetAlsaEnabled(true);
    media::TVirtualAudio::Clear();
    Out.reset(CreateObject<TALDSAudioOut>(nullptr));
    Out->GetAudioOutputDevice()->SetName("USB Audio CODEC");
    ASSERT_EQ(Out->GetAudioOutputDevice()->GetDeviceName(), "USB Audio CODEC");
  }

  TOwnedPtr<TALDSAudioOut> Out;
};
