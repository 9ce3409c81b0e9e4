// Makes the drawing area's OpenGL context current for one block of GL work.
#pragma once

#include <gtk/gtk.h>
#include <gtk/gtkgl.h>

class GlScope {
 public:
  // Any widget with GL capability; does nothing (and is false) before the
  // widget is realised or when the context can't be made current.
  explicit GlScope(GtkWidget* widget);
  ~GlScope();
  GlScope(const GlScope&) = delete;
  GlScope& operator=(const GlScope&) = delete;
  explicit operator bool() const { return active_; }
  // Shows what was drawn (double buffering).
  void swap_buffers();

 private:
  GdkGLDrawable* drawable_ = nullptr;
  bool active_ = false;
};
