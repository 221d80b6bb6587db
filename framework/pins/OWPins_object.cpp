#include "framework/pins/OWPins_object.h"

#include <algorithm>

TOWGlobalLockObject *OWGlobalLock = nullptr;

// ---------------------------------------------------------------------------
// Group critical section

void TOWGroupCriticalSection::Enter() {
  const uint32_t me = OWCurrentThreadId();
  std::unique_lock<std::mutex> lock(m_);
  cv_.wait(lock, [&] { return entries_ == 0 || owner_ == me; });
  owner_ = me;
  ++entries_;
}

void TOWGroupCriticalSection::Leave() {
  std::lock_guard<std::mutex> lock(m_);
  if (entries_ == 0)
    return;
  if (--entries_ == 0) {
    owner_ = 0;
    cv_.notify_all();
  }
}

int64_t TOWGroupCriticalSection::GetEntries() const {
  std::lock_guard<std::mutex> lock(m_);
  return entries_;
}

// ---------------------------------------------------------------------------
// Reference-counted lock sections

TOWLockSection::TOWLockSection(TGlobal global, TOWObject *object, IOWLockObject *lock, TInner inner)
    : global_(global), object_(object), lock_(lock), inner_(inner) {
  global_ == TGlobal::Read ? OWGlobalLock->BeginRead() : OWGlobalLock->BeginWrite();
  try {
    if (inner_ == TInner::Read)
      object_ ? object_->BeginRead() : lock_->BeginRead();
    else if (inner_ == TInner::Write)
      object_ ? object_->BeginWrite() : lock_->BeginWrite();
  } catch (...) {
    global_ == TGlobal::Read ? OWGlobalLock->EndRead() : OWGlobalLock->EndWrite();
    throw;
  }
}

TOWLockSection::~TOWLockSection() {
  if (inner_ != TInner::None) {
    if (object_)
      inner_ == TInner::Read ? object_->EndRead() : object_->EndWrite();
    else if (lock_)
      inner_ == TInner::Read ? lock_->EndRead() : lock_->EndWrite();
  }
  global_ == TGlobal::Read ? OWGlobalLock->EndRead() : OWGlobalLock->EndWrite();
}

// ---------------------------------------------------------------------------
// TOWLockObject

IOWLockObjectPtr TOWLockObject::Create() { return com::MakeCom<TOWLockObject>(); }

TOWLockObject::~TOWLockObject() {
  // Waits for a holder on another thread before the section goes.
  cs_.Enter();
  cs_.Leave();
}

IOWLockSectionPtr TOWLockObject::ReadLock() { return com::MakeCom<TOWStreamReadLockSection>(this); }
IOWLockSectionPtr TOWLockObject::WriteLock() {
  return com::MakeCom<TOWStreamWriteLockSection>(this);
}

// ---------------------------------------------------------------------------
// TOWGlobalLockObject

com::TComPtr<TOWGlobalLockObject> TOWGlobalLockObject::Create() {
  return com::MakeCom<TOWGlobalLockObject>();
}

IOWLockSectionPtr TOWGlobalLockObject::ReadLock() {
  return com::MakeCom<TOWGlobalReadLockSection>();
}
IOWLockSectionPtr TOWGlobalLockObject::WriteLock() {
  return com::MakeCom<TOWGlobalWriteLockSection>();
}

// ---------------------------------------------------------------------------
// Bookkeeping section: the private section of every object.

namespace {
sys::TCriticalSection &Bookkeeping() {
  static sys::TCriticalSection section;
  return section;
}
} // namespace

namespace {

// BeginWrite on every member in group order; EndWrite on every member in group
// order when it goes.
class TOWGroupWrite {
public:
  explicit TOWGroupWrite(const std::vector<TOWObject *> &group) : group_(group) {
    for (TOWObject *m : group_)
      m->BeginWrite();
  }
  ~TOWGroupWrite() {
    for (TOWObject *m : group_)
      m->EndWrite();
  }
  TOWGroupWrite(const TOWGroupWrite &) = delete;
  TOWGroupWrite &operator=(const TOWGroupWrite &) = delete;

private:
  const std::vector<TOWObject *> &group_;
};

} // namespace

// ---------------------------------------------------------------------------
// TOWObject

TOWObject::TOWObject() : groupLock_(TOWLockObject::Create()) {}

TOWObject::~TOWObject() {
  {
    TOWGlobalWriteSection global;
    TOWWriteSection own(this);
    while (!sharesWith_.empty())
      RemoveShareLock(sharesWith_.back());
    while (!sharedBy_.empty())
      sharedBy_.back()->RemoveShareLock(this);
    own.Release();
    sys::TCriticalSectionLock lock(Bookkeeping());
    readCount_ = 0;
    writeCount_ = 0;
  }
}

void TOWObject::Begin(TAccess access) {
  IOWLockObjectPtr lock;
  {
    sys::TCriticalSectionLock guard(Bookkeeping());
    lock = groupLock_;
    ++(access == TAccess::Read ? readCount_ : writeCount_);
  }
  for (;;) {
    access == TAccess::Read ? lock->BeginRead() : lock->BeginWrite();
    {
      sys::TCriticalSectionLock guard(Bookkeeping());
      if (lock->Instance() == groupLock_->Instance()) {
        ++(access == TAccess::Read ? heldReads_ : heldWrites_);
        return;
      }
    }
    // The group lock was replaced while this call waited: leave the old lock
    // and enter the current one. The count was made once, above.
    access == TAccess::Read ? lock->EndRead() : lock->EndWrite();
    sys::TCriticalSectionLock guard(Bookkeeping());
    lock = groupLock_;
  }
}

void TOWObject::End(TAccess access) {
  IOWLockObjectPtr lock;
  {
    sys::TCriticalSectionLock guard(Bookkeeping());
    lock = groupLock_;
    --(access == TAccess::Read ? readCount_ : writeCount_);
    --(access == TAccess::Read ? heldReads_ : heldWrites_);
  }
  access == TAccess::Read ? lock->EndRead() : lock->EndWrite();
}

void TOWObject::BeginRead() { Begin(TAccess::Read); }
void TOWObject::BeginWrite() { Begin(TAccess::Write); }
void TOWObject::EndRead() { End(TAccess::Read); }
void TOWObject::EndWrite() { End(TAccess::Write); }

IOWLockSectionPtr TOWObject::ReadLock() { return com::MakeCom<TOWReadLockSection>(this); }
IOWLockSectionPtr TOWObject::WriteLock() { return com::MakeCom<TOWWriteLockSection>(this); }

int TOWObject::GetCountReads() const {
  sys::TCriticalSectionLock guard(Bookkeeping());
  return readCount_;
}

int TOWObject::GetCountWrites() const {
  sys::TCriticalSectionLock guard(Bookkeeping());
  return writeCount_;
}

IOWLockObjectPtr TOWObject::GetGroupLock() const {
  sys::TCriticalSectionLock guard(Bookkeeping());
  return groupLock_;
}

void TOWObject::PopulateLockList(std::vector<TOWObject *> &list) {
  list.push_back(this);
  for (TOWObject *o : sharesWith_)
    if (std::find(list.begin(), list.end(), o) == list.end())
      o->PopulateLockList(list);
  for (TOWObject *o : sharedBy_)
    if (std::find(list.begin(), list.end(), o) == list.end())
      o->PopulateLockList(list);
}

void TOWObject::AddShareLock(TOWObject *other) {
  if (!other)
    return;
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  TOWWriteSection others(other);
  if (std::find(sharesWith_.begin(), sharesWith_.end(), other) != sharesWith_.end())
    return;
  other->sharedBy_.push_back(this);
  sharesWith_.push_back(other);
  std::vector<TOWObject *> group;
  PopulateLockList(group);
  sys::TCriticalSectionLock privates(Bookkeeping());
  TOWGroupWrite writes(group);
  RepopulateLock();
  other->RepopulateLock();
}

void TOWObject::RemoveShareLock(TOWObject *other) {
  if (!other)
    return;
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  TOWWriteSection others(other);
  std::vector<TOWObject *> group;
  PopulateLockList(group);
  sys::TCriticalSectionLock privates(Bookkeeping());
  own.Release();
  others.Release();
  TOWGroupWrite writes(group);
  auto drop = [](std::vector<TOWObject *> &v, TOWObject *o) {
    auto it = std::find(v.begin(), v.end(), o);
    if (it != v.end())
      v.erase(it);
  };
  drop(other->sharedBy_, this);
  drop(sharesWith_, other);
  RepopulateLock();
  other->RepopulateLock();
}

void TOWObject::RepopulateLock() {
  std::vector<TOWObject *> group;
  PopulateLockList(group);
  IOWLockObjectPtr fresh = TOWLockObject::Create();
  TOWGroupWrite writes(group);
  int64_t reads = 0, writesHeld = 0;
  for (TOWObject *m : group) {
    reads += m->heldReads_;
    writesHeld += m->heldWrites_;
  }
  for (int64_t i = 0; i < reads; ++i)
    fresh->BeginRead();
  for (int64_t i = 0; i < writesHeld; ++i)
    fresh->BeginWrite();
  for (TOWObject *m : group) {
    IOWLockObjectPtr old = m->groupLock_;
    m->groupLock_ = fresh;
    for (int32_t i = 0; i < m->heldWrites_; ++i)
      old->EndWrite();
    for (int32_t i = 0; i < m->heldReads_; ++i)
      old->EndRead();
  }
}

// ---------------------------------------------------------------------------
// Object lists

com::TComPtr<TOWObjectList> TOWObjectList::Create() { return com::MakeCom<TOWObjectList>(); }

void TOWObjectList::SetItem(int index, TOWObject *object) {
  items_.at(static_cast<size_t>(index)) = object;
}

TOWObject *TOWObjectList::GetItem(int index) { return items_.at(static_cast<size_t>(index)); }

int TOWObjectList::Add(TOWObject *object) {
  items_.push_back(object);
  return static_cast<int>(items_.size()) - 1;
}

TOWObject *TOWObjectList::PopLast() {
  TOWObject *o = items_.back();
  items_.pop_back();
  return o;
}

int TOWObjectListList::Add(com::TComPtr<TOWObjectList> list) {
  items_.push_back(std::move(list));
  return static_cast<int>(items_.size()) - 1;
}

void TOWObjectListList::SetItem(int index, com::TComPtr<TOWObjectList> list) {
  items_.at(static_cast<size_t>(index)) = std::move(list);
}
