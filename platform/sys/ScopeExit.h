// Runs a clean-up when the enclosing scope ends, on a normal exit and while an
// exception unwinds alike: the one-line form of
//   try { work; } catch (...) { undo; throw; } undo;
// Guards in one scope run in reverse order of declaration, like any local.
//
// The destructor is noexcept: a clean-up that can fail for any reason but
// memory exhaustion belongs on the code path, not in a guard. Not copyable or
// movable, no heap: the clean-up lives inside the guard.
#pragma once

#include <utility>

namespace sys {

template <class TFn> class TScopeExit {
public:
  explicit TScopeExit(TFn Fn) : fn_(std::move(Fn)) {}
  ~TScopeExit() noexcept { fn_(); }
  TScopeExit(const TScopeExit &) = delete;
  TScopeExit &operator=(const TScopeExit &) = delete;

private:
  TFn fn_;
};

} // namespace sys
