// The single-instance lock of a program: a lock file taken atomically (no
// window between the test and the taking, and a lock left by a copy that
// died is taken over) plus a local socket on which the copy that holds the
// lock hears a later copy ask it to come to the front.
//
// The lock is named after the program file's name, so copies under other
// names do not see each other. It lives in the user's runtime folder unless
// a folder is given (tests). Main thread only; the raise request arrives
// through the Qt event loop.
#pragma once

#include <functional>
#include <memory>
#include <string>

class QLockFile;
class QLocalServer;

namespace gui {

class TInstanceLock {
public:
  explicit TInstanceLock(const std::string &name, const std::string &folder = "");
  ~TInstanceLock(); // releases the lock when held
  TInstanceLock(const TInstanceLock &) = delete;
  TInstanceLock &operator=(const TInstanceLock &) = delete;

  // Takes the lock; true when this copy is the first (or already holds it).
  // Raises Exception when the folder cannot hold a lock at all.
  bool TryAcquire();
  bool Held() const;
  void Release();

  // The copy that holds the lock runs this on the main thread when another
  // copy calls RaisePrior.
  std::function<void()> OnRaiseRequest;
  // Asks the copy that holds the lock to come to the front; false when no
  // copy answers.
  bool RaisePrior();

  const std::string &LockFileName() const { return lockPath_; }

private:
  std::string lockPath_;
  std::string serverPath_;
  std::unique_ptr<QLockFile> lock_;
  std::unique_ptr<QLocalServer> server_;
};

} // namespace gui
