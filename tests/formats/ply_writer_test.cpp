#include "formats/ply_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

const std::array<color_t, 2> colors = {color_t{1.0f, 0.2f, 0.0f, 0.7f}, color_t{0.0f, 0.5f, 1.0f, 0.7f}};

srf_triangle_t triangle(const vec3& normal, int lobe) {
  srf_triangle_t t;
  t.v = {vec3{0, 0, 0}, vec3{1, 0, 0}, vec3{0, 1, 0}};
  t.n = {normal, normal, normal};
  t.lobe = lobe;
  return t;
}

std::string bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

const std::string one_triangle_header =
    "ply\n"
    "format binary_little_endian 1.0\n"
    "element vertex 3\n"
    "property float x\n"
    "property float y\n"
    "property float z\n"
    "property float nx\n"
    "property float ny\n"
    "property float nz\n"
    "property uchar red\n"
    "property uchar green\n"
    "property uchar blue\n"
    "element face 1\n"
    "property list uchar int vertex_indices\n"
    "end_header\n";

// Corners (0,0,0), (1,0,0), (0,1,0) with normals along -z. Lobe 1 takes
// the second colour: 0, 0.5, 1 is 0, 128, 255. Floats: 1 is 00 00 80 3F,
// -1 is 00 00 80 BF; the face is 3 then the indices 0 1 2 as int32.
TEST(PlyWriter, OneTriangleByteForByte) {
  const std::string zero = bytes({0, 0, 0, 0}), one = bytes({0, 0, 0x80, 0x3f}), minus_one = bytes({0, 0, 0x80, 0xbf});
  const std::string normal_and_color = zero + zero + minus_one + bytes({0, 0x80, 0xff});
  const std::string expected = one_triangle_header + zero + zero + zero + normal_and_color + one + zero + zero +
                               normal_and_color + zero + one + zero + normal_and_color +
                               bytes({3, 0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0});
  EXPECT_EQ(ply_text({triangle({0, 0, -1}, 1)}, colors), expected);
}

TEST(PlyWriter, NonFiniteValuesNeverReachTheFile) {
  srf_triangle_t bad = triangle({0, 0, 1}, 0);
  bad.v[2][1] = NAN;
  srf_triangle_t odd_normal = triangle({0, 0, 1}, 0);
  odd_normal.n[1][0] = INFINITY;
  srf_triangle_t far = triangle({0, 0, 1}, 1);
  far.v[0][0] = 1e300;
  const std::string text = ply_text({bad, odd_normal, far}, colors);
  EXPECT_NE(text.find("element vertex 3\n"), std::string::npos);
  EXPECT_NE(text.find("element face 1\n"), std::string::npos);
  const size_t body = text.find("end_header\n") + 11;
  ASSERT_EQ(text.size() - body, 3 * 27 + 13u);
  // Second vertex: its normal x (bytes 12-15) is 0, colour 255 51 0.
  EXPECT_EQ(text.substr(body + 27 + 12, 4), bytes({0, 0, 0, 0}));
  EXPECT_EQ(text.substr(body + 27 + 24, 3), bytes({0xff, 51, 0}));
}

}  // namespace
