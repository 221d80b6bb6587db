#include "platform/gui/ColorFontDialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QFontDialog>

namespace gui {

namespace {

class TQtColorFontDialogs : public IColorFontDialogs {
public:
  bool ChooseColor(TColor &Color) override {
    const QColor chosen =
        QColorDialog::getColor(QColor::fromRgb(ColorToQRgb(Color)), QApplication::activeWindow());
    if (!chosen.isValid())
      return false;
    Color = QRgbToColor(chosen.rgb() & 0xFFFFFFu);
    return true;
  }
  bool ChooseFont(TFont &Font) override {
    QFont start(QString::fromStdString(Font.GetName()));
    start.setPointSize(Font.GetSize() > 0 ? Font.GetSize() : DefaultFontSize);
    start.setBold(Font.HasStyle(fsBold));
    start.setItalic(Font.HasStyle(fsItalic));
    start.setUnderline(Font.HasStyle(fsUnderline));
    start.setStrikeOut(Font.HasStyle(fsStrikeOut));
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, start, QApplication::activeWindow());
    if (!ok)
      return false;
    Font.SetName(chosen.family().toStdString());
    if (chosen.pointSize() > 0)
      Font.SetSize(chosen.pointSize());
    TFontStyles style = 0;
    if (chosen.bold())
      style |= FontStyle(fsBold);
    if (chosen.italic())
      style |= FontStyle(fsItalic);
    if (chosen.underline())
      style |= FontStyle(fsUnderline);
    if (chosen.strikeOut())
      style |= FontStyle(fsStrikeOut);
    Font.SetStyle(style);
    return true;
  }
};

TQtColorFontDialogs qtDialogs;
IColorFontDialogs *handler = nullptr;

IColorFontDialogs &Current() { return handler ? *handler : qtDialogs; }

} // namespace

IColorFontDialogs *SetColorFontDialogs(IColorFontDialogs *Handler) {
  IColorFontDialogs *previous = handler;
  handler = Handler;
  return previous;
}

bool ExecuteColorDialog(TColor &Color) { return Current().ChooseColor(Color); }
bool ExecuteFontDialog(TFont &Font) { return Current().ChooseFont(Font); }

bool TScriptedColorFontDialogs::ChooseColor(TColor &Color) {
  ColorsShown.push_back(Color);
  if (colors_.empty())
    return false;
  std::optional<TColor> answer = colors_.front();
  colors_.pop_front();
  if (!answer)
    return false;
  Color = *answer;
  return true;
}

bool TScriptedColorFontDialogs::ChooseFont(TFont &Font) {
  FontsShown.push_back(Font.GetName());
  if (fonts_.empty())
    return false;
  std::optional<TFontAnswer> answer = fonts_.front();
  fonts_.pop_front();
  if (!answer)
    return false;
  Font.SetName(answer->Name);
  Font.SetSize(answer->Size);
  Font.SetColor(answer->Color);
  return true;
}

} // namespace gui
