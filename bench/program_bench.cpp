// What the whole recorder costs: the real program (its window on Qt's offscreen
// platform) recording 48 kHz stereo from an ALSA PCM paced at real time, against
// arecord reading the same PCM into /dev/null, and the program idle beside it.
//
//   program_bench [seconds per phase, default 10]
//
// The PCM is "usbcodec" from a private ALSA configuration, listed as "USB Audio
// CODEC" so the window takes it for the microphone, and served by a PulseAudio
// daemon of the benchmark's own (a null sink's monitor: silence at real time)
// in a private runtime folder. Phases, each after a two-second settling time:
// arecord; the program's window idle; the program recording with the scope
// live and the meters moving. Every thread's CPU time is the scheduler's
// count (nanoseconds), its wake-ups its voluntary context switches.
// Printed: per thread, percent of one core and its ratio to arecord's whole
// cost; per phase the totals.
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/MainUnit.h"
#include "app/OneInstance.h"
#include "app/RecorderAudio.h"
#include "app/Sonvelt.h"
#include "framework/data/FrameworkRuntime.h"
#include "platform/gui/Application.h"
#include "tests/app/MainFormTestAccess.h"

namespace fs = std::filesystem;

namespace {

constexpr int SettleSeconds = 2;

struct TThreadTimes {
  std::string Name;
  double CpuSeconds = 0;
  long Wakeups = 0;
};
using TSnapshot = std::map<int, TThreadTimes>;

// A thread's time on a CPU (any process's thread), in nanoseconds as the
// scheduler counts it: its sum_exec_runtime, which /proc gives in
// milliseconds.
double ThreadCpuSeconds(const fs::path &Task) {
  std::ifstream In(Task / "sched");
  std::string Line;
  while (std::getline(In, Line))
    if (Line.rfind("se.sum_exec_runtime", 0) == 0)
      if (const size_t Colon = Line.find(':'); Colon != std::string::npos)
        return std::atof(Line.c_str() + Colon + 1) * 1e-3;
  return 0;
}

std::string ReadLine(const fs::path &File) {
  std::ifstream In(File);
  std::string Line;
  std::getline(In, Line);
  return Line;
}

long VoluntarySwitches(const fs::path &Status) {
  std::ifstream In(Status);
  std::string Line;
  while (std::getline(In, Line))
    if (Line.rfind("voluntary_ctxt_switches:", 0) == 0)
      return std::atol(Line.c_str() + 24);
  return 0;
}

TSnapshot Snapshot(int Pid) {
  TSnapshot S;
  std::error_code Ec;
  for (const auto &Entry : fs::directory_iterator("/proc/" + std::to_string(Pid) + "/task", Ec)) {
    const int Tid = std::atoi(Entry.path().filename().c_str());
    TThreadTimes &T = S[Tid];
    T.Name = ReadLine(Entry.path() / "comm");
    T.CpuSeconds = ThreadCpuSeconds(Entry.path());
    T.Wakeups = VoluntarySwitches(Entry.path() / "status");
  }
  return S;
}

// Per thread what it used between two snapshots (threads gone by the second
// are left out; threads new in it count from zero).
TSnapshot Difference(const TSnapshot &A, const TSnapshot &B) {
  TSnapshot D;
  for (const auto &[Tid, T] : B) {
    TThreadTimes &Out = D[Tid];
    Out = T;
    if (auto It = A.find(Tid); It != A.end()) {
      Out.CpuSeconds -= It->second.CpuSeconds;
      Out.Wakeups -= It->second.Wakeups;
    }
  }
  return D;
}

double Total(const TSnapshot &S) {
  double Sum = 0;
  for (const auto &[Tid, T] : S)
    Sum += T.CpuSeconds;
  return Sum;
}

long TotalWakeups(const TSnapshot &S) {
  long Sum = 0;
  for (const auto &[Tid, T] : S)
    Sum += T.Wakeups;
  return Sum;
}

void Print(const char *Phase, const TSnapshot &S, double Seconds, double Reference) {
  std::printf("\n%s, %.1f s\n", Phase, Seconds);
  std::printf("  %-8s %-18s %12s %12s %14s\n", "thread", "name", "% of a core", "wake-ups/s",
              "over arecord");
  for (const auto &[Tid, T] : S) {
    const double Share = 100 * T.CpuSeconds / Seconds;
    std::printf("  %-8d %-18s %12.3f %12.1f", Tid, T.Name.c_str(), Share, T.Wakeups / Seconds);
    if (Reference > 0)
      std::printf(" %13.1fx", T.CpuSeconds / Reference);
    std::printf("\n");
  }
  std::printf("  %-27s %12.3f %12.1f", "all threads", 100 * Total(S) / Seconds,
              TotalWakeups(S) / Seconds);
  if (Reference > 0)
    std::printf(" %13.1fx", Total(S) / Reference);
  std::printf("\n");
}

pid_t Spawn(const std::vector<std::string> &Args) {
  const pid_t Pid = fork();
  if (Pid == 0) {
    std::vector<char *> Argv;
    for (const std::string &A : Args)
      Argv.push_back(const_cast<char *>(A.c_str()));
    Argv.push_back(nullptr);
    execvp(Argv[0], Argv.data());
    _exit(127);
  }
  return Pid;
}

void Stop(pid_t Pid) {
  if (Pid <= 0)
    return;
  kill(Pid, SIGTERM);
  int Status = 0;
  waitpid(Pid, &Status, 0);
}

// Works the window from its event loop: waits for it, measures it idle,
// presses Record, measures the take, then stops and leaves.
class TProgramPhases {
public:
  explicit TProgramPhases(int Seconds) : seconds_(Seconds) {}

  void Start() {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Step(); });
    timer_.start(100);
  }

  TSnapshot Idle, Recording;
  std::string Failure;

private:
  void Step() {
    switch (stage_) {
    case 0: // the window shown
      form_ = dynamic_cast<TMainForm *>(gui::Application().FindComponent("MainForm"));
      if (form_ == nullptr || !form_->Visible())
        return;
      Next(SettleSeconds);
      break;
    case 1:
      from_ = Snapshot(getpid());
      Next(seconds_);
      break;
    case 2:
      Idle = Difference(from_, Snapshot(getpid()));
      if (!Press("RecordAction") || form_->State() != TRecorderState::Recording)
        return Finish("Record did not start a take (no microphone found?)");
      Next(SettleSeconds);
      break;
    case 3:
      from_ = Snapshot(getpid());
      Next(seconds_);
      break;
    case 4:
      Recording = Difference(from_, Snapshot(getpid()));
      if (form_->RecorderComponents()->AudioLogger->Get_CurrentSample() == 0)
        return Finish("the take stayed empty");
      Finish("");
      break;
    }
  }

  void Next(int Seconds) {
    ++stage_;
    timer_.start(Seconds * 1000);
  }

  bool Press(const char *Name) {
    gui::Application().DoIdle();
    auto *Action = dynamic_cast<gui::TAction *>(form_->FindComponent(Name));
    return Action != nullptr && Action->Execute();
  }

  void Finish(const std::string &Why) {
    Failure = Why;
    timer_.stop();
    stage_ = 99;
    if (form_ == nullptr) {
      gui::Application().Terminate();
      return;
    }
    form_->StopAll();
    // no question keeps the window open
    TMainFormTestAccess(*form_).SetHasNewRecording(false);
    form_->Close();
  }

  int seconds_;
  int stage_ = 0;
  QTimer timer_;
  TMainForm *form_ = nullptr;
  TSnapshot from_;
};

} // namespace

int main(int argc, char **argv) {
  const int Seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  char Pattern[] = "/tmp/sonvelt-program-bench-XXXXXX";
  if (mkdtemp(Pattern) == nullptr)
    return 2;
  const fs::path Dir = Pattern;
  // Before anything reads them: alsa-lib its configuration, the PulseAudio
  // client its server.
  setenv("HOME", Pattern, 1);
  setenv("XDG_RUNTIME_DIR", Pattern, 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  unsetenv("ALSA_CONFIG_PATH");
  unsetenv("PULSE_SERVER");
  unsetenv("SONVELT_VIRTUAL_AUDIO");
  std::ofstream(Dir / ".asoundrc") << "pcm.usbcodec {\n  type pulse\n  device \"bench.monitor\"\n"
                                      "  hint { show on; description \"USB Audio CODEC\" }\n}\n";
  const pid_t Server =
      Spawn({"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--log-target=stderr",
             "--log-level=error", "-L", "module-native-protocol-unix", "-L",
             "module-null-sink sink_name=bench rate=48000 channels=2"});
  for (int I = 0; I < 100 && !fs::exists(Dir / "pulse" / "native"); ++I)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  if (!fs::exists(Dir / "pulse" / "native")) {
    std::fprintf(stderr, "the PulseAudio daemon did not start\n");
    Stop(Server);
    fs::remove_all(Dir);
    return 2;
  }

  // arecord on the same PCM.
  const pid_t Arecord = Spawn({"arecord", "-q", "-D", "usbcodec", "-f", "S16_LE", "-c", "2", "-r",
                               "48000", "-t", "raw", "/dev/null"});
  std::this_thread::sleep_for(std::chrono::seconds(SettleSeconds));
  const TSnapshot A0 = Snapshot(Arecord);
  std::this_thread::sleep_for(std::chrono::seconds(Seconds));
  const TSnapshot ArecordUse = Difference(A0, Snapshot(Arecord));
  Stop(Arecord);
  const double Reference = Total(ArecordUse);

  // The program.
  int Code = 0;
  TProgramPhases Phases(Seconds);
  {
    TFrameworkRuntime Runtime;
    TMainForm::SetWorkFolder(Dir.string());
    TOneInstance::SetLockFolder(Dir.string());
    int ProgramArgc = 1;
    gui::InitApplication(ProgramArgc, argv);
    Phases.Start();
    Code = WinMain(1, argv);
  }
  Stop(Server);
  std::error_code Ec;
  fs::remove_all(Dir, Ec);

  std::printf("48 kHz stereo from a PCM paced at real time; load now: ");
  std::fflush(stdout);
  std::system("cat /proc/loadavg");
  Print("arecord recording", ArecordUse, Seconds, 0);
  if (!Phases.Failure.empty() || ArecordUse.empty()) {
    std::fprintf(stderr, "program_bench: %s (exit code %d)\n",
                 Phases.Failure.empty() ? "arecord did not run" : Phases.Failure.c_str(), Code);
    return 2;
  }
  Print("program idle (window shown)", Phases.Idle, Seconds, Reference);
  Print("program recording (window shown, scope and meters live)", Phases.Recording, Seconds,
        Reference);
  std::printf("\nrecording: program %.3f %% of a core, arecord %.3f %%, ratio %.1fx\n",
              100 * Total(Phases.Recording) / Seconds, 100 * Reference / Seconds,
              Reference > 0 ? Total(Phases.Recording) / Reference : 0.0);
  std::printf("idle: program %.3f %% of a core, %.1f wake-ups a second\n",
              100 * Total(Phases.Idle) / Seconds, TotalWakeups(Phases.Idle) / double(Seconds));
  return 0;
}
