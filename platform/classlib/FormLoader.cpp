#include "platform/classlib/FormStream.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <set>
#include <utility>

#include "platform/classlib/Collection.h"
#include "platform/classlib/Exceptions.h"

namespace {

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

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '.'; }
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
      while (i < s.size() && IsIdentChar(s[i])) ++i;
      t.text = std::string(s.substr(b, i - b));
      if (t.text.back() == '.') ParseError("Identifier ends with '.'", line);
      if (t.text == "NAN" || t.text == "INF") {
        t.kind = TTok::Float;
        t.real = t.text == "NAN" ? std::numeric_limits<double>::quiet_NaN() : std::numeric_limits<double>::infinity();
      } else {
        t.kind = TTok::Ident;
      }
    } else if (c == '\'' || c == '#') {
      t.kind = TTok::String;
      while (i < s.size() && (s[i] == '\'' || s[i] == '#')) {
        if (s[i] == '\'') {
          ++i;
          for (;;) {
            if (i >= s.size() || s[i] == '\n' || s[i] == '\r') ParseError("Unterminated string", line);
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
          while (i < s.size() && IsDigit(s[i])) ++i;
          int code = -1;
          if (i > b && i - b <= 3) code = std::stoi(std::string(s.substr(b, i - b)));
          if (code < 0 || code > 255) ParseError("Invalid character code", line);
          t.text += static_cast<char>(code);
        }
      }
    } else if (IsDigit(c) || ((c == '-' || c == '+') && i + 1 < s.size() && (IsDigit(s[i + 1]) || s[i + 1] == 'I'))) {
      size_t b = i;
      if (c == '-' || c == '+') ++i;
      if (s.substr(i, 3) == "INF" && (i + 3 >= s.size() || !IsIdentChar(s[i + 3]))) {
        t.kind = TTok::Float;
        t.real = c == '-' ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
        i += 3;
      } else {
        bool real = false;
        while (i < s.size() && IsDigit(s[i])) ++i;
        if (i < s.size() && s[i] == '.') {
          real = true;
          ++i;
          while (i < s.size() && IsDigit(s[i])) ++i;
        }
        if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
          real = true;
          ++i;
          if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
          if (i >= s.size() || !IsDigit(s[i])) ParseError("Invalid number", line);
          while (i < s.size() && IsDigit(s[i])) ++i;
        }
        if (i < s.size() && (IsIdentStart(s[i]) || s[i] == '.')) ParseError("Invalid number", line);
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
        if (r.ec != std::errc() || r.ptr != last) ParseError("Number out of range: " + text, line);
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
bool IsKeyword(const TToken &t, std::string_view word) { return t.kind == TTok::Ident && SameText(t.text, word); }

} // namespace

// ---------------------------------------------------------------- TReader

struct TReader::TState {
  std::vector<TToken> toks;
  size_t pos = 0;
  // The custom property DefineProperty is looking for while DefineProperties runs.
  std::string definedName;
  bool definedHandled = false;
  std::string formName;
  std::vector<TComponent *> created; // by this load, in creation order
  std::vector<TComponent *> loaded;  // root first, then created

  const TToken &Cur() const { return toks[pos]; }
  const TToken &Take() {
    const TToken &t = toks[pos];
    if (pos + 1 < toks.size()) ++pos;
    return t;
  }
  [[noreturn]] void Expected(const std::string &what) const {
    throw EReadError(what + " expected but " + Describe(Cur()) + Format(" found on line %d", Cur().line));
  }
  void ExpectSymbol(char c) {
    if (!IsSymbol(Cur(), c)) SyntaxExpected(std::string("'") + c + "'");
    Take();
  }
  [[noreturn]] void SyntaxExpected(const std::string &what) const {
    ParseError(what + " expected but " + Describe(Cur()) + " found", Cur().line);
  }
  std::string TakeIdent() {
    if (Cur().kind != TTok::Ident) SyntaxExpected("Identifier");
    return Take().text;
  }
};

TReader::TReader(std::string_view text) : s_(std::make_unique<TState>()) { s_->toks = Tokenize(text); }

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
    if (SameText(t.text, "True")) return vaTrue;
    if (SameText(t.text, "False")) return vaFalse;
    return vaIdent;
  case TTok::Symbol:
    if (t.text[0] == '(') return vaList;
    if (t.text[0] == '[') return vaSet;
    if (t.text[0] == '<') return vaCollection;
    return vaNull;
  }
  return vaNull;
}

bool TReader::EndOfList() const { return IsSymbol(s_->Cur(), ')'); }

void TReader::ReadListBegin() {
  if (!IsSymbol(s_->Cur(), '(')) s_->Expected("List");
  s_->Take();
}

void TReader::ReadListEnd() {
  if (!IsSymbol(s_->Cur(), ')')) s_->Expected("End of list");
  s_->Take();
}

std::string TReader::ReadIdent() {
  if (s_->Cur().kind != TTok::Ident) s_->Expected("Identifier");
  return s_->Take().text;
}

std::string TReader::ReadString() {
  if (s_->Cur().kind != TTok::String) s_->Expected("String");
  return s_->Take().text;
}

int64_t TReader::ReadInt64() {
  if (s_->Cur().kind != TTok::Integer) s_->Expected("Integer");
  return s_->Take().integer;
}

int32_t TReader::ReadInteger() {
  int line = s_->Cur().line;
  int64_t v = ReadInt64();
  if (!std::in_range<int32_t>(v)) throw ERangeError(Format("Integer out of range on line %d", line));
  return static_cast<int32_t>(v);
}

double TReader::ReadFloat() {
  const TToken &t = s_->Cur();
  if (t.kind == TTok::Integer) return static_cast<double>(s_->Take().integer);
  if (t.kind != TTok::Float) s_->Expected("Float");
  return s_->Take().real;
}

bool TReader::ReadBoolean() {
  TValueType v = NextValue();
  if (v != vaTrue && v != vaFalse) s_->Expected("Boolean");
  s_->Take();
  return v == vaTrue;
}

void TReader::SkipValue() {
  switch (NextValue()) {
  case vaNull:
    s_->Expected("Value");
  case vaList:
    s_->Take();
    while (!EndOfList()) SkipValue();
    s_->Take();
    return;
  case vaSet:
    s_->Take();
    while (!IsSymbol(s_->Cur(), ']')) {
      if (s_->Cur().kind == TTok::End) s_->SyntaxExpected("']'");
      s_->Take();
    }
    s_->Take();
    return;
  case vaCollection: {
    int depth = 0;
    do {
      const TToken &t = s_->Cur();
      if (t.kind == TTok::End) s_->SyntaxExpected("'>'");
      if (IsSymbol(t, '<')) ++depth;
      if (IsSymbol(t, '>')) --depth;
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
  if (s_->definedHandled || !readData || !SameText(name, s_->definedName)) return;
  s_->definedHandled = true;
  readData(this);
}

namespace {

// The loader proper: reads objects and properties for a TReader.
class TFormLoader {
public:
  TFormLoader(TReader &reader, TReader::TState &s, TComponent *root) : r_(reader), s_(s), root_(root) {}

  void ReadObjectBody(TComponent *comp, const std::string &compPath) {
    for (;;) {
      const TToken &t = s_.Cur();
      if (IsKeyword(t, "end")) {
        s_.Take();
        return;
      }
      if (IsKeyword(t, "object")) {
        ReadChild();
        continue;
      }
      if (t.kind != TTok::Ident) s_.SyntaxExpected("Property name");
      int line = t.line;
      std::string path = s_.Take().text;
      s_.ExpectSymbol('=');
      ReadProperty(comp, path, compPath, line);
    }
  }

  void ReadChild() {
    s_.Take(); // "object"
    int line = s_.Cur().line;
    std::string name = s_.TakeIdent();
    s_.ExpectSymbol(':');
    std::string className = s_.TakeIdent();
    std::string where = "Error reading " + s_.formName + "." + name + Format(" (line %d): ", line);
    const TClassInfo *cls = FindClass(className);
    if (!cls) throw EClassNotFound(where + "Class " + className + " not found");
    if (!cls->ComponentFactory() || !cls->InheritsFrom(TComponent::StaticClassInfo()))
      throw EClassNotFound(where + "Class " + className + " is not a component class");
    TComponent *c = cls->ComponentFactory()(root_);
    s_.created.push_back(c);
    c->IncludeState(csLoading);
    s_.loaded.push_back(c);
    try {
      c->SetName(name);
    } catch (const EComponentError &e) {
      throw EContextReadError(where + e.Message());
    }
    ReadObjectBody(c, s_.formName + "." + name);
  }

  void ReadProperty(TObject *obj, const std::string &path, const std::string &ownerPath, int line) {
    try {
      ReadPropertyPath(obj, path, ownerPath + "." + path);
    } catch (const EContextReadError &) {
      throw;
    } catch (const EParserError &) {
      throw;
    } catch (const Exception &e) {
      if (!dynamic_cast<const EReadError *>(&e) && !dynamic_cast<const ERangeError *>(&e) &&
          !dynamic_cast<const EConvertError *>(&e) && !dynamic_cast<const EInvalidCast *>(&e))
        throw;
      throw EContextReadError("Error reading " + ownerPath + "." + path + Format(" (line %d): ", line) + e.Message());
    }
  }

private:
  // fullPath names the property in messages ("MainForm.AudioIn.OutputPin.SinkPins").
  void ReadPropertyPath(TObject *obj, const std::string &path, const std::string &fullPath) {
    TObject *target = obj;
    size_t start = 0;
    for (size_t dot; (dot = path.find('.', start)) != std::string::npos; start = dot + 1) {
      std::string seg = path.substr(start, dot - start);
      const TPropInfo *p = target->ClassInfo().FindProperty(seg);
      if (!p) throw EReadError("Property " + seg + " does not exist");
      if (p->Kind != tkClass) throw EReadError("Property " + seg + " is not an object");
      target = p->GetObject(target);
      if (!target) throw EReadError("Property " + seg + " is nil");
    }
    std::string last = path.substr(start);
    if (const TPropInfo *p = target->ClassInfo().FindProperty(last)) {
      ReadValue(target, *p, fullPath);
      return;
    }
    auto *persistent = dynamic_cast<TPersistent *>(target);
    size_t begin = s_.pos;
    r_.SkipValue();
    size_t end = s_.pos;
    s_.pos = begin;
    std::string savedName = std::exchange(s_.definedName, last);
    bool savedHandled = std::exchange(s_.definedHandled, false);
    struct Restore {
      TReader::TState &s;
      std::string name;
      bool handled;
      ~Restore() {
        s.definedName = std::move(name);
        s.definedHandled = handled;
      }
    } restore{s_, std::move(savedName), savedHandled};
    if (persistent) persistent->DefineProperties(&r_);
    if (!s_.definedHandled) throw EReadError("Property " + last + " does not exist");
    if (s_.pos != end) throw EReadError("Property " + last + " was not read as one value");
  }

  void ReadValue(TObject *target, const TPropInfo &p, const std::string &fullPath) {
    auto readOnly = [&] { return EReadError("Property " + p.Name + " is read-only"); };
    switch (p.Kind) {
    case tkInteger: {
      int64_t v = r_.ReadInt64();
      if (!p.SetOrd) throw readOnly();
      p.SetOrd(target, v);
      return;
    }
    case tkBoolean: {
      bool v = r_.ReadBoolean();
      if (!p.SetOrd) throw readOnly();
      p.SetOrd(target, v ? 1 : 0);
      return;
    }
    case tkEnumeration: {
      std::string v = r_.ReadIdent();
      int64_t ord = IndexOfName(p, v);
      if (ord < 0) throw EReadError("Invalid property value " + v);
      if (!p.SetOrd) throw readOnly();
      p.SetOrd(target, ord);
      return;
    }
    case tkSet: {
      if (!IsSymbol(s_.Cur(), '[')) s_.Expected("Set");
      s_.Take();
      int64_t mask = 0;
      while (!IsSymbol(s_.Cur(), ']')) {
        std::string v = s_.TakeIdent();
        int64_t ord = IndexOfName(p, v);
        if (ord < 0 || ord >= 64) throw EReadError("Invalid property value " + v);
        mask |= int64_t(1) << ord;
        if (IsSymbol(s_.Cur(), ',')) {
          s_.Take();
          if (IsSymbol(s_.Cur(), ']')) s_.SyntaxExpected("Identifier");
        } else if (!IsSymbol(s_.Cur(), ']')) {
          s_.SyntaxExpected("','");
        }
      }
      s_.Take();
      if (!p.SetOrd) throw readOnly();
      p.SetOrd(target, mask);
      return;
    }
    case tkFloat: {
      double v = r_.ReadFloat();
      if (!p.SetFloat) throw readOnly();
      p.SetFloat(target, v);
      return;
    }
    case tkString: {
      std::string v = r_.ReadString();
      if (!p.SetStr) throw readOnly();
      p.SetStr(target, v);
      return;
    }
    case tkMethod: {
      std::string name = r_.ReadIdent();
      TMethod m;
      if (!SameText(name, "nil")) {
        m.Name = name;
        if (root_) m.Handler = root_->ClassInfo().BindMethod(root_, name);
        if (!m.Handler.has_value())
          throw EReadError("Method " + name + " not found in " + (root_ ? root_->ClassName() : std::string("nil")));
      }
      p.SetMethod(target, m);
      return;
    }
    case tkClass: {
      TObject *value = p.GetObject(target);
      auto *collection = dynamic_cast<TCollection *>(value);
      if (r_.NextValue() != vaCollection || !collection) throw EReadError("Invalid property value");
      ReadCollection(collection, fullPath);
      return;
    }
    }
  }

  static int64_t IndexOfName(const TPropInfo &p, const std::string &name) {
    for (size_t i = 0; i < p.ValueNames.size(); ++i)
      if (SameText(p.ValueNames[i], name)) return static_cast<int64_t>(i);
    return -1;
  }

  void ReadCollection(TCollection *collection, const std::string &fullPath) {
    s_.Take(); // '<'
    collection->BeginUpdate();
    struct End {
      TCollection *c;
      ~End() { c->EndUpdate(); }
    } end{collection};
    collection->Clear();
    int index = 0;
    while (!IsSymbol(s_.Cur(), '>')) {
      if (!IsKeyword(s_.Cur(), "item")) s_.SyntaxExpected("'item'");
      s_.Take();
      TCollectionItem *item = collection->Add();
      std::string itemPath = fullPath + Format("[%d]", index++);
      for (;;) {
        if (IsKeyword(s_.Cur(), "end")) {
          s_.Take();
          break;
        }
        if (s_.Cur().kind != TTok::Ident) s_.SyntaxExpected("Property name");
        int line = s_.Cur().line;
        std::string prop = s_.Take().text;
        s_.ExpectSymbol('=');
        ReadProperty(item, prop, itemPath, line);
      }
    }
    s_.Take(); // '>'
  }

  TReader &r_;
  TReader::TState &s_;
  TComponent *root_;
};

} // namespace

void TReader::ReadRootComponent(TComponent *root) {
  TState &s = *s_;
  if (!IsKeyword(s.Cur(), "object")) s.SyntaxExpected("'object'");
  s.Take();
  int line = s.Cur().line;
  std::string name = s.TakeIdent();
  s.ExpectSymbol(':');
  std::string className = s.TakeIdent();
  std::string where = "Error reading " + name + Format(" (line %d): ", line);
  bool classMatches = false;
  for (const TClassInfo *c = &root->ClassInfo(); c; c = c->ClassParent())
    classMatches = classMatches || SameText(c->ClassName(), className);
  if (!classMatches) throw EReadError(where + "Form class " + className + " does not match " + root->ClassName());
  try {
    root->SetName(name);
  } catch (const EComponentError &e) {
    throw EReadError(where + e.Message());
  }
  root_ = root;
  s.formName = name;
  s.created.clear();
  s.loaded.assign(1, root);
  root->IncludeState(csLoading);
  try {
    TFormLoader loader(*this, s, root);
    loader.ReadObjectBody(root, name);
    if (s.Cur().kind != TTok::End) s.SyntaxExpected("End of text");
  } catch (...) {
    // Leave root as it was: free what this load created, newest first.
    for (auto it = s.created.rbegin(); it != s.created.rend(); ++it) {
      try {
        FreeObject(*it);
      } catch (...) {
      }
    }
    s.created.clear();
    s.loaded.clear();
    root->ExcludeState(csLoading);
    throw;
  }
  struct ClearLoading {
    std::vector<TComponent *> &loaded;
    ~ClearLoading() {
      for (TComponent *c : loaded) c->ExcludeState(csLoading);
    }
  } clear{s.loaded};
  for (TComponent *c : s.loaded) c->Loaded();
}

void LoadFormText(TComponent *root, std::string_view text) {
  TReader reader(text);
  reader.ReadRootComponent(root);
}

// ---------------------------------------------------------------- TWriter

struct TWriter::TState {
  std::string out;
  int depth = 0;            // indentation level of the current property line
  int openLists = 0;        // lists begun and not yet ended
  int topValues = 0;        // values written outside any list for the current property
  bool inProperty = false;  // between "Name = " and the end of its value
  std::string prefix;       // dotted path of the object whose properties are written
  std::set<TObject *> walking; // objects on the current property path (cycles)

  std::string Indent(int level) const { return std::string(static_cast<size_t>(2 * level), ' '); }
  void Line(int level, const std::string &text) { out += Indent(level) + text + "\n"; }
  void BeginValue() {
    if (openLists > 0) {
      out += "\n" + Indent(depth + openLists);
    } else {
      if (topValues > 0 && !inProperty) out += "\n";
      ++topValues;
    }
  }
};

TWriter::TWriter() : s_(std::make_unique<TState>()) {}

TWriter::~TWriter() = default;

const std::string &TWriter::Text() const { return s_->out; }

void TWriter::WriteListBegin() {
  s_->BeginValue();
  s_->out += "(";
  ++s_->openLists;
}

void TWriter::WriteListEnd() {
  if (s_->openLists == 0) throw EWriteError("List end without a list");
  --s_->openLists;
  s_->out += ")";
}

void TWriter::WriteIdent(const std::string &ident) {
  bool valid = !ident.empty() && IsIdentStart(ident[0]) && ident.back() != '.' && ident != "NAN" && ident != "INF";
  for (char c : ident) valid = valid && IsIdentChar(c);
  if (!valid) throw EWriteError("'" + ident + "' is not an identifier");
  s_->BeginValue();
  s_->out += ident;
}

void TWriter::WriteString(const std::string &text) {
  s_->BeginValue();
  if (text.empty()) {
    s_->out += "''";
    return;
  }
  bool quoted = false;
  for (char ch : text) {
    auto c = static_cast<unsigned char>(ch);
    if (c < 32 || c == 127) {
      if (quoted) s_->out += '\'';
      quoted = false;
      s_->out += Format("#%d", c);
      continue;
    }
    if (!quoted) s_->out += '\'';
    quoted = true;
    s_->out += ch;
    if (ch == '\'') s_->out += '\'';
  }
  if (quoted) s_->out += '\'';
}

void TWriter::WriteInteger(int64_t value) {
  s_->BeginValue();
  s_->out += std::to_string(value);
}

void TWriter::WriteFloat(double value) {
  s_->BeginValue();
  if (std::isnan(value)) {
    s_->out += "NAN";
    return;
  }
  if (std::isinf(value)) {
    s_->out += value < 0 ? "-INF" : "INF";
    return;
  }
  char buffer[64];
  auto r = std::to_chars(buffer, buffer + sizeof buffer, value); // shortest text that reads back exactly
  std::string text(buffer, r.ptr);
  if (text.find_first_of(".e") == std::string::npos) text += ".0";
  s_->out += text;
}

void TWriter::WriteBoolean(bool value) {
  s_->BeginValue();
  s_->out += value ? "True" : "False";
}

namespace {

class TFormWriter {
public:
  TFormWriter(TWriter &w, TWriter::TState &s) : w_(w), s_(s) {}

  void WriteComponent(TComponent *c, int depth, bool withChildren) {
    s_.Line(depth, "object " + c->Name() + ": " + c->ClassName());
    c->IncludeState(csWriting);
    struct Done {
      TComponent *c;
      ~Done() { c->ExcludeState(csWriting); }
    } done{c};
    s_.walking = {c};
    WriteProperties(c, depth + 1, "");
    if (withChildren)
      for (int i = 0; i < c->ComponentCount(); ++i) WriteComponent(c->Components(i), depth + 1, false);
    s_.Line(depth, "end");
  }

  // The property "Name = " starts; the caller writes exactly one value.
  void BeginProperty(int depth, const std::string &name) {
    s_.out += s_.Indent(depth) + name + " = ";
    s_.depth = depth;
    s_.openLists = 0;
    s_.topValues = 0;
    s_.inProperty = true;
  }
  void EndProperty(const std::string &name) {
    if (s_.openLists != 0) throw EWriteError("Property " + name + " left a list open");
    if (s_.topValues != 1) throw EWriteError(Format("Property %s wrote %d values", name.c_str(), s_.topValues));
    s_.inProperty = false;
    s_.out += "\n";
  }

  void WriteProperties(TObject *obj, int depth, const std::string &prefix) {
    for (const TPropInfo *p : obj->ClassInfo().Properties()) {
      if (p->Kind == tkClass) {
        TObject *value = p->GetObject(obj);
        // Components are written as objects of their own, never as values.
        if (!value || dynamic_cast<TComponent *>(value) || s_.walking.count(value)) continue;
        if (auto *collection = dynamic_cast<TCollection *>(value)) {
          if (p->Stored ? p->Stored(obj) : collection->Count() > 0) WriteCollection(collection, depth, prefix + p->Name);
          continue;
        }
        s_.walking.insert(value);
        WriteProperties(value, depth, prefix + p->Name + ".");
        s_.walking.erase(value);
        continue;
      }
      if (!p->IsStored(obj)) continue;
      std::string name = prefix + p->Name;
      BeginProperty(depth, name);
      WriteValue(obj, *p);
      EndProperty(name);
    }
    if (auto *persistent = dynamic_cast<TPersistent *>(obj)) {
      std::string saved = std::exchange(s_.prefix, prefix);
      int savedDepth = s_.depth;
      s_.depth = depth;
      persistent->DefineProperties(&w_);
      s_.prefix = saved;
      s_.depth = savedDepth;
    }
  }

  void WriteCollection(TCollection *collection, int depth, const std::string &name) {
    s_.out += s_.Indent(depth) + name + " = <";
    for (int i = 0; i < collection->Count(); ++i) {
      TCollectionItem *item = collection->Items(i);
      s_.out += "\n" + s_.Indent(depth + 1) + "item\n";
      s_.walking.insert(item);
      WriteProperties(item, depth + 2, "");
      s_.walking.erase(item);
      s_.out += s_.Indent(depth + 1) + "end";
    }
    s_.out += ">\n";
  }

  void WriteValue(TObject *obj, const TPropInfo &p) {
    switch (p.Kind) {
    case tkInteger:
      w_.WriteInteger(p.GetOrd(obj));
      return;
    case tkBoolean:
      w_.WriteBoolean(p.GetOrd(obj) != 0);
      return;
    case tkEnumeration: {
      int64_t v = p.GetOrd(obj);
      if (v < 0 || v >= static_cast<int64_t>(p.ValueNames.size()))
        throw EWriteError(Format("Property %s has no name for value %lld", p.Name.c_str(), static_cast<long long>(v)));
      w_.WriteIdent(p.ValueNames[static_cast<size_t>(v)]);
      return;
    }
    case tkSet: {
      auto mask = static_cast<uint64_t>(p.GetOrd(obj));
      std::string text = "[";
      for (size_t i = 0; i < 64 && mask != 0; ++i, mask >>= 1) {
        if (!(mask & 1)) continue;
        if (i >= p.ValueNames.size()) throw EWriteError("Property " + p.Name + " holds an element without a name");
        if (text.size() > 1) text += ", ";
        text += p.ValueNames[i];
      }
      s_.BeginValue();
      s_.out += text + "]";
      return;
    }
    case tkFloat:
      w_.WriteFloat(p.GetFloat(obj));
      return;
    case tkString:
      w_.WriteString(p.GetStr(obj));
      return;
    case tkMethod:
      w_.WriteIdent(p.GetMethodName(obj));
      return;
    case tkClass:
      return;
    }
  }

private:
  TWriter &w_;
  TWriter::TState &s_;
};

} // namespace

void TWriter::DefineProperty(const std::string &name, TReaderProc, TWriterProc writeData, bool hasData) {
  if (!hasData || !writeData) return;
  TFormWriter form(*this, *s_);
  std::string full = s_->prefix + name;
  form.BeginProperty(s_->depth, full);
  writeData(this);
  form.EndProperty(full);
}

void TWriter::WriteRootComponent(TComponent *root) {
  root_ = root;
  TFormWriter form(*this, *s_);
  form.WriteComponent(root, 0, true);
}

std::string WriteFormText(TComponent *root) {
  TWriter writer;
  writer.WriteRootComponent(root);
  return writer.Text();
}
