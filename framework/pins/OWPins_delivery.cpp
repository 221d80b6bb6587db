// Operations and their delivery along links and inside state groups.
#include "framework/pins/OWPins.h"

#include <atomic>

#include "framework/pins/OWPins_internal.h"
#include "platform/sys/ScopeExit.h"

namespace {

std::atomic<int64_t> operationCounter{0};

const char *const SelfDependencyMessage =
    "The pin depends on itself. Please protect with functional dependency.";

// Raises the pin's nesting count for one delivery and lowers it again on every
// way out, a handler's exception included: a count left raised by escaping
// exceptions would make the pin refuse every delivery after 200 of them.
class TNesting {
public:
  TNesting(int32_t &count, int32_t limit, TOWWriteSection &section) : count_(count) {
    if (count_ > limit) {
      section.Release();
      throw EOWException(SelfDependencyMessage);
    }
    ++count_;
  }
  ~TNesting() { --count_; }
  TNesting(const TNesting &) = delete;
  TNesting &operator=(const TNesting &) = delete;

private:
  int32_t &count_;
};

} // namespace

TOWNotifyOperation::TOWNotifyOperation() : id_(operationCounter.fetch_add(1) + 1) {}

// ---------------------------------------------------------------------------
// State-group delivery

TOWNotifyResult TOWPin::Notify(IOWNotifyOperation *operation) {
  return NotifyDispatcher(operation, {}, nullptr);
}

TOWNotifyResult TOWPin::NotifyDispatcher(IOWNotifyOperation *operation, TOWNotifyState state,
                                         TOWBasicPin *pin) {
  TOWGlobalReadSection global;
  TOWWriteSection own(this);
  TOWStateDispatcher *group = GetStateGroup();
  if (!group)
    return {};
  std::vector<TOWBasicPin *> members;
  const int count = group->GetPinCount();
  for (int i = 0; i < count; ++i)
    members.push_back(group->GetPin(i));
  for (int i = 0; i < count; ++i) {
    TOWBasicPin *member = members[static_cast<size_t>(i)];
    if (pin) {
      if (member != pin)
        continue;
      state.Include(nsLastIteration);
    } else if (i >= count - 1) {
      state.Include(nsLastIteration);
    }
    if (i == count - 2 && members.back() == this)
      state.Include(nsLastIteration);
    TGUID g = GetStateSubmitID(member);
    TOWSubmit h = GetSubmitFunctionID(g);
    if (h)
      h(static_cast<IOWStream *>(member), &g, operation, state);
  }
  return {};
}

// ---------------------------------------------------------------------------
// Downstream delivery

TOWNotifyResult TOWSourcePin::NotifyPin(TOWBasicPin *pin, IOWNotifyOperation *operation) {
  TOWGlobalReadSection global;
  TOWWriteSection own(this);
  // The fan-out runs over a copy, so links a handler changes do not disturb it.
  TOWSinkPinEntryList copy;
  copy.CopyFromList(entries_);
  TOWNotifyResult result;
  {
    TNesting nesting(nesting_, 200, own);
    result = TOWPin::Notify(operation);
    const int n = copy.Count();
    for (int i = 0; i < n; ++i) {
      TOWPinEntry *e = copy.GetItem(i);
      TOWNotifyState state;
      if (i >= n - 1)
        state.Include(nsLastIteration);
      if ((pin && pin != e->Sink) || !e->Handler)
        continue;
      TOWNotifyResult r;
      {
        TOWWriteSection sink(e->Sink);
        r = e->Handler(static_cast<IOWStream *>(e->Sink), &e->DownStreamType, operation, state);
      }
      if (r.Contains(nrDataChanged)) {
        TOWPinEntry *own = entries_.GetItemByPin(e->Sink);
        if (own && own->ChangeCounter < 10000)
          own->ChangeCounter += 4;
      }
    }
    ReorderChangedData();
  }
  return result;
}

// ---------------------------------------------------------------------------
// Upstream delivery

TOWNotifyResult TOWSinkPin::Notify(IOWNotifyOperation *operation) {
  TOWGlobalReadSection global;
  IOWObjectListPtr locks = GetStreamLocks();
  LockStreamLocks(locks.Get());
  sys::TScopeExit held([&locks] { UnlockStreamLocks(locks.Get()); });
  TOWBasicPin *source = source_;
  TOWSubmit handler = handler_;
  TGUID type = upstreamType_;
  if (source && handler)
    return handler(static_cast<IOWStream *>(source), &type, operation, {nsLastIteration});
  return {};
}

// ---------------------------------------------------------------------------
// New links

void TOWSourcePin::NewConnection(TOWBasicPin *pin) {
  TOWBasicPin *sink = nullptr;
  TOWSubmit handler;
  {
    TOWWriteSection own(this);
    TOWPinEntry *e = entries_.GetItemByPin(pin);
    if (!e)
      return;
    sink = e->Sink;
    handler = e->Handler;
  }
  NewConnection(sink, handler);
}

void TOWSourcePin::NewConnection(TOWBasicPin *pin, const TOWSubmit &handler) {
  if (!handler)
    return;
  TOWWriteSection own(this);
  TNesting nesting(nesting_, 10, own);
  TGUID g = DownStreamFindConnectionID(pin);
  IOWNotifyOperationPtr operation = TOWNotifyOperation::Make();
  handler(static_cast<IOWStream *>(pin), &g, operation.Get(), {nsNewLink, nsLastIteration});
  OWRaisePinChanged(this);
}

// ---------------------------------------------------------------------------
// Reordering

void TOWSourcePin::ReorderChangedData() {
  TOWWriteSection own(this);
  for (TOWPinEntry *e : entries_)
    if (e->ChangeCounter > 0)
      --e->ChangeCounter;
  entries_.Sort([](TOWPinEntry *a, TOWPinEntry *b) { return a->ChangeCounter - b->ChangeCounter; });
  const int n = entries_.Count();
  for (int i = 0; i < n; ++i) {
    TOWBasicPin *after = entries_.GetItem(i)->AfterPin;
    if (!after)
      continue;
    for (int j = 0; j < n; ++j) {
      if (entries_.GetItem(j)->Sink == after) {
        if (i < j)
          entries_.Move(i, j);
        break;
      }
    }
  }
}
