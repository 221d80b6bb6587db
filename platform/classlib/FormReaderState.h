// The reader's state, shared by the reader's value calls and the form loader. Private to
// platform/classlib.
#pragma once

#include <string>
#include <vector>

#include "platform/classlib/FormLexer.h"
#include "platform/classlib/FormStream.h"

struct TReader::TState {
  std::vector<formtext::TToken> toks;
  size_t pos = 0;
  // The custom property DefineProperty is looking for while DefineProperties runs.
  std::string definedName;
  bool definedHandled = false;
  std::string formName;
  std::vector<TComponent *> created; // by this load, in creation order
  std::vector<TComponent *> loaded;  // root first, then created

  const formtext::TToken &Cur() const { return toks[pos]; }
  const formtext::TToken &Take() {
    const formtext::TToken &t = toks[pos];
    if (pos + 1 < toks.size())
      ++pos;
    return t;
  }
  [[noreturn]] void Expected(const std::string &what) const {
    throw EReadError(what + " expected but " + formtext::Describe(Cur()) +
                     Format(" found on line %d", Cur().line));
  }
  void ExpectSymbol(char c) {
    if (!formtext::IsSymbol(Cur(), c))
      SyntaxExpected(std::string("'") + c + "'");
    Take();
  }
  [[noreturn]] void SyntaxExpected(const std::string &what) const {
    formtext::ParseError(what + " expected but " + formtext::Describe(Cur()) + " found",
                         Cur().line);
  }
  std::string TakeIdent() {
    if (Cur().kind != formtext::TTok::Ident)
      SyntaxExpected("Identifier");
    return Take().text;
  }
};
