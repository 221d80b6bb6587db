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
#include "platform/sys/ScopeExit.h"

using namespace formtext;

// ---------------------------------------------------------------- TWriter

struct TWriter::TState {
  std::string out;
  int depth = 0;               // indentation level of the current property line
  int openLists = 0;           // lists begun and not yet ended
  int topValues = 0;           // values written outside any list for the current property
  bool inProperty = false;     // between "Name = " and the end of its value
  std::string prefix;          // dotted path of the object whose properties are written
  std::set<TObject *> walking; // objects on the current property path (cycles)

  std::string Indent(int level) const { return std::string(static_cast<size_t>(2 * level), ' '); }
  void Line(int level, const std::string &text) { out += Indent(level) + text + "\n"; }
  void BeginValue() {
    if (openLists > 0) {
      out += "\n" + Indent(depth + openLists);
    } else {
      if (topValues > 0 && !inProperty)
        out += "\n";
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
  if (s_->openLists == 0)
    throw EWriteError("List end without a list");
  --s_->openLists;
  s_->out += ")";
}

void TWriter::WriteIdent(const std::string &ident) {
  bool valid = !ident.empty() && IsIdentStart(ident[0]) && ident.back() != '.' && ident != "NAN" &&
               ident != "INF";
  for (char c : ident)
    valid = valid && IsIdentChar(c);
  if (!valid)
    throw EWriteError("'" + ident + "' is not an identifier");
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
      if (quoted)
        s_->out += '\'';
      quoted = false;
      s_->out += Format("#%d", c);
      continue;
    }
    if (!quoted)
      s_->out += '\'';
    quoted = true;
    s_->out += ch;
    if (ch == '\'')
      s_->out += '\'';
  }
  if (quoted)
    s_->out += '\'';
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
  auto r =
      std::to_chars(buffer, buffer + sizeof buffer, value); // shortest text that reads back exactly
  std::string text(buffer, r.ptr);
  if (text.find_first_of(".e") == std::string::npos)
    text += ".0";
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
    sys::TScopeExit done([c] { c->ExcludeState(csWriting); });
    s_.walking = {c};
    WriteProperties(c, depth + 1, "");
    if (withChildren)
      for (int i = 0; i < c->ComponentCount(); ++i)
        WriteComponent(c->Components(i), depth + 1, false);
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
    if (s_.openLists != 0)
      throw EWriteError("Property " + name + " left a list open");
    if (s_.topValues != 1)
      throw EWriteError(Format("Property %s wrote %d values", name.c_str(), s_.topValues));
    s_.inProperty = false;
    s_.out += "\n";
  }

  void WriteProperties(TObject *obj, int depth, const std::string &prefix) {
    for (const TPropInfo *p : obj->ClassInfo().Properties()) {
      if (p->Kind == tkClass) {
        TObject *value = p->GetObject(obj);
        // Components are written as objects of their own, never as values.
        if (!value || dynamic_cast<TComponent *>(value) || s_.walking.count(value))
          continue;
        if (auto *collection = dynamic_cast<TCollection *>(value)) {
          if (p->Stored ? p->Stored(obj) : collection->Count() > 0)
            WriteCollection(collection, depth, prefix + p->Name);
          continue;
        }
        s_.walking.insert(value);
        WriteProperties(value, depth, prefix + p->Name + ".");
        s_.walking.erase(value);
        continue;
      }
      if (!p->IsStored(obj))
        continue;
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
        throw EWriteError(Format("Property %s has no name for value %lld", p.Name.c_str(),
                                 static_cast<long long>(v)));
      w_.WriteIdent(p.ValueNames[static_cast<size_t>(v)]);
      return;
    }
    case tkSet: {
      auto mask = static_cast<uint64_t>(p.GetOrd(obj));
      std::string text = "[";
      for (size_t i = 0; i < 64 && mask != 0; ++i, mask >>= 1) {
        if (!(mask & 1))
          continue;
        if (i >= p.ValueNames.size())
          throw EWriteError("Property " + p.Name + " holds an element without a name");
        if (text.size() > 1)
          text += ", ";
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

void TWriter::DefineProperty(const std::string &name, TReaderProc, TWriterProc writeData,
                             bool hasData) {
  if (!hasData || !writeData)
    return;
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
