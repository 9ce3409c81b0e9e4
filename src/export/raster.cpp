// Targa and image-library files. Both are written into a temporary file
// beside the target and renamed over it, so a failed save never leaves a
// partial picture under the user's name.
#include "export/raster.h"

#include <GL/gl.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "formats/safe_file.h"
#include "molecule/notify.h"

namespace {

const char* const cannot_create = "Error: Can't create file";

void put16(std::string& s, size_t at, int v) {
  s[at] = static_cast<char>(v & 0xff);
  s[at + 1] = static_cast<char>((v >> 8) & 0xff);
}

// Appends the bytes the image library hands over to the open file.
gboolean write_to_file(const gchar* data, gsize count, GError** error, gpointer file) {
  if (std::fwrite(data, 1, count, static_cast<FILE*>(file)) == count) return TRUE;
  g_set_error_literal(error, G_FILE_ERROR, G_FILE_ERROR_NOSPC, "the file could not be written");
  return FALSE;
}

}  // namespace

picture_t read_gl_pixels(int width, int height) {
  picture_t pic;
  if (width <= 0 || height <= 0) return pic;
  pic.width = width, pic.height = height;
  pic.rgba.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pic.rgba.data());
  return pic;
}

std::string targa_bytes(const picture_t& pic) {
  std::string s(18, '\0');
  s[2] = 2;  // uncompressed true colour
  put16(s, 12, pic.width);
  put16(s, 14, pic.height);
  s[16] = 32;  // bits per pixel; descriptor 0: origin bottom left
  s.reserve(18 + pic.rgba.size());
  for (size_t i = 0; i + 3 < pic.rgba.size(); i += 4) {
    const unsigned char* p = &pic.rgba[i];
    const char bgra[4] = {static_cast<char>(p[2]), static_cast<char>(p[1]), static_cast<char>(p[0]),
                          static_cast<char>(p[3])};
    s.append(bgra, 4);
  }
  return s;
}

bool write_targa(const std::string& path, const picture_t& pic) {
  const std::string bytes = targa_bytes(pic);
  const AtomicWrite result = write_file_atomically(
      path, [&bytes](FILE* f) { return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size(); });
  return report_atomic_write(result, path, cannot_create);
}

bool save_pixbuf(const std::string& path, const std::string& format, const picture_t& pic) {
  if (pic.width <= 0 || pic.height <= 0) return false;
  // The library wants the top row first.
  const size_t stride = static_cast<size_t>(pic.width) * 4;
  std::vector<unsigned char> top_down(pic.rgba.size());
  for (int row = 0; row < pic.height; ++row)
    std::memcpy(&top_down[static_cast<size_t>(pic.height - 1 - row) * stride], &pic.rgba[row * stride], stride);
  GdkPixbuf* pixbuf = gdk_pixbuf_new_from_data(top_down.data(), GDK_COLORSPACE_RGB, TRUE, 8, pic.width, pic.height,
                                               static_cast<int>(stride), nullptr, nullptr);
  std::string reason;
  const AtomicWrite result = write_file_atomically(path, [&](FILE* f) {
    GError* error = nullptr;
    const gboolean ok =
        gdk_pixbuf_save_to_callback(pixbuf, write_to_file, f, format.c_str(), &error, static_cast<char*>(nullptr));
    if (error) reason = error->message, g_error_free(error);
    return ok == TRUE;
  });
  g_object_unref(pixbuf);
  if (result == AtomicWrite::not_written && !reason.empty()) {
    make_warning("Error: Can't save picture " + path + ": " + reason);
    return false;
  }
  return report_atomic_write(result, path, cannot_create);
}

int tgaSave(const std::string& path, int width, int height) {
  std::puts("TGA SAVE!");
  if (!write_targa(path, read_gl_pixels(width, height))) return 1;
  notifier().status(StatusBar::lower, "Bitmap saved");
  std::puts("TGA SAVED!");
  return 0;
}

bool pixbuf_save(const std::string& path, const std::string& format, int width, int height) {
  return save_pixbuf(path, format, read_gl_pixels(width, height));
}

std::string quick_screenshot_name(int kind) {
  const char* const pattern = kind == 0 ? "new_file_%.3d.tga" : kind == 3 ? "new_file_%.3d.pov" : "new_file_%.3d.eps";
  char name[32];
  for (int i = 0; i <= 999; ++i) {
    std::snprintf(name, sizeof name, pattern, i);
    struct stat st;
    if (stat(name, &st) != 0) break;
  }
  return name;
}

std::vector<pixbuf_format_t> writable_pixbuf_formats() {
  std::vector<pixbuf_format_t> list;
  GSList* formats = gdk_pixbuf_get_formats();
  for (GSList* f = formats; f; f = f->next) {
    GdkPixbufFormat* format = static_cast<GdkPixbufFormat*>(f->data);
    if (!gdk_pixbuf_format_is_writable(format)) continue;
    gchar* name = gdk_pixbuf_format_get_name(format);
    gchar* description = gdk_pixbuf_format_get_description(format);
    list.insert(list.begin(), {name ? name : "", description ? description : ""});
    g_free(name);
    g_free(description);
  }
  g_slist_free(formats);
  return list;
}
