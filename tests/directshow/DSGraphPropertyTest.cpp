#include <cerrno>
#include <deque>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "directshow/DSBaseClass.h"
#include "directshow/DSGraphProperty.h"
#include "framework/pins/OWPins.h"
#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/FormStream.h"
#include "platform/mainloop/MainLoop.h"
#include "platform/media/Media.h"
#include "platform/media/VirtualAudio.h"

namespace {

using namespace media;
using com::TComPtr;
using mainloop::TMainLoop;

// Records the event calls the graph owner makes, into one shared log.
class TFakeEvents final : public com::TInterfacedObject, public IMediaEventEx {
public:
  explicit TFakeEvents(std::vector<std::string> &log) : log_(log) {}
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<IMediaEventEx, IMediaEvent>(this, iid, out);
  }
  uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
  uint32_t Release() override { return TInterfacedObject::Release(); }

  HRESULT GetEvent(LONG *code, LONG_PTR *p1, LONG_PTR *p2, LONG) override {
    if (queue.empty())
      return E_ABORT;
    *code = queue.front();
    *p1 = *code * 10;
    *p2 = *code * 100;
    queue.pop_front();
    return S_OK;
  }
  HRESULT FreeEventParams(LONG code, LONG_PTR p1, LONG_PTR p2) override {
    log_.push_back("free " + std::to_string(code) + " " + std::to_string(p1) + " " +
                   std::to_string(p2));
    return S_OK;
  }
  HRESULT WaitForCompletion(LONG, LONG *) override { return E_NOTIMPL; }
  HRESULT CancelDefaultHandling(LONG) override { return E_NOTIMPL; }
  HRESULT RestoreDefaultHandling(LONG) override { return E_NOTIMPL; }
  HRESULT SetNotifyWindow(OAHWND, LONG, LONG_PTR) override { return S_OK; }
  HRESULT SetNotifyFlags(LONG) override { return S_OK; }
  HRESULT GetNotifyFlags(LONG *) override { return E_NOTIMPL; }

  std::deque<LONG> queue;

private:
  std::vector<std::string> &log_;
};

class TOwner : public TComponent {
public:
  TOwner() : TComponent(nullptr) {}
};

class GraphOwnerTest : public ::testing::Test {
protected:
  void SetUp() override {
    OWPinsInitialization();
    TMainLoop::Main().RunPending();
    owner = CreateObject<TOwner>();
    lock = std::make_unique<TOWObject>();
    graph = std::make_unique<TDSGraph>(
        owner,
        [this](LONG code, LONG_PTR p1, LONG_PTR p2) {
          log.push_back("cb " + std::to_string(code) + " " + std::to_string(p1) + " " +
                        std::to_string(p2));
          threads.push_back(std::this_thread::get_id());
          if (onCallback)
            onCallback(code);
        },
        lock.get());
    graph->OnAborted.Fn = [this](TObject *sender) { Fired("aborted", sender); };
    graph->OnStarvation.Fn = [this](TObject *sender) { Fired("starvation", sender); };
    graph->OnDeviceLost.Fn = [this](TObject *sender) { Fired("lost", sender); };
    events = com::MakeCom<TFakeEvents>(log);
  }
  void TearDown() override {
    graph.reset();
    lock.reset();
    FreeObject(owner);
    TMainLoop::Main().RunPending();
  }
  void Fired(const char *what, TObject *sender) {
    EXPECT_EQ(sender, owner);
    log.push_back(what);
  }
  void Announce() {
    graph->EventWindow()->PostMessage(WM_GRAPHNOTIFY, 0, 0);
    TMainLoop::Main().RunPending();
  }

  std::vector<std::string> log;
  std::vector<std::thread::id> threads;
  std::function<void(LONG)> onCallback;
  TOwner *owner = nullptr;
  std::unique_ptr<TOWObject> lock;
  std::unique_ptr<TDSGraph> graph;
  TComPtr<TFakeEvents> events;
};

TEST_F(GraphOwnerTest, AbortAndLossFreeTheirParametersFirstOthersLast) {
  graph->MediaEvent = events;
  events->queue = {3, 23, 31, 1};
  Announce();
  EXPECT_EQ(log, (std::vector<std::string>{"free 3 30 300", "cb 3 30 300", "aborted",          //
                                           "cb 23 230 2300", "starvation", "free 23 230 2300", //
                                           "free 31 310 3100", "cb 31 310 3100", "lost",       //
                                           "cb 1 10 100", "free 1 10 100"}));
  ASSERT_EQ(threads.size(), 4u);
  for (auto id : threads)
    EXPECT_EQ(id, std::this_thread::get_id());
}

TEST_F(GraphOwnerTest, AHandlerThatClearsTheEventReferenceEndsTheLoop) {
  graph->MediaEvent = events;
  events->queue = {31, 1, 1};
  onCallback = [this](LONG) { graph->MediaEvent.Reset(); };
  Announce();
  EXPECT_EQ(log, (std::vector<std::string>{"free 31 310 3100", "cb 31 310 3100", "lost"}));
  EXPECT_EQ(events->queue.size(), 2u);

  log.clear();
  onCallback = [this](LONG) { graph->MediaEvent.Reset(); };
  graph->MediaEvent = events;
  Announce();
  EXPECT_EQ(log,
            (std::vector<std::string>{"cb 1 10 100"})); // no FreeEventParams on a cleared reference
}

TEST_F(GraphOwnerTest, AHandlerThatRaisesStillFreesTheEventAndGivesTheLockBack) {
  graph->MediaEvent = events;
  events->queue = {1, 1};
  onCallback = [](LONG) { throw EDSException("handler"); };
  graph->EventWindow()->PostMessage(WM_GRAPHNOTIFY, 0, 0);
  EXPECT_THROW(TMainLoop::Main().RunPending(), EDSException);
  EXPECT_EQ(log, (std::vector<std::string>{"cb 1 10 100", "free 1 10 100"}));
  EXPECT_EQ(lock->GetCountWrites(), 0);
  EXPECT_EQ(events->queue.size(), 1u); // the next 1025 starts a new loop
}

TEST_F(GraphOwnerTest, OtherMessagesGoToTheHookOnly) {
  graph->MediaEvent = events;
  events->queue = {1};
  std::vector<uint32_t> hooked;
  graph->SetMsgEvent([&](const mainloop::TMessage &m) { hooked.push_back(m.Msg); });
  graph->EventWindow()->PostMessage(1030, 0, 0);
  TMainLoop::Main().RunPending();
  EXPECT_EQ(hooked, std::vector<uint32_t>{1030});
  EXPECT_TRUE(log.empty());
  Announce();
  EXPECT_EQ(hooked, std::vector<uint32_t>{1030});
  EXPECT_EQ(log.size(), 2u);
}

TEST_F(GraphOwnerTest, ErrorsRaiseTheFormattedTextUnlessAHandlerTakesThem) {
  try {
    graph->Error("Can't build DirectShow graph.", -2147221164);
    FAIL() << "no exception";
  } catch (const EDSException &e) {
    EXPECT_EQ(e.Message(), "Can't build DirectShow graph. - 2147746132 - 80040154");
  }
  try {
    graph->Error("Can't start render.", static_cast<int32_t>(0x8000FFFF));
    FAIL() << "no exception";
  } catch (const EDSException &e) {
    EXPECT_EQ(e.Message(), "Can't start render. - 2147549183 - 8000FFFF");
  }
  for (bool take : {true, false}) {
    std::vector<std::string> seen;
    graph->SetOnError(
        TDSErrorEvent{[&](TObject *sender, const std::string &text, int32_t code, bool &handled) {
                        EXPECT_EQ(sender, owner);
                        seen.push_back(text + " " + std::to_string(code));
                        handled = take;
                      },
                      ""});
    if (take)
      EXPECT_NO_THROW(graph->Error("Can't run graph.", -5));
    else
      EXPECT_THROW(graph->Error("Can't run graph.", -5), EDSException);
    EXPECT_EQ(seen, std::vector<std::string>{"Can't run graph. -5"});
  }
}

// A busy device, a device that is gone and a refused format read differently;
// the system's text and code stay as the first line.
TEST_F(GraphOwnerTest, ADeviceFailureSaysWhyUnderTheSystemsText) {
  struct TCase {
    int32_t Code;
    const char *Message;
  };
  const TCase cases[] = {
      {media::HRESULT_FROM_ERRNO(EBUSY),
       "Can't start capture. - 2164195344 - 80FF0010\nThe device is in use by another program."},
      {media::HRESULT_FROM_ERRNO(ENOENT),
       "Can't start capture. - 2164195330 - 80FF0002\nThe device is not connected."},
      {media::HRESULT_FROM_ERRNO(ENODEV),
       "Can't start capture. - 2164195347 - 80FF0013\nThe device is not connected."},
      {media::HRESULT_FROM_ERRNO(EIO), "Can't start capture. - 2164195333 - 80FF0005\nThe device "
                                       "stopped working; it may have been unplugged."},
      {media::HRESULT_FROM_ERRNO(EINVAL),
       "Can't start capture. - 2164195350 - 80FF0016\nThe device does not accept this audio "
       "format."},
      {media::VFW_E_TYPE_NOT_ACCEPTED, "Can't start capture. - 2147746346 - 8004022A\nThe device "
                                       "does not accept this audio format."},
      {static_cast<int32_t>(0x8000FFFF), "Can't start capture. - 2147549183 - 8000FFFF"},
      {0, "Can't start capture. - 0 - 0"},
  };
  for (const TCase &c : cases) {
    SCOPED_TRACE(c.Message);
    try {
      graph->Error("Can't start capture.", c.Code);
      FAIL() << "no exception";
    } catch (const EDSException &e) {
      EXPECT_EQ(e.Message(), c.Message);
    }
  }
}

TEST_F(GraphOwnerTest, AnErrorOnAWorkerThreadIsReportedOnTheMainThread) {
  std::vector<std::thread::id> where;
  graph->SetOnError(TDSErrorEvent{[&](TObject *, const std::string &, int32_t, bool &handled) {
                                    where.push_back(std::this_thread::get_id());
                                    handled = false;
                                  },
                                  ""});
  bool raisedOnWorker = false;
  std::thread worker([&] {
    try {
      graph->Error("Can't deliver.", -1);
    } catch (...) {
      raisedOnWorker = true;
    }
  });
  worker.join();
  EXPECT_FALSE(raisedOnWorker);
  EXPECT_TRUE(where.empty());
  EXPECT_THROW(TMainLoop::Main().RunPending(), EDSException);
  ASSERT_EQ(where.size(), 1u);
  EXPECT_EQ(where[0], std::this_thread::get_id());
}

TEST_F(GraphOwnerTest, TheGraphIsCreatedOnceAndItsEventsArriveOnTheMainThread) {
  ASSERT_TRUE(graph->CreateGraph());
  IGraphBuilder *first = graph->Graph.Get();
  ASSERT_TRUE(graph->CreateGraph());
  EXPECT_EQ(graph->Graph.Get(), first);
  ASSERT_TRUE(graph->CreateGraphBuilder());
  ASSERT_TRUE(graph->SetMediaEvent());
  auto sink = TComPtr<IMediaEventSink>::Query(graph->Graph);
  ASSERT_TRUE(sink);
  std::thread worker([&] { sink->Notify(EC_STARVATION, 0, 0); });
  worker.join();
  EXPECT_TRUE(log.empty());
  for (int i = 0; i < 10 && TMainLoop::Main().PendingCount() > 0; ++i)
    TMainLoop::Main().RunPending();
  EXPECT_EQ(log, (std::vector<std::string>{"cb 23 0 0", "starvation"}));
  ASSERT_EQ(threads.size(), 1u);
  EXPECT_EQ(threads[0], std::this_thread::get_id());
  graph->MediaEvent.Reset();
  graph->CaptureGraphBuilder.Reset();
  graph->Graph.Reset();
}

TEST(GraphOwnerDeathTest, AGraphClassThatIsNotRegisteredIsReportedWithItsCode) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        OWPinsInitialization();
        TDSGraph graph(nullptr, nullptr, nullptr);
        RegisterMediaClasses();
        com::RegisterClass(CLSID_FilterGraph, nullptr);
        try {
          graph.CreateGraph();
        } catch (const EDSException &e) {
          std::exit(e.Message() == "Can't build DirectShow graph. - 2147746132 - 80040154" ? 0 : 1);
        }
        std::exit(2);
      },
      ::testing::ExitedWithCode(0), "");
}

// The item name under which a graph is registered.
bool InRunningObjectTable(IGraphBuilder *graph) {
  TComPtr<IRunningObjectTable> rot;
  GetRunningObjectTable(0, reinterpret_cast<IRunningObjectTable **>(rot.PutVoid()));
  std::string name =
      Format("FilterGraph %8p pid %8x", static_cast<void *>(graph), GetCurrentProcessId());
  TComPtr<IMoniker> moniker;
  CreateItemMoniker(u"!", Utf8ToWide(name).c_str(),
                    reinterpret_cast<IMoniker **>(moniker.PutVoid()));
  return rot->IsRunning(moniker.Get()) == S_OK;
}

TEST_F(GraphOwnerTest, RunningObjectTableRegistrationFollowsTheRegisterProperty) {
  ASSERT_TRUE(graph->CreateGraph());
  IGraphBuilder *g = graph->Graph.Get();
  graph->RegisterGraph(); // Register false: only the flag
  EXPECT_TRUE(graph->Registered());
  EXPECT_FALSE(InRunningObjectTable(g));
  graph->SetRegister(true); // registers at once
  EXPECT_TRUE(InRunningObjectTable(g));
  graph->RegisterGraph(); // once only
  graph->UnregisterGraph();
  EXPECT_FALSE(InRunningObjectTable(g));
  EXPECT_FALSE(graph->Registered());
  graph->SetRegister(false);
  graph->RegisterGraph();
  graph->UnregisterGraph(); // Register false: only the flag
  EXPECT_FALSE(graph->Registered());
  EXPECT_FALSE(InRunningObjectTable(g));
}

class AdditionalFiltersTest : public GraphOwnerTest {
protected:
  void SetUp() override {
    SetAlsaEnabled(false);
    TVirtualAudio::Clear();
    GraphOwnerTest::SetUp();
  }
  void TearDown() override {
    GraphOwnerTest::TearDown();
    TVirtualAudio::Clear();
    SetAlsaEnabled(true);
  }
};

TEST_F(AdditionalFiltersTest, ItemsAreAddedUnderNumberedNamesAndAFailureSkipsOnlyItsItem) {
  TVirtualCaptureSpec a;
  a.FriendlyName = "Mic A";
  a.Id = "a";
  auto micA = TVirtualAudio::AddCapture(a);
  TVirtualCaptureSpec b;
  b.FriendlyName = "Mic B";
  b.Id = "b";
  TVirtualAudio::AddCapture(b);
  TDSFilterItems *items = graph->GetAdditionalFilters();
  items->Add()->SetName("Mic A");
  items->Add()->SetName("Mic B");
  items->Add(); // "None": no moniker
  EXPECT_EQ(items->Items(0)->GetFilterName(), "Mic A");
  EXPECT_EQ(items->Items(1)->GetDisplayName(), "Filter 2");
  items->Items(2)->SetName("Nobody"); // not found: keeps its name
  EXPECT_EQ(items->Items(2)->GetFilterName(), "None");
  ASSERT_TRUE(graph->CreateGraph());
  EXPECT_FALSE(graph->RegisterAdditionalFilters()); // the third has no filter
  TComPtr<IBaseFilter> found;
  EXPECT_EQ(graph->Graph->FindFilterByName(u"Mic A(Additional 1)",
                                           reinterpret_cast<IBaseFilter **>(found.PutVoid())),
            S_OK);
  EXPECT_EQ(graph->Graph->FindFilterByName(u"Mic B(Additional 2)",
                                           reinterpret_cast<IBaseFilter **>(found.PutVoid())),
            S_OK);
  TStringList names;
  ASSERT_TRUE(graph->GetFilterList(&names));
  EXPECT_EQ(names.Count(), 2);

  graph->Graph.Reset();
  ASSERT_TRUE(graph->CreateGraph());
  TVirtualAudio::Remove(micA); // A can no longer be bound: B still goes in
  items->Delete(2);
  EXPECT_FALSE(graph->RegisterAdditionalFilters());
  EXPECT_EQ(graph->Graph->FindFilterByName(u"Mic B(Additional 2)",
                                           reinterpret_cast<IBaseFilter **>(found.PutVoid())),
            S_OK);
  EXPECT_FALSE(graph->SaveToFile("/tmp/never-written.grf"));
  graph->Graph.Reset();
}

TEST_F(AdditionalFiltersTest, DestroyDownstreamTakesTheRendererOutAndLeavesTheSource) {
  TVirtualAudio::AddRender("Speaker", "sp1");
  ASSERT_TRUE(graph->CreateGraph());
  ASSERT_TRUE(graph->CreateGraphBuilder());
  constexpr TGUID kClass = TGUID::FromLiteral("{AC11DC21-BDC9-49D9-BCAE-073AF5C1962C}");
  auto source = com::MakeCom<TDSAudioSourceFilter>("AudioSource", kClass);
  WAVEFORMATEXTENSIBLE f{};
  f.Format = {WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
  source->SetFormat(f, false, 23);
  ASSERT_EQ(graph->Graph->AddFilter(source.Get(), u"AudioSource"), S_OK);
  TComPtr<IMoniker> moniker;
  std::u16string name = Utf8ToWide(DeviceDisplayName(CLSID_AudioRendererCategory, "sp1"));
  ASSERT_EQ(MkParseDisplayName(nullptr, name.c_str(), nullptr,
                               reinterpret_cast<IMoniker **>(moniker.PutVoid())),
            S_OK);
  TComPtr<IBaseFilter> renderer;
  ASSERT_EQ(moniker->BindToObject(nullptr, nullptr, IBaseFilter::IID, renderer.PutVoid()), S_OK);
  ASSERT_EQ(graph->Graph->AddFilter(renderer.Get(), u"Audio Render"), S_OK);
  ASSERT_EQ(graph->CaptureGraphBuilder->RenderStream(nullptr, nullptr,
                                                     static_cast<IBaseFilter *>(source.Get()),
                                                     nullptr, renderer.Get()),
            S_OK);
  ASSERT_TRUE(source->StreamPin()->IsConnected());
  EXPECT_EQ(graph->GetFilterByClassID(kClass).Get(), static_cast<IBaseFilter *>(source.Get()));
  EXPECT_FALSE(graph->GetFilterByClassID(GUID_NULL));

  graph->DestroyDownstream(source.Get());
  EXPECT_FALSE(source->StreamPin()->IsConnected());
  TStringList names;
  ASSERT_TRUE(graph->GetFilterList(&names));
  ASSERT_EQ(names.Count(), 1);
  EXPECT_EQ(names.Strings(0), "AudioSource");
  graph->CaptureGraphBuilder.Reset();
  graph->Graph.Reset();
}

// A component publishing its graph owner, as the audio components do.
class TGraphHost : public TComponent {
  CLASSLIB_CLASS(TGraphHost)

public:
  explicit TGraphHost(TComponent *owner) : TComponent(owner) {}
  TDSGraph *GetGraph() { return &graph; }
  TOWObject lock;
  TDSGraph graph{this, nullptr, &lock};
};

const TClassInfo &TGraphHost::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TGraphHost>(
      "TGraphHost", &TComponent::StaticClassInfo(),
      [](TClassBuilder<TGraphHost> &c) { c.Object("Graph", &TGraphHost::GetGraph); });
  return info;
}

TEST_F(AdditionalFiltersTest, RegisterIsAlwaysStoredAndFiltersPersistThroughData) {
  TVirtualCaptureSpec a;
  a.FriendlyName = "Mic A";
  a.Id = "a";
  TVirtualAudio::AddCapture(a);
  TGraphHost *host = CreateObject<TGraphHost>(nullptr);
  host->SetName("Host");
  host->graph.GetAdditionalFilters()->Add()->SetName("Mic A");
  host->graph.GetAdditionalFilters()->Add(); // "None": no Data
  std::string text = WriteFormText(host);
  EXPECT_NE(text.find("Graph.Register = False"), std::string::npos) << text;
  EXPECT_EQ(text.find("FilterName"), std::string::npos) << text;
  EXPECT_EQ(text.find("'None'"), std::string::npos) << text;

  TGraphHost *loaded = CreateObject<TGraphHost>(nullptr);
  LoadFormText(loaded, text);
  TDSFilterItems *items = loaded->graph.GetAdditionalFilters();
  ASSERT_EQ(items->Count(), 2);
  EXPECT_EQ(items->Items(0)->GetFilterName(), "Mic A");
  EXPECT_EQ(items->Items(0)->GetVC_DriverName(),
            DeviceDisplayName(CLSID_AudioInputDeviceCategory, "a"));
  EXPECT_TRUE(items->Items(0)->GetMoniker());
  EXPECT_FALSE(items->Items(1)->GetMoniker());
  FreeObject(loaded);
  FreeObject(host);
}

} // namespace
