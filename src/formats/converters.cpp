#include "formats/converters.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "formats/file_types.h"
#include "molecule/notify.h"

extern char** environ;

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
  if (run.status < 0) return "\nThe converter was stopped.";
  return "\nThe converter ended with status " + std::to_string(run.status) + ".";
}

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
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDERR_FILENO);
  // It reads its file, never the terminal: in a process group of its own a
  // read from the terminal would stop it for good.
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  // A group of its own, so that stopping it reaches the programs it starts.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  pid_t pid;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_fds[1]);
  if (spawned != 0) {
    close(pipe_fds[0]);
    return run;
  }
  run.started = true;
  // Read to the end so that the converter never blocks on a full pipe;
  // keep the last few kilobytes. Between reads the window is told that we
  // wait, so that it stays painted and the user can stop the converter.
  const std::string what = "Converting " + file;
  bool stopped = false;
  // Asks whether to go on; when the user says no, the converter's group
  // is ended. True once it was stopped.
  auto stop_asked = [&] {
    if (!stopped && !notifier().waiting(what)) {
      kill(-pid, SIGTERM);
      stopped = true;
    }
    return stopped;
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
  run.status = WIFEXITED(status) && !stopped ? WEXITSTATUS(status) : -1;
  run.message = stopped ? std::string() : last_line(text);
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
