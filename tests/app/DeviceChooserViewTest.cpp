#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include <gtest/gtest.h>

#include "app/DeviceChooserView.h"
#include "platform/gui/Application.h"
#include "platform/gui/ListChooser.h"

namespace {

// Runs act on the chooser once it is up.
void WhenShown(std::function<void(gui::TListChooser &)> act) {
  QTimer::singleShot(0, [act] {
    auto *chooser = qobject_cast<gui::TListChooser *>(QApplication::activeModalWidget());
    ASSERT_NE(chooser, nullptr);
    act(*chooser);
  });
}

class TDeviceChooserViewTest : public ::testing::Test {
protected:
  void SetUp() override {
    gui::Application();
    previous = SetDSDeviceListViewFactory(nullptr);
    InstallDeviceChooserView();
    form.Items().Add("USB Audio CODEC");
    form.Items().Add("Velmora USB");
  }
  void TearDown() override { SetDSDeviceListViewFactory(previous); }
  TDSDeviceListViewFactory previous;
  TDSDeviceListForm form;
};

TEST_F(TDeviceChooserViewTest, OkTakesTheItemTheUserSelected) {
  WhenShown([](gui::TListChooser &c) {
    EXPECT_EQ(c.windowTitle(), "Devices");
    ASSERT_EQ(c.ListBox->count(), 4);
    EXPECT_EQ(c.ListBox->currentRow(), 3) << "the current device is preselected";
    c.ListBox->setCurrentRow(2);
    c.OKButton->click();
  });
  EXPECT_TRUE(form.Execute("velmora usb"));
  EXPECT_EQ(form.SelectedText(), "USB Audio CODEC");
}

TEST_F(TDeviceChooserViewTest, ADoubleClickIsOkAndClosingIsCancel) {
  WhenShown([](gui::TListChooser &c) {
    c.ListBox->setCurrentRow(1);
    emit c.ListBox->itemDoubleClicked(c.ListBox->item(1));
  });
  EXPECT_TRUE(form.Execute("None"));
  EXPECT_EQ(form.SelectedText(), "Default");

  WhenShown([](gui::TListChooser &c) { c.close(); });
  EXPECT_FALSE(form.Execute("None"));
  EXPECT_EQ(form.ModalResult(), mrCancel);

  WhenShown([](gui::TListChooser &c) { c.CancelButton->click(); });
  EXPECT_FALSE(form.Execute("None"));
}

} // namespace
