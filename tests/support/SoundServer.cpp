#include "tests/support/SoundServer.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/RunCommand.h"

namespace {

bool Answers(const std::string &socketPath) {
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0)
    return false;
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, socketPath.c_str(), sizeof addr.sun_path - 1);
  bool ok = connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0;
  close(fd);
  return ok;
}

} // namespace

TSoundServer::TSoundServer(const std::vector<std::string> &modules) {
  char pattern[] = "/tmp/sonvelt-server-XXXXXX";
  if (mkdtemp(pattern) == nullptr)
    return;
  folder_ = pattern;
  std::string run = folder_ + "/run", home = folder_ + "/home";
  mkdir(run.c_str(), 0700);
  mkdir(home.c_str(), 0700);
  socket_ = run + "/native";
  {
    std::ofstream script(folder_ + "/server.pa");
    for (auto &m : modules)
      script << m << "\n";
    // Clients come last: they find every device in place.
    script << "load-module module-native-protocol-unix auth-anonymous=1 socket=" << socket_ << "\n";
    std::ofstream(folder_ + "/client.conf") << "autospawn = no\n";
  }
  std::string script = "--file=" + folder_ + "/server.pa";
  std::vector<std::string> args = {"pulseaudio",
                                   "-n",
                                   script,
                                   "--daemonize=no",
                                   "--system=no",
                                   "--use-pid-file=no",
                                   "--realtime=no",
                                   "--high-priority=no",
                                   "--exit-idle-time=-1",
                                   "--log-target=stderr",
                                   "--log-level=notice"};
  std::vector<std::string> env = {"HOME=" + home, "XDG_RUNTIME_DIR=" + run,
                                  "PATH=/usr/bin:/bin:/usr/sbin:/sbin"};
  std::vector<char *> argv, envp;
  for (auto &a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  for (auto &e : env)
    envp.push_back(e.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  std::string log = folder_ + "/server.log";
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  int err = posix_spawnp(&pid_, "pulseaudio", &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (err != 0) {
    pid_ = -1;
    std::ofstream(log, std::ios::app) << "cannot start pulseaudio: " << std::strerror(err) << "\n";
    return;
  }
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    if (Answers(socket_)) {
      running_ = true;
      break;
    }
    int status;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (!running_)
    return;
  setenv("PULSE_SERVER", ("unix:" + socket_).c_str(), 1);
  setenv("PULSE_CLIENTCONFIG", (folder_ + "/client.conf").c_str(), 1);
  setenv("PULSE_COOKIE", (folder_ + "/cookie").c_str(), 1);
}

TSoundServer::~TSoundServer() {
  Stop();
  if (!folder_.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
}

void TSoundServer::Stop() {
  running_ = false;
  if (pid_ <= 0)
    return;
  kill(pid_, SIGTERM);
  int status;
  for (int i = 0; i < 500; ++i) {
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, &status, 0);
  pid_ = -1;
}

std::string TSoundServer::Log() const {
  std::ifstream in(folder_ + "/server.log");
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string TSoundServer::Pactl(const std::string &arguments, int &status) const {
  return RunCommand("PULSE_CLIENTCONFIG='" + folder_ + "/client.conf' pactl -s 'unix:" + socket_ +
                        "' " + arguments + " 2>&1",
                    status);
}
