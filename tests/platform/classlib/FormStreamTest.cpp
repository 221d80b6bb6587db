#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "platform/classlib/FormStream.h"
#include "tests/platform/classlib/TestClasses.h"

using namespace classlib_test;

namespace {

// The writer's own layout, so that load -> write reproduces the text.
const char *const kForm = R"(object MainForm: TTestForm
  object AudioIn: TTestComponent
    Interval = 250
    Enabled = False
    Mode = tmAuto
    Options = [soA, soC]
    Gain = 0.1
    Caption = 'It''s'#13#10'two lines'
    AudioFormat.Channels = 1
    AudioFormat.Rate = 44100.0
    OutputPin.State = 'MainFormLink1'
    OutputPin.SinkPins = (
      MainForm.VUMeter.InputPin
      (
        MainForm.AudioToReal.OutputPins._Pin0
        'MainForm.AudioToReal.OutputPins.Pin [0]'))
    Items = <
      item
        Name = 'first'
        Value = 3
      end
      item
        Name = 'second'
      end>
    OnStart = AudioInStart
  end
  object VUMeter: TTestComponent
  end
end
)";

class FormStreamTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterTestClasses();
    Log().clear();
    form_.reset(CreateObject<TTestForm>(nullptr));
  }
  TTestComponent *Child(const char *name) {
    return dynamic_cast<TTestComponent *>(form_->FindComponent(name));
  }
  TOwnedPtr<TTestForm> form_;
};

TEST_F(FormStreamTest, LoadSetsEveryPropertyKind) {
  LoadFormText(form_.get(), kForm);
  EXPECT_EQ(form_->Name(), "MainForm");
  ASSERT_EQ(form_->ComponentCount(), 2);
  TTestComponent *in = Child("AudioIn");
  ASSERT_NE(in, nullptr);
  EXPECT_EQ(in->Interval, 250);
  EXPECT_FALSE(in->Enabled);
  EXPECT_EQ(in->Mode, tmAuto);
  EXPECT_EQ(in->Options, 0b101u);
  EXPECT_EQ(in->Gain, 0.1);
  EXPECT_EQ(in->Caption, "It's\r\ntwo lines");
  EXPECT_EQ(in->GetAudioFormat()->Channels, 1);
  EXPECT_EQ(in->GetAudioFormat()->Rate, 44100.0);
  EXPECT_EQ(in->GetOutputPin()->State, "MainFormLink1");
  using Sink = std::pair<std::string, std::string>;
  EXPECT_EQ(in->GetOutputPin()->Sinks,
            (std::vector<Sink>{{"MainForm.VUMeter.InputPin", ""},
                               {"MainForm.AudioToReal.OutputPins._Pin0",
                                "MainForm.AudioToReal.OutputPins.Pin [0]"}}));
  ASSERT_EQ(in->GetItems()->Count(), 2);
  EXPECT_EQ(dynamic_cast<TTestItem *>(in->GetItems()->Items(0))->Value, 3);
  EXPECT_EQ(dynamic_cast<TTestItem *>(in->GetItems()->Items(1))->Name, "second");
  // The event is bound to the root's method of that name.
  ASSERT_TRUE(in->OnStart);
  EXPECT_EQ(in->OnStart.MethodName, "AudioInStart");
  in->OnStart(in);
  EXPECT_EQ(form_->Started, std::vector<TObject *>{in});
  // Defaults stay where the text is silent.
  TTestComponent *vu = Child("VUMeter");
  EXPECT_EQ(vu->Interval, 100);
  EXPECT_TRUE(vu->Enabled);
  EXPECT_EQ(vu->GetAudioFormat()->Channels, 2);
}

TEST_F(FormStreamTest, LoadThenWriteReproducesTheText) {
  LoadFormText(form_.get(), kForm);
  std::string written = WriteFormText(form_.get());
  EXPECT_EQ(written, kForm);
  TOwnedPtr<TTestForm> again(CreateObject<TTestForm>(nullptr));
  LoadFormText(again.get(), written);
  EXPECT_EQ(WriteFormText(again.get()), kForm);
}

TEST_F(FormStreamTest, ComponentsAreNamedAndLoadingBeforePropertiesAndLoadedRunsInCreationOrder) {
  LoadFormText(form_.get(), R"(object MainForm: TTestForm
  object B: TTestComponent
    Interval = 1
  end
  object A: TTestComponent
    Interval = 2
  end
end)");
  EXPECT_EQ(Log(), (std::vector<std::string>{"Interval of B (loading) owner MainForm",
                                             "Interval of A (loading) owner MainForm",
                                             "Loaded MainForm", "Loaded B", "Loaded A"}));
  EXPECT_FALSE(form_->InState(csLoading));
  EXPECT_FALSE(Child("A")->InState(csLoading));
  EXPECT_EQ(form_->Components(0)->Name(), "B");
}

TEST_F(FormStreamTest, NestedObjectsAreOwnedByTheRoot) {
  LoadFormText(form_.get(), "object MainForm: TTestForm object Outer: TTestComponent "
                            "object Inner: TTestComponent end end end");
  ASSERT_EQ(form_->ComponentCount(), 2);
  EXPECT_EQ(Child("Inner")->Owner(), form_.get());
}

struct TLoadError {
  const char *name;
  const char *text;
  const char *message; // the whole message
};

class FormStreamErrors : public FormStreamTest, public ::testing::WithParamInterface<TLoadError> {};

TEST_P(FormStreamErrors, NameTheFormComponentPropertyAndLine) {
  const TLoadError &c = GetParam();
  try {
    LoadFormText(form_.get(), c.text);
    FAIL() << "no error";
  } catch (const EFilerError &e) {
    EXPECT_EQ(e.Message(), c.message);
  }
  // A failed load takes back what it created.
  EXPECT_EQ(form_->ComponentCount(), 0);
  EXPECT_FALSE(form_->InState(csLoading));
  EXPECT_TRUE(Log().empty() || Log().back().rfind("Loaded", 0) != 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormStreamErrors,
    ::testing::Values(
        TLoadError{"UnknownClass",
                   "object MainForm: TTestForm\n object A: TTestComponent\n end\n object X: "
                   "TNoSuch\n end\nend",
                   "Error reading MainForm.X (line 4): Class TNoSuch not found"},
        TLoadError{
            "UnknownProperty",
            "object MainForm: TTestForm\n object AudioIn: TTestComponent\n  Colour = 1\n end\nend",
            "Error reading MainForm.AudioIn.Colour (line 3): Property Colour does not exist"},
        TLoadError{"UnknownCustomProperty",
                   "object MainForm: TTestForm\n object AudioIn: TTestComponent\n  OutputPin.Sinks "
                   "= ()\n end\nend",
                   "Error reading MainForm.AudioIn.OutputPin.Sinks (line 3): Property Sinks does "
                   "not exist"},
        TLoadError{"PathThroughNonObject",
                   "object MainForm: TTestForm\n object AudioIn: TTestComponent\n  Interval.X = "
                   "1\n end\nend",
                   "Error reading MainForm.AudioIn.Interval.X (line 3): Property Interval is not "
                   "an object"},
        TLoadError{"WrongValueKind",
                   "object MainForm: TTestForm\n object AudioIn: TTestComponent\n  Interval = "
                   "'x'\n end\nend",
                   "Error reading MainForm.AudioIn.Interval (line 3): Integer expected but string "
                   "found on line 3"},
        TLoadError{"CustomReaderWrongKind",
                   "object MainForm: TTestForm\n object AudioIn: TTestComponent\n  "
                   "OutputPin.SinkPins = ('a')\n end\nend",
                   "Error reading MainForm.AudioIn.OutputPin.SinkPins (line 3): Identifier "
                   "expected but string found on "
                   "line 3"},
        TLoadError{"CustomReaderLeavesPart",
                   "object MainForm: TTestForm\n object AudioIn: TTestComponent\n  OutputPin.Half "
                   "= (a b)\n end\nend",
                   "Error reading MainForm.AudioIn.OutputPin.Half (line 3): Property Half was not "
                   "read as one value"},
        TLoadError{"CustomReaderWrongKindString",
                   "object MainForm: TTestForm\n object AudioIn: TTestComponent\n  OutputPin.State "
                   "= ('a' 'b')\n end\nend",
                   "Error reading MainForm.AudioIn.OutputPin.State (line 3): String expected but "
                   "'(' found on line 3"},
        TLoadError{
            "BadEnumeration",
            "object MainForm: TTestForm\n object A: TTestComponent\n  Mode = tmMaybe\n end\nend",
            "Error reading MainForm.A.Mode (line 3): Invalid property value tmMaybe"},
        TLoadError{"BadSetElement",
                   "object MainForm: TTestForm\n object A: TTestComponent\n  Options = [soA, "
                   "soZ]\n end\nend",
                   "Error reading MainForm.A.Options (line 3): Invalid property value soZ"},
        TLoadError{"IntegerOutOfRange",
                   "object MainForm: TTestForm\n object A: TTestComponent\n  Interval = "
                   "3000000000\n end\nend",
                   "Error reading MainForm.A.Interval (line 3): Range check error"},
        TLoadError{
            "UnknownMethod",
            "object MainForm: TTestForm\n object A: TTestComponent\n  OnStart = NoSuch\n end\nend",
            "Error reading MainForm.A.OnStart (line 3): Method NoSuch not found in TTestForm"},
        TLoadError{
            "MethodOfOtherType",
            "object MainForm: TTestForm\n object A: TTestComponent\n  OnStart = Double\n end\nend",
            "Error reading MainForm.A.OnStart (line 3): Method Double does not match event "
            "OnStart"},
        TLoadError{"ItemProperty",
                   "object MainForm: TTestForm\n object A: TTestComponent\n  Items = <\n   item\n  "
                   "  Size = 1\n   end>\n "
                   "end\nend",
                   "Error reading MainForm.A.Items[0].Size (line 5): Property Size does not exist"},
        TLoadError{"DuplicateName",
                   "object MainForm: TTestForm\n object A: TTestComponent\n end\n object a: "
                   "TTestComponent\n end\nend",
                   "Error reading MainForm.a (line 4): A component named a already exists"},
        TLoadError{
            "WrongRootClass", "object MainForm: TTestComponent\nend",
            "Error reading MainForm (line 1): Form class TTestComponent does not match TTestForm"},
        TLoadError{"MissingEquals",
                   "object MainForm: TTestForm\n object A: TTestComponent\n  Interval 5\n end\nend",
                   "'=' expected but integer found on line 3"},
        TLoadError{"MissingEnd",
                   "object MainForm: TTestForm\n object A: TTestComponent\n  Interval = 5\n",
                   "Property name expected but end of text found on line 4"},
        TLoadError{"UnterminatedString", "object MainForm: TTestForm\n Caption = 'abc\nend",
                   "Unterminated string on line 2"},
        TLoadError{"StrayCharacter", "object MainForm: TTestForm\n\n  Interval = 5;\nend",
                   "Invalid character ';' on line 3"},
        TLoadError{"TextAfterForm", "object MainForm: TTestForm\nend\nend",
                   "End of text expected but identifier end found on line 3"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(FormStreamTest, ParserErrorsAreReadErrorsToo) {
  EXPECT_THROW(LoadFormText(form_.get(), "object MainForm: TTestForm\n X = 'a"), EParserError);
  EXPECT_THROW(LoadFormText(form_.get(), "object MainForm: TTestForm\n X = 'a"), EReadError);
  EXPECT_THROW(LoadFormText(form_.get(), "object MainForm: TTestForm object X: TNoSuch end end"),
               EClassNotFound);
}

TEST_F(FormStreamTest, ExceptionsOfComponentsPassUnchangedAndTheLoadIsTakenBack) {
  // Not a filer error: the loader does not wrap it, but still frees what it made.
  try {
    LoadFormText(form_.get(), "object MainForm: TTestForm object A: TTestComponent end "
                              "object B: TTestComponent Refuse = 'x' end end");
    FAIL() << "no error";
  } catch (const EFilerError &) {
    FAIL() << "wrapped";
  } catch (const Exception &e) {
    EXPECT_EQ(e.Message(), "refused");
  }
  EXPECT_EQ(form_->ComponentCount(), 0);
}

TEST(FormStreamReader, PeeksAndReadsEveryKind) {
  TReader r("Name.With._Dots 'it''s'#9'x' -12 1.5E3 True false ( a ) [x, y] < item end > nil");
  EXPECT_EQ(r.NextValue(), vaIdent);
  EXPECT_EQ(r.ReadIdent(), "Name.With._Dots");
  EXPECT_EQ(r.NextValue(), vaString);
  EXPECT_EQ(r.ReadString(), "it's\tx");
  EXPECT_EQ(r.NextValue(), vaInteger);
  EXPECT_EQ(r.ReadInteger(), -12);
  EXPECT_EQ(r.NextValue(), vaExtended);
  EXPECT_EQ(r.ReadFloat(), 1500.0);
  EXPECT_EQ(r.NextValue(), vaTrue);
  EXPECT_EQ(r.ReadIdent(), "True");
  EXPECT_EQ(r.NextValue(), vaFalse);
  EXPECT_FALSE(r.ReadBoolean());
  EXPECT_EQ(r.NextValue(), vaList);
  r.ReadListBegin();
  EXPECT_FALSE(r.EndOfList());
  EXPECT_EQ(r.ReadIdent(), "a");
  EXPECT_TRUE(r.EndOfList());
  EXPECT_EQ(r.NextValue(), vaNull);
  r.ReadListEnd();
  EXPECT_EQ(r.NextValue(), vaSet);
  r.SkipValue();
  EXPECT_EQ(r.NextValue(), vaCollection);
  r.SkipValue();
  EXPECT_EQ(r.NextValue(), vaIdent);
  EXPECT_EQ(r.ReadIdent(), "nil");
  EXPECT_EQ(r.NextValue(), vaNull);
  EXPECT_THROW(r.SkipValue(), EReadError);
}

TEST(FormStreamReader, SkipsNestedValuesWhole) {
  TReader r("(a (b 'c' (1 2.5)) [s] <item X = (1) end item end>) after");
  r.SkipValue();
  EXPECT_EQ(r.ReadIdent(), "after");
}

TEST(FormStreamReader, ReportsTheLineOfAWrongValue) {
  TReader r("\n\n  'text'");
  EXPECT_EQ(r.Line(), 3);
  try {
    r.ReadIdent();
    FAIL();
  } catch (const EReadError &e) {
    EXPECT_EQ(e.Message(), "Identifier expected but string found on line 3");
  }
  TReader big("4294967296");
  EXPECT_THROW(big.ReadInteger(), ERangeError);
  TReader big64("4294967296");
  EXPECT_EQ(big64.ReadInt64(), 4294967296);
  EXPECT_THROW(TReader("99999999999999999999"), EParserError);
  EXPECT_THROW(TReader("#300"), EParserError);
  EXPECT_THROW(TReader("Name."), EParserError);
  EXPECT_THROW(TReader("12abc"), EParserError);
}

class WriterStrings : public ::testing::TestWithParam<std::pair<std::string, std::string>> {};

TEST_P(WriterStrings, QuoteAndReadBack) {
  const auto &[value, text] = GetParam();
  TWriter w;
  w.WriteString(value);
  EXPECT_EQ(w.Text(), text);
  TReader r(w.Text());
  EXPECT_EQ(r.ReadString(), value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WriterStrings,
    ::testing::Values(std::pair<std::string, std::string>{"", "''"},
                      std::pair<std::string, std::string>{"plain", "'plain'"},
                      std::pair<std::string, std::string>{"'", "''''"},
                      std::pair<std::string, std::string>{"a\nb", "'a'#10'b'"},
                      std::pair<std::string, std::string>{"\r\n", "#13#10"},
                      std::pair<std::string, std::string>{std::string("x\0y", 3), "'x'#0'y'"},
                      std::pair<std::string, std::string>{"Pin [0]", "'Pin [0]'"},
                      std::pair<std::string, std::string>{"\xC3\xA9t\xC3\xA9",
                                                          "'\xC3\xA9t\xC3\xA9'"}));

class WriterFloats : public ::testing::TestWithParam<std::pair<double, std::string>> {};

TEST_P(WriterFloats, ShortestTextThatReadsBackExactly) {
  const auto &[value, text] = GetParam();
  TWriter w;
  w.WriteFloat(value);
  EXPECT_EQ(w.Text(), text);
  TReader r(w.Text());
  double back = r.ReadFloat();
  if (std::isnan(value))
    EXPECT_TRUE(std::isnan(back));
  else
    EXPECT_EQ(back, value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WriterFloats,
    ::testing::Values(
        std::pair<double, std::string>{0.1, "0.1"}, std::pair<double, std::string>{2.0, "2.0"},
        std::pair<double, std::string>{-44100.0, "-44100.0"},
        std::pair<double, std::string>{1e300, "1e+300"},
        std::pair<double, std::string>{-2.5e-7, "-2.5e-07"},
        std::pair<double, std::string>{std::numeric_limits<double>::infinity(), "INF"},
        std::pair<double, std::string>{-std::numeric_limits<double>::infinity(), "-INF"},
        std::pair<double, std::string>{std::numeric_limits<double>::quiet_NaN(), "NAN"}));

TEST(FormStreamWriter, ListsNestAndRefuseBadIdentifiers) {
  TWriter w;
  w.WriteListBegin();
  w.WriteIdent("MainForm.A.OutputPin");
  w.WriteListBegin();
  w.WriteIdent("MainForm.B.Pins._Pin0");
  w.WriteString("x");
  w.WriteListEnd();
  w.WriteListEnd();
  EXPECT_EQ(w.Text(), "(\n  MainForm.A.OutputPin\n  (\n    MainForm.B.Pins._Pin0\n    'x'))");
  EXPECT_THROW(w.WriteListEnd(), EWriteError);
  EXPECT_THROW(w.WriteIdent("Pin [0]"), EWriteError);
  EXPECT_THROW(w.WriteIdent("A."), EWriteError);
  EXPECT_THROW(w.WriteIdent(""), EWriteError);
  TWriter empty;
  empty.WriteListBegin();
  empty.WriteListEnd();
  EXPECT_EQ(empty.Text(), "()");
}

// A custom property must write exactly one value.
class TBadWriter : public TComponent {
  CLASSLIB_CLASS(TBadWriter)
public:
  explicit TBadWriter(TComponent *owner) : TComponent(owner) {}
  int Values = 2;
  bool CloseList = true;
  void DefineProperties(TFiler *filer) override {
    filer->DefineProperty(
        "Data", nullptr,
        [this](TWriter *w) {
          if (!CloseList)
            w->WriteListBegin();
          for (int i = 0; i < Values; ++i)
            w->WriteInteger(i);
        },
        true);
  }
};
const TClassInfo &TBadWriter::StaticClassInfo() {
  static const TClassInfo &info =
      MakeClassInfo<TBadWriter>("TBadWriter", &TComponent::StaticClassInfo());
  return info;
}

TEST(FormStreamWriter, CustomPropertyWritingOtherThanOneValueFails) {
  TOwnedPtr<TBadWriter> c(CreateObject<TBadWriter>(nullptr));
  c->SetName("Bad");
  EXPECT_THROW(WriteFormText(c.get()), EWriteError);
  c->Values = 0;
  EXPECT_THROW(WriteFormText(c.get()), EWriteError);
  c->CloseList = false;
  c->Values = 1;
  EXPECT_THROW(WriteFormText(c.get()), EWriteError);
  c->CloseList = true;
  EXPECT_EQ(WriteFormText(c.get()), "object Bad: TBadWriter\n  Data = 0\nend\n");
  EXPECT_FALSE(c->InState(csWriting));
}

} // namespace
