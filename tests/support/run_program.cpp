#include "support/run_program.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

#include "support/temp_dir.h"
#include "support/x_display.h"

namespace {

// Waits for the program; a windowed one is driven, then asked to close its
// windows until it ends (killed after a minute). One that hangs is killed
// after five minutes. `usage` receives what it used.
int wait_for(pid_t pid, const std::function<void(int)>& drive, const std::string& display, rusage& usage) {
  int status = 0;
  if (!drive) {
    for (int tick = 0; tick < 3000; ++tick) {
      const pid_t done = wait4(pid, &status, WNOHANG, &usage);
      if (done == pid) return status;
      if (done < 0) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(tick < 50 ? 2 : 100));
    }
    kill(pid, SIGKILL);
    wait4(pid, &status, 0, &usage);
    return -1;
  }
  drive(pid);
  for (int tick = 0; tick < 600; ++tick) {
    if (wait4(pid, &status, WNOHANG, &usage) == pid) return status;
    close_windows_of(pid, display);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  kill(pid, SIGKILL);
  wait4(pid, &status, 0, &usage);
  return -1;
}

}  // namespace

namespace {

program_result run_once(const std::vector<std::string>& argv,
                        const std::map<std::string, std::optional<std::string>>& env, const std::string& cwd,
                        const std::function<void(int)>& drive) {
  if (drive) use_private_x_display();
  TempDir io;
  const std::string out = io.file("out"), err = io.file("err");
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  const pid_t pid = fork();
  if (pid == 0) {
    // A windowed program holds memory of the toolkit and the OpenGL driver
    // until it ends, some of it in frames the leak checker can't name, so
    // only its memory errors are checked.
    if (drive) setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    for (const auto& [name, value] : env) {
      if (value)
        setenv(name.c_str(), value->c_str(), 1);
      else
        unsetenv(name.c_str());
    }
    const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int in = open("/dev/null", O_RDONLY);
    if (o < 0 || e < 0 || in < 0 || chdir(cwd.c_str()) != 0) _exit(127);
    dup2(in, 0);
    dup2(o, 1);
    dup2(e, 2);
    execv(args[0], args.data());
    _exit(127);
  }
  program_result r;
  const auto display = env.find("DISPLAY");
  rusage usage{};
  const int status =
      pid > 0 ? wait_for(pid, drive, display != env.end() && display->second ? *display->second : "", usage) : -1;
  if (status >= 0 && WIFEXITED(status)) r.status = WEXITSTATUS(status);
  r.cpu_seconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                  static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  r.peak_rss_kb = usage.ru_maxrss;
  r.out = read_file(out);
  r.err = read_file(err);
  return r;
}

}  // namespace

program_result run_program(const std::vector<std::string>& argv,
                           const std::map<std::string, std::optional<std::string>>& env, const std::string& cwd,
                           const std::function<void(int)>& drive) {
  program_result r = run_once(argv, env, cwd, drive);
  // A private display lost to a clash between parallel tests is the test
  // machinery's failure, not the program's: once more on a fresh one.
  if (drive && r.status != 0 && r.err.find("cannot open display") != std::string::npos) {
    use_private_x_display(true);
    r = run_once(argv, env, cwd, drive);
  }
  return r;
}
