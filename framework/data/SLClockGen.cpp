#include "framework/data/SLClockGen.h"

#include <algorithm>
#include <thread>

#include "platform/sys/ScopeExit.h"

namespace {

// Unit state. The generator list (generators that new clients join) is
// changed only under the global write lock. The owning registry also holds the
// generators that have left the list but whose thread has not destroyed them
// yet, and is touched by those threads under the global read lock only, hence
// its own mutex; the retired threads (ended by themselves, waiting to be
// joined) share it. The mutex is a leaf: nothing is called while it is held.
// Never destroyed: tearing generators down belongs to SLClockGenFinalization,
// before the framework's own finalization, not to the exit of the process.
struct TUnitState {
  std::mutex mutex;
  std::vector<TSLClockGen *> generatorList;
  std::vector<std::unique_ptr<TSLClockGen>> generators;
  std::vector<std::unique_ptr<TSLClockGenThread>> retiredThreads;
};

TUnitState &Unit() {
  static TUnitState &state = *new TUnitState;
  return state;
}

std::atomic<int32_t> liveThreads{0};

void RetireThread(std::unique_ptr<TSLClockGenThread> thread) {
  std::lock_guard<std::mutex> lock(Unit().mutex);
  Unit().retiredThreads.push_back(std::move(thread));
}

// Joins and frees the retired threads that have ended (never the calling one).
void ReapRetiredThreads() {
  std::vector<std::unique_ptr<TSLClockGenThread>> ended;
  {
    TUnitState &unit = Unit();
    std::lock_guard<std::mutex> lock(unit.mutex);
    auto split =
        std::stable_partition(unit.retiredThreads.begin(), unit.retiredThreads.end(),
                              [](const auto &t) { return !t->Finished() || t->IsCurrentThread(); });
    std::move(split, unit.retiredThreads.end(), std::back_inserter(ended));
    unit.retiredThreads.erase(split, unit.retiredThreads.end());
  }
  for (auto &t : ended)
    t->WaitFor();
}

// Takes the generator out of the registry and destroys it, outside the mutex.
void DestroyGenerator(TSLClockGen *generator) {
  std::unique_ptr<TSLClockGen> owned;
  {
    TUnitState &unit = Unit();
    std::lock_guard<std::mutex> lock(unit.mutex);
    auto it = std::find_if(unit.generators.begin(), unit.generators.end(),
                           [generator](const auto &g) { return g.get() == generator; });
    if (it == unit.generators.end())
      return;
    owned = std::move(*it);
    unit.generators.erase(it);
  }
  owned.reset();
}

bool GeneratorListEmpty() {
  std::lock_guard<std::mutex> lock(Unit().mutex);
  return Unit().generatorList.empty();
}

} // namespace

// ---- client registration -----------------------------------------------------

void TSLClockGenItem::BeginWrite() { generator_->BeginWrite(); }
void TSLClockGenItem::EndWrite() { generator_->EndWrite(); }
void TSLClockGenItem::ThreadedPump() { generator_->Clock(); }

// ---- generator thread --------------------------------------------------------

TSLClockGenThread::TSLClockGenThread(TSLClockGen *generator) : generator_(generator) {
  SetPriority(sys::TThreadPriority::Highest);
  ++liveThreads;
  Start();
}

TSLClockGenThread::~TSLClockGenThread() {
  if (!Finished() && !IsCurrentThread()) {
    sys::TThread::Terminate();
    Pump();
  }
  WaitFor();
}

void TSLClockGenThread::Terminate() {
  sys::TThread::Terminate();
  if (IsCurrentThread())
    return;
  // A refused pump needs no retry: the semaphore is full, so the thread has
  // a tick waiting and sees the flag right after taking it.
  Pump();
  WaitFor();
}

void TSLClockGenThread::Execute() {
  sys::TScopeExit countOut([] { --liveThreads; });
  while (!Terminated()) {
    ticks_.Wait();
    TOWGlobalReadSection global;
    if (Terminated())
      break;
    if (generator_->SyncClock())
      DestroyGenerator(generator_); // marks this thread terminated
  }
}

// ---- generator ---------------------------------------------------------------

TSLClockGen::TSLClockGen(uint32_t Period) : period_(Period) {
  thread_ = std::make_unique<TSLClockGenThread>(this);
}

TSLClockGen::~TSLClockGen() {
  {
    TOWWriteSection section(this);
    // Synchronous: no timer callback touches this generator afterwards.
    sys::TimeKillEvent(timer_);
  }
  if (thread_->IsCurrentThread()) {
    thread_->Terminate();
    RetireThread(std::move(thread_));
  } else {
    thread_->Terminate();
    thread_.reset();
  }
  clients_.clear();
}

void TSLClockGen::Resume() {
  timer_ = sys::TimeSetEvent(period_, [this] { Clock(); });
}

void TSLClockGen::Clock() { thread_->Pump(); }

TSLClockGenItem *TSLClockGen::AddReff(TOWObject *Client, TSLClockGenItem::TCallback Callback) {
  AddShareLock(Client);
  TOWWriteSection section(this);
  clients_.push_back(std::make_shared<TSLClockGenItem>(std::move(Callback), this));
  return clients_.back().get();
}

bool TSLClockGen::RemoveReff(TSLClockGenItem *Item, TOWObject *Client) {
  bool empty;
  {
    TOWWriteSection section(this);
    auto it = std::find_if(clients_.begin(), clients_.end(),
                           [Item](const auto &c) { return c.get() == Item; });
    if (it != clients_.end()) {
      (*it)->removed_ = true;
      clients_.erase(it);
    }
    empty = clients_.empty();
  }
  RemoveShareLock(Client);
  return empty;
}

bool TSLClockGen::SyncClock() {
  TOWWriteSection section(this);
  ++tickNesting_;
  // The tick walks a snapshot, so a client that releases itself (or another)
  // from its callback does not pull the list from under the walk; a released
  // item is skipped from then on.
  const std::vector<std::shared_ptr<TSLClockGenItem>> clients = clients_;
  for (const auto &item : clients) {
    if (item->removed_ || !item->callback_)
      continue;
    try {
      item->callback_();
    } catch (...) {
      // One client's failure must not end the generator's thread: every
      // later tick of every client would be lost.
    }
  }
  --tickNesting_;
  return tickNesting_ == 0 && clients_.empty();
}

// ---- unit functions ------------------------------------------------------------

TSLClockGenItem *SLGetClockGen(uint32_t Period, TSLClockGenItem::TCallback Callback,
                               TOWObject *Client) {
  // The global write lock first: it serialises the generator list between
  // concurrent callers and is what AddShareLock needs anyway, so no read has
  // to be promoted while the list is being looked at.
  TOWGlobalWriteSection global;
  TOWWriteSection client(Client);
  ReapRetiredThreads();
  TSLClockGen *generator = nullptr;
  {
    std::lock_guard<std::mutex> lock(Unit().mutex);
    for (TSLClockGen *g : Unit().generatorList)
      if (g->GetPeriod() == Period) {
        generator = g;
        break;
      }
  }
  if (generator)
    return generator->AddReff(Client, std::move(Callback));
  auto created = std::make_unique<TSLClockGen>(Period);
  generator = created.get();
  {
    TUnitState &unit = Unit();
    std::lock_guard<std::mutex> lock(unit.mutex);
    unit.generators.push_back(std::move(created));
    unit.generatorList.push_back(generator);
  }
  TSLClockGenItem *item = generator->AddReff(Client, std::move(Callback));
  generator->Resume(); // the timer starts once the first client is in
  return item;
}

bool SLReleaseClockGen(TSLClockGenItem *Item, TOWObject *Client) {
  TOWGlobalWriteSection global;
  if (Item) {
    TSLClockGen *generator = Item->GetGenerator();
    if (generator->RemoveReff(Item, Client)) {
      {
        // This thread holds the global write lock, so the tick pumped here
        // (which finds no client and destroys the generator) cannot start
        // before this call has returned.
        TOWWriteSection section(generator);
        generator->Clock();
      }
      std::lock_guard<std::mutex> lock(Unit().mutex);
      std::erase(Unit().generatorList, generator);
    }
  }
  ReapRetiredThreads();
  return GeneratorListEmpty();
}

int32_t SLClockGenLiveThreads() { return liveThreads.load(); }

int SLClockGenCount() {
  std::lock_guard<std::mutex> lock(Unit().mutex);
  return static_cast<int>(Unit().generatorList.size());
}

void SLClockGenFinalization() {
  // Generators still in use would keep their threads alive for ever.
  std::vector<TSLClockGen *> inUse;
  {
    std::lock_guard<std::mutex> lock(Unit().mutex);
    inUse.swap(Unit().generatorList);
  }
  for (TSLClockGen *g : inUse)
    DestroyGenerator(g);
  while (liveThreads.load() > 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ReapRetiredThreads();
}

// ---- stand-alone clock threads ----------------------------------------------

TSLClockThread::TSLClockThread(TCallback callback)
    : TSLCallbackThread(std::move(callback), TWakes::Counted, MaxPendingTicks) {
  Start();
}

TSLClockThread::~TSLClockThread() { Terminate(); }

TSLEventClockThread::TSLEventClockThread(TCallback callback)
    : TSLCallbackThread(std::move(callback), TWakes::Coalesced, 1) {
  Start();
}

TSLEventClockThread::~TSLEventClockThread() { Terminate(); }
