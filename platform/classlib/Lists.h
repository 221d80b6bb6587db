// The class library's lists.
//
// TList<T>: an ordered list of T pointers (not owned) with the list index
// error "List index out of bounds (%d)" and the class library's quicksort.
// TObjectList<T>: a TList that frees the objects it deletes when it owns them.
// TStringList: strings with one object pointer each (not owned).
// TInterfaceList<I>: counted interface references; every call locks the list,
// so it may be used from any thread (Lock/Unlock group several calls).
// TList, TObjectList and TStringList take no lock: their owner guards them.
#pragma once

#include <algorithm>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/classlib/ClassInfo.h"
#include "platform/classlib/Exceptions.h"
#include "platform/com/Unknown.h"

enum TListNotification { lnAdded, lnExtracted, lnDeleted };

template <class T> class TList {
public:
  TList() = default;
  TList(const TList &) = delete;
  TList &operator=(const TList &) = delete;
  virtual ~TList() = default;

  int Count() const { return static_cast<int>(items_.size()); }
  T *Items(int index) const { return items_[Check(index)]; }
  T *operator[](int index) const { return Items(index); }
  void SetItem(int index, T *item) {
    T *&slot = items_[Check(index)];
    if (slot == item)
      return;
    T *old = slot;
    slot = item;
    if (old)
      Notify(old, lnDeleted);
    if (item)
      Notify(item, lnAdded);
  }
  T *First() const { return Items(0); }
  T *Last() const { return Items(Count() - 1); }

  int Add(T *item) {
    items_.push_back(item);
    if (item)
      Notify(item, lnAdded);
    return Count() - 1;
  }
  // index may equal Count (append).
  void Insert(int index, T *item) {
    if (index < 0 || index > Count())
      throw EListError::IndexOutOfBounds(index);
    items_.insert(items_.begin() + index, item);
    if (item)
      Notify(item, lnAdded);
  }
  // Removes entry index, then announces it as deleted.
  void Delete(int index) {
    T *item = items_[Check(index)];
    items_.erase(items_.begin() + index);
    if (item)
      Notify(item, lnDeleted);
  }
  // Deletes the first entry holding item; its former index, or -1.
  int Remove(T *item) {
    int i = IndexOf(item);
    if (i >= 0)
      Delete(i);
    return i;
  }
  // Takes the first entry holding item out without deleting it; item or null.
  T *Extract(T *item) {
    int i = IndexOf(item);
    if (i < 0)
      return nullptr;
    items_.erase(items_.begin() + i);
    if (item)
      Notify(item, lnExtracted);
    return item;
  }
  int IndexOf(const T *item) const {
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
  }
  // Deletes every entry, from the last to the first.
  void Clear() {
    while (!items_.empty())
      Delete(Count() - 1);
  }
  void Exchange(int i, int j) { std::swap(items_[Check(i)], items_[Check(j)]); }
  // Takes the entry at from out and inserts it at to.
  void Move(int from, int to) {
    if (from == to) {
      Check(from);
      return;
    }
    T *item = items_[Check(from)];
    Check(to);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, item);
  }

  // The class library's quicksort (middle pivot, Hoare partition). It does
  // not keep equal entries in order; callers rely on its exact order.
  void Sort(const std::function<int(T *, T *)> &compare) {
    if (Count() > 1)
      QuickSort(0, Count() - 1, compare);
  }

  typename std::vector<T *>::const_iterator begin() const { return items_.begin(); }
  typename std::vector<T *>::const_iterator end() const { return items_.end(); }

protected:
  // Called after an entry was added, extracted or deleted.
  virtual void Notify(T *item, TListNotification action) {
    (void)item;
    (void)action;
  }

  std::vector<T *> items_;

private:
  size_t Check(int index) const {
    if (index < 0 || index >= Count())
      throw EListError::IndexOutOfBounds(index);
    return static_cast<size_t>(index);
  }
  void QuickSort(int l, int r, const std::function<int(T *, T *)> &compare) {
    int i;
    do {
      i = l;
      int j = r;
      T *p = items_[static_cast<size_t>((l + r) / 2)];
      do {
        while (compare(items_[i], p) < 0)
          ++i;
        while (compare(items_[j], p) > 0)
          --j;
        if (i <= j) {
          std::swap(items_[i], items_[j]);
          ++i;
          --j;
        }
      } while (i <= j);
      if (l < j)
        QuickSort(l, j, compare);
      l = i;
    } while (i < r);
  }
};

// Frees T through FreeObject when T is a class-library object, else deletes.
template <class T> void FreeListItem(T *item) {
  if constexpr (std::is_base_of_v<TObject, T>)
    FreeObject(item);
  else
    delete item;
}

template <class T> class TObjectList : public TList<T> {
public:
  explicit TObjectList(bool ownsObjects = true) : ownsObjects_(ownsObjects) {}
  ~TObjectList() override {
    // Clear here: the base destructor no longer reaches Notify.
    this->Clear();
  }

protected:
  void Notify(T *item, TListNotification action) override {
    if (ownsObjects_ && action == lnDeleted)
      FreeListItem(item);
  }

private:
  bool ownsObjects_;
};

class TStringList {
public:
  TStringList() = default;
  TStringList(const TStringList &) = delete;
  TStringList &operator=(const TStringList &) = delete;
  virtual ~TStringList() = default;

  int Count() const { return static_cast<int>(items_.size()); }
  const std::string &Strings(int index) const { return items_[Check(index)].first; }
  void SetString(int index, std::string s) { items_[Check(index)].first = std::move(s); }
  TObject *Objects(int index) const { return items_[Check(index)].second; }
  void SetObject(int index, TObject *obj) { items_[Check(index)].second = obj; }

  int Add(std::string s) { return AddObject(std::move(s), nullptr); }
  int AddObject(std::string s, TObject *obj) {
    items_.emplace_back(std::move(s), obj);
    return Count() - 1;
  }
  // index may equal Count (append).
  void Insert(int index, std::string s, TObject *obj = nullptr) {
    if (index < 0 || index > Count())
      throw EListError::IndexOutOfBounds(index);
    items_.emplace(items_.begin() + index, std::move(s), obj);
  }
  void Delete(int index) {
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(Check(index)));
  }
  void Clear() { items_.clear(); }
  void Exchange(int i, int j) { std::swap(items_[Check(i)], items_[Check(j)]); }
  void Move(int from, int to) {
    auto item = items_[Check(from)];
    Check(to);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, std::move(item));
  }

  // Exact (case-sensitive) comparison; -1 when absent.
  int IndexOf(std::string_view s) const {
    for (int i = 0; i < Count(); ++i)
      if (items_[static_cast<size_t>(i)].first == s)
        return i;
    return -1;
  }
  int IndexOfObject(const TObject *obj) const {
    for (int i = 0; i < Count(); ++i)
      if (items_[static_cast<size_t>(i)].second == obj)
        return i;
    return -1;
  }

private:
  size_t Check(int index) const {
    if (index < 0 || index >= Count())
      throw EListError::IndexOutOfBounds(index);
    return static_cast<size_t>(index);
  }
  std::vector<std::pair<std::string, TObject *>> items_;
};

using TStrings = TStringList;

template <class I> class TInterfaceList {
public:
  TInterfaceList() = default;
  TInterfaceList(const TInterfaceList &) = delete;
  TInterfaceList &operator=(const TInterfaceList &) = delete;

  int Count() const {
    std::lock_guard lock(m_);
    return static_cast<int>(items_.size());
  }
  // A counted copy of entry index; EListError outside the list.
  com::TComPtr<I> Items(int index) const {
    std::lock_guard lock(m_);
    if (index < 0 || index >= static_cast<int>(items_.size()))
      throw EListError::IndexOutOfBounds(index);
    return items_[static_cast<size_t>(index)];
  }
  int Add(com::TComPtr<I> item) {
    std::lock_guard lock(m_);
    items_.push_back(std::move(item));
    return static_cast<int>(items_.size()) - 1;
  }
  int IndexOf(const I *item) const {
    std::lock_guard lock(m_);
    for (size_t i = 0; i < items_.size(); ++i)
      if (items_[i].Get() == item)
        return static_cast<int>(i);
    return -1;
  }
  // Removes the first entry holding item; its former index, or -1.
  int Remove(const I *item) {
    com::TComPtr<I> released; // released after the lock is left
    std::lock_guard lock(m_);
    for (size_t i = 0; i < items_.size(); ++i)
      if (items_[i].Get() == item) {
        released = std::move(items_[i]);
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
        return static_cast<int>(i);
      }
    return -1;
  }
  void Delete(int index) {
    com::TComPtr<I> released;
    std::lock_guard lock(m_);
    if (index < 0 || index >= static_cast<int>(items_.size()))
      throw EListError::IndexOutOfBounds(index);
    released = std::move(items_[static_cast<size_t>(index)]);
    items_.erase(items_.begin() + index);
  }
  void Clear() {
    std::vector<com::TComPtr<I>> released;
    std::lock_guard lock(m_);
    released.swap(items_);
  }
  // Holds the list across several calls (re-entrant).
  void Lock() const { m_.lock(); }
  void Unlock() const { m_.unlock(); }

private:
  mutable std::recursive_mutex m_;
  std::vector<com::TComPtr<I>> items_;
};
