// The context: EGL's surfaceless platform with desktop OpenGL. The
// framebuffers: a colour and a depth renderbuffer of the size asked for.
#define GL_GLEXT_PROTOTYPES
#include "render/gl/offscreen_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

EGLDisplay surfaceless_display() {
  const auto get_display =
      reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (!get_display) return EGL_NO_DISPLAY;
  return get_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
}

// Framebuffer objects are core from OpenGL 3.0 and an extension before.
bool has_framebuffer_objects() {
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  if (!version) return false;
  if (std::atoi(version) >= 3) return true;
  const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  return extensions && std::strstr(extensions, "GL_ARB_framebuffer_object");
}

bool size_fits(int width, int height) {
  if (width < 1 || height < 1) return false;
  GLint renderbuffer = 0, viewport[2] = {0, 0};
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
  glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
  return width <= std::min(renderbuffer, viewport[0]) && height <= std::min(renderbuffer, viewport[1]);
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

OffscreenFramebuffer::OffscreenFramebuffer(int width, int height) {
  if (!has_framebuffer_objects() || !size_fits(width, height)) return;
  made_ = true;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous_);
  glGenFramebuffers(1, &framebuffer_);
  glGenRenderbuffers(2, renderbuffers_);
  glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers_[0]);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers_[1]);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffers_[0]);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, renderbuffers_[1]);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return;
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  complete_ = true;
}

OffscreenFramebuffer::~OffscreenFramebuffer() {
  if (!made_) return;
  glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous_));
  glDeleteRenderbuffers(2, renderbuffers_);
  glDeleteFramebuffers(1, &framebuffer_);
}
