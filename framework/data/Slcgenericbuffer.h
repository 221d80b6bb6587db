// Base of the value wrappers through which handler code reads and computes on
// buffers (TSLCRealBuffer here, the audio and media wrappers on the audio
// side).
//
// A wrapper caches its buffer's data pointer, byte size and item count and
// keeps a list of the data-access objects made from it. Every write opening
// (Write, Modify, SetWrite, SetModify) asks the wrapped buffer to make its
// store unique; only when a new store was made are the caches of the wrapper
// and of every registered access refreshed, so an access keeps seeing the
// wrapper's current samples after a copy-on-write separation, whichever side
// triggered it.
//
// Threads: a wrapper and its accesses are used by one thread at a time, like
// the buffer they wrap; nothing here locks. A wrapper that goes before its
// accesses detaches them: a detached access reads as empty.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/data/SLSimpleDataBuffer.h"

class TSLCDataAccess;

// The accesses registered with a wrapper, in registration order; an access
// may appear more than once. Does not own them.
using TSLAccessList = std::vector<const TSLCDataAccess *>;

class TSLCGenericBuffer {
public:
  TSLCGenericBuffer() = default;
  // A copy starts with no registered access.
  TSLCGenericBuffer(const TSLCGenericBuffer &) {}
  TSLCGenericBuffer &operator=(const TSLCGenericBuffer &) { return *this; }
  virtual ~TSLCGenericBuffer();

  // The wrapped buffer object.
  virtual TSLGenericBuffer *GetPasBuffer() const = 0;
  // Refreshes every registered access, then the own caches.
  virtual void PopulateCahces() const;
  // Item count, asked from the wrapped buffer.
  virtual int GetSize() const = 0;

  // Copy-on-write on the wrapped buffer (with its data when KeepData); the
  // caches are refreshed when a new store was taken.
  void Unique(bool KeepData) const;
  void AddDataAccess(const TSLCDataAccess *Access) const { accesses_.push_back(Access); }
  // Removes every entry of Access.
  void ReleaseDataAccess(const TSLCDataAccess *Access) const;

  uint32_t GetByteSize() const { return byteSize_; }
  // The cached item count.
  int CachedSize() const { return itemCount_; }

protected:
  // Cached data pointer (the wrapped buffer's ByteRead).
  uint8_t *DataReference() const { return data_; }

private:
  mutable uint8_t *data_ = nullptr;
  mutable uint32_t byteSize_ = 0;
  mutable int itemCount_ = 0;
  mutable TSLAccessList accesses_;
};

// A second handle on a wrapper's buffer, with caches of its own.
class TSLCDataAccess {
public:
  // Binds to Wrapper without registering and without filling the caches (a
  // derived constructor does both).
  explicit TSLCDataAccess(const TSLCGenericBuffer &Wrapper) : wrapper_(&Wrapper) {}
  // Binds to the same wrapper, registers and fills the caches.
  TSLCDataAccess(const TSLCDataAccess &Other);
  TSLCDataAccess &operator=(const TSLCDataAccess &) = delete;
  virtual ~TSLCDataAccess();

  // Byte size, item count and data pointer from the wrapper's buffer; all
  // empty once detached. Overrides must accept a detached access
  // (GetWrapper() null).
  virtual void PopulateCache() const;
  virtual const uint8_t *ByteRead() const { return data_; }
  virtual uint8_t *ByteWrite();
  virtual uint8_t *ByteModify();

  // Copy-on-write on the buffer without / with the data.
  void SetWrite();
  void SetModify();
  int GetSize() const { return itemCount_; }
  uint32_t GetByteSize() const { return byteSize_; }
  const TSLCGenericBuffer *GetWrapper() const { return wrapper_; }
  // Called by a wrapper that goes first.
  void Detach() const;

protected:
  // Registers with the wrapper and fills the caches.
  void Register();
  uint8_t *DataReference() const { return data_; }

private:
  void SetUnique(bool KeepData);

  mutable const TSLCGenericBuffer *wrapper_;
  mutable uint8_t *data_ = nullptr;
  mutable uint32_t byteSize_ = 0;
  mutable int itemCount_ = 0;
};
