#include <ctime>
#include <thread>

#include "platform/media/Internal.h"

namespace media {

using com::E_INVALIDARG;
using com::E_POINTER;
using com::S_FALSE;
using com::S_OK;

namespace {

REFERENCE_TIME MonotonicNow() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<REFERENCE_TIME>(ts.tv_sec) * UNITS + ts.tv_nsec / 100;
}

// Fires due advises: a one-shot sets its event and goes, a periodic one
// releases its semaphore once per elapsed period (at most maxFires).
template <class Map> void FireDue(Map &advises, REFERENCE_TIME now, int maxFires) {
  for (auto it = advises.begin(); it != advises.end();) {
    auto &a = it->second;
    if (a.due > now) {
      ++it;
      continue;
    }
    if (a.period == 0) {
      if (a.event)
        a.event->Set();
      it = advises.erase(it);
      continue;
    }
    int fired = 0;
    while (a.due <= now && fired < maxFires) {
      if (a.semaphore)
        a.semaphore->Release(1);
      a.due += a.period;
      ++fired;
    }
    if (a.due <= now)
      a.due = now + a.period; // far behind: skip the backlog
    ++it;
  }
}

class TSystemClock final : public com::TInterfacedObject, public IReferenceClock {
public:
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<IReferenceClock>(this, iid, out);
  }
  uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
  uint32_t Release() override { return TInterfacedObject::Release(); }

  HRESULT GetTime(REFERENCE_TIME *time) override {
    if (time == nullptr)
      return E_POINTER;
    *time = MonotonicNow();
    return S_OK;
  }
  HRESULT AdviseTime(REFERENCE_TIME base, REFERENCE_TIME offset, HEVENT event,
                     DWORD_PTR *cookie) override {
    if (event == nullptr || cookie == nullptr)
      return E_POINTER;
    if (base + offset <= 0)
      return E_INVALIDARG;
    return Add({base + offset, 0, event, nullptr}, cookie);
  }
  HRESULT AdvisePeriodic(REFERENCE_TIME start, REFERENCE_TIME period, HSEMAPHORE semaphore,
                         DWORD_PTR *cookie) override {
    if (semaphore == nullptr || cookie == nullptr)
      return E_POINTER;
    if (start < 0 || period <= 0)
      return E_INVALIDARG;
    return Add({start, period, nullptr, semaphore}, cookie);
  }
  HRESULT Unadvise(DWORD_PTR cookie) override {
    std::lock_guard<std::mutex> lock(m_);
    return advises_.erase(cookie) ? S_OK : S_FALSE;
  }

private:
  struct TAdvise {
    REFERENCE_TIME due, period;
    HEVENT event;
    HSEMAPHORE semaphore;
  };

  ~TSystemClock() override {
    {
      std::lock_guard<std::mutex> lock(m_);
      quit_ = true;
    }
    cv_.notify_all();
    if (thread_.joinable())
      thread_.join();
  }

  HRESULT Add(TAdvise a, DWORD_PTR *cookie) {
    {
      std::lock_guard<std::mutex> lock(m_);
      *cookie = next_++;
      advises_[*cookie] = a;
      if (!thread_.joinable())
        thread_ = std::thread([this] { Loop(); });
    }
    cv_.notify_all();
    return S_OK;
  }

  // Advises fire under the lock, so Unadvise returning means no more calls.
  void Loop() {
    std::unique_lock<std::mutex> lock(m_);
    while (!quit_) {
      REFERENCE_TIME now = MonotonicNow();
      FireDue(advises_, now, 1000);
      REFERENCE_TIME next = INT64_MAX;
      for (auto &[id, a] : advises_)
        next = std::min(next, a.due);
      if (next == INT64_MAX) {
        cv_.wait(lock);
      } else {
        auto wait = std::chrono::nanoseconds((next - now) * 100);
        cv_.wait_for(lock, wait);
      }
    }
  }

  std::mutex m_;
  std::condition_variable cv_;
  std::map<DWORD_PTR, TAdvise> advises_;
  DWORD_PTR next_ = 1;
  bool quit_ = false;
  std::thread thread_;
};

} // namespace

TComPtr<IReferenceClock> CreateSystemClock() {
  return TComPtr<IReferenceClock>(com::MakeCom<TSystemClock>());
}

HRESULT TManualReferenceClock::QueryInterface(const TGUID &iid, void **out) {
  return com::QueryInterfaceFor<IReferenceClock>(this, iid, out);
}

HRESULT TManualReferenceClock::GetTime(REFERENCE_TIME *time) {
  if (time == nullptr)
    return E_POINTER;
  std::lock_guard<std::recursive_mutex> lock(m_);
  *time = now_;
  return S_OK;
}

HRESULT TManualReferenceClock::AdviseTime(REFERENCE_TIME base, REFERENCE_TIME offset, HEVENT event,
                                          DWORD_PTR *cookie) {
  if (event == nullptr || cookie == nullptr)
    return E_POINTER;
  std::lock_guard<std::recursive_mutex> lock(m_);
  *cookie = next_++;
  advises_[*cookie] = {base + offset, 0, event, nullptr};
  FireDue(advises_, now_, 10000);
  return S_OK;
}

HRESULT TManualReferenceClock::AdvisePeriodic(REFERENCE_TIME start, REFERENCE_TIME period,
                                              HSEMAPHORE semaphore, DWORD_PTR *cookie) {
  if (semaphore == nullptr || cookie == nullptr)
    return E_POINTER;
  if (start < 0 || period <= 0)
    return E_INVALIDARG;
  std::lock_guard<std::recursive_mutex> lock(m_);
  *cookie = next_++;
  advises_[*cookie] = {start, period, nullptr, semaphore};
  FireDue(advises_, now_, 10000);
  return S_OK;
}

HRESULT TManualReferenceClock::Unadvise(DWORD_PTR cookie) {
  std::lock_guard<std::recursive_mutex> lock(m_);
  return advises_.erase(cookie) ? S_OK : S_FALSE;
}

void TManualReferenceClock::SetTime(REFERENCE_TIME time) {
  std::lock_guard<std::recursive_mutex> lock(m_);
  now_ = time;
  FireDue(advises_, now_, 10000);
}

void TManualReferenceClock::Advance(REFERENCE_TIME delta) {
  std::lock_guard<std::recursive_mutex> lock(m_);
  SetTime(now_ + delta);
}

size_t TManualReferenceClock::AdviseCount() const {
  std::lock_guard<std::recursive_mutex> lock(m_);
  return advises_.size();
}

} // namespace media
