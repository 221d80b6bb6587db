// The dialog seam's Qt side: message dialogs as QMessageBox, open and save
// dialogs as QFileDialog. The application installs it; tests never see it.
#pragma once

#include <string>

#include "platform/classlib/Dialogs.h"

class QString;

namespace gui {

class TQtDialogs : public IDialogHandler {
public:
  void ShowMessage(const std::string &text) override;
  TModalResult MessageDialog(const TMessageDialog &dialog) override;
  bool FileDialog(TFileDialog &dialog) override;
};

// The class library's filter "Wave Files(*.wav)|*.wav|All Files(*.*)|*.*" in
// Qt's form "Wave Files (*.wav);;All Files (*)": a pattern list at the end of
// a description is replaced by the filter's own, shown once; "*.*" matches
// every name, with or without a dot.
std::string QtFileFilter(const std::string &filter);

} // namespace gui
