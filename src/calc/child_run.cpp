#include "calc/child_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "convert/text_lines.h"
#include "formats/child_limits.h"
#include "formats/text_tail.h"

namespace {

volatile sig_atomic_t termination = 0;

void on_termination(int) { termination = 1; }

constexpr auto poll_interval = std::chrono::milliseconds(250);
constexpr int kill_after_polls = static_cast<int>(std::chrono::seconds(kill_after_seconds) / poll_interval);
// A wrapper asked to end is itself killed kill_after_seconds later (the
// window stops a calculation so); the program's group is killed a second
// before that, while the wrapper is there to do it.
constexpr int kill_on_request_polls = kill_after_polls - static_cast<int>(std::chrono::seconds(1) / poll_interval);

// In the child: ended with the wrapper, a process group of its own (so
// that the programs it starts in turn are stopped with it), no standard
// input, the working directory, the output files, the environment, then
// the program. On failure the errno goes up the pipe.
[[noreturn]] void exec_child(const std::vector<std::string>& argv, const std::string& dir,
                             const std::map<std::string, std::string>& env, const std::string& out,
                             const std::string& err, pid_t parent, int report) {
  end_with_parent(parent);
  setpgid(0, 0);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  int code = 0;
  const int out_fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err_fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int in_fd = open("/dev/null", O_RDONLY);
  if (chdir(dir.c_str()) != 0 || out_fd < 0 || err_fd < 0 || in_fd < 0 || dup2(in_fd, 0) < 0 || dup2(out_fd, 1) < 0 ||
      dup2(err_fd, 2) < 0) {
    code = errno;
  } else {
    for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
    signal(SIGHUP, SIG_DFL);
    execvp(args[0], args.data());
    code = errno;
  }
  if (write(report, &code, sizeof code) < 0) _exit(127);
  _exit(127);
}

}  // namespace

ScratchDir::ScratchDir() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/mivor-calc-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data())) path_ = buffer.data();
}

ScratchDir::~ScratchDir() {
  if (path_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void install_termination_handlers() {
  struct sigaction action {};
  action.sa_handler = on_termination;
  sigemptyset(&action.sa_mask);
  for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaction(s, &action, nullptr);
}

bool termination_requested() { return termination != 0; }

run_result_t run_program_in(const std::vector<std::string>& argv, const std::string& dir,
                            const std::map<std::string, std::string>& env, const std::string& out_name,
                            const std::string& err_name, const std::function<void()>& progress) {
  run_result_t result;
  int report[2];
  if (argv.empty() || pipe2(report, O_CLOEXEC) != 0) {
    result.error = "can't start a program: " + std::string(std::strerror(errno));
    return result;
  }
  const std::string out = dir + "/" + out_name, err = dir + "/" + err_name;
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) exec_child(argv, dir, env, out, err, parent, report[1]);
  // Set on both sides: the group exists before either goes on.
  if (pid > 0) setpgid(pid, pid);
  close(report[1]);
  if (pid < 0) {
    close(report[0]);
    result.error = "can't start " + argv[0] + ": " + std::strerror(errno);
    return result;
  }
  int code = 0;
  const ssize_t got = read(report[0], &code, sizeof code);
  close(report[0]);
  if (got == static_cast<ssize_t>(sizeof code)) {
    waitpid(pid, nullptr, 0);
    result.error = "can't start " + argv[0] + ": " + std::strerror(code);
    return result;
  }
  result.started = true;
  const long long limit = time_limit_seconds(calculation_time_limit_variable, calculation_time_limit_default);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limit);
  int polls_since_term = -1;
  for (;;) {
    const pid_t done = waitpid(pid, &result.wait_status, WNOHANG);
    if (done == pid) break;
    if (done < 0 && errno != EINTR) break;
    if (!result.timed_out && std::chrono::steady_clock::now() > deadline) {
      result.timed_out = true;
      std::fprintf(stderr, "%s was stopped: it ran longer than %s, the time limit (%s)\n", argv[0].c_str(),
                   describe_seconds(limit).c_str(), calculation_time_limit_variable);
    }
    if (termination_requested() || result.timed_out) {
      if (polls_since_term < 0) kill(-pid, SIGTERM);
      if (++polls_since_term >= (termination_requested() ? kill_on_request_polls : kill_after_polls))
        kill(-pid, SIGKILL);
      result.terminated = termination_requested();
    } else if (progress) {
      progress();
    }
    std::this_thread::sleep_for(poll_interval);
  }
  if (progress && !result.terminated) progress();
  return result;
}

std::string last_lines_of(const std::string& path, int lines) {
  std::string text, error;
  return read_whole_file(path, text, error) ? last_lines(std::move(text), lines) : "";
}
