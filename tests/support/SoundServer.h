// A sound server of a test's own: a PulseAudio daemon started in a private
// folder (runtime folder, home, socket, log), loading only the modules the
// test names, and ended with the object. While it runs this process's
// libpulse clients talk to it and to nothing else (PULSE_SERVER, a private
// client configuration and cookie).
//
// The daemon is told not to want what a root user would otherwise get
// (realtime and high priority, a system instance): CI runs as root.
//
// Include "tests/support/SoundServer.h" and link test_support.
#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

class TSoundServer {
public:
  // modules: "load-module ..." lines run before the server takes clients.
  explicit TSoundServer(const std::vector<std::string> &modules);
  ~TSoundServer();
  TSoundServer(const TSoundServer &) = delete;
  TSoundServer &operator=(const TSoundServer &) = delete;

  // True once the server takes clients; else Log() says why not.
  bool Running() const { return running_; }
  // The private folder (for the FIFOs of pipe sources).
  const std::string &Folder() const { return folder_; }
  // The daemon's messages so far.
  std::string Log() const;
  // Runs pactl against this server; its output, the exit status in status.
  std::string Pactl(const std::string &arguments, int &status) const;
  // Ends the daemon now (the destructor does when this was not called).
  void Stop();

private:
  std::string folder_, socket_;
  pid_t pid_ = -1;
  bool running_ = false;
};
