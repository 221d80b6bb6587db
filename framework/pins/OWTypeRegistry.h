// A registry keyed by stream type whose lookups take no lock.
//
// Deliveries look up the registries on whatever thread they run, while a pin
// made on another thread may still register its stream types (the first buffer
// or audio pin registers them if start-up did not). So entries are never moved
// and values never rewritten in place: an entry, once appended, stays where it
// is until Clear, and every registration publishes a fresh copy of the value
// that readers switch to atomically. A reader therefore keeps a consistent
// value for as long as the registry lives, without a lock. Registrations are
// serialized among themselves. Superseded values are kept until Clear; there
// are a few registrations per stream type in a process, so they cost little.
//
// Clear frees every entry and value: only at shut-down, when no pin exists and
// no other thread can look anything up.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "platform/com/Guid.h"

template <class TValue> class TOWTypeRegistry {
public:
  TOWTypeRegistry() = default;
  TOWTypeRegistry(const TOWTypeRegistry &) = delete;
  TOWTypeRegistry &operator=(const TOWTypeRegistry &) = delete;
  ~TOWTypeRegistry() { Clear(); }

  // The value registered for id, or null. Any thread, no lock; the value stays
  // valid until Clear.
  const TValue *Find(const TGUID &id) const {
    for (const TNode *n = head_.load(std::memory_order_acquire); n;
         n = n->next.load(std::memory_order_acquire))
      if (n->id == id)
        return n->value.load(std::memory_order_acquire);
    return nullptr;
  }

  // Finds the entry of id, or appends one holding a default value, and
  // publishes change applied to a copy of its value. Entries keep the order of
  // their first registration.
  template <class TChange> void Update(const TGUID &id, TChange &&change) {
    std::lock_guard<std::mutex> lock(writers_);
    TNode *node = nullptr;
    for (TNode *n = head_.load(std::memory_order_relaxed); n && !node;
         n = n->next.load(std::memory_order_relaxed))
      if (n->id == id)
        node = n;
    const bool fresh = node == nullptr;
    if (fresh) {
      node = new TNode;
      node->id = id;
    }
    const TValue *current = node->value.load(std::memory_order_relaxed);
    auto next = std::make_unique<TValue>(current ? *current : TValue{});
    change(*next);
    node->value.store(next.get(), std::memory_order_release);
    node->versions.push_back(std::move(next));
    if (fresh) {
      // Published last, with its value in place.
      if (tail_)
        tail_->next.store(node, std::memory_order_release);
      else
        head_.store(node, std::memory_order_release);
      tail_ = node;
      count_.fetch_add(1, std::memory_order_release);
    }
  }

  // The number of entries.
  int Count() const { return count_.load(std::memory_order_acquire); }

  // The stream type of entry index, in registration order; nothing for an
  // index outside the registry.
  std::optional<TGUID> TypeAt(int index) const {
    int i = 0;
    for (const TNode *n = head_.load(std::memory_order_acquire); n;
         n = n->next.load(std::memory_order_acquire), ++i)
      if (i == index)
        return n->id;
    return std::nullopt;
  }

  // Calls fn(id, value) for every entry in registration order; an entry
  // appended meanwhile may or may not be met. Any thread, no lock.
  template <class TFn> void ForEach(TFn &&fn) const {
    for (const TNode *n = head_.load(std::memory_order_acquire); n;
         n = n->next.load(std::memory_order_acquire))
      fn(n->id, *n->value.load(std::memory_order_acquire));
  }

  // Frees every entry. Shut-down only: no reader may run.
  void Clear() {
    std::lock_guard<std::mutex> lock(writers_);
    TNode *n = head_.exchange(nullptr, std::memory_order_acq_rel);
    tail_ = nullptr;
    count_.store(0, std::memory_order_release);
    while (n) {
      TNode *next = n->next.load(std::memory_order_relaxed);
      delete n;
      n = next;
    }
  }

private:
  struct TNode {
    TGUID id;
    std::atomic<const TValue *> value{nullptr};
    std::atomic<TNode *> next{nullptr};
    // Every value this entry has published, the current one last; touched by
    // writers only.
    std::vector<std::unique_ptr<TValue>> versions;
  };

  std::atomic<TNode *> head_{nullptr};
  TNode *tail_ = nullptr; // writers only
  std::atomic<int> count_{0};
  std::mutex writers_;
};
