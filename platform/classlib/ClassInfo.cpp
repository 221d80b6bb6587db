#include "platform/classlib/ClassInfo.h"

#include <cctype>
#include <mutex>

#include "platform/classlib/ClassBuilder.h"

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

bool TPropInfo::IsStored(TObject *obj) const {
  if (Stored)
    return Stored(obj);
  switch (Kind) {
  case tkInteger:
  case tkBoolean:
  case tkEnumeration:
  case tkSet:
    return !Default || GetOrd(obj) != *Default;
  case tkFloat:
    return GetFloat(obj) != 0.0;
  case tkString:
    return !GetStr(obj).empty();
  case tkMethod:
    return !GetMethodName(obj).empty();
  case tkClass:
    return false;
  }
  return false;
}

TClassInfo::TClassInfo(std::string name, const TClassInfo *parent)
    : name_(std::move(name)), parent_(parent) {
  if (parent_)
    all_ = parent_->all_;
}

bool TClassInfo::InheritsFrom(const TClassInfo &other) const {
  for (const TClassInfo *c = this; c; c = c->parent_)
    if (c == &other)
      return true;
  return false;
}

bool TClassInfo::InheritsFrom(std::string_view className) const {
  for (const TClassInfo *c = this; c; c = c->parent_)
    if (c->name_ == className)
      return true;
  return false;
}

std::vector<std::string> TClassInfo::AncestorNames() const {
  std::vector<std::string> names;
  for (const TClassInfo *c = this; c; c = c->parent_)
    names.push_back(c->name_);
  return names;
}

const TPropInfo *TClassInfo::FindProperty(std::string_view name) const {
  for (const TPropInfo *p : all_)
    if (SameText(p->Name, name))
      return p;
  return nullptr;
}

std::vector<const TPropInfo *> TClassInfo::ObjectProperties() const {
  std::vector<const TPropInfo *> result;
  for (const TPropInfo *p : all_)
    if (p->Kind == tkClass)
      result.push_back(p);
  return result;
}

std::any TClassInfo::BindMethod(TObject *self, std::string_view name) const {
  for (const TClassInfo *c = this; c; c = c->parent_)
    for (const auto &[n, binder] : c->methods_)
      if (SameText(n, name))
        return binder(self);
  return {};
}

bool TClassInfo::HasMethod(std::string_view name) const {
  for (const TClassInfo *c = this; c; c = c->parent_)
    for (const auto &m : c->methods_)
      if (SameText(m.first, name))
        return true;
  return false;
}

TPropInfo &TClassInfo::AddProperty(TPropInfo info) {
  own_.push_back(std::make_unique<TPropInfo>(std::move(info)));
  all_.push_back(own_.back().get());
  return *own_.back();
}

void TClassInfo::AddMethod(std::string name, TMethodBinder binder) {
  methods_.emplace_back(std::move(name), std::move(binder));
}

const TClassInfo &TObject::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TObject>("TObject", nullptr);
  return info;
}

void FreeObject(TObject *obj) {
  if (!obj)
    return;
  obj->BeforeDestruction();
  delete obj;
}

namespace {

struct TRegistry {
  std::mutex m;
  std::vector<const TClassInfo *> classes;
};

TRegistry &Registry() {
  static TRegistry *r =
      new TRegistry; // lives for the process: classes may be looked up during exit
  return *r;
}

} // namespace

void RegisterClass(const TClassInfo &info) {
  TRegistry &r = Registry();
  std::lock_guard lock(r.m);
  for (auto &c : r.classes)
    if (SameText(c->ClassName(), info.ClassName())) {
      c = &info;
      return;
    }
  r.classes.push_back(&info);
}

void UnRegisterClass(const TClassInfo &info) {
  TRegistry &r = Registry();
  std::lock_guard lock(r.m);
  std::erase(r.classes, &info);
}

const TClassInfo *FindClass(std::string_view className) {
  TRegistry &r = Registry();
  std::lock_guard lock(r.m);
  for (const TClassInfo *c : r.classes)
    if (SameText(c->ClassName(), className))
      return c;
  return nullptr;
}
