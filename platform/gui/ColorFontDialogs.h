// The colour and font dialogs behind one replaceable handler, as the other
// dialogs of the class library: the program shows Qt's dialogs, tests
// install a TScriptedColorFontDialogs that answers from a script and records
// what each dialog started from. Main thread only.
#pragma once

#include <deque>
#include <optional>
#include <vector>

#include "platform/gui/Canvas.h"

namespace gui {

class IColorFontDialogs {
public:
  virtual ~IColorFontDialogs() = default;
  // Starts from Color; true with the chosen colour in Color, false (Color
  // unchanged) when cancelled.
  virtual bool ChooseColor(TColor &Color) = 0;
  // Starts from Font; true with the chosen face, size, style and colour in
  // Font, false (Font unchanged) when cancelled.
  virtual bool ChooseFont(TFont &Font) = 0;
};

// Installs handler (null: Qt's dialogs) and returns the one it replaces.
IColorFontDialogs *SetColorFontDialogs(IColorFontDialogs *Handler);

bool ExecuteColorDialog(TColor &Color);
bool ExecuteFontDialog(TFont &Font);

// The colour dialog as a form's component.
class TColorDialog {
public:
  TColor Color = clBlack;
  bool Execute() { return ExecuteColorDialog(Color); }
};

// Answers from a script: the next scripted colour or font (nullopt or none
// left: cancelled), and records the colours and font names started from.
class TScriptedColorFontDialogs : public IColorFontDialogs {
public:
  TScriptedColorFontDialogs() : previous_(SetColorFontDialogs(this)) {}
  ~TScriptedColorFontDialogs() override { SetColorFontDialogs(previous_); }
  TScriptedColorFontDialogs(const TScriptedColorFontDialogs &) = delete;
  TScriptedColorFontDialogs &operator=(const TScriptedColorFontDialogs &) = delete;

  void AnswerColor(std::optional<TColor> Color) { colors_.push_back(Color); }
  // The font chosen: its name, size in points and colour.
  struct TFontAnswer {
    std::string Name;
    int32_t Size = 8;
    TColor Color = clBlack;
  };
  void AnswerFont(std::optional<TFontAnswer> Font) { fonts_.push_back(std::move(Font)); }

  bool ChooseColor(TColor &Color) override;
  bool ChooseFont(TFont &Font) override;

  std::vector<TColor> ColorsShown;
  std::vector<std::string> FontsShown;

private:
  IColorFontDialogs *previous_;
  std::deque<std::optional<TColor>> colors_;
  std::deque<std::optional<TFontAnswer>> fonts_;
};

} // namespace gui
