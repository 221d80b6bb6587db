#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>

#include <gtest/gtest.h>

#include "app/OneInstance.h"
#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/Dialogs.h"
#include "platform/classlib/FormStream.h"
#include "platform/gui/Application.h"
#include "tests/support/QtWait.h"

namespace {

class TLockForm : public TComponent {
  CLASSLIB_CLASS(TLockForm)

public:
  explicit TLockForm(TComponent *owner) : TComponent(owner) { SetIsForm(true); }
  void OneInstanceApplicationExists(TObject *) { ++Exists; }
  int Exists = 0;
};

const TClassInfo &TLockForm::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TLockForm>(
      "TLockForm", &TComponent::StaticClassInfo(), [](TClassBuilder<TLockForm> &c) {
        c.Method<void(TObject *)>("OneInstanceApplicationExists",
                                  &TLockForm::OneInstanceApplicationExists);
      });
  return info;
}

const char *const mainFormText = R"(object MainForm: TLockForm
  object OneInstance: TOneInstance
    RaisePriorInstance = True
    ApplicationExists = OneInstanceApplicationExists
  end
end
)";

class TOneInstanceTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterOneInstanceClasses();
    gui::Application().SetTitle("Sonvelt");
    gui::Application().ResetTerminated();
    ASSERT_TRUE(folder.isValid());
    TOneInstance::SetLockFolder(folder.path().toStdString());
    TOneInstance::SetRaiseHandler([this] { ++raised; });
  }
  void TearDown() override {
    TOneInstance::SetRaiseHandler(nullptr);
    TOneInstance::SetLockFolder("");
    gui::Application().ResetTerminated();
    gui::Application().SetTitle("Sonvelt");
  }
  TLockForm *Load() {
    auto *form = CreateObject<TLockForm>(nullptr);
    LoadFormText(form, mainFormText);
    return form;
  }
  static TOneInstance *Lock(TLockForm *form) {
    return static_cast<TOneInstance *>(form->FindComponent("OneInstance"));
  }
  QTemporaryDir folder;
  TScriptedDialogs dialogs;
  int raised = 0;
};

TEST_F(TOneInstanceTest, TheSecondCopyEndsSilentlyAndRaisesTheFirstWhenItGoes) {
  TOwnedPtr<TLockForm> first(Load());
  ASSERT_TRUE(Lock(first.get())->LockOwner());
  EXPECT_FALSE(gui::Application().Terminated());
  EXPECT_EQ(first->Exists, 0);
  std::string lockFile = folder.path().toStdString() + "/" + TOneInstance::MutexName() + ".lock";
  QFile f(QString::fromStdString(lockFile));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  QByteArray before = f.readAll();
  f.close();

  TLockForm *second = Load();
  EXPECT_FALSE(Lock(second)->LockOwner());
  EXPECT_TRUE(gui::Application().Terminated()) << "the second copy is told to end";
  EXPECT_EQ(second->Exists, 1);
  EXPECT_TRUE(dialogs.Shown().empty()) << "InformUser is off: no message";
  FreeObject(second);
  ASSERT_TRUE(PumpQtUntil([&] { return raised == 1; }));
  EXPECT_EQ(gui::Application().Title(), "") << "the second copy gave up its title";

  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), before) << "the second copy left the lock alone";
}

TEST_F(TOneInstanceTest, TheFirstCopyReleasesTheLockWhenItGoes) {
  FreeObject(Load());
  TOwnedPtr<TLockForm> again(Load());
  EXPECT_TRUE(Lock(again.get())->LockOwner());
  EXPECT_FALSE(gui::Application().Terminated());
}

TEST_F(TOneInstanceTest, InformUserTellsTheSecondCopyWhy) {
  TOwnedPtr<TLockForm> first(Load());
  TOwnedPtr<TLockForm> second(CreateObject<TLockForm>(nullptr));
  LoadFormText(second.get(), R"(object MainForm: TLockForm
  object OneInstance: TOneInstance
    InformUser = True
  end
end
)");
  ASSERT_EQ(dialogs.Shown().size(), 1u);
  EXPECT_EQ(dialogs.Shown()[0].Text,
            "Another instance of this application appears to be running. You must \r\n"
            "close any previous instances before continuing. ");
  EXPECT_EQ(dialogs.Shown()[0].Type, mtError);
  EXPECT_TRUE(gui::Application().Terminated());

  gui::Application().ResetTerminated();
  TOwnedPtr<TLockForm> third(CreateObject<TLockForm>(nullptr));
  LoadFormText(third.get(), R"(object MainForm: TLockForm
  object OneInstance: TOneInstance
    InformUser = True
    Terminate = False
  end
end
)");
  ASSERT_EQ(dialogs.Shown().size(), 2u);
  EXPECT_EQ(dialogs.Shown()[1].Text, "Another instance of this application appears to be running!");
  EXPECT_EQ(dialogs.Shown()[1].Type, mtWarning);
  EXPECT_FALSE(gui::Application().Terminated()) << "without Terminate the copy goes on";
}

TEST_F(TOneInstanceTest, ASecondComponentOnTheSameFormIsRefused) {
  TOwnedPtr<TLockForm> form(CreateObject<TLockForm>(nullptr));
  form->SetName("MainForm");
  CreateObject<TOneInstance>(form.get());
  try {
    CreateObject<TOneInstance>(form.get());
    FAIL() << "no exception";
  } catch (const Exception &e) {
    EXPECT_EQ(e.Message(), "OneInstance component duplicated in MainForm");
  }
  EXPECT_EQ(form->ComponentCount(), 1);
}

TEST_F(TOneInstanceTest, AFailedLockTestIsReportedAndCountsAsARunningCopy) {
  TOneInstance::SetLockFolder(folder.path().toStdString() + "/missing/deeper");
  TOwnedPtr<TLockForm> form(Load());
  EXPECT_FALSE(Lock(form.get())->LockOwner());
  ASSERT_EQ(dialogs.Shown().size(), 1u);
  EXPECT_EQ(
      dialogs.Shown()[0].Text.rfind("Unable to verify that Mutex already exists! An Exception "
                                    "was raised with the message : ",
                                    0),
      0u)
      << dialogs.Shown()[0].Text;
}

} // namespace
