// OpenGL without a window or an X server: a context on EGL's surfaceless
// platform (Mesa), and framebuffer objects to draw into. mivor-cli draws
// its pictures this way; the benchmarks and the tools that make images of
// the repository draw their frames this way.
#pragma once

#include <string>

// A desktop OpenGL context (with the fixed-function pipeline), current for
// the lifetime of the object. It has no default framebuffer: draw into an
// OffscreenFramebuffer.
class OffscreenContext {
 public:
  OffscreenContext();
  ~OffscreenContext();
  OffscreenContext(const OffscreenContext&) = delete;
  OffscreenContext& operator=(const OffscreenContext&) = delete;
  explicit operator bool() const { return current_; }
  // Why there is no context, when there is none.
  const std::string& error() const { return error_; }

 private:
  void* display_ = nullptr;
  void* context_ = nullptr;
  bool current_ = false;
  std::string error_;
};

// A framebuffer object of width × height pixels (8-bit RGBA colour, 24-bit
// depth) in the current context, bound for drawing and reading while the
// object lives; the binding before it is restored afterwards. False when
// the context has no framebuffer objects or can't hold that size.
class OffscreenFramebuffer {
 public:
  OffscreenFramebuffer(int width, int height);
  ~OffscreenFramebuffer();
  OffscreenFramebuffer(const OffscreenFramebuffer&) = delete;
  OffscreenFramebuffer& operator=(const OffscreenFramebuffer&) = delete;
  explicit operator bool() const { return complete_; }

 private:
  bool made_ = false, complete_ = false;
  int previous_ = 0;
  unsigned framebuffer_ = 0, renderbuffers_[2] = {0, 0};
};
