// Run-time class information of the class library: TObject, the per-class
// record TClassInfo with its published properties, the class registry used to
// create components by class name, and the two-phase creation and destruction
// helpers.
//
// Every class that needs its own class name, published properties or a
// factory declares CLASSLIB_CLASS(TFoo) in its body and defines
// TFoo::StaticClassInfo() in its source (see ClassBuilder.h), or uses
// CLASSLIB_SIMPLE_CLASS(TFoo, TParent) for a class with no properties of its
// own. A class that declares neither reports its nearest declaring ancestor.
// Class information is built on first use; classes that must be found by name
// (form loading) are registered by explicit RegisterClass calls from their
// unit's initialisation, never by static constructors (those are dropped from
// static libraries).
//
// Two-phase life: CreateObject<T>(args) constructs and then calls the virtual
// AfterConstruction; FreeObject(obj) calls the virtual BeforeDestruction and
// then deletes. Set-up and tear-down that call virtual operations of the
// derived class go into those two hooks (a C++ constructor or destructor
// cannot reach the derived class). An override calls its base's hook.
//
// Class records are immutable after construction and may be read from any
// thread; the registry locks itself.
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <typeinfo>
#include <vector>

class TObject;
class TClassInfo;
class TComponent;
class TCollection;
class TCollectionItem;

using TMetaClass = TClassInfo;

// Kinds of published properties. Booleans, enumerations and sets are
// ordinals (a set's value has bit i set for element i); a collection is an
// object property whose value is a TCollection.
enum TTypeKind { tkInteger, tkFloat, tkString, tkBoolean, tkEnumeration, tkSet, tkClass, tkMethod };

// A method bound to its object, as an event property holds it: Handler holds
// a std::function of the event's signature, Name the method's name on the
// root (what the form stream stores).
struct TMethod {
  std::string Name;
  std::any Handler;
};

// An event property's field: the handler and the name of the method it was
// bound to ("" when set in code).
template <class Sig> struct TEvent;
template <class R, class... A> struct TEvent<R(A...)> {
  using Signature = R(A...);
  std::function<R(A...)> Fn;
  std::string MethodName;

  explicit operator bool() const { return static_cast<bool>(Fn); }
  template <class... Args> R operator()(Args &&...args) const {
    return Fn(std::forward<Args>(args)...);
  }
  void Clear() {
    Fn = nullptr;
    MethodName.clear();
  }
};

// One published property. Only the accessors of its kind are set; a property
// without setter is read-only (object properties usually are: the loader
// walks into them).
struct TPropInfo {
  std::string Name;
  TTypeKind Kind = tkInteger;
  const TClassInfo *PropClass = nullptr; // tkClass: the declared class (may be null)
  std::vector<std::string> ValueNames;   // tkEnumeration, tkSet: names by ordinal
  std::optional<int64_t> Default;        // ordinals: the value that is not stored

  std::function<int64_t(TObject *)> GetOrd;
  std::function<void(TObject *, int64_t)> SetOrd;
  std::function<double(TObject *)> GetFloat;
  std::function<void(TObject *, double)> SetFloat;
  std::function<std::string(TObject *)> GetStr;
  std::function<void(TObject *, const std::string &)> SetStr;
  std::function<TObject *(TObject *)> GetObject;
  std::function<void(TObject *, TObject *)> SetObject;
  std::function<std::string(TObject *)> GetMethodName;
  // Raises EReadError when the handler's type does not fit the event.
  std::function<void(TObject *, const TMethod &)> SetMethod;
  // Replaces the default rule when set.
  std::function<bool(TObject *)> Stored;

  bool Writable() const { return SetOrd || SetFloat || SetStr || SetObject || SetMethod; }
  // Whether the writer stores the property of obj: the Stored test when set;
  // else ordinals differ from their default (always stored without one),
  // strings are non-empty, floats non-zero, events bound to a named method.
  // Object properties are walked, not stored themselves: false.
  bool IsStored(TObject *obj) const;
};

class TClassInfo {
public:
  using TComponentFactory = std::function<TComponent *(TComponent *owner)>;
  using TItemFactory = std::function<TCollectionItem *(TCollection *collection)>;
  using TMethodBinder = std::function<std::any(TObject *self)>;

  // Used by ClassBuilder.h's MakeClassInfo; see there.
  TClassInfo(std::string name, const TClassInfo *parent);
  TClassInfo(const TClassInfo &) = delete;
  TClassInfo &operator=(const TClassInfo &) = delete;

  const std::string &ClassName() const { return name_; }
  const TClassInfo *ClassParent() const { return parent_; }
  // A class inherits from itself and from every ancestor.
  bool InheritsFrom(const TClassInfo &other) const;
  // Exact (case-sensitive) name comparison along the ancestor chain.
  bool InheritsFrom(std::string_view className) const;
  // This class's name, then its ancestors' up to TObject.
  std::vector<std::string> AncestorNames() const;

  // Published properties: the ancestors' first, each class's in declaration order.
  const std::vector<const TPropInfo *> &Properties() const { return all_; }
  // Case-insensitive, as the form stream compares names; null when absent.
  const TPropInfo *FindProperty(std::string_view name) const;
  // The published object properties in declaration order.
  std::vector<const TPropInfo *> ObjectProperties() const;

  // Creation by class name; null when the class cannot be created that way.
  const TComponentFactory &ComponentFactory() const { return componentFactory_; }
  const TItemFactory &ItemFactory() const { return itemFactory_; }

  // Published methods, bound to an object of this class (or a descendant)
  // when an event property names them. Looked up case-insensitively along the
  // ancestor chain; an empty std::any when absent.
  std::any BindMethod(TObject *self, std::string_view name) const;
  bool HasMethod(std::string_view name) const;

  // For the builder only.
  TPropInfo &AddProperty(TPropInfo info);
  void SetComponentFactory(TComponentFactory f) { componentFactory_ = std::move(f); }
  void SetItemFactory(TItemFactory f) { itemFactory_ = std::move(f); }
  void AddMethod(std::string name, TMethodBinder binder);

private:
  std::string name_;
  const TClassInfo *parent_;
  std::vector<std::unique_ptr<TPropInfo>> own_;
  std::vector<const TPropInfo *> all_;
  std::vector<std::pair<std::string, TMethodBinder>> methods_;
  TComponentFactory componentFactory_;
  TItemFactory itemFactory_;
};

#define CLASSLIB_CLASS(T)                                                                          \
public:                                                                                            \
  static const ::TClassInfo &StaticClassInfo();                                                    \
  const ::TClassInfo &ClassInfo() const override { return StaticClassInfo(); }

// A class with no properties or methods of its own (a factory is still made
// when the class qualifies; see ClassBuilder.h). Needs ClassBuilder.h included.
#define CLASSLIB_SIMPLE_CLASS(T, Parent)                                                           \
public:                                                                                            \
  static const ::TClassInfo &StaticClassInfo() {                                                   \
    static const ::TClassInfo &info = ::MakeClassInfo<T>(#T, &Parent::StaticClassInfo());          \
    return info;                                                                                   \
  }                                                                                                \
  const ::TClassInfo &ClassInfo() const override { return StaticClassInfo(); }

// The root of every class-library object. Objects have identity: no copies.
class TObject {
public:
  TObject() = default;
  TObject(const TObject &) = delete;
  TObject &operator=(const TObject &) = delete;
  virtual ~TObject() = default;

  static const TClassInfo &StaticClassInfo();
  virtual const TClassInfo &ClassInfo() const { return StaticClassInfo(); }

  const std::string &ClassName() const { return ClassInfo().ClassName(); }
  bool InheritsFrom(const TClassInfo &c) const { return ClassInfo().InheritsFrom(c); }
  bool InheritsFrom(std::string_view className) const {
    return ClassInfo().InheritsFrom(className);
  }

  // Two-phase hooks; see the file comment.
  virtual void AfterConstruction() {}
  virtual void BeforeDestruction() {}
};

// Constructs a T and runs its AfterConstruction. When AfterConstruction
// raises, the object is deleted (without BeforeDestruction) and the exception
// passes on.
template <class T, class... Args> T *CreateObject(Args &&...args) {
  T *obj = new T(std::forward<Args>(args)...);
  try {
    obj->AfterConstruction();
  } catch (...) {
    delete obj;
    throw;
  }
  return obj;
}

// Runs BeforeDestruction, then deletes; null is ignored. When
// BeforeDestruction raises, the object is not freed and the exception passes on.
void FreeObject(TObject *obj);

template <class T> void FreeAndNil(T *&obj) {
  T *p = obj;
  obj = nullptr;
  FreeObject(p);
}

// For owned fields: std::unique_ptr that frees through FreeObject.
struct TObjectDeleter {
  void operator()(TObject *obj) const { FreeObject(obj); }
};
template <class T> using TOwnedPtr = std::unique_ptr<T, TObjectDeleter>;

// The class registry: classes found by name while a form loads.
// Case-insensitive names; registering a name again replaces the entry.
void RegisterClass(const TClassInfo &info);
void UnRegisterClass(const TClassInfo &info);
const TClassInfo *FindClass(std::string_view className);

// ASCII case-insensitive equality, the form stream's rule for names.
bool SameText(std::string_view a, std::string_view b);
