#include "app/calc_process.h"

#include <fcntl.h>
#include <glib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "app/guarded.h"
#include "formats/child_limits.h"
#include "formats/text_tail.h"

namespace {

// The standard error kept: the end of what was written, enough for the
// last lines of a message.
constexpr size_t kept_stderr_bytes = 16384;
constexpr size_t stderr_read_bytes = 4096;
constexpr guint force_kill_seconds = 3;

struct process_state_t {
  GPid pid = 0;
  bool alive = false;
  int generation = 0;      // a new number for each start: old timers find out
  bool timed_out = false;  // the last program was stopped at the time limit
  guint limit_timer = 0;
  int stderr_fd = -1;
  guint stderr_watch = 0;
  std::string stderr_text;
  std::function<void(int)> on_end;
} process;

// In the child: a group of its own, ended with the window.
void child_setup(gpointer parent) {
  setpgid(0, 0);
  end_with_parent(static_cast<pid_t>(GPOINTER_TO_INT(parent)));
}

// Reads what the pipe holds now, without waiting; false at its end. The
// text's room is reserved at the start, so reading allocates nothing.
bool drain_stderr() {
  if (process.stderr_fd < 0) return false;
  char buffer[stderr_read_bytes];
  for (;;) {
    const ssize_t got = read(process.stderr_fd, buffer, sizeof buffer);
    if (got > 0) {
      std::fwrite(buffer, 1, static_cast<size_t>(got), stderr);
      process.stderr_text.append(buffer, static_cast<size_t>(got));
      if (process.stderr_text.size() > kept_stderr_bytes)
        process.stderr_text.erase(0, process.stderr_text.size() - kept_stderr_bytes);
      continue;
    }
    return got < 0;  // nothing more now (EAGAIN) or the pipe has ended (0)
  }
}

void close_stderr() {
  if (process.stderr_watch) g_source_remove(process.stderr_watch);
  process.stderr_watch = 0;
  if (process.stderr_fd >= 0) close(process.stderr_fd);
  process.stderr_fd = -1;
}

// Runs again when memory ran out (guarded<on_stderr, TRUE>): a pipe that
// nobody reads fills up and stops the program writing to it.
gboolean on_stderr(GIOChannel*, GIOCondition, gpointer) {
  if (drain_stderr()) return TRUE;
  process.stderr_watch = 0;
  close(process.stderr_fd);
  process.stderr_fd = -1;
  return FALSE;
}

// GLib has reaped the child before this runs, and nothing here allocates
// before the process is marked ended and its run told; what the run does
// when told may run out of memory, and the run's timer then ends it.
void on_child_end(GPid pid, gint wait_status, gpointer) {
  g_spawn_close_pid(pid);
  drain_stderr();
  close_stderr();
  process.alive = false;
  process.pid = 0;
  if (process.limit_timer) g_source_remove(process.limit_timer);
  process.limit_timer = 0;
  // The callback may start the next program: take it out first.
  std::function<void(int)> on_end = std::move(process.on_end);
  process.on_end = nullptr;
  if (on_end) on_end(wait_status);
}

// Once only: it allocates nothing, and memory running out would stop it
// like its own FALSE.
gboolean force_kill(gpointer generation) {
  if (process.alive && GPOINTER_TO_INT(generation) == process.generation) kill(-process.pid, SIGKILL);
  return FALSE;
}

// The time limit of the run `generation`: it is stopped with what it
// started. Once only, allocating nothing.
gboolean time_is_up(gpointer generation) {
  if (GPOINTER_TO_INT(generation) != process.generation) return FALSE;
  process.limit_timer = 0;
  if (process.alive) {
    process.timed_out = true;
    stop_calculation_process();
  }
  return FALSE;
}

}  // namespace

bool spawn_calculation_process(const std::vector<std::string>& argv, const std::optional<std::string>& dir,
                               std::function<void(int)> on_end, std::string& error) {
  if (process.alive || argv.empty()) {
    error = process.alive ? "a calculation is running" : "no program to start";
    return false;
  }
  // Room for what the pipe's watch keeps, before there is a program to lose.
  process.stderr_text.reserve(kept_stderr_bytes + stderr_read_bytes);
  std::vector<gchar*> args;
  for (const std::string& a : argv) args.push_back(const_cast<gchar*>(a.c_str()));
  args.push_back(nullptr);
  GPid pid = 0;
  gint err_fd = -1;
  GError* spawn_error = nullptr;
  const gboolean started =
      g_spawn_async_with_pipes(dir ? dir->c_str() : nullptr, args.data(), nullptr, G_SPAWN_DO_NOT_REAP_CHILD,
                               child_setup, GINT_TO_POINTER(getpid()), &pid, nullptr, nullptr, &err_fd, &spawn_error);
  if (!started) {
    error = spawn_error ? spawn_error->message : "the program could not be started";
    if (spawn_error) g_error_free(spawn_error);
    return false;
  }
  ++process.generation;
  process.pid = pid;
  process.alive = true;
  process.timed_out = false;
  process.stderr_text.clear();
  process.on_end = std::move(on_end);
  process.stderr_fd = err_fd;
  fcntl(err_fd, F_SETFL, fcntl(err_fd, F_GETFL) | O_NONBLOCK);
  GIOChannel* channel = g_io_channel_unix_new(err_fd);
  process.stderr_watch = g_io_add_watch(channel, static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR),
                                        guarded<on_stderr, TRUE>, nullptr);
  g_io_channel_unref(channel);
  g_child_watch_add(pid, guarded<on_child_end>, nullptr);
  const long long limit = calculation_time_limit();
  process.limit_timer = g_timeout_add_seconds(static_cast<guint>(std::min<long long>(limit, G_MAXUINT)),
                                              guarded<time_is_up>, GINT_TO_POINTER(process.generation));
  return true;
}

long long calculation_time_limit() {
  return time_limit_seconds(calculation_time_limit_variable, calculation_time_limit_default);
}

bool calculation_process_timed_out() { return process.timed_out; }

bool calculation_process_alive() { return process.alive; }

void stop_calculation_process() {
  if (!process.alive) return;
  kill(-process.pid, SIGTERM);
  g_timeout_add_seconds(force_kill_seconds, guarded<force_kill>, GINT_TO_POINTER(process.generation));
}

std::string calculation_stderr_tail(int lines) { return last_lines(process.stderr_text, lines); }

std::string describe_wait_status(int wait_status) {
  if (WIFEXITED(wait_status)) return "exited with status " + std::to_string(WEXITSTATUS(wait_status));
  if (WIFSIGNALED(wait_status)) return "was ended by signal " + std::to_string(WTERMSIG(wait_status));
  return "ended with wait status " + std::to_string(wait_status);
}
