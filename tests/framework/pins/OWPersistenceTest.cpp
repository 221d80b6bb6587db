// Link persistence and placeholder pins: the capture fan-out of the main
// window stored in a form text, loaded in every creation order.
#include <gtest/gtest.h>

#include "platform/classlib/Dialogs.h"
#include "tests/framework/pins/PinsTestComponents.h"

namespace {

using Names = std::vector<std::string>;

const Names DeliveryOrder = {"AudioToReal", "VUMeter", "PPMMeter", "AudioLogger",
                             "ALGenericFilter"};
const Names StoredOrder = {"PPMMeter", "ALGenericFilter", "VUMeter", "AudioToReal", "AudioLogger"};

// The form text of MainForm with its components in creation order and the
// capture output's sinks in sinkOrder, as the form writer lays it out.
std::string FormText(const Names &creationOrder, const Names &sinkOrder) {
  std::string text = "object MainForm: TTestForm\n";
  for (const std::string &name : creationOrder) {
    if (name == "AudioIn") {
      text += "  object AudioIn: TTestSourceComponent\n    OutputPin.SinkPins = (";
      for (const std::string &sink : sinkOrder)
        text += "\n      MainForm." + sink + ".InputPin";
      text += ")\n  end\n";
    } else {
      text += "  object " + name +
              ": TTestSinkComponent\n    InputPin.SourcePin = MainForm.AudioIn.OutputPin\n  end\n";
    }
  }
  return text + "end\n";
}

class TOWPersistenceTest : public TPinsFixture {
protected:
  // Loads text into a fresh MainForm, checks the capture output's order and
  // first delivery, and returns the form written back before that delivery
  // (a delivery reorders the sinks).
  std::string LoadAndCheck(const std::string &text, const char *what) {
    SCOPED_TRACE(what);
    FreeObject(Form);
    Form = App.AddForm("Other");
    LoadFormText(Form, text);
    EXPECT_EQ(OWGetPendingCount(), 0);
    EXPECT_TRUE(OWGetAllLinked());
    auto *audioIn = dynamic_cast<TTestSourceComponent *>(Form->FindComponent("AudioIn"));
    if (!audioIn) {
      ADD_FAILURE() << "no AudioIn";
      return {};
    }
    Names linked;
    for (int i = 0; i < audioIn->OutputPin->GetSinkCount(); ++i)
      linked.push_back(audioIn->OutputPin->GetSink(i)->GetOwnerComponent()->Name());
    EXPECT_EQ(linked, DeliveryOrder);
    for (const std::string &name : DeliveryOrder) {
      auto *sink = dynamic_cast<TTestSinkComponent *>(Form->FindComponent(name));
      EXPECT_TRUE(sink && sink->InputPin->GetSourcePin() == audioIn->OutputPin)
          << name << " knows its source";
    }
    const std::string written = WriteFormText(Form);
    DeliveryLog().clear();
    audioIn->OutputPin->Notify(TOWNotifyOperation::Make<TOWStartOperation>().Get());
    Names served;
    for (const std::string &receiver : TakeReceivers())
      served.push_back(receiver.substr(0, receiver.find('.')));
    EXPECT_EQ(served, DeliveryOrder) << "first delivery order";
    return written;
  }
};

TEST_F(TOWPersistenceTest, TheCaptureFanOutLoadsWritesAndReloadsInEveryOrder) {
  const Names mainWindowOrder = {"AudioToReal", "AudioIn",     "VUMeter",
                                 "PPMMeter",    "AudioLogger", "ALGenericFilter"};
  // Written back, the sinks stand in the order the load linked them.
  const std::string written = LoadAndCheck(FormText(mainWindowOrder, StoredOrder), "main window");
  EXPECT_EQ(written, FormText(mainWindowOrder, DeliveryOrder));
  EXPECT_EQ(LoadAndCheck(written, "the written text"), written)
      << "a loaded text is written back unchanged";

  Names sinksFirst = DeliveryOrder;
  sinksFirst.push_back("AudioIn");
  EXPECT_EQ(LoadAndCheck(FormText(sinksFirst, DeliveryOrder), "sinks first"),
            FormText(sinksFirst, DeliveryOrder));

  Names sourcesFirst = {"AudioIn"};
  sourcesFirst.insert(sourcesFirst.end(), DeliveryOrder.begin(), DeliveryOrder.end());
  EXPECT_EQ(LoadAndCheck(FormText(sourcesFirst, DeliveryOrder), "sources first"),
            FormText(sourcesFirst, DeliveryOrder));
  // Loaded source first, the sinks link up in the order they are made, not in
  // the stored order.
  EXPECT_EQ(LoadAndCheck(FormText(sourcesFirst, StoredOrder),
                         "sources first, main window's stored order"),
            FormText(sourcesFirst, DeliveryOrder));
}

// Stored shapes of "SinkPins": identifier, (ident after), (ident 'display'),
// (ident after 'display').
TEST_F(TOWPersistenceTest, SinkPinsItemsTakeTheirFourShapes) {
  auto *src = Source("AudioIn");
  auto *a = Sink("A");
  auto *b = Sink("B");
  auto *list = CreateObject<TTestListComponent>(Form);
  list->SetName("Scope");
  auto *channel = CreateObject<TTestSinkPin>(list);
  list->InputPins->Add(channel);
  ASSERT_EQ(channel->GetFullIdentName(true), "MainForm.Scope.InputPins._Pin0");
  ASSERT_EQ(channel->GetFullName(true), "MainForm.Scope.InputPins.Pin [0]");
  ASSERT_TRUE(src->OutputPin->Connect(a->InputPin));
  ASSERT_TRUE(src->OutputPin->ConnectAfter(b->InputPin, a->InputPin));
  ASSERT_TRUE(src->OutputPin->Connect(channel));
  TWriter writer;
  src->OutputPin->WriteConnectionsData(&writer);
  EXPECT_EQ(writer.Text(), "(\n"
                           "  MainForm.A.InputPin\n"
                           "  (\n"
                           "    MainForm.B.InputPin\n"
                           "    MainForm.A.InputPin)\n"
                           "  (\n"
                           "    MainForm.Scope.InputPins._Pin0\n"
                           "    'MainForm.Scope.InputPins.Pin [0]'))");
  TWriter sinkWriter;
  channel->WriteConnectionsData(&sinkWriter);
  EXPECT_EQ(sinkWriter.Text(), "MainForm.AudioIn.OutputPin");
}

TEST_F(TOWPersistenceTest, APlaceholderKeepsTheLinkUntilTheRealPinArrives) {
  auto *src = Source("AudioIn");
  TReader reader("(MainForm.Later.InputPin (MainForm.Other.InputPin 'MainForm.Other.Shown'))");
  src->OutputPin->ReadConnectionsData(&reader);
  EXPECT_EQ(OWGetPendingCount(), 2);
  EXPECT_FALSE(OWGetAllLinked());
  ASSERT_EQ(src->OutputPin->GetSinkCount(), 2);
  EXPECT_FALSE(src->OutputPin->GetSink(0)->GetIsRealPin());
  // The pending list holds the placeholders in the order they were made.
  EXPECT_EQ(OWGetPending(0), src->OutputPin->GetSink(0));
  EXPECT_EQ(OWGetPending(1), src->OutputPin->GetSink(1));
  EXPECT_EQ(OWGetPending(1)->GetFullName(true), "MainForm.Other.Shown");
  EXPECT_THROW(OWGetPending(2), EListError);
  EXPECT_EQ(src->OutputPin->GetSubmitID(0), OWNULLID) << "no operation reaches a placeholder";
  // A pending link is written again with the placeholder's names.
  TWriter writer;
  src->OutputPin->WriteConnectionsData(&writer);
  EXPECT_NE(writer.Text().find("'MainForm.Other.Shown'"), std::string::npos);

  std::string shown;
  TShowMessageHandler previous = SetShowMessageHandler([&](const std::string &t) { shown = t; });
  OWReportAwaitsLinking();
  SetShowMessageHandler(previous);
  EXPECT_EQ(shown, "AwaitsLinkingPins =2\r  MainForm.Later.InputPin\r  MainForm.Other.Shown\r");

  auto *later = Sink("Later");
  TReader sinkReader("MainForm.AudioIn.OutputPin");
  later->InputPin->ReadConnectionsData(&sinkReader);
  EXPECT_EQ(OWGetPendingCount(), 1);
  EXPECT_EQ(OWGetPending(0)->GetFullIdentName(true), "MainForm.Other.InputPin")
      << "the taken-over one left";
  EXPECT_EQ(later->InputPin->GetSourcePin(), src->OutputPin);
  EXPECT_EQ(src->OutputPin->GetSinkCount(), 2);
  EXPECT_EQ(src->OutputPin->GetSink(1), later->InputPin);

  OWClearPendingLinks();
  EXPECT_TRUE(OWGetAllLinked());
  EXPECT_EQ(src->OutputPin->GetSinkCount(), 1)
      << "the source dropped its link to the freed placeholder";
}

TEST_F(TOWPersistenceTest, ASinkLoadedFirstWaitsForItsSourceWithoutARunTimeLink) {
  auto *sink = Sink("Meter");
  TReader reader("(MainForm.AudioIn.OutputPin 'MainForm.AudioIn.OutputPin')");
  sink->InputPin->ReadConnectionsData(&reader);
  EXPECT_EQ(sink->InputPin->GetSourcePin(), nullptr)
      << "a run-time sink cannot link to a placeholder";
  EXPECT_EQ(OWGetPendingCount(), 1);
  auto *src = Source("AudioIn");
  TReader sourceReader("(MainForm.Meter.InputPin)");
  src->OutputPin->ReadConnectionsData(&sourceReader);
  EXPECT_EQ(OWGetPendingCount(), 0) << "the source took the placeholder over";
  EXPECT_EQ(sink->InputPin->GetSourcePin(), src->OutputPin);
}

TEST_F(TOWPersistenceTest, LinkingByNameAndLinkTexts) {
  auto *src = Source("AudioIn");
  auto *sink = Sink("Meter");
  EXPECT_TRUE(sink->InputPin->TryLinkTo(nullptr, "MainForm.AudioIn.OutputPin",
                                        "MainForm.AudioIn.OutputPin", false));
  EXPECT_EQ(sink->InputPin->GetSourcePin(), src->OutputPin);
  EXPECT_EQ(sink->InputPin->GetLinkStr(), "AudioIn.OutputPin");
  EXPECT_EQ(src->OutputPin->GetLinkStr(0), "Meter.InputPin");
  EXPECT_TRUE(src->OutputPin->IsLinkedTo("Meter.InputPin"));
  EXPECT_TRUE(src->OutputPin->IsConnectedToPinName("MainForm.Meter.InputPin"));
  EXPECT_TRUE(sink->InputPin->TryLinkTo(nullptr, "nil", "", false));
  EXPECT_EQ(sink->InputPin->GetSourcePin(), nullptr);

  auto *other = Sink("Other");
  EXPECT_TRUE(src->OutputPin->TryLinkTo(nullptr, "Other.InputPin", "", "", true));
  EXPECT_EQ(other->InputPin->GetSourcePin(), src->OutputPin);
  EXPECT_FALSE(src->OutputPin->TryLinkTo(nullptr, "Nobody.InputPin", "", "", true));
  EXPECT_TRUE(src->OutputPin->TryLinkTo(nullptr, "", "", "", false));
  EXPECT_EQ(src->OutputPin->GetSinkCount(), 0);
}

// While a designing form closes, a link to a pin of another form survives as
// a placeholder that the re-created pin takes over.
TEST_F(TOWPersistenceTest, ALinkAcrossFormsSurvivesTheOtherFormClosingInADesigner) {
  TTestForm *other = App.AddForm("OtherForm");
  Form->SetDesigning(true);
  other->SetDesigning(true);
  auto *src = Source("AudioIn");
  src->SetDesigning(true);
  auto *sink = CreateObject<TTestSinkComponent>(other);
  sink->SetName("Meter");
  sink->SetDesigning(true);
  ASSERT_TRUE(sink->InputPin->Connect(src->OutputPin));
  other->Destroying();
  FreeObject(other);
  ASSERT_EQ(src->OutputPin->GetSinkCount(), 1);
  TOWBasicPin *placeholder = src->OutputPin->GetSink(0);
  EXPECT_FALSE(placeholder->GetIsRealPin());
  EXPECT_EQ(placeholder->GetFullIdentName(true), "OtherForm.Meter.InputPin");
  EXPECT_EQ(OWGetPendingCount(), 1);

  TTestForm *reopened = App.AddForm("OtherForm");
  reopened->SetDesigning(true);
  auto *again = CreateObject<TTestSinkComponent>(reopened);
  again->SetName("Meter");
  again->SetDesigning(true);
  again->InputPin->CheckVirtualList();
  EXPECT_EQ(OWGetPendingCount(), 0);
  EXPECT_EQ(again->InputPin->GetSourcePin(), src->OutputPin);
  ASSERT_EQ(src->OutputPin->GetSinkCount(), 1);
  EXPECT_EQ(src->OutputPin->GetSink(0), again->InputPin);
  FreeObject(reopened);
  Form->SetDesigning(false);
}

} // namespace
