#include <cerrno>
#include <cstring>
#include <thread>

#include "platform/com/ClassFactory.h"
#include "platform/sys/Sync.h"
#include "tests/platform/media/MediaTestSupport.h"

using namespace mediatest;

namespace {

constexpr TGUID kCapture = CLSID_AudioInputDeviceCategory;
constexpr TGUID kRender = CLSID_AudioRendererCategory;

TEST(ClassTable, UnknownClassesAndAggregationAreRefused) {
  TComPtr<IUnknown> p;
  TGUID unknown = TGUID::FromLiteral("{01234567-89AB-CDEF-0123-456789ABCDEF}");
  EXPECT_EQ(
      media::CoCreateInstance(unknown, nullptr, CLSCTX_INPROC_SERVER, IUnknown::IID, p.PutVoid()),
      com::REGDB_E_CLASSNOTREG);
  EXPECT_FALSE(p);
  TComPtr<IGraphBuilder> graph = Create<IGraphBuilder>(CLSID_FilterGraph);
  EXPECT_EQ(media::CoCreateInstance(CLSID_FilterGraph, graph.Get(), CLSCTX_INPROC_SERVER,
                                    IUnknown::IID, p.PutVoid()),
            com::CLASS_E_NOAGGREGATION);
  // Every class the media layer asks for exists.
  for (const TGUID &clsid :
       {CLSID_FilterGraph, CLSID_CaptureGraphBuilder2, CLSID_SampleGrabber, CLSID_SystemDeviceEnum,
        CLSID_FilterMapper2, CLSID_MemoryAllocator, CLSID_SystemClock})
    EXPECT_EQ(media::CoCreateInstance(clsid, nullptr, 3, IUnknown::IID, p.PutVoid()), com::S_OK)
        << clsid.ToString();
}

TEST(ClassTable, CoInitializeCountsPerThread) {
  EXPECT_EQ(com::CoInitialize(), com::S_OK);
  EXPECT_EQ(com::CoInitialize(), com::S_FALSE);
  int other = -1;
  std::thread([&] { other = com::CoInitialize(); }).join();
  EXPECT_EQ(other, com::S_OK);
  com::CoUninitialize();
  com::CoUninitialize();
  com::CoUninitialize(); // unmatched: nothing
  EXPECT_EQ(com::CoInitializeCount(), 0);
  EXPECT_EQ(com::CoInitialize(), com::S_OK);
  com::CoUninitialize();
}

TEST(ResultCodes, DeviceErrorsCarryTheirErrno) {
  EXPECT_NE(HRESULT_FROM_ERRNO(EBUSY), HRESULT_FROM_ERRNO(ENODEV));
  EXPECT_TRUE(com::FAILED(HRESULT_FROM_ERRNO(EBUSY)));
  EXPECT_EQ(ErrnoFromHResult(HRESULT_FROM_ERRNO(EBUSY)), EBUSY);
  EXPECT_EQ(ErrnoFromHResult(HRESULT_FROM_ERRNO(ENODEV)), ENODEV);
  EXPECT_EQ(ErrnoFromHResult(com::E_FAIL), 0);
  EXPECT_EQ(ErrnoFromHResult(com::E_ACCESSDENIED), 0);
  EXPECT_EQ(ResultText(HRESULT_FROM_ERRNO(EBUSY)), "device busy");
}

TEST(MediaTypes, CopyIsDeepAndAudioTypesKeepTheirFormat) {
  WAVEFORMATEX wf = Pcm(2, 44100, 16);
  AM_MEDIA_TYPE mt{};
  ASSERT_EQ(AudioMediaTypeFromFormat(&wf, &mt), com::S_OK);
  EXPECT_EQ(mt.majortype, MEDIATYPE_Audio);
  EXPECT_EQ(mt.subtype, MEDIASUBTYPE_PCM);
  EXPECT_EQ(mt.formattype, FORMAT_WaveFormatEx);
  EXPECT_EQ(mt.cbFormat, 18u);
  AM_MEDIA_TYPE copy{};
  ASSERT_EQ(CopyMediaType(&copy, &mt), com::S_OK);
  EXPECT_NE(copy.pbFormat, mt.pbFormat);
  EXPECT_EQ(std::memcmp(copy.pbFormat, mt.pbFormat, 18), 0);
  ASSERT_NE(WaveFormatOf(copy), nullptr);
  EXPECT_EQ(WaveFormatOf(copy)->nSamplesPerSec, 44100u);
  FreeMediaType(copy);
  EXPECT_EQ(copy.pbFormat, nullptr);
  FreeMediaType(mt);

  WAVEFORMATEXTENSIBLE ext = detail::MakeFormat(WAVE_FORMAT_IEEE_FLOAT, 6, 48000, 32);
  ASSERT_EQ(AudioMediaTypeFromFormat(&ext.Format, &mt), com::S_OK);
  EXPECT_EQ(mt.cbFormat, 40u);
  EXPECT_EQ(mt.subtype, MEDIASUBTYPE_IEEE_FLOAT);
  FreeMediaType(mt);
}

TEST(WideStrings, RoundTripAndCutNames) {
  for (std::string s : {"", "USB Audio CODEC ", "Mikrofon \xC3\xBC", "\xF0\x9F\x8E\xA4 mic"})
    EXPECT_EQ(WideToUtf8(Utf8ToWide(s)), s);
  EXPECT_EQ(Utf8ToWide("\xF0\x9F\x8E\xA4").size(), 2u); // a surrogate pair
  EXPECT_EQ(Utf8ToWide("a\xFF"
                       "b"),
            u"a\uFFFD"
            u"b");
  WCHAR name[MAX_FILTER_NAME];
  CopyWideName(name, MAX_FILTER_NAME, std::u16string(200, u'x'));
  EXPECT_EQ(std::u16string(name).size(), 127u);
}

// ---- Devices -------------------------------------------------------------------------------
class Devices : public TVirtualOnly {};

std::vector<std::pair<std::string, std::string>> List(const TGUID &category) {
  std::vector<std::pair<std::string, std::string>> out;
  TComPtr<ICreateDevEnum> devEnum = Create<ICreateDevEnum>(CLSID_SystemDeviceEnum);
  TComPtr<IEnumMoniker> e;
  if (devEnum->CreateClassEnumerator(category, reinterpret_cast<IEnumMoniker **>(e.PutVoid()), 0) !=
      com::S_OK)
    return out;
  IMoniker *m = nullptr;
  ULONG got = 0;
  while (e->Next(1, &m, &got) == com::S_OK) {
    TComPtr<IMoniker> moniker = TComPtr<IMoniker>::Attach(m);
    TComPtr<IPropertyBag> bag;
    EXPECT_EQ(moniker->BindToStorage(nullptr, nullptr, IPropertyBag::IID, bag.PutVoid()),
              com::S_OK);
    VARIANT v;
    EXPECT_EQ(bag->Read(u"FriendlyName", &v, nullptr), com::S_OK);
    EXPECT_EQ(v.vt, VT_BSTR);
    LPOLESTR display = nullptr;
    EXPECT_EQ(moniker->GetDisplayName(nullptr, nullptr, &display), com::S_OK);
    out.emplace_back(WideToUtf8(v.bstrVal), WideToUtf8(display));
    CoTaskMemFree(display);
  }
  return out;
}

TEST_F(Devices, EmptyCategoryAnswersSFalse) {
  TComPtr<ICreateDevEnum> devEnum = Create<ICreateDevEnum>(CLSID_SystemDeviceEnum);
  TComPtr<IEnumMoniker> e;
  EXPECT_EQ(
      devEnum->CreateClassEnumerator(kCapture, reinterpret_cast<IEnumMoniker **>(e.PutVoid()), 0),
      com::S_FALSE);
  EXPECT_FALSE(e);
  TComPtr<IMoniker> m;
  std::u16string def = Utf8ToWide(DefaultDeviceDisplayName(kCapture));
  EXPECT_EQ(
      MkParseDisplayName(nullptr, def.c_str(), nullptr, reinterpret_cast<IMoniker **>(m.PutVoid())),
      MK_E_NOOBJECT);
}

TEST_F(Devices, TwinCodecsListUnderTheirRawNameWithDistinctDisplayNames) {
  TVirtualCaptureSpec spec;
  spec.FriendlyName = "USB Audio CODEC ";
  TVirtualAudio::AddCapture(spec);
  TVirtualAudio::AddCapture(spec);
  TVirtualAudio::AddRender("Speakers");
  auto list = List(kCapture);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].first, "USB Audio CODEC "); // numbering is the caller's business
  EXPECT_EQ(list[1].first, "USB Audio CODEC ");
  EXPECT_EQ(list[0].second, "@device:cm:{33D9A762-90C8-11D0-BD43-00A0C911CE86}\\USB Audio CODEC ");
  EXPECT_NE(list[0].second, list[1].second);
  auto renderers = List(kRender);
  ASSERT_EQ(renderers.size(), 1u);
  EXPECT_EQ(renderers[0].first, "Speakers");
}

TEST_F(Devices, StoredDisplayNamesAndTheDefaultResolve) {
  TVirtualCaptureSpec spec;
  spec.FriendlyName = "USB Audio CODEC ";
  TVirtualAudio::AddCapture(spec);
  // The selection a stored form carries.
  std::u16string stored = u"@device:cm:{33D9A762-90C8-11D0-BD43-00A0C911CE86}\\USB Audio CODEC ";
  TComPtr<IMoniker> m;
  ULONG eaten = 0;
  ASSERT_EQ(MkParseDisplayName(nullptr, stored.c_str(), &eaten,
                               reinterpret_cast<IMoniker **>(m.PutVoid())),
            com::S_OK);
  EXPECT_EQ(eaten, stored.size());
  TComPtr<IBaseFilter> f = Bind(m);
  ASSERT_TRUE(f);
  CLSID clsid;
  f->GetClassID(&clsid);
  EXPECT_EQ(clsid, CLSID_AudioCaptureFilter);
  std::u16string def = Utf8ToWide(DefaultDeviceDisplayName(kCapture));
  ASSERT_EQ(
      MkParseDisplayName(nullptr, def.c_str(), nullptr, reinterpret_cast<IMoniker **>(m.PutVoid())),
      com::S_OK);
  LPOLESTR display = nullptr;
  m->GetDisplayName(nullptr, nullptr, &display);
  EXPECT_EQ(std::u16string(display), stored);
  CoTaskMemFree(display);
}

TEST_F(Devices, BadDisplayNamesFailCleanly) {
  struct {
    const char16_t *name;
    HRESULT expected;
  } cases[] = {
      {u"", MK_E_SYNTAX},
      {u"USB Audio CODEC", MK_E_SYNTAX},
      {u"@device:cm:", MK_E_SYNTAX},
      {u"@device:cm:{33D9A762-90C8-11D0-BD43-00A0C911CE8}\\x", MK_E_SYNTAX},
      {u"@device:cm:{33D9A762-90C8-11D0-BD43-00A0C911CE86}x", MK_E_SYNTAX},
      {u"@device:*:{33D9A762-90C8-11D0-BD43-00A0C911CE86}\\x", MK_E_SYNTAX},
      {u"@device:cm:{33D9A762-90C8-11D0-BD43-00A0C911CE86}\\gone", MK_E_NOOBJECT},
      {u"@device:cm:{00000000-0000-0000-0000-000000000001}\\x", MK_E_NOOBJECT},
  };
  for (auto &c : cases) {
    TComPtr<IMoniker> m;
    EXPECT_EQ(
        MkParseDisplayName(nullptr, c.name, nullptr, reinterpret_cast<IMoniker **>(m.PutVoid())),
        c.expected)
        << WideToUtf8(c.name);
    EXPECT_FALSE(m);
  }
}

TEST_F(Devices, FilterMapperListsEveryDevice) {
  TVirtualAudio::AddCapture({});
  TVirtualAudio::AddRender("Out");
  TComPtr<IFilterMapper2> mapper = Create<IFilterMapper2>(CLSID_FilterMapper2);
  TComPtr<IEnumMoniker> e;
  ASSERT_EQ(mapper->EnumMatchingFilters(reinterpret_cast<IEnumMoniker **>(e.PutVoid()), 0, FALSE,
                                        MERIT_DO_NOT_USE, FALSE, 0, nullptr, nullptr, nullptr,
                                        FALSE, FALSE, 0, nullptr, nullptr, nullptr),
            com::S_OK);
  IMoniker *m[3] = {};
  ULONG got = 0;
  EXPECT_EQ(e->Next(3, m, &got), com::S_FALSE);
  EXPECT_EQ(got, 2u);
  for (ULONG i = 0; i < got; ++i)
    m[i]->Release();
}

TEST(RunningObjectTable, RegistersByNameAndRevokes) {
  TComPtr<IRunningObjectTable> rot;
  ASSERT_EQ(GetRunningObjectTable(0, reinterpret_cast<IRunningObjectTable **>(rot.PutVoid())),
            com::S_OK);
  TComPtr<IGraphBuilder> graph = Create<IGraphBuilder>(CLSID_FilterGraph);
  TComPtr<IMoniker> name;
  CreateItemMoniker(u"!", u"FilterGraph 1 pid 2", reinterpret_cast<IMoniker **>(name.PutVoid()));
  DWORD cookie = 0;
  ASSERT_EQ(rot->Register(ROTFLAGS_REGISTRATIONKEEPSALIVE, graph.Get(), name.Get(), &cookie),
            com::S_OK);
  EXPECT_EQ(rot->IsRunning(name.Get()), com::S_OK);
  EXPECT_EQ(rot->Revoke(cookie), com::S_OK);
  EXPECT_EQ(rot->IsRunning(name.Get()), com::S_FALSE);
  EXPECT_EQ(rot->Revoke(cookie), com::E_INVALIDARG);
}

TEST(Unsupported, CompoundFilesAndPropertyFramesAnswerNotImplemented) {
  TComPtr<IStorage> storage;
  EXPECT_EQ(
      StgCreateDocfile(u"x.grf", STGM_CREATE, 0, reinterpret_cast<IStorage **>(storage.PutVoid())),
      com::E_NOTIMPL);
  EXPECT_EQ(OleCreatePropertyFrame(nullptr, 30, 30, nullptr, 0, nullptr, 0, nullptr, 0, 0, nullptr),
            com::E_NOTIMPL);
}

// ---- Allocator and clock --------------------------------------------------------------------
TEST(Allocator, ZeroSizeRefusedAndSamplesReturnToThePool) {
  TComPtr<IMemAllocator> a = Create<IMemAllocator>(CLSID_MemoryAllocator);
  ALLOCATOR_PROPERTIES want{1, 0, 1, 0}, got{};
  EXPECT_EQ(a->SetProperties(&want, &got), com::E_INVALIDARG);
  IMediaSample *s = nullptr;
  EXPECT_EQ(a->Commit(), VFW_E_SIZENOTSET);
  want.cbBuffer = 64;
  ASSERT_EQ(a->SetProperties(&want, &got), com::S_OK);
  EXPECT_EQ(a->GetBuffer(&s, nullptr, nullptr, 0), VFW_E_NOT_COMMITTED);
  ASSERT_EQ(a->Commit(), com::S_OK);
  ASSERT_EQ(a->GetBuffer(&s, nullptr, nullptr, 0), com::S_OK);
  EXPECT_EQ(s->GetSize(), 64);
  EXPECT_EQ(s->SetActualDataLength(65), VFW_E_BUFFER_OVERFLOW);
  IMediaSample *second = nullptr;
  EXPECT_EQ(a->GetBuffer(&second, nullptr, nullptr, AM_GBF_NOWAIT), VFW_E_TIMEOUT);
  EXPECT_EQ(a->SetProperties(&want, &got), VFW_E_ALREADY_COMMITTED);
  s->Release();
  ASSERT_EQ(a->GetBuffer(&second, nullptr, nullptr, AM_GBF_NOWAIT), com::S_OK);
  a->Decommit();
  a.Reset(); // the outstanding sample keeps its allocator
  EXPECT_EQ(second->GetActualDataLength(), 0);
  second->Release();
}

TEST(ManualClock, PeriodicAdviseReleasesOncePerPeriodUntilUnadvised) {
  auto clock = com::MakeCom<TManualReferenceClock>(1000);
  sys::TSemaphore sem(0, 100);
  DWORD_PTR cookie = 0;
  ASSERT_EQ(clock->AdvisePeriodic(2000, 500, &sem, &cookie), com::S_OK);
  EXPECT_EQ(sem.Count(), 0);
  clock->Advance(1000); // 2000: due once
  EXPECT_EQ(sem.Count(), 1);
  clock->Advance(1000); // 3000: 2500 and 3000
  EXPECT_EQ(sem.Count(), 3);
  EXPECT_EQ(clock->Unadvise(cookie), com::S_OK);
  clock->Advance(5000);
  EXPECT_EQ(sem.Count(), 3);
  EXPECT_EQ(clock->Unadvise(cookie), com::S_FALSE);
  sys::TEvent ev(sys::TEventReset::Manual);
  ASSERT_EQ(clock->AdviseTime(9000, 100, &ev, &cookie), com::S_OK);
  EXPECT_FALSE(ev.IsSet());
  clock->SetTime(9099);
  EXPECT_FALSE(ev.IsSet());
  clock->SetTime(9100);
  EXPECT_TRUE(ev.IsSet());
  EXPECT_EQ(clock->AdviseCount(), 0u);
}

// ---- Connections -------------------------------------------------------------------------------
class Connections : public TVirtualOnly {};

TEST_F(Connections, ConnectResultsFollowTheProtocol) {
  TVirtualAudio::AddRender("Out");
  TComPtr<IGraphBuilder> graph = Create<IGraphBuilder>(CLSID_FilterGraph);
  auto source = com::MakeCom<TTestSource>(Pcm(2, 44100, 16), 4096);
  TComPtr<IBaseFilter> renderer = Bind(Moniker(kRender, "Out"));
  ASSERT_TRUE(renderer);
  ASSERT_EQ(graph->AddFilter(source.Get(), u"AudioSource"), com::S_OK);
  ASSERT_EQ(graph->AddFilter(renderer.Get(), u"Audio Render"), com::S_OK);
  TComPtr<IBaseFilter> found;
  EXPECT_EQ(
      graph->FindFilterByName(u"Audio Render", reinterpret_cast<IBaseFilter **>(found.PutVoid())),
      com::S_OK);
  EXPECT_EQ(found, renderer);
  TComPtr<IPin> in;
  ASSERT_EQ(
      renderer->FindPin(u"Audio Input pin (rendered)", reinterpret_cast<IPin **>(in.PutVoid())),
      com::S_OK);
  IPin *out = source->Pin();
  // Same direction, then a type the renderer cannot play.
  TComPtr<IPin> otherOut = TComPtr<IPin>(com::MakeCom<TTestSource>(Pcm(2, 44100, 16), 4096)->Pin());
  EXPECT_EQ(out->Connect(otherOut.Get(), nullptr), VFW_E_INVALID_DIRECTION);
  AM_MEDIA_TYPE video{};
  video.majortype = TGUID::FromLiteral("{73646976-0000-0010-8000-00AA00389B71}");
  video.formattype = FORMAT_WaveFormatEx;
  EXPECT_EQ(graph->ConnectDirect(out, in.Get(), &video), VFW_E_TYPE_NOT_ACCEPTED);
  ASSERT_EQ(graph->Connect(out, in.Get()), com::S_OK);
  EXPECT_EQ(out->Connect(in.Get(), nullptr), VFW_E_ALREADY_CONNECTED);
  AM_MEDIA_TYPE mt{};
  ASSERT_EQ(in->ConnectionMediaType(&mt), com::S_OK);
  EXPECT_EQ(WaveFormatOf(mt)->nSamplesPerSec, 44100u);
  FreeMediaType(mt);
  // Pins and filters of the graph enumerate as the protocol says.
  TComPtr<IEnumPins> pins;
  renderer->EnumPins(reinterpret_cast<IEnumPins **>(pins.PutVoid()));
  IPin *p[2] = {};
  ULONG got = 0;
  EXPECT_EQ(pins->Next(2, p, &got), com::S_FALSE);
  EXPECT_EQ(got, 1u);
  p[0]->Release();
  EXPECT_EQ(pins->Next(2, p, nullptr), com::E_INVALIDARG);
  TComPtr<IEnumFilters> filters;
  graph->EnumFilters(reinterpret_cast<IEnumFilters **>(filters.PutVoid()));
  EXPECT_EQ(filters->Skip(2), com::S_OK);
  EXPECT_EQ(filters->Skip(1), com::S_FALSE);
  // While paused nothing may be (dis)connected.
  TComPtr<IMediaControl> control = TComPtr<IMediaControl>::Query(graph);
  ASSERT_EQ(control->Pause(), com::S_OK);
  EXPECT_EQ(in->Disconnect(), VFW_E_NOT_STOPPED);
  EXPECT_EQ(graph->Connect(out, in.Get()), VFW_E_NOT_STOPPED);
  ASSERT_EQ(control->Stop(), com::S_OK);
  EXPECT_EQ(graph->RemoveFilter(renderer.Get()), com::S_OK);
  TComPtr<IPin> none;
  EXPECT_EQ(out->ConnectedTo(reinterpret_cast<IPin **>(none.PutVoid())), VFW_E_NOT_CONNECTED);
}

TEST_F(Connections, DuplicateNamesAreNumbered) {
  TComPtr<IGraphBuilder> graph = Create<IGraphBuilder>(CLSID_FilterGraph);
  auto a = com::MakeCom<TTestSource>(Pcm(1, 8000, 8), 100);
  auto b = com::MakeCom<TTestSource>(Pcm(1, 8000, 8), 100);
  EXPECT_EQ(graph->AddFilter(a.Get(), u"Source"), com::S_OK);
  EXPECT_EQ(graph->AddFilter(b.Get(), u"Source"), VFW_S_DUPLICATE_NAME);
  FILTER_INFO info{};
  b->QueryFilterInfo(&info);
  EXPECT_EQ(std::u16string(info.achName), u"Source 0001");
  ASSERT_NE(info.pGraph, nullptr);
  info.pGraph->Release();
}

} // namespace

namespace {

TEST_F(Connections, EmptyGraphRunsAndRenderAddsTheDefaultOutput) {
  TComPtr<IGraphBuilder> graph = Create<IGraphBuilder>(CLSID_FilterGraph);
  TComPtr<IMediaControl> control = TComPtr<IMediaControl>::Query(graph);
  EXPECT_EQ(control->Run(), com::S_OK);
  OAFilterState state = -1;
  control->GetState(0, &state);
  EXPECT_EQ(state, State_Running);
  EXPECT_EQ(control->Stop(), com::S_OK);
  auto source = com::MakeCom<TTestSource>(Pcm(2, 44100, 16), 4096);
  graph->AddFilter(source.Get(), u"AudioSource");
  EXPECT_EQ(graph->Render(source->Pin()), VFW_E_NO_AUDIO_HARDWARE); // no output yet
  TVirtualAudio::AddRender("Speakers");
  ASSERT_EQ(graph->Render(source->Pin()), com::S_OK);
  TComPtr<IBaseFilter> renderer;
  ASSERT_EQ(graph->FindFilterByName(u"Default Audio Renderer",
                                    reinterpret_cast<IBaseFilter **>(renderer.PutVoid())),
            com::S_OK);
  CLSID clsid;
  renderer->GetClassID(&clsid);
  EXPECT_EQ(clsid, CLSID_AudioRenderFilter);
  // The renderer offers the clock the graph then runs on.
  EXPECT_TRUE(TComPtr<IReferenceClock>::Query(renderer));
}

} // namespace
