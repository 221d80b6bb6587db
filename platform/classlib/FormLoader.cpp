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

namespace {

// The loader proper: reads objects and properties for a TReader.
class TFormLoader {
public:
  TFormLoader(TReader &reader, TReader::TState &s, TComponent *root)
      : r_(reader), s_(s), root_(root) {}

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
      if (t.kind != TTok::Ident)
        s_.SyntaxExpected("Property name");
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
    if (!cls)
      throw EClassNotFound(where + "Class " + className + " not found");
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
      throw EContextReadError("Error reading " + ownerPath + "." + path +
                              Format(" (line %d): ", line) + e.Message());
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
      if (!p)
        throw EReadError("Property " + seg + " does not exist");
      if (p->Kind != tkClass)
        throw EReadError("Property " + seg + " is not an object");
      target = p->GetObject(target);
      if (!target)
        throw EReadError("Property " + seg + " is nil");
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
    sys::TScopeExit restore([&] {
      s_.definedName = std::move(savedName);
      s_.definedHandled = savedHandled;
    });
    if (persistent)
      persistent->DefineProperties(&r_);
    if (!s_.definedHandled)
      throw EReadError("Property " + last + " does not exist");
    if (s_.pos != end)
      throw EReadError("Property " + last + " was not read as one value");
  }

  void ReadValue(TObject *target, const TPropInfo &p, const std::string &fullPath) {
    auto readOnly = [&] { return EReadError("Property " + p.Name + " is read-only"); };
    switch (p.Kind) {
    case tkInteger: {
      int64_t v = r_.ReadInt64();
      if (!p.SetOrd)
        throw readOnly();
      p.SetOrd(target, v);
      return;
    }
    case tkBoolean: {
      bool v = r_.ReadBoolean();
      if (!p.SetOrd)
        throw readOnly();
      p.SetOrd(target, v ? 1 : 0);
      return;
    }
    case tkEnumeration: {
      std::string v = r_.ReadIdent();
      int64_t ord = IndexOfName(p, v);
      if (ord < 0)
        throw EReadError("Invalid property value " + v);
      if (!p.SetOrd)
        throw readOnly();
      p.SetOrd(target, ord);
      return;
    }
    case tkSet: {
      if (!IsSymbol(s_.Cur(), '['))
        s_.Expected("Set");
      s_.Take();
      int64_t mask = 0;
      while (!IsSymbol(s_.Cur(), ']')) {
        std::string v = s_.TakeIdent();
        int64_t ord = IndexOfName(p, v);
        if (ord < 0 || ord >= 64)
          throw EReadError("Invalid property value " + v);
        mask |= int64_t(1) << ord;
        if (IsSymbol(s_.Cur(), ',')) {
          s_.Take();
          if (IsSymbol(s_.Cur(), ']'))
            s_.SyntaxExpected("Identifier");
        } else if (!IsSymbol(s_.Cur(), ']')) {
          s_.SyntaxExpected("','");
        }
      }
      s_.Take();
      if (!p.SetOrd)
        throw readOnly();
      p.SetOrd(target, mask);
      return;
    }
    case tkFloat: {
      double v = r_.ReadFloat();
      if (!p.SetFloat)
        throw readOnly();
      p.SetFloat(target, v);
      return;
    }
    case tkString: {
      std::string v = r_.ReadString();
      if (!p.SetStr)
        throw readOnly();
      p.SetStr(target, v);
      return;
    }
    case tkMethod: {
      std::string name = r_.ReadIdent();
      TMethod m;
      if (!SameText(name, "nil")) {
        m.Name = name;
        if (root_)
          m.Handler = root_->ClassInfo().BindMethod(root_, name);
        if (!m.Handler.has_value())
          throw EReadError("Method " + name + " not found in " +
                           (root_ ? root_->ClassName() : std::string("nil")));
      }
      p.SetMethod(target, m);
      return;
    }
    case tkClass: {
      TObject *value = p.GetObject(target);
      auto *collection = dynamic_cast<TCollection *>(value);
      if (r_.NextValue() != vaCollection || !collection)
        throw EReadError("Invalid property value");
      ReadCollection(collection, fullPath);
      return;
    }
    }
  }

  static int64_t IndexOfName(const TPropInfo &p, const std::string &name) {
    for (size_t i = 0; i < p.ValueNames.size(); ++i)
      if (SameText(p.ValueNames[i], name))
        return static_cast<int64_t>(i);
    return -1;
  }

  void ReadCollection(TCollection *collection, const std::string &fullPath) {
    s_.Take(); // '<'
    collection->BeginUpdate();
    sys::TScopeExit end([collection] { collection->EndUpdate(); });
    collection->Clear();
    int index = 0;
    while (!IsSymbol(s_.Cur(), '>')) {
      if (!IsKeyword(s_.Cur(), "item"))
        s_.SyntaxExpected("'item'");
      s_.Take();
      TCollectionItem *item = collection->Add();
      std::string itemPath = fullPath + Format("[%d]", index++);
      for (;;) {
        if (IsKeyword(s_.Cur(), "end")) {
          s_.Take();
          break;
        }
        if (s_.Cur().kind != TTok::Ident)
          s_.SyntaxExpected("Property name");
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
  if (!IsKeyword(s.Cur(), "object"))
    s.SyntaxExpected("'object'");
  s.Take();
  int line = s.Cur().line;
  std::string name = s.TakeIdent();
  s.ExpectSymbol(':');
  std::string className = s.TakeIdent();
  std::string where = "Error reading " + name + Format(" (line %d): ", line);
  bool classMatches = false;
  for (const TClassInfo *c = &root->ClassInfo(); c; c = c->ClassParent())
    classMatches = classMatches || SameText(c->ClassName(), className);
  if (!classMatches)
    throw EReadError(where + "Form class " + className + " does not match " + root->ClassName());
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
    if (s.Cur().kind != TTok::End)
      s.SyntaxExpected("End of text");
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
  sys::TScopeExit clear([&loaded = s.loaded] {
    for (TComponent *c : loaded)
      c->ExcludeState(csLoading);
  });
  for (TComponent *c : s.loaded)
    c->Loaded();
}

void LoadFormText(TComponent *root, std::string_view text) {
  TReader reader(text);
  reader.ReadRootComponent(root);
}
