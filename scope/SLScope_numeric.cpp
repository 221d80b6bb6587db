#include "scope/SLScope_numeric.h"

#include <cctype>
#include <cmath>

double SLLog10(double x) { return std::log10(x); }

double SLLog10a(double x) {
  if (x >= 0)
    return SLLog10(x + 1);
  return -SLLog10(1 - x);
}

double SLPow10a(double x) {
  if (x >= 0)
    return std::pow(10.0, x) - 1;
  return -(std::pow(10.0, -x) - 1);
}

double SLPow10(double x) {
  if (x >= 0)
    return std::pow(10.0, x);
  return -std::pow(10.0, -x);
}

void SLTrimExponent(std::string Text, int Decimals, std::string &Result) {
  const auto E = Text.find('E');
  const auto P = Text.find('.');
  if (E != std::string::npos && P != std::string::npos && E > P && Decimals >= 0 &&
      E - P > static_cast<std::size_t>(Decimals)) {
    const auto From = P + static_cast<std::size_t>(Decimals) + 1;
    Text.erase(From, E - From);
  }
  for (auto Z = Text.find("E0"); Z != std::string::npos; Z = Text.find("E0"))
    Text.erase(Z + 1, 1);
  Result = Text;
}

namespace {

void ExpandFormat(std::string &Out, const std::string &Source, bool InDefault, double X, double Y,
                  const std::string &Default, const std::function<std::string(double)> &XTickText,
                  const std::function<std::string(double)> &YTickText) {
  for (std::size_t I = 0; I < Source.size(); ++I) {
    if (Source[I] != '%') {
      Out += Source[I];
      continue;
    }
    if (++I >= Source.size())
      return;
    switch (std::toupper(static_cast<unsigned char>(Source[I]))) {
    case '%':
      Out += '%';
      break;
    case 'D':
      if (!InDefault)
        ExpandFormat(Out, Default, true, X, Y, Default, XTickText, YTickText);
      break;
    case 'X':
      if (XTickText)
        Out += XTickText(X);
      break;
    case 'Y':
      if (YTickText)
        Out += YTickText(Y);
      break;
    default:
      break;
    }
  }
}

} // namespace

std::string SLExpandFormatLabel(double X, double Y, const std::string &Format,
                                const std::string &Default,
                                const std::function<std::string(double)> &XTickText,
                                const std::function<std::string(double)> &YTickText) {
  std::string Out;
  // The default text scanned as the whole source is already the default: a
  // "%D" inside it would name itself.
  const bool UsesDefault = Format.empty();
  ExpandFormat(Out, UsesDefault ? Default : Format, UsesDefault, X, Y, Default, XTickText,
               YTickText);
  return Out;
}

std::string SLExpandMeasurementLabel(const std::string &Value, const std::string &LabelText,
                                     const std::string &Default) {
  const std::string &Source = LabelText.empty() ? Default : LabelText;
  std::string Out;
  for (std::size_t I = 0; I < Source.size(); ++I) {
    if (Source[I] != '%') {
      Out += Source[I];
      continue;
    }
    if (++I >= Source.size())
      break;
    const char C = Source[I];
    if (C == '%')
      Out += '%';
    else if (C == 'V' || C == 'v')
      Out += Value;
  }
  return Out;
}
