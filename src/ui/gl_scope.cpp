#include "ui/gl_scope.h"

#include <GL/gl.h>

GlScope::GlScope(GtkWidget* widget) {
  if (!widget || !GTK_WIDGET_REALIZED(widget)) return;
  GdkGLContext* context = gtk_widget_get_gl_context(widget);
  drawable_ = gtk_widget_get_gl_drawable(widget);
  active_ = context && drawable_ && gdk_gl_drawable_gl_begin(drawable_, context);
}

GlScope::~GlScope() {
  if (active_) gdk_gl_drawable_gl_end(drawable_);
}

void GlScope::swap_buffers() {
  if (!active_) return;
  if (gdk_gl_drawable_is_double_buffered(drawable_)) {
    gdk_gl_drawable_swap_buffers(drawable_);
  } else {
    glFlush();
  }
}
