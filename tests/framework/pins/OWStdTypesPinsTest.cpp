// Value pins: what each kind of source delivers to each kind of sink, new
// links, state groups, and the value operations.
#include <algorithm>
#include <string>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "framework/pins/OWStdTypes.h"

namespace {

template <class T> using Owned = TOwnedPtr<T>;
template <class T, class... A> Owned<T> Make(A &&...args) {
  return Owned<T>(CreateObject<T>(std::forward<A>(args)...));
}

// What a sink received, in order, as one variant per delivery.
using Received = std::variant<int32_t, float, double, bool, char, std::string, TOWRealComplex>;
using ReceivedLog = std::vector<Received>;

class ValuePinsTest : public ::testing::Test {
protected:
  void SetUp() override {
    OWPinsInitialization();
    OWStdTypesInitialization();
  }

  template <class Sink> Owned<Sink> MakeSink() {
    return Make<Sink>(
        nullptr, [this](TOWPin *, auto value) { log.push_back(Received(value)); }, nullptr);
  }

  ReceivedLog log;
};

// ---------------------------------------------------------------------------
// Stream types and operations

TEST_F(ValuePinsTest, StreamTypesAreRegisteredWithTheirDisplayNames) {
  EXPECT_EQ(OWGetStreamTypeFromID(IOWIntegerStream::IID), "Integer single");
  EXPECT_EQ(OWGetStreamTypeFromID(IOWFloatStream::IID), "Float single");
  EXPECT_EQ(OWGetStreamTypeFromID(IOWRealStream::IID), "Real single");
  EXPECT_EQ(OWGetStreamTypeFromID(IOWRealComplexStream::IID), "Real Complex single");
  EXPECT_EQ(OWGetStreamTypeFromID(IOWBoolStream::IID), "Boolean single");
  EXPECT_EQ(OWGetStreamTypeFromID(IOWCharStream::IID), "Character single");
  EXPECT_EQ(OWGetStreamTypeFromID(IOWStringStream::IID), "Sting");
  // Registered with a default handler only, and not at all.
  EXPECT_EQ(OWGetStreamTypeFromID(IOWDataStream::IID), "{CFDF94D7-5134-49D9-AC65-902BBC1CD140}");
  EXPECT_EQ(OWGetStreamTypeFromID(IOWClockStream::IID), "{48CDAF9F-00C7-4B45-999D-4EE25353A952}");
  EXPECT_NE(OWGetDefaultHandler(IOWDataStream::IID), nullptr);
}

TEST_F(ValuePinsTest, EverySuppliedValueIsAClockTickAndProgressCarriesItsPosition) {
  IOWNotifyOperationPtr single =
      TOWNotifyOperation::Make<TOWSuppliedSingleProgressOperation>(1.0f, 9.0f, 4.5f);
  ASSERT_NE(OWOperationAs<TOWClockOperation>(single.Get()), nullptr);
  ASSERT_NE(OWOperationAs<TOWSuppliedSingleOperation>(single.Get()), nullptr);
  EXPECT_EQ(OWOperationAs<TOWSuppliedSingleOperation>(single.Get())->Value(), 4.5f);

  IOWNotifyOperationPtr ints = TOWNotifyOperation::Make<TOWSuppliedIntProgressOperation>(1, 9, 4);
  const auto *asInteger = OWOperationAs<TOWSuppliedIntegerOperation>(ints.Get());
  ASSERT_NE(asInteger, nullptr);
  EXPECT_EQ(asInteger->Value(), 4);
  const auto *asProgress = OWOperationAs<TOWSuppliedIntProgressOperation>(ints.Get());
  EXPECT_EQ(asProgress->Minimum(), 1);
  EXPECT_EQ(asProgress->Maximum(), 9);

  IOWNotifyOperationPtr multicast = TOWNotifyOperation::Make<TOWSuppliedMulticastOperation>();
  EXPECT_NE(OWOperationAs<TOWClockOperation>(multicast.Get()), nullptr);
  IOWNotifyOperationPtr rate = TOWNotifyOperation::Make<TOWStartRateOperation>(44100.0f);
  ASSERT_NE(OWOperationAs<TOWStartOperation>(rate.Get()), nullptr);
  EXPECT_EQ(OWOperationAs<TOWStartRateOperation>(rate.Get())->Rate(), 44100.0f);
  EXPECT_EQ(OWOperationAs<TOWClockOperation>(rate.Get()), nullptr);
}

TEST_F(ValuePinsTest, PumpOperationsCarryTheirSenderAndRequestFields) {
  TObject player;
  com::TComPtr<TOWPumpRequestOperation> empty = com::MakeCom<TOWPumpRequestOperation>();
  EXPECT_EQ(empty->Sender, nullptr);
  EXPECT_EQ(empty->PumpType, TOWPumpType::ptNone);
  EXPECT_EQ(empty->Priority, 0);
  EXPECT_EQ(empty->Rate, 0.0f);

  com::TComPtr<TOWPumpRequestOperation> request =
      com::MakeCom<TOWPumpRequestOperation>(&player, TOWPumpType::ptMaster, 3, 1.0f);
  EXPECT_EQ(request->Sender, &player);
  EXPECT_EQ(request->PumpType, TOWPumpType::ptMaster);
  EXPECT_EQ(request->Priority, 3);
  EXPECT_EQ(request->Rate, 1.0f);
  EXPECT_EQ(sizeof(TOWPumpType), 1u);

  com::TComPtr<TOWMasterPumpOperation> pump = com::MakeCom<TOWMasterPumpOperation>(&player);
  EXPECT_EQ(pump->Sender(), &player);
}

// ---------------------------------------------------------------------------
// Sources and sinks of one value type: a new link delivers the current value,
// SetValue sends only changes.

template <class Source, class Sink, class V> struct Pair {
  using TSource = Source;
  using TSink = Sink;
  using TValue = V;
};

template <class P> class SameTypeLinkTest : public ValuePinsTest {};

using SameTypePairs = ::testing::Types<Pair<TOWFloatSourcePin, TOWFloatSinkPin, float>,
                                       Pair<TOWBoolSourcePin, TOWBoolSinkPin, bool>,
                                       Pair<TOWCharSourcePin, TOWCharSinkPin, char>,
                                       Pair<TOWStringSourcePin, TOWStringSinkPin, std::string>,
                                       Pair<TOWIntegerSourcePin, TOWIntegerSinkPin, int32_t>,
                                       Pair<TOWRealSourcePin, TOWRealSinkPin, double>,
                                       Pair<TOWComplexSourcePin, TOWComplexSinkPin, TOWRealComplex>,
                                       Pair<TOWFloatIntSourcePin, TOWFloatSinkPin, float>,
                                       Pair<TOWStdComboSourcePin, TOWStringSinkPin, double>>;
TYPED_TEST_SUITE(SameTypeLinkTest, SameTypePairs);

template <class V> V SampleValue(int n);
template <> float SampleValue<float>(int n) { return 2.5f * static_cast<float>(n); }
template <> bool SampleValue<bool>(int n) { return n % 2 == 1; }
template <> char SampleValue<char>(int n) { return static_cast<char>('a' + n); }
template <> std::string SampleValue<std::string>(int n) { return "text " + std::to_string(n); }
template <> int32_t SampleValue<int32_t>(int n) { return 7 * n; }
template <> double SampleValue<double>(int n) { return 0.1 * n; }
template <> TOWRealComplex SampleValue<TOWRealComplex>(int n) { return {1.0 * n, -2.0 * n}; }

// What a sink of the pair receives for a source value.
template <class Sink, class V> Received AsReceived(const V &value) {
  if constexpr (std::is_same_v<Sink, TOWStringSinkPin> && std::is_same_v<V, double>)
    return Received(OWFloatToText(value));
  else
    return Received(value);
}

TYPED_TEST(SameTypeLinkTest, ANewLinkReceivesTheCurrentValueAndOnlyChangesAreSent) {
  using V = typename TypeParam::TValue;
  using Sink = typename TypeParam::TSink;
  auto source = Make<typename TypeParam::TSource>(nullptr);
  source->SetValue(SampleValue<V>(1));
  auto sink = this->template MakeSink<typename TypeParam::TSink>();
  ASSERT_TRUE(sink->Connect(source.get()));
  EXPECT_EQ(this->log, ReceivedLog{AsReceived<Sink>(SampleValue<V>(1))});

  source->SetValue(SampleValue<V>(1));
  EXPECT_EQ(this->log.size(), 1u) << "the current value again sends nothing";
  source->SetValue(SampleValue<V>(2));
  source->SetValue(SampleValue<V>(3));
  EXPECT_EQ(this->log,
            (ReceivedLog{AsReceived<Sink>(SampleValue<V>(1)), AsReceived<Sink>(SampleValue<V>(2)),
                         AsReceived<Sink>(SampleValue<V>(3))}));
  EXPECT_EQ(this->log.back(), Received(sink->GetValue()));
  EXPECT_EQ(source->GetValue(), SampleValue<V>(3));
}

TYPED_TEST(SameTypeLinkTest, AFreshSourceSendsNothingForItsInitialValue) {
  using V = typename TypeParam::TValue;
  auto source = Make<typename TypeParam::TSource>(nullptr);
  auto sink = this->template MakeSink<typename TypeParam::TSink>();
  ASSERT_TRUE(sink->Connect(source.get()));
  this->log.clear();
  source->SetValue(V{});
  EXPECT_TRUE(this->log.empty());
}

// ---------------------------------------------------------------------------
// Conversions on the way: one table of source value x sink class.

struct ComboCase {
  double value;
  int32_t asInteger;
  const char *asText;
  bool asBool;
  float asSingle;
};

class ComboSourceTest : public ValuePinsTest, public ::testing::WithParamInterface<ComboCase> {};

TEST_P(ComboSourceTest, EachSinkReceivesTheValueInItsOwnType) {
  const ComboCase c = GetParam();
  auto source = Make<TOWStdComboSourcePin>(nullptr);
  ReceivedLog ints, texts, bools, singles;
  auto intSink = Make<TOWIntegerSinkPin>(
      nullptr, [&](TOWPin *, int32_t v) { ints.push_back(v); }, nullptr);
  auto textSink = Make<TOWStringSinkPin>(
      nullptr, [&](TOWPin *, const std::string &v) { texts.push_back(v); }, nullptr);
  auto boolSink = Make<TOWBoolSinkPin>(
      nullptr, [&](TOWPin *, bool v) { bools.push_back(v); }, nullptr);
  auto singleSink = Make<TOWFloatSinkPin>(
      nullptr, [&](TOWPin *, float v) { singles.push_back(v); }, nullptr);
  for (TOWSinkPin *sink : std::initializer_list<TOWSinkPin *>{intSink.get(), textSink.get(),
                                                              boolSink.get(), singleSink.get()})
    ASSERT_TRUE(sink->Connect(source.get()));
  // (Each new link of the combo also re-delivers to the links made before it.)
  for (ReceivedLog *received : {&ints, &texts, &bools, &singles})
    received->clear();
  // A changed value first, then the value of the case: every sink gets both.
  source->SetValue(c.value == 1.0 ? 2.0 : 1.0);
  source->SetValue(c.value);
  for (ReceivedLog *received : {&ints, &texts, &bools, &singles})
    EXPECT_EQ(received->size(), 2u);
  EXPECT_EQ(ints.back(), Received(c.asInteger));
  EXPECT_EQ(texts.back(), Received(std::string(c.asText)));
  EXPECT_EQ(bools.back(), Received(c.asBool));
  EXPECT_EQ(singles.back(), Received(c.asSingle));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ComboSourceTest,
    ::testing::Values(ComboCase{2.5, 2, "2.5", true, 2.5f}, ComboCase{3.5, 4, "3.5", true, 3.5f},
                      ComboCase{-2.5, -2, "-2.5", true, -2.5f}, ComboCase{0.0, 0, "0", false, 0.0f},
                      ComboCase{0.1, 0, "0.1", true, 0.1f}, ComboCase{1.0, 1, "1", true, 1.0f},
                      // Beyond the 32-bit range: the integer sink gets the nearest end and the
                      // sinks after it in the fan-out still receive the value.
                      ComboCase{1e12, 2147483647, "1000000000000", true, 1e12f},
                      ComboCase{-3e9, -2147483647 - 1, "-3000000000", true, -3e9f}));

TEST_F(ValuePinsTest, ComboIntegerSaturationKeepsTheFanOutWhole) {
  auto source = Make<TOWStdComboSourcePin>(nullptr);
  ReceivedLog first, last;
  auto a = Make<TOWIntegerSinkPin>(
      nullptr, [&](TOWPin *, int32_t v) { first.push_back(v); }, nullptr);
  auto b = Make<TOWStringSinkPin>(
      nullptr, [&](TOWPin *, const std::string &v) { last.push_back(v); }, nullptr);
  ASSERT_TRUE(a->Connect(source.get()));
  ASSERT_TRUE(b->Connect(source.get()));
  first.clear();
  last.clear();
  EXPECT_NO_THROW(source->SetValue(5e9));
  EXPECT_NO_THROW(source->SetValue(-6e9));
  EXPECT_EQ(first, (ReceivedLog{int32_t{2147483647}, int32_t{-2147483647 - 1}}));
  EXPECT_EQ(last, (ReceivedLog{std::string("5000000000"), std::string("-6000000000")}));
}

TEST_F(ValuePinsTest, FloatIntSourceRoundsForIntegerSinksAndSaturates) {
  auto source = Make<TOWFloatIntSourcePin>(nullptr);
  source->SetValue(2.5f);
  auto sink = MakeSink<TOWIntegerSinkPin>();
  ASSERT_TRUE(sink->Connect(source.get()));
  source->SetValue(3.5f);
  source->SetValue(-0.5f);
  source->SetValue(1e20f);
  EXPECT_EQ(log, (ReceivedLog{int32_t{2}, int32_t{4}, int32_t{0}, int32_t{2147483647}}));
}

TEST_F(ValuePinsTest, RealSourceNarrowsForFloatOnlySinksAndSubmitsWithoutComparing) {
  auto source = Make<TOWRealSourcePin>(nullptr);
  source->SetValue(0.1);
  auto floatSink = MakeSink<TOWFloatSinkPin>();
  auto realSink = MakeSink<TOWRealSinkPin>();
  ASSERT_TRUE(floatSink->Connect(source.get()));
  ASSERT_TRUE(realSink->Connect(source.get()));
  EXPECT_EQ(floatSink->GetValue(), 0.1f);
  EXPECT_EQ(realSink->GetValue(), 0.1);
  log.clear();
  source->SubmitReal(0.1); // the current value, sent all the same
  source->SubmitReal(0.7);
  EXPECT_EQ(source->GetValue(), 0.1) << "a submitted value is not stored";
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(floatSink->GetValue(), 0.7f);
  EXPECT_EQ(realSink->GetValue(), 0.7);
}

TEST_F(ValuePinsTest, RealAndFloatIntSinksWidenAndConvert) {
  auto floatSource = Make<TOWFloatSourcePin>(nullptr);
  floatSource->SetValue(0.1f);
  auto realSink = MakeSink<TOWRealSinkPin>();
  ASSERT_TRUE(realSink->Connect(floatSource.get()));
  EXPECT_EQ(realSink->GetValue(), static_cast<double>(0.1f));

  auto intSource = Make<TOWIntegerSourcePin>(nullptr);
  intSource->SetValue(16777217);
  auto floatIntSink = MakeSink<TOWFloatIntSinkPin>();
  ASSERT_TRUE(floatIntSink->Connect(intSource.get()));
  EXPECT_EQ(floatIntSink->GetValue(), 16777216.0f);
}

TEST_F(ValuePinsTest, ComplexSourceSubmitsWithoutStoring) {
  auto source = Make<TOWComplexSourcePin>(nullptr);
  auto sink = MakeSink<TOWComplexSinkPin>();
  ASSERT_TRUE(sink->Connect(source.get()));
  log.clear();
  source->SubmitComplex({0.0, 0.0});
  source->SubmitComplex({1.5, -2.0});
  EXPECT_EQ(log, (ReceivedLog{TOWRealComplex{0.0, 0.0}, TOWRealComplex{1.5, -2.0}}));
  EXPECT_EQ(source->GetValue(), (TOWRealComplex{0.0, 0.0}));
}

TEST_F(ValuePinsTest, SendDeliversTheCharactersOneByOne) {
  auto chars = Make<TOWCharSourcePin>(nullptr);
  auto charSink = MakeSink<TOWCharSinkPin>();
  ASSERT_TRUE(charSink->Connect(chars.get()));
  auto strings = Make<TOWStringSourcePin>(nullptr);
  auto stringSink = MakeSink<TOWStringSinkPin>();
  ASSERT_TRUE(stringSink->Connect(strings.get()));
  log.clear();

  chars->Send("ab");
  chars->Send("");
  chars->Send("bb"); // nothing is compared
  strings->Send("xy");
  EXPECT_EQ(log, (ReceivedLog{'a', 'b', 'b', 'b', std::string("x"), std::string("y")}));
  EXPECT_EQ(chars->GetValue(), 'b');
  EXPECT_EQ(strings->GetValue(), "y");
}

// ---------------------------------------------------------------------------
// Clock

TEST_F(ValuePinsTest, AClockSinkTicksForEveryValueSentButNotForTheLink) {
  int ticks = 0;
  TOWPin *sender = nullptr;
  auto source = Make<TOWFloatSourcePin>(nullptr);
  source->SetValue(1.0f);
  auto clock = Make<TOWClockSinkPin>(
      nullptr, [&](TOWPin *pin) { ++ticks, sender = pin; }, nullptr);
  ASSERT_TRUE(clock->Connect(source.get()));
  EXPECT_EQ(ticks, 0);
  source->SetValue(2.0f);
  source->SetValue(2.0f);
  source->Clock();
  EXPECT_EQ(ticks, 2);
  EXPECT_EQ(sender, clock.get());

  auto plainClock = Make<TOWClockSourcePin>(nullptr);
  ASSERT_TRUE(clock->Connect(plainClock.get()));
  plainClock->Clock();
  EXPECT_EQ(ticks, 3);
}

// ---------------------------------------------------------------------------
// Progress

struct ProgressCall {
  double minimum, maximum, position;
  bool ranges;
  friend bool operator==(const ProgressCall &, const ProgressCall &) = default;
};

TEST_F(ValuePinsTest, IntProgressSourceDeliversPositionOrAllThree) {
  auto source = Make<TOWIntProgressSourcePin>(nullptr);
  source->SetMax(100);
  source->SetProgress(10);
  std::vector<ProgressCall> calls;
  auto progressSink = Make<TOWIntProgressSinkPin>(
      nullptr,
      [&](TOWPin *, int32_t mn, int32_t mx, int32_t pos, bool r) {
        calls.push_back({1.0 * mn, 1.0 * mx, 1.0 * pos, r});
      },
      nullptr);
  auto intSink = MakeSink<TOWIntegerSinkPin>();
  ASSERT_TRUE(progressSink->Connect(source.get()));
  EXPECT_EQ(calls, (std::vector<ProgressCall>{{0, 100, 10, true}}));
  ASSERT_TRUE(intSink->Connect(source.get()));
  EXPECT_EQ(log, (ReceivedLog{int32_t{10}}));
  calls.clear();
  log.clear();
  source->SetMin(0); // the current minimum: nothing is sent
  source->SetMin(5);
  source->SetProgress(20);
  EXPECT_EQ(calls, (std::vector<ProgressCall>{{5, 100, 10, true}, {5, 100, 20, true}}));
  EXPECT_EQ(log, (ReceivedLog{int32_t{10}, int32_t{20}}));
  EXPECT_EQ(progressSink->GetMin(), 5);
  EXPECT_EQ(progressSink->GetProgress(), 20);
}

TEST_F(ValuePinsTest, ProgressSinksTakePlainValuesAsThePosition) {
  std::vector<ProgressCall> calls;
  auto sink = Make<TOWFloatIntProgressSinkPin>(
      nullptr,
      [&](TOWPin *, float mn, float mx, float pos, bool r) {
        calls.push_back({mn, mx, pos, r});
      },
      nullptr);
  auto progress = Make<TOWIntProgressSourcePin>(nullptr);
  progress->SetMax(8);
  ASSERT_TRUE(sink->Connect(progress.get()));
  auto single = Make<TOWFloatSourcePin>(nullptr);
  single->SetValue(2.5f);
  ASSERT_TRUE(sink->Connect(single.get()));
  auto integer = Make<TOWIntegerSourcePin>(nullptr);
  integer->SetValue(3);
  ASSERT_TRUE(sink->Connect(integer.get()));
  EXPECT_EQ(calls,
            (std::vector<ProgressCall>{{0, 8, 0, true}, {0, 8, 2.5, false}, {0, 8, 3, false}}));
}

// ---------------------------------------------------------------------------
// Notification handlers and the data stream's default handler

TEST_F(ValuePinsTest, ANotificationHandlerServesThePeerInsteadOfTheDefaultPath) {
  int calls = 0;
  auto source = Make<TOWFloatSourcePin>(nullptr, [&](IOWFloatStream *peer, const TGUID *type,
                                                     IOWNotifyOperation *op, TOWNotifyState state) {
    ++calls;
    EXPECT_EQ(*type, IOWFloatStream::IID);
    // Forwards doubled values only after the link is made.
    if (state.Contains(nsNewLink))
      return TOWNotifyResult{};
    const float v = OWOperationAs<TOWSuppliedSingleOperation>(op)->Value();
    return peer->DispatchData(
        type, TOWNotifyOperation::Make<TOWSuppliedSingleOperation>(2 * v).Get(), state);
  });
  auto sink = MakeSink<TOWFloatSinkPin>();
  ASSERT_TRUE(sink->Connect(source.get()));
  source->SetValue(1.5f);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(log, ReceivedLog{3.0f});
}

TEST_F(ValuePinsTest, TheDataStreamTypeDeliversThroughTheDefaultHandler) {
  auto source = Make<TOWSourcePin>(nullptr);
  source->AddType(IOWDataStream::IID);
  auto sink = MakeSink<TOWIntegerSinkPin>();
  ASSERT_TRUE(sink->Connect(source.get()));
  ASSERT_EQ(source->GetSubmitID(0), IOWDataStream::IID);
  log.clear();
  source->Notify(TOWNotifyOperation::Make<TOWSuppliedIntegerOperation>(42).Get());
  source->Notify(
      TOWNotifyOperation::Make<TOWSuppliedRealOperation>(1.0).Get()); // not taken by this sink
  EXPECT_EQ(log, ReceivedLog{int32_t{42}});
}

TEST_F(ValuePinsTest, APeerWithoutTheRoutinesStreamIsSkipped) {
  auto source = Make<TOWFloatSourcePin>(nullptr);
  source->SetValue(1.0f);
  auto boolSink = MakeSink<TOWBoolSinkPin>();
  IOWNotifyOperationPtr op = TOWNotifyOperation::Make<TOWSuppliedSingleOperation>(2.0f);
  EXPECT_TRUE(
      source->Notification(boolSink.get(), &IOWFloatStream::IID, op.Get(), {nsNewLink}).Empty());
  EXPECT_TRUE(source->Notification(boolSink.get(), &IOWFloatStream::IID, op.Get(), {}).Empty());
  EXPECT_TRUE(log.empty());
}

TEST_F(ValuePinsTest, PinsLinkOnlyWhereASinkTakesOneOfTheSourcesTypes) {
  auto text = Make<TOWStringSourcePin>(nullptr);
  auto number = MakeSink<TOWIntegerSinkPin>();
  EXPECT_FALSE(number->Connect(text.get()));
  auto real = Make<TOWRealSourcePin>(nullptr);
  auto floatInt = MakeSink<TOWFloatIntSinkPin>();
  ASSERT_TRUE(floatInt->Connect(real.get()));
  EXPECT_EQ(real->GetConnectionID(floatInt.get()), IOWFloatStream::IID);
  auto combo = Make<TOWStdComboSourcePin>(nullptr);
  ASSERT_TRUE(floatInt->Connect(combo.get()));
  EXPECT_EQ(combo->GetConnectionID(floatInt.get()), IOWIntegerStream::IID)
      << "the type added last wins";
}

// ---------------------------------------------------------------------------
// State pins

TEST_F(ValuePinsTest, AStatePinTakesItsPartnersValueAndHearsItsOwn) {
  std::vector<std::pair<TOWPin *, int32_t>> changes;
  // Records the value the pin holds when its handler runs.
  auto handler = [&](TOWPin *pin, int32_t) {
    changes.emplace_back(pin, static_cast<TOWIntegerStatePin *>(pin)->GetValue());
  };
  auto a = Make<TOWIntegerStatePin>(nullptr, handler, nullptr);
  auto b = Make<TOWIntegerStatePin>(nullptr, handler, nullptr);
  a->SetValue(3); // no group yet: stored, nothing sent
  EXPECT_TRUE(changes.empty());
  ASSERT_TRUE(a->ConnectByState(b.get()));
  changes.clear();

  b->SetValue(7);
  EXPECT_EQ(a->GetValue(), 7);
  EXPECT_EQ(b->GetValue(), 7);
  EXPECT_EQ(
      std::count(changes.begin(), changes.end(), std::make_pair(static_cast<TOWPin *>(a.get()), 7)),
      1);
  EXPECT_EQ(
      std::count(changes.begin(), changes.end(), std::make_pair(static_cast<TOWPin *>(b.get()), 7)),
      1);
  EXPECT_EQ(changes.size(), 2u);
}

TEST_F(ValuePinsTest, AFloatIntStatePinSendsEachMemberItsOwnType) {
  ReceivedLog ints;
  auto floatInt = Make<TOWFloatIntStatePin>(
      nullptr, [&](TOWPin *, float v) { log.push_back(v); }, nullptr);
  auto integer = Make<TOWIntegerStatePin>(
      nullptr, [&](TOWPin *, int32_t v) { ints.push_back(v); }, nullptr);
  ASSERT_TRUE(floatInt->ConnectByState(integer.get()));
  log.clear();
  ints.clear();
  floatInt->SetValue(2.5f);
  floatInt->SetValue(1e10f);
  EXPECT_EQ(ints, (ReceivedLog{int32_t{2}, int32_t{2147483647}}));
  EXPECT_EQ(log, (ReceivedLog{2.5f, 1e10f}));
}

TEST_F(ValuePinsTest, ARealStatePinServesAFloatPartnerWithSingles) {
  auto real = Make<TOWRealStatePin>(
      nullptr, [&](TOWPin *, double v) { log.push_back(v); }, nullptr);
  auto single = Make<TOWFloatStatePin>(
      nullptr, [&](TOWPin *, float v) { log.push_back(v); }, nullptr);
  ASSERT_TRUE(real->ConnectByState(single.get()));
  log.clear();
  real->SetValue(0.1);
  EXPECT_EQ(single->GetValue(), 0.1f);
  EXPECT_EQ(real->GetValue(), 0.1);
  single->SetValue(0.5f);
  EXPECT_EQ(real->GetValue(), 0.5);
}

TEST_F(ValuePinsTest, AnIntProgressStatePinSharesAllThree) {
  std::vector<ProgressCall> calls;
  auto handler = [&](TOWPin *, int32_t mn, int32_t mx, int32_t pos, bool r) {
    calls.push_back({1.0 * mn, 1.0 * mx, 1.0 * pos, r});
  };
  auto a = Make<TOWIntProgressStatePin>(nullptr, handler, nullptr);
  auto b = Make<TOWIntProgressStatePin>(nullptr, handler, nullptr);
  ASSERT_TRUE(a->ConnectByState(b.get()));
  calls.clear();
  a->SetMax(10);
  a->SetMax(10);
  EXPECT_EQ(b->GetMax(), 10);
  EXPECT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls.back(), (ProgressCall{0, 10, 0, true}));
}

} // namespace
