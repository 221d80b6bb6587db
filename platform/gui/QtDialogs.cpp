#include "platform/gui/QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <string_view>
#include <utility>
#include <vector>

namespace gui {

namespace {

QString Q(const std::string &s) { return QString::fromStdString(s); }

struct TButtonMap {
  TMsgDlgBtn Button;
  QMessageBox::StandardButton Qt;
  TModalResult Result;
};
constexpr TButtonMap buttonMap[] = {
    {mbYes, QMessageBox::Yes, mrYes},
    {mbNo, QMessageBox::No, mrNo},
    {mbOK, QMessageBox::Ok, mrOk},
    {mbCancel, QMessageBox::Cancel, mrCancel},
    {mbAbort, QMessageBox::Abort, mrAbort},
    {mbRetry, QMessageBox::Retry, mrRetry},
    {mbIgnore, QMessageBox::Ignore, mrIgnore},
    {mbNoToAll, QMessageBox::NoToAll, mrNoToAll},
    {mbYesToAll, QMessageBox::YesToAll, mrYesToAll},
    {mbHelp, QMessageBox::Help, mrNone},
};

QMessageBox::Icon IconOf(TMsgDlgType type) {
  switch (type) {
  case mtWarning:
    return QMessageBox::Warning;
  case mtError:
    return QMessageBox::Critical;
  case mtInformation:
    return QMessageBox::Information;
  case mtConfirmation:
    return QMessageBox::Question;
  default:
    return QMessageBox::NoIcon;
  }
}

} // namespace

void TQtDialogs::ShowMessage(const std::string &text) {
  TMessageDialog d;
  d.Caption = QCoreApplication::applicationName().toStdString();
  d.Text = text;
  MessageDialog(d);
}

TModalResult TQtDialogs::MessageDialog(const TMessageDialog &dialog) {
  QMessageBox box(IconOf(dialog.Type), Q(dialog.Caption), Q(dialog.Text), QMessageBox::NoButton,
                  QApplication::activeWindow());
  for (const TButtonMap &b : buttonMap)
    if (HasButton(dialog.Buttons, b.Button))
      box.addButton(b.Qt);
  int chosen = box.exec();
  for (const TButtonMap &b : buttonMap)
    if (chosen == b.Qt && HasButton(dialog.Buttons, b.Button))
      return b.Result;
  return mrCancel; // closed without a button
}

bool TQtDialogs::FileDialog(TFileDialog &dialog) {
  QString dir =
      Q(dialog.InitialDir.empty() ? dialog.FileName : dialog.InitialDir + "/" + dialog.FileName);
  QString filter = Q(QtFileFilter(dialog.Filter));
  QString chosen =
      dialog.Kind == fdOpen
          ? QFileDialog::getOpenFileName(QApplication::activeWindow(), Q(dialog.Title), dir, filter)
          : QFileDialog::getSaveFileName(QApplication::activeWindow(), Q(dialog.Title), dir,
                                         filter);
  if (chosen.isEmpty())
    return false;
  dialog.FileName = WithDefaultExt(chosen.toStdString(), dialog.DefaultExt);
  return true;
}

std::string QtFileFilter(const std::string &filter) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= filter.size()) {
    size_t bar = filter.find('|', start);
    if (bar == std::string::npos)
      bar = filter.size();
    parts.push_back(filter.substr(start, bar - start));
    start = bar + 1;
  }
  std::string out;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    std::string patterns = parts[i + 1];
    std::string qtPatterns;
    size_t p = 0;
    while (p <= patterns.size()) {
      size_t semi = patterns.find(';', p);
      if (semi == std::string::npos)
        semi = patterns.size();
      std::string_view one = std::string_view(patterns).substr(p, semi - p);
      if (one == "*.*")
        one = "*"; // every name, with or without a dot
      if (!one.empty()) {
        if (!qtPatterns.empty())
          qtPatterns.push_back(' ');
        qtPatterns.append(one);
      }
      p = semi + 1;
    }
    if (!out.empty())
      out.append(";;");
    // A description that already names its patterns ("Wave Files(*.wav)")
    // loses them: Qt shows the patterns it reads after the description.
    std::string description = parts[i];
    if (!description.empty() && description.back() == ')') {
      size_t open = description.rfind('(');
      if (open != std::string::npos) {
        description.erase(open);
        while (!description.empty() && description.back() == ' ')
          description.pop_back();
      }
    }
    out.append(description).append(" (").append(qtPatterns).append(")");
  }
  return out;
}

} // namespace gui
