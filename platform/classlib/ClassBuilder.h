// Building class records: the published properties and methods of a class,
// declared in order in the class's StaticClassInfo():
//
//   const TClassInfo &TMeter::StaticClassInfo() {
//     static const TClassInfo &info = MakeClassInfo<TMeter>("TMeter",
//     &TComponent::StaticClassInfo(),
//       [](TClassBuilder<TMeter> &c) {
//         c.Integer("Interval", &TMeter::GetInterval, &TMeter::SetInterval, 100);
//         c.Boolean("Enabled", &TMeter::FEnabled, &TMeter::FEnabled, true);
//         c.Object("InputPin", &TMeter::GetInputPin);
//         c.Event("OnValue", &TMeter::FOnValue);
//       });
//     return info;
//   }
//
// Getters and setters are member functions, data members or callables taking
// the object (T&). A null setter (nullptr) makes the property read-only.
// MakeClassInfo also gives the class a component factory when T is a
// concrete TComponent constructible from (TComponent* owner), and an item
// factory when T is a concrete TCollectionItem constructible from
// (TCollection*); both create through CreateObject.
#pragma once

#include <concepts>
#include <functional>
#include <type_traits>
#include <utility>

#include "platform/classlib/ClassInfo.h"
#include "platform/classlib/Collection.h"
#include "platform/classlib/Component.h"
#include "platform/classlib/Exceptions.h"

namespace classlib_detail {

template <class T, class G> decltype(auto) Get(G &get, TObject *obj) {
  return std::invoke(get, *static_cast<T *>(obj));
}

template <class T, class S, class V> void Set(S &set, TObject *obj, V &&value) {
  T &self = *static_cast<T *>(obj);
  if constexpr (std::is_member_object_pointer_v<S>) {
    using Field = std::remove_cvref_t<decltype(self.*set)>;
    self.*set = static_cast<Field>(value);
  } else {
    std::invoke(set, self, std::forward<V>(value));
  }
}

template <class Sig> struct MethodBinder;
template <class R, class... A> struct MethodBinder<R(A...)> {
  template <class T, class M> static std::function<R(A...)> Bind(T *self, M method) {
    return [self, method](A... args) -> R {
      return std::invoke(method, self, std::forward<A>(args)...);
    };
  }
};

} // namespace classlib_detail

template <class T> class TClassBuilder {
public:
  explicit TClassBuilder(TClassInfo &info) : info_(info) {}

  // Integer properties (any integral type). A value that does not fit the
  // getter's type raises ERangeError when set.
  template <class G, class S>
  TClassBuilder &Integer(std::string name, G get, S set, std::optional<int64_t> def = {}) {
    return Ordinal(std::move(name), tkInteger, get, set, def, {});
  }
  template <class G, class S>
  TClassBuilder &Boolean(std::string name, G get, S set, std::optional<bool> def = {}) {
    std::optional<int64_t> d;
    if (def)
      d = *def ? 1 : 0;
    return Ordinal(std::move(name), tkBoolean, get, set, d, {});
  }
  // Enumerations: values are ordinals 0..n-1, named by names.
  template <class G, class S>
  TClassBuilder &Enumeration(std::string name, G get, S set, std::vector<std::string> names,
                             std::optional<int64_t> def = {}) {
    return Ordinal(std::move(name), tkEnumeration, get, set, def, std::move(names));
  }
  // Sets: the value's bit i stands for element names[i]; the getter and
  // setter work on the bit mask (an unsigned integer type).
  template <class G, class S>
  TClassBuilder &Set(std::string name, G get, S set, std::vector<std::string> names,
                     std::optional<int64_t> def = 0) {
    return Ordinal(std::move(name), tkSet, get, set, def, std::move(names));
  }

  template <class G, class S> TClassBuilder &Float(std::string name, G get, S set) {
    TPropInfo p;
    p.Name = std::move(name);
    p.Kind = tkFloat;
    p.GetFloat = [get](TObject *o) { return static_cast<double>(classlib_detail::Get<T>(get, o)); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetFloat = [set](TObject *o, double v) mutable { classlib_detail::Set<T>(set, o, v); };
    return Add(std::move(p));
  }

  template <class G, class S> TClassBuilder &String(std::string name, G get, S set) {
    TPropInfo p;
    p.Name = std::move(name);
    p.Kind = tkString;
    p.GetStr = [get](TObject *o) { return std::string(classlib_detail::Get<T>(get, o)); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetStr = [set](TObject *o, const std::string &v) mutable {
        classlib_detail::Set<T>(set, o, v);
      };
    return Add(std::move(p));
  }

  // Object properties: the getter returns a pointer to a TObject descendant.
  // A setter (usually an Assign into an owned object) is optional.
  template <class G, class S = std::nullptr_t>
  TClassBuilder &Object(std::string name, G get, S set = nullptr) {
    using Ptr = std::remove_cvref_t<decltype(classlib_detail::Get<T>(
        get, static_cast<TObject *>(nullptr)))>;
    using U = std::remove_pointer_t<Ptr>;
    static_assert(std::is_base_of_v<TObject, U>, "object properties hold TObject descendants");
    TPropInfo p;
    p.Name = std::move(name);
    p.Kind = tkClass;
    p.PropClass = &U::StaticClassInfo();
    p.GetObject = [get](TObject *o) -> TObject * { return classlib_detail::Get<T>(get, o); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetObject = [set](TObject *o, TObject *v) mutable {
        U *value = v ? dynamic_cast<U *>(v) : nullptr;
        if (v && !value)
          throw EInvalidCast();
        classlib_detail::Set<T>(set, o, value);
      };
    return Add(std::move(p));
  }

  // Event properties over a TEvent<Sig> data member.
  template <class Sig> TClassBuilder &Event(std::string name, TEvent<Sig> T::*field) {
    TPropInfo p;
    p.Name = name;
    p.Kind = tkMethod;
    p.GetMethodName = [field](TObject *o) { return (static_cast<T *>(o)->*field).MethodName; };
    p.SetMethod = [field, name](TObject *o, const TMethod &m) {
      TEvent<Sig> &ev = static_cast<T *>(o)->*field;
      if (!m.Handler.has_value()) {
        ev.Clear();
        return;
      }
      const auto *fn = std::any_cast<std::function<Sig>>(&m.Handler);
      if (!fn)
        throw EReadError("Method " + m.Name + " does not match event " + name);
      ev.Fn = *fn;
      ev.MethodName = m.Name;
    };
    return Add(std::move(p));
  }

  // A published method of the class, bound by name to event properties while
  // a form loads (on the root).
  template <class Sig, class M> TClassBuilder &Method(std::string name, M method) {
    info_.AddMethod(std::move(name), [method](TObject *self) -> std::any {
      return classlib_detail::MethodBinder<Sig>::Bind(static_cast<T *>(self), method);
    });
    return *this;
  }

  // Replaces the default storage rule of the property declared last.
  TClassBuilder &Stored(std::function<bool(T &)> stored) {
    last_->Stored = [stored](TObject *o) { return stored(*static_cast<T *>(o)); };
    return *this;
  }

private:
  template <class G, class S>
  TClassBuilder &Ordinal(std::string name, TTypeKind kind, G get, S set, std::optional<int64_t> def,
                         std::vector<std::string> names) {
    using V = std::remove_cvref_t<decltype(classlib_detail::Get<T>(
        get, static_cast<TObject *>(nullptr)))>;
    TPropInfo p;
    p.Name = std::move(name);
    p.Kind = kind;
    p.Default = def;
    p.ValueNames = std::move(names);
    p.GetOrd = [get](TObject *o) { return static_cast<int64_t>(classlib_detail::Get<T>(get, o)); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetOrd = [set](TObject *o, int64_t v) mutable {
        if constexpr (std::is_integral_v<V> && !std::is_same_v<V, bool>) {
          if (!std::in_range<V>(v))
            throw ERangeError();
        }
        classlib_detail::Set<T>(set, o, static_cast<V>(v));
      };
    return Add(std::move(p));
  }

  TClassBuilder &Add(TPropInfo p) {
    last_ = &info_.AddProperty(std::move(p));
    return *this;
  }

  TClassInfo &info_;
  TPropInfo *last_ = nullptr;
};

struct TNoClassMembers {
  template <class B> void operator()(B &) const {}
};

// Builds the class record of T once; keep the result in a function-local
// static reference (the record lives for the whole process).
template <class T, class Define = TNoClassMembers>
const TClassInfo &MakeClassInfo(std::string name, const TClassInfo *parent, Define define = {}) {
  auto *info = new TClassInfo(std::move(name), parent);
  TClassBuilder<T> builder(*info);
  define(builder);
  if constexpr (std::is_base_of_v<TComponent, T> && !std::is_abstract_v<T> &&
                std::is_constructible_v<T, TComponent *>)
    info->SetComponentFactory(
        [](TComponent *owner) -> TComponent * { return CreateObject<T>(owner); });
  if constexpr (std::is_base_of_v<TCollectionItem, T> && !std::is_abstract_v<T> &&
                std::is_constructible_v<T, TCollection *>)
    info->SetItemFactory([](TCollection *c) -> TCollectionItem * { return CreateObject<T>(c); });
  return *info;
}
