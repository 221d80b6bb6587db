#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <set>
#include <utility>

#include "platform/classlib/Collection.h"
#include "platform/classlib/Exceptions.h"
#include "platform/classlib/FormReaderState.h"
#include "platform/classlib/FormStream.h"

using namespace formtext;

TReader::TReader(std::string_view text) : s_(std::make_unique<TState>()) {
  s_->toks = Tokenize(text);
}

TReader::~TReader() = default;

TValueType TReader::NextValue() const {
  const TToken &t = s_->Cur();
  switch (t.kind) {
  case TTok::End:
    return vaNull;
  case TTok::Integer:
    return vaInteger;
  case TTok::Float:
    return vaExtended;
  case TTok::String:
    return vaString;
  case TTok::Ident:
    if (SameText(t.text, "True"))
      return vaTrue;
    if (SameText(t.text, "False"))
      return vaFalse;
    return vaIdent;
  case TTok::Symbol:
    if (t.text[0] == '(')
      return vaList;
    if (t.text[0] == '[')
      return vaSet;
    if (t.text[0] == '<')
      return vaCollection;
    return vaNull;
  }
  return vaNull;
}

bool TReader::EndOfList() const { return IsSymbol(s_->Cur(), ')'); }

void TReader::ReadListBegin() {
  if (!IsSymbol(s_->Cur(), '('))
    s_->Expected("List");
  s_->Take();
}

void TReader::ReadListEnd() {
  if (!IsSymbol(s_->Cur(), ')'))
    s_->Expected("End of list");
  s_->Take();
}

std::string TReader::ReadIdent() {
  if (s_->Cur().kind != TTok::Ident)
    s_->Expected("Identifier");
  return s_->Take().text;
}

std::string TReader::ReadString() {
  if (s_->Cur().kind != TTok::String)
    s_->Expected("String");
  return s_->Take().text;
}

int64_t TReader::ReadInt64() {
  if (s_->Cur().kind != TTok::Integer)
    s_->Expected("Integer");
  return s_->Take().integer;
}

int32_t TReader::ReadInteger() {
  int line = s_->Cur().line;
  int64_t v = ReadInt64();
  if (!std::in_range<int32_t>(v))
    throw ERangeError(Format("Integer out of range on line %d", line));
  return static_cast<int32_t>(v);
}

double TReader::ReadFloat() {
  const TToken &t = s_->Cur();
  if (t.kind == TTok::Integer)
    return static_cast<double>(s_->Take().integer);
  if (t.kind != TTok::Float)
    s_->Expected("Float");
  return s_->Take().real;
}

bool TReader::ReadBoolean() {
  TValueType v = NextValue();
  if (v != vaTrue && v != vaFalse)
    s_->Expected("Boolean");
  s_->Take();
  return v == vaTrue;
}

void TReader::SkipValue() {
  switch (NextValue()) {
  case vaNull:
    s_->Expected("Value");
  case vaList:
    s_->Take();
    while (!EndOfList())
      SkipValue();
    s_->Take();
    return;
  case vaSet:
    s_->Take();
    while (!IsSymbol(s_->Cur(), ']')) {
      if (s_->Cur().kind == TTok::End)
        s_->SyntaxExpected("']'");
      s_->Take();
    }
    s_->Take();
    return;
  case vaCollection: {
    int depth = 0;
    do {
      const TToken &t = s_->Cur();
      if (t.kind == TTok::End)
        s_->SyntaxExpected("'>'");
      if (IsSymbol(t, '<'))
        ++depth;
      if (IsSymbol(t, '>'))
        --depth;
      s_->Take();
    } while (depth > 0);
    return;
  }
  default:
    s_->Take();
    return;
  }
}

int TReader::Line() const { return s_->Cur().line; }

void TReader::DefineProperty(const std::string &name, TReaderProc readData, TWriterProc, bool) {
  if (s_->definedHandled || !readData || !SameText(name, s_->definedName))
    return;
  s_->definedHandled = true;
  readData(this);
}
