// An OpenGL context without a window or an X server: EGL on Mesa's
// surfaceless platform, current for the lifetime of the object. Pictures
// are drawn into framebuffer objects of it.
#pragma once

#include <string>

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
