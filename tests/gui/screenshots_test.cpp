// The pictures of the examples at the default settings, read back from the
// window as a user sees them, against pictures recorded before the drawing
// of spheres and cylinders changed (tests/data/screens). A pixel agrees when
// it is within a small tolerance of the recorded pixel or of one of its
// eight neighbours: an edge may move by a pixel, as anti-aliasing would
// move it. With MIVOR_RECORD_SCREENS set to a folder, the pictures are
// written there instead.
//
// And a protein of 30,000 atoms opened from a PDB file through the
// converter, and drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "gui/viewer.h"
#include "molecule/mol_data.h"
#include "ui/widgets.h"

namespace {

struct picture_t {
  int width = 0, height = 0;
  std::vector<rgb_t> pixels;
  const rgb_t& at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

picture_t screen(Viewer& viewer) {
  picture_t p;
  p.width = viewer.width();
  p.height = viewer.height();
  GdkPixbuf* shot = gdk_pixbuf_get_from_drawable(nullptr, drawingarea->window, nullptr, 0, 0, 0, 0, p.width, p.height);
  if (!shot) return p;
  const int stride = gdk_pixbuf_get_rowstride(shot), channels = gdk_pixbuf_get_n_channels(shot);
  const guchar* px = gdk_pixbuf_get_pixels(shot);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const guchar* c = px + y * stride + x * channels;
      p.pixels.push_back({c[0], c[1], c[2]});
    }
  g_object_unref(shot);
  return p;
}

picture_t load(const std::string& path) {
  picture_t p;
  GdkPixbuf* image = gdk_pixbuf_new_from_file(path.c_str(), nullptr);
  if (!image) return p;
  p.width = gdk_pixbuf_get_width(image);
  p.height = gdk_pixbuf_get_height(image);
  const int stride = gdk_pixbuf_get_rowstride(image), channels = gdk_pixbuf_get_n_channels(image);
  const guchar* px = gdk_pixbuf_get_pixels(image);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const guchar* c = px + y * stride + x * channels;
      p.pixels.push_back({c[0], c[1], c[2]});
    }
  g_object_unref(image);
  return p;
}

void save(const picture_t& p, const std::string& path) {
  std::vector<guchar> bytes;
  for (const rgb_t& c : p.pixels)
    for (int v : {c.r, c.g, c.b}) bytes.push_back(static_cast<guchar>(v));
  GdkPixbuf* image = gdk_pixbuf_new_from_data(bytes.data(), GDK_COLORSPACE_RGB, FALSE, 8, p.width, p.height,
                                              p.width * 3, nullptr, nullptr);
  gdk_pixbuf_save(image, path.c_str(), "png", nullptr, nullptr);
  g_object_unref(image);
}

bool close(const rgb_t& a, const rgb_t& b, int tolerance) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

// Pixels of `got` that agree with no pixel of the 3×3 neighbourhood in `want`.
int disagreeing(const picture_t& got, const picture_t& want, int& exact) {
  int off = 0;
  exact = 0;
  for (int y = 0; y < got.height; ++y)
    for (int x = 0; x < got.width; ++x) {
      if (close(got.at(x, y), want.at(x, y), 0)) continue;
      ++exact;
      bool near = false;
      for (int dy = -1; dy <= 1 && !near; ++dy)
        for (int dx = -1; dx <= 1 && !near; ++dx) {
          const int u = x + dx, v = y + dy;
          near = u >= 0 && v >= 0 && u < want.width && v < want.height && close(got.at(x, y), want.at(u, v), 8);
        }
      off += !near;
    }
  return off;
}

class Screenshots : public ::testing::Test {
 protected:
  Viewer& viewer = Viewer::get();
};

// The vibrations example is left out: its picture moves with the animation.
TEST_F(Screenshots, ExamplesLookAsTheyDidAtTheDefaultSettings) {
  const char* record = std::getenv("MIVOR_RECORD_SCREENS");
  for (const char* name : {"water", "decorations", "formaldehyde_orbitals", "trajectory"}) {
    const std::string file = std::string(name) + ".mvr";
    viewer.open(viewer.dir().write("work/" + file, read_file(MIVOR_SOURCE_DIR "/examples/" + file)));
    viewer.settle(200);
    const picture_t got = screen(viewer);
    ASSERT_GT(got.width, 0);
    if (record) {
      save(got, std::string(record) + "/" + name + ".png");
      continue;
    }
    const picture_t want = load(MIVOR_SOURCE_DIR "/tests/data/screens/" + std::string(name) + ".png");
    ASSERT_EQ(got.width, want.width) << name;
    ASSERT_EQ(got.height, want.height) << name;
    int exact = 0;
    EXPECT_EQ(disagreeing(got, want, exact), 0) << name << ": " << exact << " pixels not exactly as recorded";
  }
}

// A protein-like set of 30,000 atoms: residues of a backbone (N, CA, C, O)
// and a side chain of four carbons, 6 Å apart on a lattice that fills a
// box, written as PDB ATOM records.
std::string protein_pdb(int atoms) {
  const char* const names[8] = {"N", "CA", "C", "O", "CB", "CG", "CD", "CE"};
  const double offsets[8][3] = {{0, 0, 0},       {1.2, 0.6, 0},   {2.4, 0, 0},     {2.4, -1.2, 0},
                                {1.2, 1.9, 0.6}, {1.2, 3.2, 1.2}, {1.2, 4.5, 1.8}, {1.2, 5.8, 2.4}};
  std::string text;
  char line[100];
  for (int i = 0; i < atoms; ++i) {
    const int residue = i / 8, k = i % 8;
    const double x = 6.0 * (residue % 16) + offsets[k][0], y = 7.0 * (residue / 16 % 16) + offsets[k][1],
                 z = 6.0 * (residue / 256) + offsets[k][2];
    std::snprintf(line, sizeof line, "ATOM  %5d %-4s ALA A%4d    %8.3f%8.3f%8.3f  1.00  0.00           %c\n",
                  i % 100000 + 1, names[k], residue % 10000 + 1, x, y, z, names[k][0]);
    text += line;
  }
  return text + "END\n";
}

TEST_F(Screenshots, AProteinOf30000AtomsOpensAndIsDrawn) {
  viewer.open(viewer.dir().write("work/protein.pdb", protein_pdb(30000)));
  EXPECT_TRUE(viewer.take_warnings().empty());
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->natom(), 30000);
  // Atoms are drawn: at this size a pixel or two each, over the middle of
  // the picture.
  const picture_t got = screen(viewer);
  int coloured = 0;
  for (const rgb_t& p : got.pixels) coloured += !close(p, got.at(0, 0), 4);
  EXPECT_GT(coloured, 300);
}

}  // namespace
