#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "directshow/DSBaseClass.h"
#include "platform/media/Media.h"
#include "platform/media/VirtualAudio.h"
#include "tests/directshow/DSTestPins.h"
#include "tests/support/VirtualDevicesOnly.h"

namespace {

using namespace media;
using com::TComPtr;
using dstest::Extensible;
using dstest::TTestSink;

constexpr TGUID kSourceClass = TGUID::FromLiteral("{AC11DC21-BDC9-49D9-BCAE-073AF5C1962C}");

TComPtr<TDSAudioSourceFilter> MakeSource(const WAVEFORMATEXTENSIBLE &format, int32_t ms,
                                         bool basic = false) {
  auto filter = com::MakeCom<TDSAudioSourceFilter>("AudioSource", kSourceClass);
  filter->SetFormat(format, basic, ms);
  return filter;
}

IPin *OutPin(TDSAudioSourceFilter *f) { return static_cast<IPin *>(f->StreamPin()); }

std::vector<uint8_t> Ramp(size_t n) {
  std::vector<uint8_t> v(n);
  std::iota(v.begin(), v.end(), uint8_t(1));
  return v;
}

// ---------------------------------------------------------------------------
// Media types

struct TFormatCase {
  uint16_t channels, bits;
  ULONG cbFormat;
  uint16_t tag;
};

class AudioMediaTypeTest : public ::testing::TestWithParam<TFormatCase> {};

TEST_P(AudioMediaTypeTest, PlainPcmForTwoChannelsOfSixteenBitsElseTheWholeExtensibleBlock) {
  const TFormatCase &c = GetParam();
  WAVEFORMATEXTENSIBLE f = Extensible(c.channels, 48000, c.bits);
  AM_MEDIA_TYPE mt{};
  ASSERT_EQ(CreateAudioMediaType(&f, &mt), S_OK);
  EXPECT_EQ(mt.majortype, MEDIATYPE_Audio);
  EXPECT_EQ(mt.subtype, MEDIASUBTYPE_PCM);
  EXPECT_EQ(mt.formattype, FORMAT_WaveFormatEx);
  EXPECT_EQ(mt.lSampleSize, 1u);
  ASSERT_EQ(mt.cbFormat, c.cbFormat);
  WAVEFORMATEX wf;
  std::memcpy(&wf, mt.pbFormat, sizeof wf);
  EXPECT_EQ(wf.wFormatTag, c.tag);
  EXPECT_EQ(wf.nChannels, c.channels);
  EXPECT_EQ(wf.cbSize, c.cbFormat - 18);
  if (c.cbFormat == 40) {
    EXPECT_EQ(std::memcmp(mt.pbFormat, &f, 40), 0);
  }
  LPDSFreeMediaFormat(mt);
}

INSTANTIATE_TEST_SUITE_P(Formats, AudioMediaTypeTest,
                         ::testing::Values(TFormatCase{2, 16, 18, WAVE_FORMAT_PCM},
                                           TFormatCase{1, 8, 18, WAVE_FORMAT_PCM},
                                           TFormatCase{6, 16, 40, WAVE_FORMAT_EXTENSIBLE},
                                           TFormatCase{2, 24, 40, WAVE_FORMAT_EXTENSIBLE}));

TEST(MediaTypeRoutinesTest, MatchingTreatsNullFieldsAsWildcardsAndComparesFormatBlocks) {
  WAVEFORMATEXTENSIBLE f = Extensible(2, 44100, 16);
  AM_MEDIA_TYPE a{}, b{};
  CreateAudioMediaType(&f, &a);
  LPDSCopyMediaType(&b, &a);
  ASSERT_NE(a.pbFormat, b.pbFormat);
  AM_MEDIA_TYPE any{};
  EXPECT_TRUE(LPDSMatchMediaType(&a, &any));
  EXPECT_TRUE(LPDSMatchMediaType(&a, &b));
  b.pbFormat[4] ^= 1; // another rate
  EXPECT_FALSE(LPDSMatchMediaType(&a, &b));
  AM_MEDIA_TYPE video{};
  video.majortype = MEDIATYPE_Stream;
  EXPECT_FALSE(LPDSMatchMediaType(&a, &video));
  LPDSFreeMediaFormat(a);
  LPDSFreeMediaFormat(b);
  EXPECT_TRUE(LPDSIsFourCC(MEDIASUBTYPE_PCM));
  EXPECT_TRUE(LPDSIsFourCC(MEDIATYPE_Audio));
  EXPECT_FALSE(LPDSIsFourCC(FORMAT_WaveFormatEx));
}

TEST(MediaTypeRoutinesTest, BasicModeOffersTagOnePcmSizedByTheBlockAlignment) {
  for (bool basic : {false, true}) {
    auto filter = MakeSource(Extensible(2, 44100, 16), 100, basic);
    AM_MEDIA_TYPE mt{};
    ASSERT_EQ(filter->StreamPin()->GetMediaType(0, &mt), S_OK);
    EXPECT_EQ(mt.lSampleSize, basic ? 4u : 1u);
    ASSERT_EQ(mt.cbFormat, 18u);
    WAVEFORMATEX wf;
    std::memcpy(&wf, mt.pbFormat, sizeof wf);
    EXPECT_EQ(wf.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(wf.cbSize, 0);
    LPDSFreeMediaFormat(mt);
    EXPECT_EQ(filter->StreamPin()->GetMediaType(1, &mt), VFW_S_NO_MORE_ITEMS);
    EXPECT_EQ(filter->StreamPin()->GetMediaType(-1, &mt), E_INVALIDARG);
  }
}

TEST(MediaTypeRoutinesTest, OnlyPcmAudioWithAFormatBlockIsAccepted) {
  auto filter = MakeSource(Extensible(2, 44100, 16), 100);
  AM_MEDIA_TYPE mt{};
  CreateAudioMediaType(&filter->StreamPin()->Format(), &mt);
  EXPECT_EQ(filter->StreamPin()->CheckMediaType(&mt), S_OK);
  mt.subtype = MEDIASUBTYPE_IEEE_FLOAT;
  EXPECT_EQ(filter->StreamPin()->CheckMediaType(&mt), E_INVALIDARG);
  mt.subtype = MEDIASUBTYPE_PCM;
  BYTE *block = mt.pbFormat;
  mt.pbFormat = nullptr;
  EXPECT_EQ(filter->StreamPin()->CheckMediaType(&mt), E_INVALIDARG);
  mt.pbFormat = block;
  LPDSFreeMediaFormat(mt);
}

// ---------------------------------------------------------------------------
// Filter and pins

TEST(BaseFilterTest, AnswersOnlyItsOwnInterfacesAndFindsPinsByExactName) {
  auto filter = MakeSource(Extensible(2, 44100, 16), 100);
  TComPtr<IBaseFilter> base;
  EXPECT_EQ(filter->QueryInterface(IBaseFilter::IID, base.PutVoid()), S_OK);
  TComPtr<IMediaFilter> mediaFilter;
  EXPECT_EQ(filter->QueryInterface(IMediaFilter::IID, mediaFilter.PutVoid()), E_NOINTERFACE);
  TComPtr<IPin> pin;
  EXPECT_EQ(filter->FindPin(u"AudioOutput", reinterpret_cast<IPin **>(pin.PutVoid())), S_OK);
  EXPECT_EQ(pin.Get(), OutPin(filter.Get()));
  EXPECT_EQ(filter->FindPin(u"audiooutput", reinterpret_cast<IPin **>(pin.PutVoid())),
            VFW_E_NOT_FOUND);
  EXPECT_EQ(pin.Get(), nullptr);
  EXPECT_EQ(filter->FindPin(u"AudioOutput", nullptr), E_POINTER);
  TComPtr<IQualityControl> quality;
  EXPECT_EQ(OutPin(filter.Get())->QueryInterface(IQualityControl::IID, quality.PutVoid()), S_OK);

  CLSID clsid;
  EXPECT_EQ(filter->GetClassID(&clsid), S_OK);
  EXPECT_EQ(clsid, kSourceClass);
  REFERENCE_TIME t;
  EXPECT_EQ(filter->StreamTime(&t), VFW_E_NO_CLOCK);
  LPWSTR vendor = nullptr;
  EXPECT_EQ(filter->QueryVendorInfo(&vendor), E_NOTIMPL);
}

TEST(BaseFilterTest, PinsKeepTheirFilterAliveAndNamesAreCutAt127) {
  auto filter = MakeSource(Extensible(2, 44100, 16), 100);
  TComPtr<IPin> pin(OutPin(filter.Get()));
  int32_t before = filter->RefCount();
  TComPtr<IPin> again(pin);
  EXPECT_EQ(filter->RefCount(), before + 1);
  EXPECT_EQ(filter->StreamPin()->PinRefCount(), 2);
  again.Reset();

  std::u16string longName(200, u'x');
  EXPECT_EQ(filter->JoinFilterGraph(nullptr, longName.c_str()), S_OK);
  FILTER_INFO info{};
  ASSERT_EQ(filter->QueryFilterInfo(&info), S_OK);
  EXPECT_EQ(std::u16string(info.achName), std::u16string(127, u'x'));
  EXPECT_EQ(info.pGraph, nullptr);

  LPWSTR id = nullptr;
  ASSERT_EQ(pin->QueryId(&id), S_OK);
  EXPECT_EQ(std::u16string(id), u"AudioOutput");
  com::CoTaskMemFree(id);
  PIN_INFO pinInfo{};
  ASSERT_EQ(pin->QueryPinInfo(&pinInfo), S_OK);
  EXPECT_EQ(pinInfo.dir, PINDIR_OUTPUT);
  EXPECT_EQ(pinInfo.pFilter, static_cast<IBaseFilter *>(filter.Get()));
  pinInfo.pFilter->Release();
}

TEST(EnumeratorsTest, PinEnumerationHandsEachPinOutOncePerReset) {
  auto filter = MakeSource(Extensible(2, 44100, 16), 100);
  TComPtr<IEnumPins> pins;
  ASSERT_EQ(filter->EnumPins(reinterpret_cast<IEnumPins **>(pins.PutVoid())), S_OK);
  IPin *got[2] = {};
  ULONG fetched = 7;
  EXPECT_EQ(pins->Next(2, got, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 1u);
  EXPECT_EQ(got[0], OutPin(filter.Get()));
  got[0]->Release();
  EXPECT_EQ(pins->Next(1, got, nullptr), S_FALSE);
  EXPECT_EQ(got[0], nullptr);
  EXPECT_EQ(pins->Next(2, got, nullptr), E_INVALIDARG);
  EXPECT_EQ(pins->Skip(1), S_FALSE);

  TComPtr<IEnumPins> clone;
  ASSERT_EQ(pins->Clone(reinterpret_cast<IEnumPins **>(clone.PutVoid())), S_OK);
  EXPECT_EQ(clone->Next(1, got, nullptr), S_FALSE); // the clone keeps the handed-out list
  ASSERT_EQ(pins->Reset(), S_OK);
  EXPECT_EQ(pins->Next(1, got, nullptr), S_OK);
  EXPECT_EQ(got[0], OutPin(filter.Get()));
  got[0]->Release();
}

TEST(EnumeratorsTest, MediaTypeEnumerationCountsSkipsAndNeedsACounterForMoreThanOne) {
  auto filter = MakeSource(Extensible(2, 44100, 16), 100);
  TComPtr<IEnumMediaTypes> types;
  ASSERT_EQ(
      OutPin(filter.Get())->EnumMediaTypes(reinterpret_cast<IEnumMediaTypes **>(types.PutVoid())),
      S_OK);
  AM_MEDIA_TYPE *got[2] = {};
  EXPECT_EQ(types->Next(2, got, nullptr), E_INVALIDARG);
  ASSERT_EQ(types->Next(1, got, nullptr), S_OK);
  EXPECT_EQ(got[0]->majortype, MEDIATYPE_Audio);
  LPDSDeleteMediaType(got[0]);
  ULONG fetched = 9;
  EXPECT_EQ(types->Next(2, got, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  ASSERT_EQ(types->Reset(), S_OK);
  EXPECT_EQ(types->Skip(0), S_OK);
  EXPECT_EQ(types->Skip(1), S_OK);
  EXPECT_EQ(types->Skip(1), S_FALSE);
  filter->StreamPin()->IncrementTypeVersion();
  EXPECT_EQ(types->Next(1, got, nullptr), VFW_E_ENUM_OUT_OF_SYNC);
  TComPtr<IEnumMediaTypes> clone;
  EXPECT_EQ(types->Clone(reinterpret_cast<IEnumMediaTypes **>(clone.PutVoid())),
            VFW_E_ENUM_OUT_OF_SYNC);
}

// ---------------------------------------------------------------------------
// Connection protocol

TEST(ConnectionTest, ConnectsWithItsOwnTypeWhenTheReceiverOffersNone) {
  auto filter = MakeSource(Extensible(2, 44100, 16), 100);
  auto sink = com::MakeCom<TTestSink>();
  ASSERT_EQ(OutPin(filter.Get())->Connect(sink.Get(), nullptr), S_OK);
  EXPECT_EQ(sink->Connected(), OutPin(filter.Get()));
  EXPECT_EQ(sink->Type().subtype, MEDIASUBTYPE_PCM);
  EXPECT_EQ(sink->Type().cbFormat, 18u);
  AM_MEDIA_TYPE mt{};
  ASSERT_EQ(OutPin(filter.Get())->ConnectionMediaType(&mt), S_OK);
  EXPECT_EQ(mt.cbFormat, 18u);
  LPDSFreeMediaFormat(mt);
  TComPtr<IPin> to;
  EXPECT_EQ(OutPin(filter.Get())->ConnectedTo(reinterpret_cast<IPin **>(to.PutVoid())), S_OK);
  EXPECT_EQ(to.Get(), static_cast<IPin *>(sink.Get()));
  // 4 bytes a frame, 44100 a second, 102 ms.
  EXPECT_EQ(sink->Allocator()->requested.cBuffers, 1);
  EXPECT_EQ(sink->Allocator()->requested.cbBuffer, 4 * 44100 * 102 / 1000);

  EXPECT_EQ(OutPin(filter.Get())->Disconnect(), S_OK);
  EXPECT_EQ(OutPin(filter.Get())->Disconnect(), S_FALSE);
  EXPECT_EQ(OutPin(filter.Get())->ConnectedTo(reinterpret_cast<IPin **>(to.PutVoid())),
            VFW_E_NOT_CONNECTED);
  EXPECT_EQ(OutPin(filter.Get())->ConnectionMediaType(&mt), VFW_E_NOT_CONNECTED);
  EXPECT_EQ(mt.lSampleSize, 1u);
}

TEST(ConnectionTest, RefusalsAnswerTheProtocolsCodesAndLeaveTheConnectionAsItWas) {
  auto filter = MakeSource(Extensible(2, 44100, 16), 100);
  auto other = MakeSource(Extensible(2, 44100, 16), 100);
  auto sink = com::MakeCom<TTestSink>();
  auto second = com::MakeCom<TTestSink>();
  IPin *out = OutPin(filter.Get());

  EXPECT_EQ(out->Connect(OutPin(other.Get()), nullptr), VFW_E_INVALID_DIRECTION);

  AM_MEDIA_TYPE flt{};
  CreateAudioMediaType(&filter->StreamPin()->Format(), &flt);
  flt.subtype = MEDIASUBTYPE_IEEE_FLOAT;
  EXPECT_EQ(out->Connect(sink.Get(), &flt), VFW_E_TYPE_NOT_ACCEPTED);
  EXPECT_EQ(sink->Connected(), nullptr);
  LPDSFreeMediaFormat(flt);

  sink->ReceiveResult = E_ACCESSDENIED;
  EXPECT_EQ(out->Connect(sink.Get(), nullptr), E_ACCESSDENIED); // remembered: not a plain refusal
  EXPECT_FALSE(filter->StreamPin()->IsConnected());
  sink->ReceiveResult = S_OK;

  ASSERT_EQ(out->Connect(sink.Get(), nullptr), S_OK);
  EXPECT_EQ(out->Connect(second.Get(), nullptr), VFW_E_ALREADY_CONNECTED);
  EXPECT_EQ(sink->Connected(), out);
  EXPECT_EQ(second->Connected(), nullptr);

  ASSERT_EQ(filter->Pause(), S_OK);
  EXPECT_EQ(out->Disconnect(), VFW_E_NOT_STOPPED);
  EXPECT_EQ(OutPin(other.Get())->Connect(second.Get(), nullptr), S_OK);
  ASSERT_EQ(other->Pause(), S_OK);
  auto third = com::MakeCom<TTestSink>();
  EXPECT_EQ(OutPin(other.Get())->Disconnect(), VFW_E_NOT_STOPPED);
  EXPECT_EQ(filter->Stop(), S_OK);
  EXPECT_EQ(other->Stop(), S_OK);
  EXPECT_EQ(OutPin(other.Get())->Disconnect(), S_OK);
  ASSERT_EQ(other->Pause(), S_OK);
  EXPECT_EQ(OutPin(other.Get())->Connect(third.Get(), nullptr), VFW_E_NOT_STOPPED);
  other->Stop();
  out->Disconnect();
}

TEST(ConnectionTest, AnAllocatorThatGrantsLessThanAskedIsReplacedByOurOwn) {
  // 2 channels of 16 bits at 11025 Hz, 1024 frames: 92 ms, 4 * 11025 * 94 / 1000.
  auto filter = MakeSource(Extensible(2, 11025, 16), 1024 * 1000 / 11025);
  auto sink = com::MakeCom<TTestSink>(4000);
  ASSERT_EQ(OutPin(filter.Get())->Connect(sink.Get(), nullptr), S_OK);
  EXPECT_EQ(sink->Allocator()->requested.cbBuffer, 4145);
  ASSERT_NE(filter->StreamPin()->Allocator(), nullptr);
  EXPECT_NE(filter->StreamPin()->Allocator(), static_cast<IMemAllocator *>(sink->Allocator()));
  ALLOCATOR_PROPERTIES props{};
  ASSERT_EQ(filter->StreamPin()->Allocator()->GetProperties(&props), S_OK);
  EXPECT_EQ(props.cbBuffer, 4145);

  ALLOCATOR_PROPERTIES ask{0, 0, 1, 0};
  EXPECT_EQ(filter->StreamPin()->DecideBufferSize(sink->Allocator(), &ask), E_FAIL);
  OutPin(filter.Get())->Disconnect();
}

TEST(ConnectionTest, BufferSizesPastThirtyTwoBitsOfProductAreAskedExactly) {
  // 4 bytes * 48000 * 30002 passes 2^32 before the division.
  auto filter = MakeSource(Extensible(2, 48000, 16), 30000);
  auto sink = com::MakeCom<TTestSink>();
  ASSERT_EQ(OutPin(filter.Get())->Connect(sink.Get(), nullptr), S_OK);
  EXPECT_EQ(sink->Allocator()->requested.cbBuffer, 5760384);
  OutPin(filter.Get())->Disconnect();

  // A buffer that no 32-bit length can describe is refused, not wrapped.
  auto huge = MakeSource(Extensible(8, 384000, 32), 1000000);
  auto sink2 = com::MakeCom<TTestSink>();
  EXPECT_TRUE(FAILED(OutPin(huge.Get())->Connect(sink2.Get(), nullptr)));
  EXPECT_EQ(sink2->Allocator()->requested.cbBuffer, 0);
}

TEST(ConnectionTest, PauseCommitsTheAllocatorAndStopDecommitsIt) {
  auto filter = MakeSource(Extensible(1, 1000, 16), 48);
  auto sink = com::MakeCom<TTestSink>();
  ASSERT_EQ(OutPin(filter.Get())->Connect(sink.Get(), nullptr), S_OK);
  IMediaSample *sample = nullptr;
  EXPECT_EQ(filter->StreamPin()->GetDeliveryBuffer(&sample, nullptr, nullptr, AM_GBF_NOWAIT),
            VFW_E_NOT_COMMITTED);
  ASSERT_EQ(filter->Run(0), S_OK); // pauses first
  FILTER_STATE state;
  EXPECT_EQ(filter->GetState(0, &state), S_OK);
  EXPECT_EQ(state, State_Running);
  ASSERT_EQ(filter->StreamPin()->GetDeliveryBuffer(&sample, nullptr, nullptr, 0), S_OK);
  sample->Release();
  EXPECT_EQ(filter->Stop(), S_OK);
  EXPECT_TRUE(filter->IsStopped());
  EXPECT_EQ(filter->StreamPin()->GetDeliveryBuffer(&sample, nullptr, nullptr, AM_GBF_NOWAIT),
            VFW_E_NOT_COMMITTED);
  OutPin(filter.Get())->Disconnect();
}

// ---------------------------------------------------------------------------
// SendData

class SendDataTest : public ::testing::Test {
protected:
  // Mono, 16 bits, 1000 Hz, 48 ms: delivery buffers of exactly 100 bytes.
  void Connect(TComPtr<TTestSink> s) {
    sink = std::move(s);
    ASSERT_EQ(OutPin(filter.Get())->Connect(sink.Get(), nullptr), S_OK);
    ASSERT_EQ(filter->Pause(), S_OK);
  }
  void TearDown() override {
    filter->Stop();
    OutPin(filter.Get())->Disconnect();
  }
  TComPtr<TDSAudioSourceFilter> filter = MakeSource(Extensible(1, 1000, 16), 48);
  TComPtr<TTestSink> sink;
};

TEST_F(SendDataTest, ThreeBuffersWorthAreCutIntoThreeStampedSyncSamples) {
  Connect(com::MakeCom<TTestSink>());
  std::vector<uint8_t> data = Ramp(300);
  ASSERT_TRUE(filter->SendData(data.data(), 300, 0, 300, true));
  auto got = sink->Received();
  ASSERT_EQ(got.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_TRUE(got[i].timed);
    EXPECT_EQ(got[i].start, REFERENCE_TIME(100 * i));
    EXPECT_EQ(got[i].stop, REFERENCE_TIME(100 * (i + 1)));
    EXPECT_TRUE(got[i].sync);
    EXPECT_EQ(got[i].bytes,
              std::vector<uint8_t>(data.begin() + 100 * i, data.begin() + 100 * (i + 1)));
  }
}

TEST_F(SendDataTest, TimesAreInterpolatedWithoutGapsAndEndOnStop) {
  Connect(com::MakeCom<TTestSink>());
  std::vector<uint8_t> data = Ramp(250);
  ASSERT_TRUE(filter->SendData(data.data(), 250, 1000, 1007, false));
  auto got = sink->Received();
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].start, 1000);
  EXPECT_EQ(got[0].stop, 1000 + 7 * 100 / 250);
  EXPECT_EQ(got[1].start, got[0].stop);
  EXPECT_EQ(got[2].start, got[1].stop);
  EXPECT_EQ(got[2].stop, 1007);
  EXPECT_EQ(got[2].bytes.size(), 50u);
  EXPECT_FALSE(got[0].sync);
}

TEST_F(SendDataTest, NoTimesForZeroTimesAndOneEmptySampleForZeroBytes) {
  Connect(com::MakeCom<TTestSink>());
  std::vector<uint8_t> data = Ramp(100);
  ASSERT_TRUE(filter->SendData(data.data(), 100, 0, 0, true));
  ASSERT_TRUE(filter->SendData(nullptr, 0, 500, 600, true));
  auto got = sink->Received();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_FALSE(got[0].timed);
  EXPECT_TRUE(got[1].timed);
  EXPECT_EQ(got[1].start, 500);
  EXPECT_EQ(got[1].stop, 500);
  EXPECT_TRUE(got[1].bytes.empty());
}

TEST_F(SendDataTest, FailsCleanlyUnconnectedStoppedRefusedOrGivenEmptySamples) {
  std::vector<uint8_t> data = Ramp(300);
  EXPECT_FALSE(filter->SendData(data.data(), 300, 0, 300, true)); // not connected
  Connect(com::MakeCom<TTestSink>());
  EXPECT_FALSE(filter->SendData(data.data(), -1, 0, 300, true));
  EXPECT_FALSE(filter->SendData(nullptr, 10, 0, 300, true));
  sink->ReceiveSampleResult = E_FAIL;
  EXPECT_FALSE(filter->SendData(data.data(), 300, 0, 300, true));
  EXPECT_EQ(sink->Received().size(), 3u); // the rest of the call is still pushed
  sink->ReceiveSampleResult = S_OK;
  filter->Stop(); // decommitted: no buffer will come
  EXPECT_FALSE(filter->SendData(data.data(), 300, 0, 300, true));
}

TEST_F(SendDataTest, AnAllocatorOfEmptySamplesEndsTheCallInsteadOfLooping) {
  Connect(com::MakeCom<TTestSink>(1 << 20, true));
  std::vector<uint8_t> data = Ramp(300);
  EXPECT_FALSE(filter->SendData(data.data(), 300, 0, 300, true));
  EXPECT_TRUE(sink->Received().empty());
}

TEST(BinarySourceTest, OffersItsStoredTypeAcceptsAnyAndPushesWithoutTimes) {
  auto filter = com::MakeCom<TDSBinarySourceFilter>("BinarySource", GUID_NULL);
  AM_MEDIA_TYPE stream{};
  stream.majortype = MEDIATYPE_Stream;
  filter->SetMediaType(stream);
  filter->SetFormat(64);
  IPin *out = static_cast<IPin *>(filter->StreamPin());
  auto sink = com::MakeCom<TTestSink>();
  ASSERT_EQ(out->Connect(sink.Get(), nullptr), S_OK);
  EXPECT_EQ(sink->Type().majortype, MEDIATYPE_Stream);
  ASSERT_EQ(filter->Pause(), S_OK);
  std::vector<uint8_t> data = Ramp(100);
  EXPECT_TRUE(filter->SendData(data.data(), 100));
  auto got = sink->Received();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_FALSE(got[0].timed);
  EXPECT_EQ(got[1].bytes.size(), 36u);
  filter->Stop();
  out->Disconnect();
}

// ---------------------------------------------------------------------------
// The own source filter in a render graph of the platform

class RenderGraphTest : public TVirtualDevicesOnly<> {};

TEST_F(RenderGraphTest, TheVirtualOutputPlaysExactlyTheBytesSent) {
  auto device = TVirtualAudio::AddRender("Virtual Output", "out1", TVirtualPacing::Immediate);
  TComPtr<IGraphBuilder> graph;
  ASSERT_EQ(media::CoCreateInstance(CLSID_FilterGraph, nullptr, com::CLSCTX_INPROC_SERVER,
                                    IGraphBuilder::IID, graph.PutVoid()),
            S_OK);
  WAVEFORMATEXTENSIBLE format = Extensible(2, 44100, 16);
  auto source = MakeSource(format, 1024 * 1000 / 44100);
  ASSERT_EQ(graph->AddFilter(source.Get(), u"AudioSource"), S_OK);
  TComPtr<IMoniker> moniker;
  std::u16string name = Utf8ToWide(DeviceDisplayName(CLSID_AudioRendererCategory, "out1"));
  ASSERT_EQ(MkParseDisplayName(nullptr, name.c_str(), nullptr,
                               reinterpret_cast<IMoniker **>(moniker.PutVoid())),
            S_OK);
  TComPtr<IBaseFilter> renderer;
  ASSERT_EQ(moniker->BindToObject(nullptr, nullptr, IBaseFilter::IID, renderer.PutVoid()), S_OK);
  ASSERT_EQ(graph->AddFilter(renderer.Get(), u"Audio Render"), S_OK);
  TComPtr<ICaptureGraphBuilder2> builder;
  ASSERT_EQ(media::CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, com::CLSCTX_INPROC_SERVER,
                                    ICaptureGraphBuilder2::IID, builder.PutVoid()),
            S_OK);
  builder->SetFiltergraph(graph.Get());
  ASSERT_EQ(builder->RenderStream(nullptr, nullptr, static_cast<IBaseFilter *>(source.Get()),
                                  nullptr, renderer.Get()),
            S_OK);
  auto control = TComPtr<IMediaControl>::Query(graph);
  ASSERT_EQ(control->Run(), S_OK);

  std::vector<uint8_t> all;
  REFERENCE_TIME t = 0;
  for (int block = 0; block < 8; ++block) {
    std::vector<uint8_t> data(4096);
    for (size_t i = 0; i < data.size(); ++i)
      data[i] = static_cast<uint8_t>(block * 31 + i * 7);
    REFERENCE_TIME next = t + 1024 * UNITS / 44100;
    ASSERT_TRUE(source->SendData(data.data(), static_cast<int32_t>(data.size()), t, next, true));
    t = next;
    all.insert(all.end(), data.begin(), data.end());
  }
  ASSERT_TRUE(device->WaitRecorded(all.size(), std::chrono::seconds(10)));
  EXPECT_EQ(device->Recorded(), all);
  EXPECT_EQ(control->Stop(), S_OK);
  // Stopped: a delivery thread is sent home at once.
  EXPECT_FALSE(source->SendData(all.data(), 4096, 0, 0, true));
}

} // namespace
