#include "app/About.h"

#include <QApplication>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <map>

#include "platform/classlib/ClassBuilder.h"
#include "platform/gui/Application.h"
#include "platform/gui/VersionInfo.h"

const char *const AboutProductText = "Sonvelt";
const char *const AboutVersionText = "Version 1.13 Jan 11, 2007";
const char *const AboutCopyrightText = "Copyright (C) 2007 Sonvelt";

namespace {

// A dialog that the Escape key and the title bar cannot close: only OK can.
class TAboutDialog : public QDialog {
public:
  TAboutDialog() : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {}
  void reject() override {}
};

} // namespace

const TClassInfo &TAboutBox::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TAboutBox>(
      "TAboutBox", &gui::TForm::StaticClassInfo(), [](TClassBuilder<TAboutBox> &c) {
        c.Method<void(TObject *)>("FormShow", &TAboutBox::FormShow);
      });
  return info;
}

TAboutBox::TAboutBox(TComponent *owner) : gui::TForm(owner, new TAboutDialog) {
  QWidget *w = Widget();
  SetCaption("About");
  w->setFixedSize(357, 161);

  Panel1 = new QFrame(w);
  Panel1->setObjectName("Panel1");
  Panel1->setFrameShape(QFrame::Panel);
  Panel1->setFrameShadow(QFrame::Sunken);
  Panel1->setGeometry(8, 8, 341, 113);

  ProgramIcon = new QLabel(Panel1);
  ProgramIcon->setObjectName("ProgramIcon");
  ProgramIcon->setGeometry(8, 8, 64, 64);
  ProgramIcon->setScaledContents(true);
  ProgramIcon->setPixmap(
      QApplication::style()->standardIcon(QStyle::SP_MediaVolume).pixmap(64, 64));

  ProductName = new QLabel("Product Name", Panel1);
  ProductName->setObjectName("ProductName");
  ProductName->setGeometry(88, 16, 240, 16);
  Version = new QLabel("Version", Panel1);
  Version->setObjectName("Version");
  Version->setGeometry(88, 40, 240, 16);
  Copyright = new QLabel("Copyright", Panel1);
  Copyright->setObjectName("Copyright");
  Copyright->setGeometry(8, 80, 320, 16);

  OKButton = new QPushButton("OK", w);
  OKButton->setObjectName("OKButton");
  OKButton->setDefault(true);
  OKButton->setGeometry(141, 128, 75, 25);
  QObject::connect(OKButton, &QPushButton::clicked, OKButton, [this] { SetModalResult(mrOk); });

  Label1 = new QLabel("All rights reserved.", w);
  Label1->setObjectName("Label1");
  Label1->setGeometry(8, 136, 120, 16);

  OnShow.Fn = [this](TObject *sender) { FormShow(sender); };
  OnShow.MethodName = "FormShow";
}

void TAboutBox::FormShow(TObject *) {
  ProductName->setText(AboutProductText);
  Version->setText(AboutVersionText);
  Copyright->setText(AboutCopyrightText);
  OKButton->setFocus();
}

void TAboutBox::GetProgramVersion() {
  std::string exe = gui::Application().ExeName();
  if (gui::GetFileVersionInfoSize(exe) == 0)
    return;
  std::map<std::string, std::string> block;
  if (!gui::GetFileVersionInfo(exe, block))
    return;
  const std::string prefix = "\\StringFileInfo\\040904E4\\";
  for (const char *key : {"CompanyName", "FileVersion", "ProductName", "LegalCopyright"}) {
    std::string value;
    if (!gui::VerQueryValue(block, prefix + key, value) || value.empty())
      continue;
    std::string k = key;
    if (k == "FileVersion")
      Version->setText(QString::fromStdString("Version: " + value));
    else if (k == "ProductName")
      ProductName->setText(QString::fromStdString(value));
    else if (k == "LegalCopyright")
      Copyright->setText(QString::fromStdString(value + ".  All Rights Reserved"));
  }
}

std::string TAboutBox::GetVersionInfo() {
  GetProgramVersion();
  return Version->text().toStdString();
}

void RegisterAboutClasses() { RegisterClass(TAboutBox::StaticClassInfo()); }
