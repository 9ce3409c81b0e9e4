#include "render/gl/offscreen_context.h"

#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>

#include "render/gl/scene_gl.h"
#include "render/gl/view_gl.h"

bool open_offscreen_context(int width, int height) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  const int config_attributes[] = {GLX_DRAWABLE_TYPE,
                                   GLX_PBUFFER_BIT,
                                   GLX_RENDER_TYPE,
                                   GLX_RGBA_BIT,
                                   GLX_RED_SIZE,
                                   8,
                                   GLX_GREEN_SIZE,
                                   8,
                                   GLX_BLUE_SIZE,
                                   8,
                                   GLX_DEPTH_SIZE,
                                   24,
                                   None};
  int n = 0;
  GLXFBConfig* configs = glXChooseFBConfig(display, DefaultScreen(display), config_attributes, &n);
  if (!configs || n == 0) return false;
  const int pbuffer_attributes[] = {GLX_PBUFFER_WIDTH, width, GLX_PBUFFER_HEIGHT, height, None};
  const GLXPbuffer pbuffer = glXCreatePbuffer(display, configs[0], pbuffer_attributes);
  const GLXContext context = glXCreateNewContext(display, configs[0], GLX_RGBA_TYPE, nullptr, True);
  XFree(configs);
  if (!pbuffer || !context || !glXMakeContextCurrent(display, pbuffer, pbuffer, context)) return false;
  scene_realize();
  view_realize();
  return true;
}
