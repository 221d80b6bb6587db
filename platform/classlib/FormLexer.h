// The form text's lexer, shared by the reader, the loader and the writer (which checks
// identifiers with the same rules). Private to platform/classlib.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/classlib/Exceptions.h"

namespace formtext {

enum class TTok { End, Ident, String, Integer, Float, Symbol };

struct TToken {
  TTok kind = TTok::End;
  std::string text; // identifier, decoded string, or the symbol character
  int64_t integer = 0;
  double real = 0;
  int line = 1;
};

// A read error that already names the form, component and property; the
// enclosing readers pass it on unchanged.
class EContextReadError : public EReadError {
public:
  using EReadError::EReadError;
};

bool IsIdentStart(char c);
bool IsIdentChar(char c);
bool IsDigit(char c);
// A syntax error on a line of the text.
[[noreturn]] void ParseError(const std::string &what, int line);
// The text split into tokens, ending with one End token.
std::vector<TToken> Tokenize(std::string_view s);
// A token as an error message names it.
std::string Describe(const TToken &t);
bool IsSymbol(const TToken &t, char c);
bool IsKeyword(const TToken &t, std::string_view word);

} // namespace formtext
