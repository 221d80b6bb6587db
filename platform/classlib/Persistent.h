// Persistent objects: objects whose published properties are stored in form
// streams, with the hook for custom properties (DefineProperties) and the
// class library's assignment protocol.
#pragma once

#include <functional>
#include <string>

#include "platform/classlib/ClassInfo.h"

class TReader;
class TWriter;
class TPersistent;

// The form stream's side of DefineProperties: a TReader or a TWriter.
class TFiler : public TObject {
public:
  using TReaderProc = std::function<void(TReader *)>;
  using TWriterProc = std::function<void(TWriter *)>;

  // Declares a custom property. The reader calls readData when the stream
  // holds a property of this name (readData must read exactly one value);
  // the writer calls writeData when hasData is true (writeData must write
  // exactly one value, a list counting as one).
  virtual void DefineProperty(const std::string &name, TReaderProc readData, TWriterProc writeData,
                              bool hasData) = 0;

  // The component whose form is being read or written; null for a filer
  // over a lone value.
  TComponent *Root() const { return root_; }

protected:
  TComponent *root_ = nullptr;
};

class TPersistent : public TObject {
  CLASSLIB_CLASS(TPersistent)

public:
  // Copies source into this object. The base asks source's AssignTo, whose
  // base raises EConvertError "Cannot assign a <source> to a <this>" (source
  // "nil" when null).
  virtual void Assign(TPersistent *source);

  // Declares the custom properties stored besides the published ones. Runs
  // on every read and write of the object; overrides call the base first.
  virtual void DefineProperties(TFiler *filer);

  // The object this one belongs to for naming purposes (a collection's
  // owner, an item's collection, a component's owner); null by default.
  virtual TPersistent *GetOwner() { return nullptr; }

protected:
  virtual void AssignTo(TPersistent *dest);
};
