#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/data/ALAudioFormat.h"
#include "framework/data/ALStreamTypes.h"
#include "framework/data/Alsimpleaudiobuffer.h"
#include "tests/support/FrameworkEnvironment.h"
#include "tests/support/WaveFormatChecks.h"

namespace {

template <class T> using Owned = TOwnedPtr<T>;

struct TSeen {
  TOWPin *Pin;
  TGUID Type;
  IOWNotifyOperationPtr Operation;
};

class ALStreamTypesTest : public testing::Test {
protected:
  TSLOperationEvent Recorder(TOWNotifyResult answer = {}) {
    return [this, answer](TOWPin *pin, const TGUID *type, IOWNotifyOperation *op, TOWNotifyState) {
      seen.push_back({pin, type ? *type : TGUID{}, op});
      return answer;
    };
  }
  Owned<TALOWAudioSourcePin> Source() {
    return Owned<TALOWAudioSourcePin>(CreateObject<TALOWAudioSourcePin>(nullptr, Recorder()));
  }
  Owned<TALOWAudioSinkPin> Sink() {
    return Owned<TALOWAudioSinkPin>(CreateObject<TALOWAudioSinkPin>(nullptr, Recorder()));
  }

  std::vector<TSeen> seen;
};

TEST_F(ALStreamTypesTest, AudioPinsLinkWithTheAudioStreamTypeAndDeliverBuffers) {
  auto source = Source();
  auto sink = Sink();
  ASSERT_TRUE(sink->Connect(source.get()));
  EXPECT_EQ(source->GetConnectionID(sink.get()), IOWALAudioStream::IID);
  auto buffer = com::MakeCom<TALAudioBuffer>(44100, 16, 2, 8);
  seen.clear();
  source->SubmitBuffer(com::TComPtr<ISLDataBuffer>(buffer.Get()));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].Pin, sink.get());
  EXPECT_EQ(seen[0].Type, IOWALAudioStream::IID);
  const auto *supplied = OWOperationAs<TOWSuppliedBufferOperation>(seen[0].Operation.Get());
  ASSERT_NE(supplied, nullptr);
  // The receiver wraps the buffer as an audio buffer sharing its store.
  auto shared = com::MakeCom<TALAudioBuffer>(supplied->Buffer());
  EXPECT_EQ(shared->GetBuffer(), buffer->GetBuffer());
}

TEST_F(ALStreamTypesTest, ASinkLinkedToARunningSourceGetsTheStartThenTheResume) {
  auto source = Source();
  auto first = Sink();
  ASSERT_TRUE(first->Connect(source.get()));
  IOWNotifyOperationPtr start =
      TOWNotifyOperation::Make<TOWStartWaveOperation>(1024, 44100.0f, nullptr);
  IOWNotifyOperationPtr resume = TOWNotifyOperation::Make<TOWSLResumeOperation>();
  source->Notify(start.Get());
  source->SubmitBuffer(com::TComPtr<ISLDataBuffer>(com::MakeCom<TALAudioBuffer>().Get()));
  source->Notify(resume.Get());
  EXPECT_EQ(source->GetLastResume(), resume);
  auto late = Sink();
  seen.clear();
  ASSERT_TRUE(late->Connect(source.get()));
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].Operation, start);
  EXPECT_EQ(seen[1].Operation, resume);
  EXPECT_EQ(seen[0].Pin, late.get());
  EXPECT_EQ(seen[1].Pin, late.get());
}

TEST_F(ALStreamTypesTest, AStopForgetsTheStartAndTheResume) {
  auto source = Source();
  source->Notify(TOWNotifyOperation::Make<TOWStartWaveOperation>(1024, 44100.0f, nullptr).Get());
  source->Notify(TOWNotifyOperation::Make<TOWSLResumeOperation>().Get());
  source->Stop();
  auto afterStop = Sink();
  seen.clear();
  ASSERT_TRUE(afterStop->Connect(source.get()));
  EXPECT_TRUE(seen.empty());
  // A new start without a new resume is replayed alone.
  IOWNotifyOperationPtr start =
      TOWNotifyOperation::Make<TOWStartWaveOperation>(512, 48000.0f, nullptr);
  source->Notify(start.Get());
  auto afterStart = Sink();
  seen.clear();
  ASSERT_TRUE(afterStart->Connect(source.get()));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].Operation, start);
  source->Notify(TOWNotifyOperation::Make<TOWSLResumeOperation>().Get());
  source->EndStop();
  EXPECT_FALSE(source->GetLastResume());
}

TEST_F(ALStreamTypesTest, APinWithoutAHandlerAnswersEmpty) {
  auto source =
      Owned<TALOWAudioSourcePin>(CreateObject<TALOWAudioSourcePin>(nullptr, TSLOperationEvent{}));
  auto sink =
      Owned<TALOWAudioSinkPin>(CreateObject<TALOWAudioSinkPin>(nullptr, TSLOperationEvent{}));
  auto start = TOWNotifyOperation::Make<TOWStartWaveOperation>(1, 1.0f, nullptr);
  EXPECT_TRUE(source->DispatchData(&IOWALAudioStream::IID, start.Get(), {}).Empty());
  EXPECT_TRUE(sink->DispatchData(&IOWALAudioStream::IID, start.Get(), {}).Empty());
  auto answering =
      Owned<TALOWAudioSinkPin>(CreateObject<TALOWAudioSinkPin>(nullptr, Recorder({nrDataChanged})));
  EXPECT_TRUE(
      answering->DispatchData(&IOWALAudioStream::IID, start.Get(), {}).Contains(nrDataChanged));
}

TEST_F(ALStreamTypesTest, StartWaveCopiesTheFormat) {
  TOWObject owner;
  TALAudioFormat format(&owner, nullptr);
  format.SetSampleRate(44100);
  WAVEFORMATEXTENSIBLE f = *format.GetWaveFormat();
  auto op = TOWNotifyOperation::Make<TOWStartWaveOperation>(1024, 44100.0f, &f);
  const auto *wave = OWOperationAs<TOWStartWaveOperation>(op.Get());
  ASSERT_NE(wave, nullptr);
  f.Format.nChannels = 7;
  EXPECT_EQ(wave->WaveFormat().Format.nChannels, 2);
  EXPECT_EQ(std::memcmp(&wave->WaveFormat(), format.GetWaveFormat(), 40), 0);
  EXPECT_EQ(wave->BufferSize(), 1024);
  EXPECT_EQ(wave->SampleRate(), 44100.0);
  EXPECT_NE(OWOperationAs<TOWStartOperation>(op.Get()), nullptr);
}

TEST_F(ALStreamTypesTest, StartWaveWithoutAFormatDescribesStereo16Bit) {
  auto op = TOWNotifyOperation::Make<TOWStartWaveOperation>(1024, 44100.0f, nullptr);
  const WAVEFORMATEXTENSIBLE &w = OWOperationAs<TOWStartWaveOperation>(op.Get())->WaveFormat();
  EXPECT_TRUE(IsExtensiblePcm(w, {.Channels = 2, .SamplesPerSec = 11024, .ContainerBits = 16}));
  EXPECT_EQ(w.Format.nAvgBytesPerSec, 44096u);
  EXPECT_NE(OWGetDefaultHandler(IOWALAudioStream::IID), nullptr);
}

} // namespace
