// The class library's dialogs: the message function, message dialogs with
// their buttons, the platform message box, and the open and save file
// dialogs.
//
// Every dialog goes through one replaceable handler. The program installs one
// that shows real dialogs on the main thread (platform/gui); tests install a
// TScriptedDialogs that answers from a script and records every text. Without
// a handler the texts go to standard error and each dialog gives the answer
// that changes nothing (Cancel when offered, else No, else OK; file dialogs
// are cancelled).
//
// Dialogs are shown on the main thread; installing a handler is safe from any
// thread.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "platform/classlib/Component.h"

using TShowMessageHandler = std::function<void(const std::string &text)>;

void ShowMessage(const std::string &text);

// Installs handler (null: back to the dialog handler) and returns the one it
// replaces. Takes precedence over the dialog handler for ShowMessage.
TShowMessageHandler SetShowMessageHandler(TShowMessageHandler handler);

// The kinds and buttons of message dialogs and the results of modal dialogs.
enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn : uint32_t {
  mbYes,
  mbNo,
  mbOK,
  mbCancel,
  mbAbort,
  mbRetry,
  mbIgnore,
  mbAll,
  mbNoToAll,
  mbYesToAll,
  mbHelp
};
using TMsgDlgButtons = uint32_t; // bit i set for TMsgDlgBtn i
constexpr TMsgDlgButtons MsgDlgButtons(std::initializer_list<TMsgDlgBtn> buttons) {
  TMsgDlgButtons set = 0;
  for (TMsgDlgBtn b : buttons)
    set |= 1u << b;
  return set;
}
constexpr bool HasButton(TMsgDlgButtons set, TMsgDlgBtn b) { return (set & (1u << b)) != 0; }

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
                       mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

// A dialog as the user sees it. ShowMessage is a custom dialog with an OK
// button and no caption; a platform message box carries its caption.
struct TMessageDialog {
  std::string Caption;
  std::string Text;
  TMsgDlgType Type = mtCustom;
  TMsgDlgButtons Buttons = MsgDlgButtons({mbOK});
};

// A message dialog with the application's title as caption; returns the
// button chosen (mrCancel when the dialog is closed without a button).
TModalResult MessageDlg(const std::string &text, TMsgDlgType type, TMsgDlgButtons buttons);

// The platform message box: flags as the platform gives them (buttons in the
// low four bits, the icon in the next four); returns IDOK, IDCANCEL...
// (the same values as the modal results).
enum : uint32_t {
  MB_OK = 0x0,
  MB_OKCANCEL = 0x1,
  MB_ABORTRETRYIGNORE = 0x2,
  MB_YESNOCANCEL = 0x3,
  MB_YESNO = 0x4,
  MB_RETRYCANCEL = 0x5,
  MB_ICONERROR = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONWARNING = 0x30,
  MB_ICONINFORMATION = 0x40,
};
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;
int MessageBox(const std::string &text, const std::string &caption, uint32_t flags);

// Open and save dialogs. Filter is the class library's form
// "Wave Files(*.wav)|*.wav|All Files(*.*)|*.*"; DefaultExt is added to a
// chosen name without extension.
enum TFileDialogKind { fdOpen, fdSave };
struct TFileDialog {
  TFileDialogKind Kind = fdOpen;
  std::string Title;
  std::string Filter;
  std::string DefaultExt;
  std::string InitialDir;
  std::string FileName; // proposed name; the chosen one after acceptance
};
// True when the user chose a file (then in dialog.FileName); false, with
// FileName unchanged, when the dialog was cancelled.
bool ExecuteFileDialog(TFileDialog &dialog);

// The open dialog as a form's component: its properties are those of
// TFileDialog, loaded from the form text, and Execute runs ExecuteFileDialog.
class TOpenDialog : public TComponent {
  CLASSLIB_CLASS(TOpenDialog)

public:
  explicit TOpenDialog(TComponent *owner) : TComponent(owner) {}

  const std::string &Title() const { return dialog_.Title; }
  void SetTitle(const std::string &value) { dialog_.Title = value; }
  const std::string &Filter() const { return dialog_.Filter; }
  void SetFilter(const std::string &value) { dialog_.Filter = value; }
  const std::string &DefaultExt() const { return dialog_.DefaultExt; }
  void SetDefaultExt(const std::string &value) { dialog_.DefaultExt = value; }
  const std::string &InitialDir() const { return dialog_.InitialDir; }
  void SetInitialDir(const std::string &value) { dialog_.InitialDir = value; }
  // The proposed name; the chosen one after Execute returned true.
  const std::string &FileName() const { return dialog_.FileName; }
  void SetFileName(const std::string &value) { dialog_.FileName = value; }

  // Shows the dialog; false, FileName unchanged, when it was cancelled.
  bool Execute();

private:
  TFileDialog dialog_;
};

// Registers TOpenDialog for form loading.
void RegisterDialogClasses();

// Adds ext (without dot) to name when the name's file part has no extension.
std::string WithDefaultExt(const std::string &name, const std::string &ext);

// What shows the dialogs.
class IDialogHandler {
public:
  virtual ~IDialogHandler() = default;
  virtual void ShowMessage(const std::string &text) = 0;
  virtual TModalResult MessageDialog(const TMessageDialog &dialog) = 0;
  virtual bool FileDialog(TFileDialog &dialog) = 0;
};

// Installs handler (null: standard error) and returns the one it replaces.
IDialogHandler *SetDialogHandler(IDialogHandler *handler);

// The caption MessageDlg gives its dialogs (the application's title).
void SetDialogTitle(const std::string &title);
std::string DialogTitle();

// Answers dialogs from a script and records every dialog shown, in order.
// A message dialog takes the next scripted answer (mrCancel when none is
// left, or the first button offered when Cancel is not one of them); a file
// dialog takes the next scripted file name (nullopt: cancelled; none left:
// cancelled). ShowMessage is recorded with an empty caption.
class TScriptedDialogs : public IDialogHandler {
public:
  TScriptedDialogs() : previous_(SetDialogHandler(this)) {}
  ~TScriptedDialogs() override { SetDialogHandler(previous_); }
  TScriptedDialogs(const TScriptedDialogs &) = delete;
  TScriptedDialogs &operator=(const TScriptedDialogs &) = delete;

  void Answer(TModalResult result) { answers_.push_back(result); }
  void AnswerFile(std::optional<std::string> fileName) { files_.push_back(std::move(fileName)); }

  const std::vector<TMessageDialog> &Shown() const { return shown_; }
  const std::vector<TFileDialog> &FileDialogs() const { return fileDialogs_; }
  // The texts of every message shown, in order.
  std::vector<std::string> Texts() const;
  size_t UnusedAnswers() const { return answers_.size() + files_.size(); }
  // Called with each dialog before it is answered (for example to look at
  // the window while a prompt is open).
  std::function<void(const TMessageDialog &)> OnShow;

  void ShowMessage(const std::string &text) override;
  TModalResult MessageDialog(const TMessageDialog &dialog) override;
  bool FileDialog(TFileDialog &dialog) override;

private:
  IDialogHandler *previous_;
  std::deque<TModalResult> answers_;
  std::deque<std::optional<std::string>> files_;
  std::vector<TMessageDialog> shown_;
  std::vector<TFileDialog> fileDialogs_;
};
