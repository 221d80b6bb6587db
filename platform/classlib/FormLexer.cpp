#include "platform/classlib/FormLexer.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

#include "platform/classlib/ClassInfo.h"

namespace formtext {

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) {
  return IsIdentStart(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '.';
}
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

[[noreturn]] void ParseError(const std::string &what, int line) {
  throw EParserError(what + Format(" on line %d", line));
}

std::vector<TToken> Tokenize(std::string_view s) {
  std::vector<TToken> out;
  int line = 1;
  size_t i = 0;
  while (i < s.size()) {
    char c = s[i];
    if (c == '\n') {
      ++line;
      ++i;
      continue;
    }
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
      continue;
    }
    TToken t;
    t.line = line;
    if (IsIdentStart(c)) {
      size_t b = i;
      while (i < s.size() && IsIdentChar(s[i]))
        ++i;
      t.text = std::string(s.substr(b, i - b));
      if (t.text.back() == '.')
        ParseError("Identifier ends with '.'", line);
      if (t.text == "NAN" || t.text == "INF") {
        t.kind = TTok::Float;
        t.real = t.text == "NAN" ? std::numeric_limits<double>::quiet_NaN()
                                 : std::numeric_limits<double>::infinity();
      } else {
        t.kind = TTok::Ident;
      }
    } else if (c == '\'' || c == '#') {
      t.kind = TTok::String;
      while (i < s.size() && (s[i] == '\'' || s[i] == '#')) {
        if (s[i] == '\'') {
          ++i;
          for (;;) {
            if (i >= s.size() || s[i] == '\n' || s[i] == '\r')
              ParseError("Unterminated string", line);
            if (s[i] == '\'') {
              if (i + 1 < s.size() && s[i + 1] == '\'') {
                t.text += '\'';
                i += 2;
                continue;
              }
              ++i;
              break;
            }
            t.text += s[i++];
          }
        } else {
          ++i;
          size_t b = i;
          while (i < s.size() && IsDigit(s[i]))
            ++i;
          int code = -1;
          if (i > b && i - b <= 3)
            code = std::stoi(std::string(s.substr(b, i - b)));
          if (code < 0 || code > 255)
            ParseError("Invalid character code", line);
          t.text += static_cast<char>(code);
        }
      }
    } else if (IsDigit(c) || ((c == '-' || c == '+') && i + 1 < s.size() &&
                              (IsDigit(s[i + 1]) || s[i + 1] == 'I'))) {
      size_t b = i;
      if (c == '-' || c == '+')
        ++i;
      if (s.substr(i, 3) == "INF" && (i + 3 >= s.size() || !IsIdentChar(s[i + 3]))) {
        t.kind = TTok::Float;
        t.real = c == '-' ? -std::numeric_limits<double>::infinity()
                          : std::numeric_limits<double>::infinity();
        i += 3;
      } else {
        bool real = false;
        while (i < s.size() && IsDigit(s[i]))
          ++i;
        if (i < s.size() && s[i] == '.') {
          real = true;
          ++i;
          while (i < s.size() && IsDigit(s[i]))
            ++i;
        }
        if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
          real = true;
          ++i;
          if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
          if (i >= s.size() || !IsDigit(s[i]))
            ParseError("Invalid number", line);
          while (i < s.size() && IsDigit(s[i]))
            ++i;
        }
        if (i < s.size() && (IsIdentStart(s[i]) || s[i] == '.'))
          ParseError("Invalid number", line);
        std::string text(s.substr(b, i - b));
        const char *first = text.c_str() + (text[0] == '+' ? 1 : 0);
        const char *last = text.c_str() + text.size();
        std::from_chars_result r;
        if (real) {
          t.kind = TTok::Float;
          r = std::from_chars(first, last, t.real);
        } else {
          t.kind = TTok::Integer;
          r = std::from_chars(first, last, t.integer);
        }
        if (r.ec != std::errc() || r.ptr != last)
          ParseError("Number out of range: " + text, line);
      }
    } else if (std::string_view("=()[]<>,:").find(c) != std::string_view::npos) {
      t.kind = TTok::Symbol;
      t.text = std::string(1, c);
      ++i;
    } else {
      ParseError(Format("Invalid character '%c'", c), line);
    }
    out.push_back(std::move(t));
  }
  TToken end;
  end.line = line;
  out.push_back(end);
  return out;
}

std::string Describe(const TToken &t) {
  switch (t.kind) {
  case TTok::End:
    return "end of text";
  case TTok::Ident:
    return "identifier " + t.text;
  case TTok::String:
    return "string";
  case TTok::Integer:
    return "integer";
  case TTok::Float:
    return "float";
  case TTok::Symbol:
    return "'" + t.text + "'";
  }
  return "";
}

bool IsSymbol(const TToken &t, char c) { return t.kind == TTok::Symbol && t.text[0] == c; }
bool IsKeyword(const TToken &t, std::string_view word) {
  return t.kind == TTok::Ident && SameText(t.text, word);
}

} // namespace formtext
