#include "formats/converters.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

#include "formats/child_limits.h"
#include "formats/file_types.h"
#include "molecule/notify.h"

std::vector<std::string> converter_options;

namespace {

const input_filetype_t* type_at(int type) {
  if (type < 0 || type >= n_input_types()) return nullptr;
  return &input_filetypes[static_cast<size_t>(type)];
}

// The last line of text that is not blank.
std::string last_line(const std::string& text) {
  size_t end = text.find_last_not_of(" \t\r\n");
  if (end == std::string::npos) return {};
  const size_t start = text.find_last_of('\n', end);
  return text.substr(start == std::string::npos ? 0 : start + 1,
                     end + 1 - (start == std::string::npos ? 0 : start + 1));
}

// Why a run failed, for the warning: the converter's own line, or its
// status.
std::string reason(const converter_run_t& run) {
  if (!run.message.empty()) return "\n" + run.message;
  if (!run.started) return "";
  if (run.timed_out)
    return "\nThe converter was stopped: it ran longer than " + describe_seconds(run.time_limit) +
           ", the time limit (" + converter_time_limit_variable + ").";
  if (run.status < 0) return "\nThe converter was stopped.";
  return "\nThe converter ended with status " + std::to_string(run.status) + ".";
}

// In the child: a process group of its own (so that stopping it reaches the
// programs it starts), ended with its parent, standard error into the
// pipe, standard input empty; then the converter. On failure the errno
// goes up the report pipe.
[[noreturn]] void exec_converter(const std::vector<char*>& argv, pid_t parent, int err_fd, int report_fd) {
  setpgid(0, 0);
  end_with_parent(parent);
  // It reads its file, never the terminal: in a process group of its own a
  // read from the terminal would stop it for good.
  const int null_fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
  int code = 0;
  if (null_fd < 0 || dup2(null_fd, STDIN_FILENO) < 0 || dup2(err_fd, STDERR_FILENO) < 0) {
    code = errno;
  } else {
    execv(argv[0], argv.data());
    code = errno;
  }
  if (write(report_fd, &code, sizeof code) < 0) _exit(127);
  _exit(127);
}

// Starts the converter; its pid, or -1 when it could not be started.
pid_t start_converter(const std::vector<char*>& argv, int err_fd) {
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return -1;
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) exec_converter(argv, parent, err_fd, report[1]);
  close(report[1]);
  if (pid < 0) {
    close(report[0]);
    return -1;
  }
  setpgid(pid, pid);  // also here, so that the group exists before we signal it
  int code = 0;
  ssize_t got;
  while ((got = read(report[0], &code, sizeof code)) < 0 && errno == EINTR) {
  }
  close(report[0]);
  if (got == static_cast<ssize_t>(sizeof code)) {
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    return -1;
  }
  return pid;
}

using run_clock = std::chrono::steady_clock;

// Ends a converter's group: asked first, killed when it is still there
// some seconds later.
struct stopper_t {
  pid_t pid;
  bool stopped = false;
  bool killed = false;
  run_clock::time_point at{};
  void stop() {
    if (stopped) return;
    kill(-pid, SIGTERM);
    stopped = true;
    at = run_clock::now();
  }
  void kill_when_overdue() {
    if (stopped && !killed && run_clock::now() - at > std::chrono::seconds(kill_after_seconds)) {
      kill(-pid, SIGKILL);
      killed = true;
    }
  }
};

}  // namespace

converter_run_t run_converter(const std::string& program, const std::string& file,
                              const std::vector<std::string>& options) {
  converter_run_t run;
  // The file name is one argument, never seen by a shell; a leading "-"
  // is made a path so that it can't be taken for an option.
  const std::string arg = (!file.empty() && file[0] == '-') ? "./" + file : file;
  std::vector<char*> argv = {const_cast<char*>(program.c_str())};
  for (const std::string& o : options) argv.push_back(const_cast<char*>(o.c_str()));
  argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  int pipe_fds[2];
  if (pipe2(pipe_fds, O_CLOEXEC) != 0) return run;
  const pid_t pid = start_converter(argv, pipe_fds[1]);
  close(pipe_fds[1]);
  if (pid < 0) {
    close(pipe_fds[0]);
    return run;
  }
  run.started = true;
  // Read to the end so that the converter never blocks on a full pipe;
  // keep the last few kilobytes. Between reads the window is told that we
  // wait, so that it stays painted and the user can stop the converter;
  // past the time limit it is stopped.
  const std::string what = "Converting " + file;
  run.time_limit = time_limit_seconds(converter_time_limit_variable, converter_time_limit_default);
  const run_clock::time_point deadline = run_clock::now() + std::chrono::seconds(run.time_limit);
  stopper_t stopper{pid};
  // Whether to stop: the user said so, or the time is up. True once it was
  // stopped; a group that does not end when asked is killed.
  auto stop_asked = [&] {
    if (!stopper.stopped && run_clock::now() > deadline) {
      run.timed_out = true;
      stopper.stop();
    }
    if (!stopper.stopped && !notifier().waiting(what)) stopper.stop();
    stopper.kill_when_overdue();
    return stopper.stopped;
  };
  std::string text;
  char buffer[4096];
  while (!stop_asked()) {
    pollfd p{pipe_fds[0], POLLIN, 0};
    const int ready = poll(&p, 1, 50);
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) continue;
    const ssize_t got = read(pipe_fds[0], buffer, sizeof buffer);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got <= 0) break;
    std::fwrite(buffer, 1, static_cast<size_t>(got), stderr);
    text.append(buffer, static_cast<size_t>(got));
    if (text.size() > 16384) text.erase(0, text.size() - 8192);
  }
  close(pipe_fds[0]);
  // A converter that closed its standard error may still run.
  int status = 0;
  pid_t done;
  while ((done = waitpid(pid, &status, WNOHANG)) != pid && (done >= 0 || errno == EINTR)) {
    stop_asked();
    poll(nullptr, 0, 20);
  }
  notifier().waiting_done();
  if (done != pid) return run;
  run.status = WIFEXITED(status) && !stopper.stopped ? WEXITSTATUS(status) : -1;
  run.message = stopper.stopped ? std::string() : last_line(text);
  return run;
}

bool convert_from_foreign(int type, const std::string& name) {
  const input_filetype_t* t = type_at(type);
  converter_run_t run;
  if (t && t->libpath && t->forward) run = run_converter(*t->libpath + "/" + *t->forward, name, converter_options);
  if (!run.ok()) {
    make_warning("ERROR: Can't process file: " + name + reason(run));
    return false;
  }
  return true;
}

bool convert_to_target_file(int type, const std::string& native_name) {
  const input_filetype_t* t = type_at(type);
  if (!t || !t->libpath || !t->backward) return true;
  const converter_run_t run = run_converter(*t->libpath + "/" + *t->backward, native_name);
  if (run.ok()) return true;
  make_warning("ERROR: Can't convert file.\nFile will be saved in zev format." + reason(run));
  return false;
}
