// kelvaro_bench_mapwait: starts a program on the X display and measures the time from the start
// of its process to the mapping of its window (the MapNotify the X server sends); then, while
// the program still runs, optionally runs a command against it, reads the program's peak
// resident memory (VmHWM) and ends it.
//
//   kelvaro_bench_mapwait [--name PREFIX] [--then COMMAND] [--timeout SECONDS] -- PROGRAM [ARGS]
//
// The window counted is the first top-level window of the program's process (_NET_WM_PID) that
// is mapped and is no override-redirect window (a popup or a tooltip), with a title beginning
// with PREFIX when one is given. It is watched whether or not a window manager reparents it.
// COMMAND runs through sh with KELVARO_BENCH_WINDOW (the window id) and KELVARO_BENCH_PID in its
// environment. Prints one line:
//   startup_us=N window=ID width=W height=H peak_kib=N
// Exit status 0; 1 when the program ended, timed out or the command failed; 2 on a usage error.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

int IgnoreXErrors(Display*, XErrorEvent*) {
  return 0;
}

struct Options {
  std::string namePrefix;
  std::string then;
  double timeoutSeconds = 30;
  std::vector<char*> program;  // ends with nullptr
};

std::optional<Options> ParseOptions(int argc, char** argv) {
  Options options;
  int i = 1;
  for (; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") {
      ++i;
      break;
    }
    if (i + 1 >= argc) return std::nullopt;
    if (arg == "--name") {
      options.namePrefix = argv[++i];
    } else if (arg == "--then") {
      options.then = argv[++i];
    } else if (arg == "--timeout") {
      options.timeoutSeconds = std::atof(argv[++i]);
    } else {
      return std::nullopt;
    }
  }
  if (i >= argc) return std::nullopt;
  for (; i < argc; ++i) options.program.push_back(argv[i]);
  options.program.push_back(nullptr);
  return options;
}

class Watcher {
 public:
  explicit Watcher(Display* display)
      : display_(display),
        root_(DefaultRootWindow(display)),
        pidAtom_(XInternAtom(display, "_NET_WM_PID", False)),
        nameAtom_(XInternAtom(display, "_NET_WM_NAME", False)),
        utf8Atom_(XInternAtom(display, "UTF8_STRING", False)) {
    XSelectInput(display_, root_, SubstructureNotifyMask);
    XSync(display_, False);
  }

  // Waits for the window of process `pid`; its id, or nullopt when time ran out or the process
  // ended first.
  std::optional<Window> WaitForMap(pid_t pid, const std::string& namePrefix,
                                   Clock::time_point deadline) {
    for (;;) {
      while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        Window candidate = 0;
        if (event.type == CreateNotify && !event.xcreatewindow.override_redirect &&
            event.xcreatewindow.parent == root_) {
          // Follow the window itself: a window manager may reparent it before mapping it.
          const Window created = event.xcreatewindow.window;
          XSelectInput(display_, created, StructureNotifyMask);
          XWindowAttributes attributes;
          if (XGetWindowAttributes(display_, created, &attributes) != 0 &&
              attributes.map_state != IsUnmapped) {
            candidate = created;
          }
        } else if (event.type == MapNotify && !event.xmap.override_redirect) {
          candidate = event.xmap.window;
        }
        if (candidate != 0 && PidOf(candidate) == pid && NameStartsWith(candidate, namePrefix)) {
          return candidate;
        }
      }
      if (Clock::now() >= deadline) return std::nullopt;
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) return std::nullopt;
      pollfd connection{ConnectionNumber(display_), POLLIN, 0};
      poll(&connection, 1, 20);
    }
  }

  std::pair<int, int> SizeOf(Window window) const {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display_, window, &attributes) == 0) return {0, 0};
    return {attributes.width, attributes.height};
  }

 private:
  long PidOf(Window window) const {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display_, window, pidAtom_, 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success &&
        data != nullptr && format == 32 && count == 1) {
      pid = *reinterpret_cast<long*>(data);
    }
    if (data != nullptr) XFree(data);
    return pid;
  }

  bool NameStartsWith(Window window, const std::string& prefix) const {
    if (prefix.empty()) return true;
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    bool matches = false;
    if (XGetWindowProperty(display_, window, nameAtom_, 0, 256, False, utf8Atom_, &type, &format,
                           &count, &after, &data) == Success &&
        data != nullptr) {
      const std::string name(reinterpret_cast<const char*>(data), count);
      matches = name.compare(0, prefix.size(), prefix) == 0;
    }
    if (data != nullptr) XFree(data);
    return matches;
  }

  Display* display_;
  Window root_;
  Atom pidAtom_;
  Atom nameAtom_;
  Atom utf8Atom_;
};

// VmHWM of the process, in KiB; 0 when unreadable.
long PeakResidentKib(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return 0;
}

void EndProcess(pid_t pid) {
  kill(pid, SIGTERM);
  for (int i = 0; i < 500; ++i) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return;
    usleep(10000);
  }
  kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<Options> options = ParseOptions(argc, argv);
  if (!options) {
    std::fprintf(stderr,
                 "usage: kelvaro_bench_mapwait [--name PREFIX] [--then COMMAND] "
                 "[--timeout SECONDS] -- PROGRAM [ARGS...]\n");
    return 2;
  }
  // A busy X server may turn a connection away for a moment; try for up to two seconds.
  Display* display = XOpenDisplay(nullptr);
  for (int attempt = 0; display == nullptr && attempt < 20; ++attempt) {
    usleep(100000);
    display = XOpenDisplay(nullptr);
  }
  if (display == nullptr) {
    std::fprintf(stderr, "kelvaro_bench_mapwait: cannot open the X display\n");
    return 1;
  }
  XSetErrorHandler(IgnoreXErrors);
  Watcher watcher(display);

  const Clock::time_point start = Clock::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, options->program[0], nullptr, nullptr, options->program.data(), environ) !=
      0) {
    std::fprintf(stderr, "kelvaro_bench_mapwait: cannot start %s\n", options->program[0]);
    return 1;
  }
  const auto deadline = start + std::chrono::duration_cast<Clock::duration>(
                                    std::chrono::duration<double>(options->timeoutSeconds));
  const std::optional<Window> window = watcher.WaitForMap(pid, options->namePrefix, deadline);
  const auto startup = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
  if (!window) {
    std::fprintf(stderr, "kelvaro_bench_mapwait: %s mapped no window\n", options->program[0]);
    EndProcess(pid);
    return 1;
  }

  bool commandFailed = false;
  if (!options->then.empty()) {
    setenv("KELVARO_BENCH_WINDOW", std::to_string(*window).c_str(), 1);
    setenv("KELVARO_BENCH_PID", std::to_string(pid).c_str(), 1);
    const int status = std::system(options->then.c_str());
    commandFailed = status != 0;
  }
  const long peak = PeakResidentKib(pid);
  const auto [width, height] = watcher.SizeOf(*window);
  EndProcess(pid);
  XCloseDisplay(display);
  if (commandFailed) {
    std::fprintf(stderr, "kelvaro_bench_mapwait: the command failed: %s\n", options->then.c_str());
    return 1;
  }
  std::printf("startup_us=%lld window=%lu width=%d height=%d peak_kib=%ld\n",
              static_cast<long long>(startup.count()), *window, width, height, peak);
  return 0;
}
