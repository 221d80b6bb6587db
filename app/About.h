// The about box: the program's icon, name, version text and rights notice,
// shown modally from the Help menu. Only its OK button closes it.
// Main thread only.
#pragma once

#include <string>

#include "platform/gui/Forms.h"

class QFrame;
class QLabel;
class QPushButton;

class TAboutBox : public gui::TForm {
  CLASSLIB_CLASS(TAboutBox)

public:
  explicit TAboutBox(TComponent *owner);

  void FormShow(TObject *Sender);
  // Fills the labels from the program's version information.
  void GetProgramVersion();
  // GetProgramVersion, then the text of Version.
  std::string GetVersionInfo();

  QFrame *Panel1;
  QLabel *ProgramIcon;
  QLabel *ProductName;
  QLabel *Version;
  QLabel *Copyright;
  QPushButton *OKButton;
  QLabel *Label1;
};

// The fixed texts of the box.
extern const char *const AboutProductText;   // "Sonvelt"
extern const char *const AboutVersionText;   // "Version 1.13 Jan 11, 2007"
extern const char *const AboutCopyrightText; // the maker's one-line notice

void RegisterAboutClasses();
