// Raster files: the Targa layout byte by byte, image-library files read
// back, failures that keep the earlier file, and quick-screenshot names.
#include "export/raster.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <string>

#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

// A width × height picture whose pixel (x, y) from the bottom left is
// (x, y, 7, 255) in red, green, blue, alpha (coordinates below 256).
picture_t gradient(int width, int height) {
  picture_t pic{width, height, {}};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      pic.rgba.insert(pic.rgba.end(),
                      {static_cast<unsigned char>(x & 0xff), static_cast<unsigned char>(y & 0xff), 7, 255});
  return pic;
}

unsigned byte(const std::string& s, size_t at) { return static_cast<unsigned char>(s.at(at)); }

TEST(Raster, TargaHeaderAndPixelOrder) {
  const std::string tga = targa_bytes(gradient(600, 400));
  ASSERT_EQ(tga.size(), 18u + 960000u);
  const unsigned header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x58, 0x02, 0x90, 0x01, 32, 0};
  for (size_t i = 0; i < 18; ++i) EXPECT_EQ(byte(tga, i), header[i]) << "byte " << i;
  // The first pixel is the bottom-left one, in blue, green, red, alpha.
  EXPECT_EQ(byte(tga, 18), 7u);
  EXPECT_EQ(byte(tga, 19), 0u);
  EXPECT_EQ(byte(tga, 20), 0u);
  EXPECT_EQ(byte(tga, 21), 255u);
  // The next is one to the right; the second row starts 600 pixels on.
  EXPECT_EQ(byte(tga, 18 + 4 + 2), 1u);
  EXPECT_EQ(byte(tga, 18 + 600 * 4 + 1), 1u);
}

class RasterFiles : public ::testing::Test {
 protected:
  TempDir dir;
  RecordingNotifier told;
};

TEST_F(RasterFiles, ImageLibraryFilesReadBackTopRowFirst) {
  const std::string path = dir.file("picture.png");
  ASSERT_TRUE(save_pixbuf(path, "png", gradient(5, 3)));
  GdkPixbuf* read = gdk_pixbuf_new_from_file(path.c_str(), nullptr);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(gdk_pixbuf_get_width(read), 5);
  EXPECT_EQ(gdk_pixbuf_get_height(read), 3);
  // The top-left pixel of the file is the picture's top row: y = 2.
  const guchar* p = gdk_pixbuf_get_pixels(read);
  EXPECT_EQ(p[0], 0);
  EXPECT_EQ(p[1], 2);
  EXPECT_EQ(p[2], 7);
  g_object_unref(read);
  EXPECT_TRUE(told.warnings.empty());
  EXPECT_TRUE(writable_pixbuf_formats().size() >= 2u) << "png and jpeg at least";
}

TEST_F(RasterFiles, FailuresSayWhyAndKeepTheEarlierFile) {
  const std::string path = dir.write("picture.png", "earlier");
  EXPECT_FALSE(save_pixbuf(path, "no-such-format", gradient(4, 4)));
  ASSERT_EQ(told.warnings.size(), 1u);
  EXPECT_EQ(told.warnings[0].rfind("Error: Can't save picture " + path + ": ", 0), 0u) << told.warnings[0];
  EXPECT_EQ(read_file(path), "earlier");
  // A directory in the way; a folder that does not exist.
  dir.subdir("shot.tga");
  EXPECT_FALSE(write_targa(dir.file("shot.tga"), gradient(2, 2)));
  EXPECT_EQ(told.warnings.back(), "Error: Can't write file " + dir.file("shot.tga") + " (it is a directory)");
  EXPECT_FALSE(write_targa(dir.file("none/shot.tga"), gradient(2, 2)));
  EXPECT_EQ(told.warnings.back(), "Error: Can't create file");
  // Nothing but the earlier file and the directory is left behind.
  EXPECT_EQ(std::system(("test $(ls -A " + dir.path() + " | wc -l) -eq 2").c_str()), 0);
}

TEST_F(RasterFiles, QuickScreenshotsTakeTheNextFreeNumber) {
  ScopedCwd cwd(dir.path());
  EXPECT_EQ(quick_screenshot_name(0), "new_file_000.tga");
  dir.write("new_file_000.tga", "");
  dir.write("new_file_001.tga", "");
  EXPECT_EQ(quick_screenshot_name(0), "new_file_002.tga");
  EXPECT_EQ(quick_screenshot_name(1), "new_file_000.eps");
  EXPECT_EQ(quick_screenshot_name(2), "new_file_000.eps");
  EXPECT_EQ(quick_screenshot_name(3), "new_file_000.pov");
}

}  // namespace
