#include "platform/classlib/Persistent.h"

#include "platform/classlib/ClassBuilder.h"

const TClassInfo &TPersistent::StaticClassInfo() {
  static const TClassInfo &info =
      MakeClassInfo<TPersistent>("TPersistent", &TObject::StaticClassInfo());
  return info;
}

void TPersistent::Assign(TPersistent *source) {
  if (source) {
    source->AssignTo(this);
    return;
  }
  throw EConvertError::CannotAssign("nil", ClassName());
}

void TPersistent::AssignTo(TPersistent *dest) {
  throw EConvertError::CannotAssign(ClassName(), dest ? dest->ClassName() : std::string("nil"));
}

void TPersistent::DefineProperties(TFiler *) {}
