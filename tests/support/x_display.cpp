#include "support/x_display.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<pid_t> server_pids;

void stop_servers() {
  for (pid_t pid : server_pids) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
  server_pids.clear();
}

// A window property of 32-bit items.
std::vector<long> property(Display* dpy, Window w, const char* name, Atom type) {
  Atom actual;
  int format;
  unsigned long n = 0, rest;
  unsigned char* data = nullptr;
  std::vector<long> values;
  if (XGetWindowProperty(dpy, w, XInternAtom(dpy, name, False), 0, 16, False, type, &actual, &format, &n, &rest,
                         &data) == Success &&
      data && format == 32) {
    const long* items = reinterpret_cast<const long*>(data);
    values.assign(items, items + n);
  }
  if (data) XFree(data);
  return values;
}

// Starts one Xvfb and returns the display it announced, or "".
std::string start_one_x_server(const std::vector<std::string>& options, pid_t& pid_out) {
  int fds[2];
  if (pipe(fds) != 0) return "";
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    std::vector<std::string> args = {
        "Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execvp("Xvfb", argv.data());
    _exit(127);
  }
  close(fds[1]);
  // The server writes its display number once it accepts clients.
  char buffer[32] = {};
  ssize_t got = 0;
  while (got < 31 && read(fds[0], buffer + got, 1) == 1 && buffer[got] != '\n') ++got;
  close(fds[0]);
  buffer[got] = '\0';
  pid_out = pid;
  return got > 0 ? ":" + std::string(buffer) : "";
}

}  // namespace

std::string start_x_server(const std::vector<std::string>& options) {
  // A display is taken only once a client can connect to it (servers
  // started at the same moment by parallel tests may clash).
  for (int attempt = 0; attempt < 10; ++attempt) {
    pid_t pid = 0;
    const std::string display = start_one_x_server(options, pid);
    if (pid <= 0) continue;
    if (server_pids.empty()) std::atexit(stop_servers);
    server_pids.push_back(pid);
    if (display.empty()) continue;
    if (Display* dpy = XOpenDisplay(display.c_str())) {
      XCloseDisplay(dpy);
      if (waitpid(pid, nullptr, WNOHANG) == 0) return display;
    }
  }
  return "";
}

void use_private_x_display(bool fresh) {
  static bool started = false;
  if (started && !fresh) return;
  started = true;
  setenv("DISPLAY", start_x_server({"+extension", "GLX"}).c_str(), 1);
  setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
}

// Windows may go away between listing and asking them: such errors are expected.
static int ignore_x_error(Display*, XErrorEvent*) { return 0; }

int close_windows_of(int pid, const std::string& display) {
  XSetErrorHandler(ignore_x_error);
  Display* dpy = XOpenDisplay(display.empty() ? nullptr : display.c_str());
  if (!dpy) return 0;
  Window root = DefaultRootWindow(dpy), parent, *children = nullptr;
  unsigned int n = 0;
  std::vector<Window> dialogs, mains;
  if (XQueryTree(dpy, root, &root, &parent, &children, &n)) {
    for (unsigned int i = 0; i < n; ++i) {
      XWindowAttributes attributes;
      if (!XGetWindowAttributes(dpy, children[i], &attributes) || attributes.map_state != IsViewable) continue;
      const std::vector<long> owner = property(dpy, children[i], "_NET_WM_PID", XA_CARDINAL);
      if (owner.empty() || owner[0] != pid) continue;
      Window transient_for = 0;
      (XGetTransientForHint(dpy, children[i], &transient_for) ? dialogs : mains).push_back(children[i]);
    }
    if (children) XFree(children);
  }
  const std::vector<Window>& targets = dialogs.empty() ? mains : dialogs;
  for (Window w : targets) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = w;
    event.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, w, False, NoEventMask, &event);
  }
  XCloseDisplay(dpy);
  return static_cast<int>(targets.size());
}
