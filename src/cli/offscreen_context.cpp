#include "cli/offscreen_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

namespace {

EGLDisplay surfaceless_display() {
  const auto get_display =
      reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (!get_display) return EGL_NO_DISPLAY;
  return get_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
}

}  // namespace

OffscreenContext::OffscreenContext() {
  EGLDisplay display = surfaceless_display();
  EGLint major = 0, minor = 0;
  if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor)) {
    error_ = "no offscreen OpenGL: EGL's surfaceless platform is not available";
    return;
  }
  display_ = display;
  // Desktop OpenGL with the fixed-function pipeline (a compatibility context).
  const EGLint config_attributes[] = {EGL_SURFACE_TYPE,
                                      EGL_PBUFFER_BIT,
                                      EGL_RENDERABLE_TYPE,
                                      EGL_OPENGL_BIT,
                                      EGL_RED_SIZE,
                                      8,
                                      EGL_GREEN_SIZE,
                                      8,
                                      EGL_BLUE_SIZE,
                                      8,
                                      EGL_DEPTH_SIZE,
                                      24,
                                      EGL_NONE};
  EGLConfig config = nullptr;
  EGLint n = 0;
  if (!eglBindAPI(EGL_OPENGL_API) || !eglChooseConfig(display, config_attributes, &config, 1, &n) || n < 1) {
    error_ = "no offscreen OpenGL: no desktop OpenGL configuration";
    return;
  }
  EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
  if (context == EGL_NO_CONTEXT) {
    error_ = "no offscreen OpenGL: the context could not be created";
    return;
  }
  context_ = context;
  current_ = eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context) == EGL_TRUE;
  if (!current_) error_ = "no offscreen OpenGL: the context could not be made current";
}

OffscreenContext::~OffscreenContext() {
  if (!display_) return;
  eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (context_) eglDestroyContext(display_, context_);
  // The display stays initialised until the process ends: terminating it
  // unloads the driver, which frees nothing more but hides from a leak
  // checker where the driver's own memory came from.
}
