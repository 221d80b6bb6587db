// A full disk for this process: past limit bytes a file write fails with
// EFBIG (SIGXFSZ ignored) while the object lives; the old limit and signal
// handling come back with its end. Lowering and raising the soft limit up to
// the hard one needs no privilege.
#pragma once

#include <csignal>

#include <sys/resource.h>

class TFileSizeLimit {
public:
  explicit TFileSizeLimit(rlim_t limit) {
    getrlimit(RLIMIT_FSIZE, &old_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lower{limit, old_.rlim_max};
    ok_ = setrlimit(RLIMIT_FSIZE, &lower) == 0;
  }
  ~TFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }
  TFileSizeLimit(const TFileSizeLimit &) = delete;
  TFileSizeLimit &operator=(const TFileSizeLimit &) = delete;
  bool Ok() const { return ok_; }

private:
  rlimit old_{};
  void (*oldHandler_)(int) = SIG_DFL;
  bool ok_ = false;
};
