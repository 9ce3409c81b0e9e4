// Raster pictures: pixels read back from OpenGL, the 32-bit Targa file, the
// formats the image library can write, and saving through it.
#pragma once

#include <string>
#include <vector>

// width × height pixels of four bytes (red, green, blue, alpha), bottom row
// first, as OpenGL reads them.
struct picture_t {
  int width = 0, height = 0;
  std::vector<unsigned char> rgba;
};

// The pixels of the current OpenGL read buffer from (0, 0).
picture_t read_gl_pixels(int width, int height);

// The Targa file of `pic`: the 18-byte header, then its pixels bottom row
// first in blue, green, red, alpha.
std::string targa_bytes(const picture_t& pic);
// Writes it to `path` atomically; a warning on failure. True when written.
bool write_targa(const std::string& path, const picture_t& pic);
// Saves `pic` (top row first) in image-library format `format` ("png",
// "jpeg", …) to `path` atomically; a warning with the library's reason on
// failure. True when written.
bool save_pixbuf(const std::string& path, const std::string& format, const picture_t& pic);

// Reads width × height pixels of the current framebuffer and writes the
// Targa file: 0 when saved, 1 when not (the warning has told why). Shows
// "Bitmap saved" on the lower status bar.
int tgaSave(const std::string& path, int width, int height);
// Reads the pixels and saves them through the image library.
bool pixbuf_save(const std::string& path, const std::string& format, int width, int height);

// The name of the next quick screenshot in the working directory: kind 0
// "new_file_%.3d.tga", 1 and 2 ".eps", 3 ".pov", with the first number from
// 000 whose file does not exist, or 999.
std::string quick_screenshot_name(int kind);

// An image-library format that can be written.
struct pixbuf_format_t {
  std::string name;         // "png"
  std::string description;  // as the library describes it
};
// The writable formats, in reverse library order.
std::vector<pixbuf_format_t> writable_pixbuf_formats();
