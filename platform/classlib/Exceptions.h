// The one exception base of the system and the class library's exceptions.
//
// Every failure the system raises derives from Exception (the pin framework's
// EOWException and the media layer's EDSException included); Message() is the
// text a user would see. Format is the class library's printf-style message
// formatter ("%s", "%d", "%u", "%x", "%8p" ...).
#pragma once

#include <exception>
#include <string>

[[gnu::format(printf, 1, 2)]] std::string Format(const char *format, ...);

class Exception : public std::exception {
public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string &Message() const { return message_; }
  const char *what() const noexcept override { return message_.c_str(); }

private:
  std::string message_;
};

// A list index outside the list: "List index out of bounds (%d)".
class EListError : public Exception {
public:
  using Exception::Exception;
  static EListError IndexOutOfBounds(long long index);
};

// An assignment between classes that do not support it:
// "Cannot assign a <source class> to a <destination class>" ("nil" for no source).
class EConvertError : public Exception {
public:
  using Exception::Exception;
  static EConvertError CannotAssign(const std::string &sourceClass, const std::string &destClass);
};

// A failed checked type conversion of an object or interface: "Invalid class typecast".
class EInvalidCast : public Exception {
public:
  EInvalidCast() : Exception("Invalid class typecast") {}
  using Exception::Exception;
};

// A value outside its range (the buffers' index checks carry their own texts).
class ERangeError : public Exception {
public:
  ERangeError() : Exception("Range check error") {}
  using Exception::Exception;
};

// An operation not allowed in the object's present state.
class EInvalidOperation : public Exception {
public:
  using Exception::Exception;
};

// A consistency check that failed. Text() is the check's own text
// ("Assertion failure" unless the check names another), Unit() the source unit
// and Line() the line; Message() is "Text (Unit, line N)".
class EAssertionFailed : public Exception {
public:
  EAssertionFailed(std::string text, std::string unit, int line);
  const std::string &Text() const { return text_; }
  const std::string &Unit() const { return unit_; }
  int Line() const { return line_; }

private:
  std::string text_;
  std::string unit_;
  int line_;
};

// Raises EAssertionFailed when condition is false.
inline void Assert(bool condition, const char *unit, int line,
                   const char *text = "Assertion failure") {
  if (!condition)
    throw EAssertionFailed(text, unit, line);
}

// Component naming and ownership errors ("A component named %s already exists").
class EComponentError : public Exception {
public:
  using Exception::Exception;
};

// Form-stream errors. EFilerError is the base of every reading and writing
// fault; EReadError is raised while reading (an unknown property, a value of
// the wrong kind), EParserError for malformed form text (the message names the
// line), EClassNotFound for a class name no class is registered under,
// EWriteError while writing.
class EFilerError : public Exception {
public:
  using Exception::Exception;
};
class EReadError : public EFilerError {
public:
  using EFilerError::EFilerError;
};
class EParserError : public EReadError {
public:
  using EReadError::EReadError;
};
class EClassNotFound : public EFilerError {
public:
  using EFilerError::EFilerError;
};
class EWriteError : public EFilerError {
public:
  using EFilerError::EFilerError;
};
