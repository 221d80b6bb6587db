// Framework objects and lock groups.
//
// Every framework object (pins, pin lists, state groups, components' own state
// objects) is a TOWObject. Objects joined by share links (AddShareLock) form a
// lock group and use one re-entrant group lock, a TOWLockObject. Merging or
// splitting groups gives every affected group a fresh lock and carries the held
// entries over to it.
//
// Above every group lock stands OWGlobalLock, the multi-read exclusive-write
// lock that guards the link topology: topology changes take it for writing,
// everything else for reading, always before any object lock. Lock sections
// (IOWLockSection and the stack guards below) take the global lock and an
// object lock together and give both back in reverse order.
//
// Threads: every entry point may be called from any thread. One process-wide
// bookkeeping section guards every object's group-lock reference and counts:
// it is held for a few field accesses by BeginRead/BeginWrite/EndRead/EndWrite
// and for the whole of a merge or split (a single section rather than one per
// object, so that a merge never takes several in an order another merge could
// reverse). AddShareLock, RemoveShareLock and the destructor run under the
// global write lock.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "framework/pins/OWMultiReadLock.h"
#include "platform/classlib/Persistent.h"
#include "platform/com/Unknown.h"

class TOWObject;

// ---------------------------------------------------------------------------
// Lock interfaces

// Holding a reference holds the locks the section took; releasing the last
// reference gives them back.
struct IOWLockSection : public virtual com::IUnknown {
  static constexpr TGUID IID = TGUID::FromLiteral("{01621A5C-9936-4BEB-BF6F-5D6754E65786}");
};
using IOWLockSectionPtr = com::TComPtr<IOWLockSection>;

struct IOWBaseLockObject : public virtual com::IUnknown {
  static constexpr TGUID IID = TGUID::FromLiteral("{581C5EAF-32C2-49FB-9FA4-BED8AEC22B87}");
  virtual void BeginRead() = 0;
  virtual void BeginWrite() = 0;
  virtual void EndRead() = 0;
  virtual void EndWrite() = 0;
  virtual IOWLockSectionPtr ReadLock() = 0;
  virtual IOWLockSectionPtr WriteLock() = 0;
};

class TOWLockObject;

struct IOWLockObject : public IOWBaseLockObject {
  static constexpr TGUID IID = TGUID::FromLiteral("{5DE54E3E-FA36-4275-BF54-62F1DC2926A3}");
  // Two references denote the same lock exactly when their Instances are equal.
  virtual TOWLockObject *Instance() = 0;
};
using IOWLockObjectPtr = com::TComPtr<IOWLockObject>;

// ---------------------------------------------------------------------------
// Group lock

// A re-entrant lock that counts entries rather than tying them to a thread
// handle: the thread that holds it may enter again, and any thread may leave an
// entry (a group's entries move between lock objects when groups change).
class TOWGroupCriticalSection {
public:
  TOWGroupCriticalSection() = default;
  TOWGroupCriticalSection(const TOWGroupCriticalSection &) = delete;
  TOWGroupCriticalSection &operator=(const TOWGroupCriticalSection &) = delete;

  void Enter();
  void Leave();
  int64_t GetEntries() const;

private:
  mutable std::mutex m_;
  std::condition_variable cv_;
  uint32_t owner_ = 0;
  int64_t entries_ = 0;
};

// The lock of one group. Reads and writes are one exclusive, re-entrant lock.
class TOWLockObject final : public com::TInterfacedObject, public IOWLockObject {
public:
  static IOWLockObjectPtr Create();
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<IOWBaseLockObject, IOWLockObject>(this, iid, out);
  }
  ~TOWLockObject() override;

  void BeginRead() override { cs_.Enter(); }
  void BeginWrite() override { cs_.Enter(); }
  void EndRead() override { cs_.Leave(); }
  void EndWrite() override { cs_.Leave(); }
  IOWLockSectionPtr ReadLock() override;
  IOWLockSectionPtr WriteLock() override;
  TOWLockObject *Instance() override { return this; }

  // Entries held now, over all threads.
  int64_t GetEntries() const { return cs_.GetEntries(); }

private:
  TOWGroupCriticalSection cs_;
};

// ---------------------------------------------------------------------------
// Global lock

class TOWGlobalLockObject final : public com::TInterfacedObject,
                                  public IOWBaseLockObject,
                                  public TOWMultiReadExclusiveWriteSynchronizer {
public:
  static com::TComPtr<TOWGlobalLockObject> Create();
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<IOWBaseLockObject>(this, iid, out);
  }

  void BeginRead() override { TOWMultiReadExclusiveWriteSynchronizer::BeginRead(); }
  void BeginWrite() override { TOWMultiReadExclusiveWriteSynchronizer::BeginWrite(); }
  void EndRead() override { TOWMultiReadExclusiveWriteSynchronizer::EndRead(); }
  void EndWrite() override { TOWMultiReadExclusiveWriteSynchronizer::EndWrite(); }
  IOWLockSectionPtr ReadLock() override;
  IOWLockSectionPtr WriteLock() override;
};

// The framework's one global lock; made by OWPinsInitialization before any other
// framework state and freed by OWPinsFinalization after it.
extern TOWGlobalLockObject *OWGlobalLock;

// ---------------------------------------------------------------------------
// Framework object

class TOWObject : public TPersistent {
public:
  TOWObject();
  TOWObject(const TOWObject &) = delete;
  TOWObject &operator=(const TOWObject &) = delete;
  // Unlinks the object from every group, under the global write lock.
  ~TOWObject() override;

  // Count one read or write on the object and enter its group lock, following a
  // replacement of the group lock while waiting. May wait.
  virtual void BeginRead();
  virtual void BeginWrite();
  virtual void EndRead();
  virtual void EndWrite();

  IOWLockSectionPtr ReadLock();
  IOWLockSectionPtr WriteLock();

  // Links other's lock group with this one's. Nothing for null.
  void AddShareLock(TOWObject *other);
  // Removes the share link from this object to other. Nothing for null.
  void RemoveShareLock(TOWObject *other);
  // Appends the whole lock group, depth first from this object.
  void PopulateLockList(std::vector<TOWObject *> &list);
  // Gives the group a fresh lock, carrying every held entry over. Callers hold
  // the global write lock and the private sections of the whole group.
  void RepopulateLock();

  int GetCountReads() const;
  int GetCountWrites() const;

  // The current group lock (for identity tests).
  IOWLockObjectPtr GetGroupLock() const;
  const std::vector<TOWObject *> &GetSharesWith() const { return sharesWith_; }
  const std::vector<TOWObject *> &GetSharedBy() const { return sharedBy_; }

private:
  enum class TAccess { Read, Write };
  void Begin(TAccess access);
  void End(TAccess access);

  IOWLockObjectPtr groupLock_;
  std::vector<TOWObject *> sharesWith_;
  std::vector<TOWObject *> sharedBy_;
  int32_t readCount_ = 0;
  int32_t writeCount_ = 0;
  // Entries made on the current group lock for this object and not yet left.
  // Only these move to a fresh lock; a caller still waiting on a replaced lock
  // leaves it and enters the current one itself.
  int32_t heldReads_ = 0;
  int32_t heldWrites_ = 0;
};

// ---------------------------------------------------------------------------
// Stack guards (the framework's own lock sections) and reference-counted
// sections (IOWLockSection) for callers that keep a section as a value.

// The global lock alone, for reading or writing. After the framework's
// shut-down (no global lock any more) objects still being freed lock nothing.
template <bool Write> class TOWGlobalSection {
public:
  TOWGlobalSection() : lock_(OWGlobalLock) {
    if (lock_)
      Write ? lock_->BeginWrite() : lock_->BeginRead();
  }
  ~TOWGlobalSection() { Release(); }
  TOWGlobalSection(const TOWGlobalSection &) = delete;
  TOWGlobalSection &operator=(const TOWGlobalSection &) = delete;
  void Release() {
    if (!held_)
      return;
    held_ = false;
    if (lock_)
      Write ? lock_->EndWrite() : lock_->EndRead();
  }

private:
  TOWGlobalLockObject *const lock_;
  bool held_ = true;
};
using TOWGlobalReadSection = TOWGlobalSection<false>;
using TOWGlobalWriteSection = TOWGlobalSection<true>;

// Global read, then the object's BeginRead or BeginWrite; given back in reverse.
// A null object takes the global lock only.
template <bool Write> class TOWObjectSection {
public:
  explicit TOWObjectSection(const TOWObject *object) : object_(const_cast<TOWObject *>(object)) {
    if (object_) {
      try {
        if (Write)
          object_->BeginWrite();
        else
          object_->BeginRead();
      } catch (...) {
        global_.Release();
        throw;
      }
    }
  }
  ~TOWObjectSection() { Release(); }
  TOWObjectSection(const TOWObjectSection &) = delete;
  TOWObjectSection &operator=(const TOWObjectSection &) = delete;
  void Release() {
    if (!held_)
      return;
    held_ = false;
    if (object_) {
      if (Write)
        object_->EndWrite();
      else
        object_->EndRead();
    }
    global_.Release();
  }

private:
  TOWGlobalSection<false> global_;
  TOWObject *object_;
  bool held_ = true;
};
using TOWReadSection = TOWObjectSection<false>;
using TOWWriteSection = TOWObjectSection<true>;

// ---------------------------------------------------------------------------
// Reference-counted lock sections: the global lock, then an object's or a lock
// object's entry; given back in reverse order when the last reference goes.

class TOWLockSection : public com::TInterfacedObject, public IOWLockSection {
public:
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<IOWLockSection>(this, iid, out);
  }

protected:
  enum class TGlobal { Read, Write };
  enum class TInner { None, Read, Write };
  TOWLockSection(TGlobal global, TOWObject *object, IOWLockObject *lock, TInner inner);
  ~TOWLockSection() override;

private:
  const TGlobal global_;
  // Objects are not reference-counted: the section is released before its
  // object is destroyed. A lock object is kept alive, and the section leaves
  // that very lock even when the group was given a fresh one meanwhile (its
  // entry is not counted on any object).
  TOWObject *const object_;
  const IOWLockObjectPtr lock_;
  const TInner inner_;
};

// TOWObject::ReadLock / WriteLock.
class TOWReadLockSection final : public TOWLockSection {
public:
  explicit TOWReadLockSection(TOWObject *object)
      : TOWLockSection(TGlobal::Read, object, nullptr, TInner::Read) {}
};
class TOWWriteLockSection final : public TOWLockSection {
public:
  explicit TOWWriteLockSection(TOWObject *object)
      : TOWLockSection(TGlobal::Read, object, nullptr, TInner::Write) {}
};
// TOWLockObject::ReadLock / WriteLock.
class TOWStreamReadLockSection final : public TOWLockSection {
public:
  explicit TOWStreamReadLockSection(IOWLockObject *lock)
      : TOWLockSection(TGlobal::Read, nullptr, lock, TInner::Read) {}
};
class TOWStreamWriteLockSection final : public TOWLockSection {
public:
  explicit TOWStreamWriteLockSection(IOWLockObject *lock)
      : TOWLockSection(TGlobal::Read, nullptr, lock, TInner::Write) {}
};
// TOWGlobalLockObject::ReadLock / WriteLock.
class TOWGlobalReadLockSection final : public TOWLockSection {
public:
  TOWGlobalReadLockSection() : TOWLockSection(TGlobal::Read, nullptr, nullptr, TInner::None) {}
};
class TOWGlobalWriteLockSection final : public TOWLockSection {
public:
  TOWGlobalWriteLockSection() : TOWLockSection(TGlobal::Write, nullptr, nullptr, TInner::None) {}
};

// ---------------------------------------------------------------------------
// Object lists

// A reference-counted, non-owning list of framework objects (a sink's stream
// locks). The count changes by interlocked operations.
struct IOWObjectList : public virtual com::IUnknown {
  virtual void SetItem(int index, TOWObject *object) = 0;
  virtual TOWObject *GetItem(int index) = 0;
  virtual int GetCount() = 0;
  virtual int Add(TOWObject *object) = 0;
};
using IOWObjectListPtr = com::TComPtr<IOWObjectList>;

class TOWObjectList final : public com::TInterfacedObject, public IOWObjectList {
public:
  static com::TComPtr<TOWObjectList> Create();
  void SetItem(int index, TOWObject *object) override;
  TOWObject *GetItem(int index) override;
  int GetCount() override { return static_cast<int>(items_.size()); }
  int Add(TOWObject *object) override;
  // Takes the last item out (for the chain collection of stream locks).
  TOWObject *PopLast();

private:
  std::vector<TOWObject *> items_;
};

// An owning list of object lists, used while upstream lock chains are collected.
class TOWObjectListList {
public:
  int Add(com::TComPtr<TOWObjectList> list);
  void SetItem(int index, com::TComPtr<TOWObjectList> list);
  TOWObjectList *GetItem(int index) const { return items_.at(static_cast<size_t>(index)).Get(); }
  int GetCount() const { return static_cast<int>(items_.size()); }
  void Delete(int index) { items_.erase(items_.begin() + index); }

private:
  std::vector<com::TComPtr<TOWObjectList>> items_;
};
