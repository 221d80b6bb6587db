#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/About.h"
#include "platform/gui/Application.h"

namespace {

TEST(AboutBoxTest, ShowingFillsTheFixedTextsAndOnlyOkCloses) {
  gui::Application();
  TOwnedPtr<TAboutBox> box(CreateObject<TAboutBox>(nullptr));
  EXPECT_EQ(box->Caption(), "About");
  EXPECT_EQ(box->Widget()->size(), QSize(357, 161));
  EXPECT_EQ(box->OKButton->text(), "OK");
  EXPECT_TRUE(box->OKButton->isDefault());

  for (int round = 0; round < 2; ++round) {
    int closeTries = 0;
    QTimer::singleShot(0, [&] {
      EXPECT_EQ(box->ProductName->text(), "Sonvelt");
      EXPECT_EQ(box->Version->text(), "Version 1.13 Jan 11, 2007");
      EXPECT_EQ(box->Copyright->text().toStdString(), AboutCopyrightText);
      // Escape and the close request leave the box up.
      box->Widget()->close();
      static_cast<QDialog *>(box->Widget())->reject();
      ++closeTries;
      EXPECT_TRUE(box->Widget()->isVisible());
      box->OKButton->click();
    });
    EXPECT_EQ(box->ShowModal(), mrOk);
    EXPECT_EQ(closeTries, 1);
    EXPECT_FALSE(box->Widget()->isVisible());
  }
}

TEST(AboutBoxTest, TheVersionResourceFillsTheLabels) {
  gui::Application();
  TOwnedPtr<TAboutBox> box(CreateObject<TAboutBox>(nullptr));
  EXPECT_EQ(box->GetVersionInfo(), "Version: 1.13.0.0");
  EXPECT_EQ(box->ProductName->text(), "Sonvelt");
  EXPECT_EQ(box->Copyright->text(), "Copyright (C) 2007 Sonvelt.  All Rights Reserved");
}

} // namespace
