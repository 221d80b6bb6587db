// The form stream: a text format for component trees, its reader and
// writer, and the form loader.
//
// Form text:
//   object MainForm: TMainForm
//     Caption = 'Sonvelt'
//     object AudioIn: TALDSAudioIn
//       Enabled = False
//       AudioFormat.Channels = 2
//       OutputPin.SinkPins = (
//         MainForm.VUMeter.InputPin
//         MainForm.AudioLogger.InputPin)
//       OnStart = AudioInStart
//     end
//   end
// Values: identifiers (letters, digits, '_' and '.', not starting with a
// digit or '.'; "nil" is an identifier), strings in single quotes ('' for a
// quote, #nn for a character code between quoted parts: 'a'#13'b'), integers
// (-12), floats (1.5, -2E-3, NAN, INF, -INF), True and False, lists of values
// "( v1 v2 ... )", sets "[a, b]" and collections "< item Prop = v ... end ... >".
// Names of properties may be dotted paths into object properties.
//
// Reading runs on the thread that loads the form (the main thread); a
// reader or writer belongs to one thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/classlib/Component.h"

// The kind of the next value in a stream. vaNull: no value follows (the end
// of a list, of an object or of the stream).
enum TValueType {
  vaNull,
  vaList,
  vaInteger,
  vaExtended,
  vaString,
  vaIdent,
  vaFalse,
  vaTrue,
  vaSet,
  vaCollection
};

namespace classlib_detail {
struct TToken;
}

class TReader : public TFiler {
public:
  // A reader over form text (ReadRootComponent) or over the text of lone
  // values (the value-reading calls). Malformed text raises EParserError
  // naming the line, here or at the first read.
  explicit TReader(std::string_view text);
  ~TReader() override;

  // Peeks at the next value.
  TValueType NextValue() const;
  // True when the next token closes a list.
  bool EndOfList() const;
  void ReadListBegin();
  void ReadListEnd();
  // An identifier; True and False are also read as the identifiers "True"
  // and "False".
  std::string ReadIdent();
  std::string ReadString();
  int32_t ReadInteger(); // ERangeError outside 32 bits
  int64_t ReadInt64();
  double ReadFloat(); // integers are accepted
  bool ReadBoolean();
  // Reads and drops one value of any kind.
  void SkipValue();
  // The line of the next token (1-based).
  int Line() const;

  // DefineProperties protocol: runs readData when name is the property
  // being read.
  void DefineProperty(const std::string &name, TReaderProc readData, TWriterProc writeData,
                      bool hasData) override;

  // Reads "object Name: TClass ... end" into root: see LoadFormText.
  void ReadRootComponent(TComponent *root);

  struct TState; // the reader's inner state (FormStream.cpp)

private:
  std::unique_ptr<TState> s_;
};

class TWriter : public TFiler {
public:
  TWriter();
  ~TWriter() override;

  void WriteListBegin();
  void WriteListEnd();
  // EWriteError for text that is not an identifier.
  void WriteIdent(const std::string &ident);
  void WriteString(const std::string &s);
  void WriteInteger(int64_t value);
  void WriteFloat(double value);
  void WriteBoolean(bool value);

  void DefineProperty(const std::string &name, TReaderProc readData, TWriterProc writeData,
                      bool hasData) override;

  // Writes root as "object Name: TClass", its published properties that are
  // stored (see TPropInfo::IsStored; object properties as dotted paths, then
  // each object's DefineProperties), its DefineProperties, then every
  // component it owns in order, each the same way without children, "end".
  void WriteRootComponent(TComponent *root);

  // The text written so far.
  const std::string &Text() const;

  struct TState; // the writer's inner state (FormStream.cpp)

private:
  std::unique_ptr<TState> s_;
};

// Loads form text into root, which must have the class named in the text's
// header (or a descendant of it) and takes the header's name:
// 1. every "object Name: TClass" inside is created by class name (the class
//    must be registered, see RegisterClass) with root as owner, marked
//    csLoading and named before any of its properties is read;
// 2. properties are read in stream order: a published property of the
//    object (dotted paths walk object properties), else a custom property of
//    its DefineProperties; an event property's value is the name of a
//    published method of root;
// 3. after the whole text, Loaded runs on root and every created component
//    in creation order, then csLoading is cleared on all of them.
// Errors: EClassNotFound for an unknown class, EReadError for an unknown
// property or a bad value, both naming the form, the component and the
// property path; EParserError for malformed text, naming the line. After an
// error the components created by this load are freed again and no Loaded
// runs.
void LoadFormText(TComponent *root, std::string_view text);

// The form text of root (TWriter::WriteRootComponent).
std::string WriteFormText(TComponent *root);
