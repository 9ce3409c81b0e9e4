// The surface store: slots, index order, back-to-front sorting, the drawing
// order and colours handed to the output, and the potential colour ramp.
#include "render/surface_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "molecule/settings.h"
#include "render/isosurface.h"
#include "render/scene.h"
#include "support/recording_notifier.h"
#include "support/recording_output.h"

namespace {

const color_t plus{0.953f, 0.082f, 0.02f, 0.7f};
const color_t minus{0.005f, 0.005f, 0.957f, 0.6f};

void expect_color(const color_t& got, double r, double g, double b, double a) {
  EXPECT_NEAR(got.red, r, 1e-6);
  EXPECT_NEAR(got.green, g, 1e-6);
  EXPECT_NEAR(got.blue, b, 1e-6);
  EXPECT_NEAR(got.alpha, a, 1e-6);
}

class SurfaceStore : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    msrf_Init(All_Surfaces, 2);
  }
  void TearDown() override { reset_core_state(); }
  msrf_t& store() { return *All_Surfaces; }

  // A triangle in the plane at height z, tagged by its first vertex's x.
  static void add(srf_t* s, double x, double z, int lobe = 0, std::array<double, 3> values = {}) {
    srf_Add_Triangle(*s, {vec3{x, 0, z}, vec3{x + 1, 0, z}, vec3{x, 1, z}},
                     {vec3{0, 0, 1}, vec3{0, 0, 1}, vec3{0, 0, 1}}, values, lobe);
  }
  // The x tags of the drawn triangles, in drawing order.
  static std::string drawn(const RecordingOutput& out) {
    std::string s;
    const auto v = out.only("vertex");
    for (size_t i = 0; i < v.size(); i += 3) s += std::to_string(static_cast<int>(v[i].a[0]));
    return s;
  }
  RecordingNotifier notes;
};

TEST_F(SurfaceStore, SlotsAndIndexOrder) {
  srf_t* a = msrf_New_Surface(store());
  srf_t* b = msrf_New_Surface(store());
  EXPECT_EQ(msrf_New_Surface(store()), nullptr);  // both slots taken
  EXPECT_EQ(b->slot, 1);
  add(b, 7, 0);
  add(a, 1, 0);
  add(a, 2, 0);
  EXPECT_EQ(store().index_valid, 0);
  msrf_Make_Index(store());
  EXPECT_EQ(store().index_valid, 1);
  EXPECT_EQ(store().sorted, 0);
  // Slots in order, each surface newest first.
  ASSERT_EQ(store().n_index(), 3);
  EXPECT_EQ(store().index[0]->v[0][0], 2);
  EXPECT_EQ(store().index[1]->v[0][0], 1);
  EXPECT_EQ(store().index[2]->v[0][0], 7);

  msrf_Delete_Surface(a);
  EXPECT_EQ(store().index_valid, 0);
  msrf_Make_Index(store());
  EXPECT_EQ(store().n_index(), 1);
}

TEST_F(SurfaceStore, SortsFarthestFirstAndOnlyWhenAsked) {
  srf_t* s = msrf_New_Surface(store());
  add(s, 2, 0);
  add(s, 0, 1);
  add(s, 1, 2);
  RecordingOutput out;
  out.mv[14] = -5;  // a translation moves every depth alike
  msrf_Draw(store(), {plus, minus}, out);
  EXPECT_EQ(drawn(out), "201");  // depth -z: the lowest plane is farthest
  EXPECT_EQ(store().sorted, 1);

  // A quarter turn about y makes eye z = x (column-major M[2] = 1, M[8] = -1).
  RecordingOutput turned;
  turned.mv = {0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 0, 1};
  msrf_Draw(store(), {plus, minus}, turned);
  EXPECT_EQ(drawn(turned), "201");  // still the old order: the sort was not invalidated
  mivor_gtk_resort_surfaces();
  EXPECT_EQ(notes.rebuilds, 1);
  turned.calls.clear();
  msrf_Draw(store(), {plus, minus}, turned);
  EXPECT_EQ(drawn(turned), "012");  // depth -x: the smallest x is farthest
}

TEST_F(SurfaceStore, EqualDepthsKeepIndexOrder) {
  srf_t* a = msrf_New_Surface(store());
  srf_t* b = msrf_New_Surface(store());
  add(b, 3, 1);
  add(a, 1, 1);
  add(a, 2, 1);
  add(b, 4, 1);
  RecordingOutput out;
  msrf_Draw(store(), {plus, minus}, out);
  EXPECT_EQ(drawn(out), "2143");
}

// The order of many triangles is that of a stable sort of the previous order
// by descending depth: ties, negative depths, -0 beside +0, and a second
// sort that starts from the first one's order.
TEST_F(SurfaceStore, ManyDepthsSortAsAStableSortWould) {
  srf_t* a = msrf_New_Surface(store());
  srf_t* b = msrf_New_Surface(store());
  std::mt19937 random(7);
  std::uniform_int_distribution<int> level(-20, 20), kind(0, 9);
  std::uniform_real_distribution<double> spread(-1e3, 1e3);
  for (int i = 0; i < 30000; ++i) {
    // Depth -mean z: a few shared levels, 0 as -0 (all z 0) or as +0 (a sum
    // too small to survive the division), and values spread widely.
    double z[3] = {double(level(random)), 0, 0};
    const int k = kind(random);
    if (k == 0) z[0] = 0;
    if (k == 1) z[0] = -std::numeric_limits<float>::denorm_min();
    if (k >= 7) z[0] = spread(random), z[1] = spread(random) * 1e-9, z[2] = spread(random) * 1e9;
    srf_Add_Triangle(i % 3 ? *a : *b, {vec3{0, 0, z[0]}, vec3{1, 0, z[1]}, vec3{0, 1, z[2]}}, {}, {}, 0);
  }
  const auto by_depth = [](const srf_triangle_t* x, const srf_triangle_t* y) { return x->depth > y->depth; };
  // A shear (eye z gains x/2), then the identity.
  const std::array<double, 16> views[2] = {{1, 0, 0.5, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1},
                                           {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
  for (const auto& view : views) {
    msrf_Make_Index(store());
    std::vector<const srf_triangle_t*> expected = store().index;
    msrf_Sort(store(), view);
    std::stable_sort(expected.begin(), expected.end(), by_depth);
    EXPECT_TRUE(store().index == expected);
  }
  int zeros[2] = {};
  for (const srf_t* s : {a, b})
    for (const srf_triangle_t& t : s->triangles)
      if (t.depth == 0) ++zeros[std::signbit(t.depth)];
  EXPECT_GT(zeros[0] * zeros[1], 0);  // both zeros occur in the last sort
}

TEST_F(SurfaceStore, LobeColouredBatch) {
  srf_t* s = msrf_New_Surface(store());
  add(s, 1, 0, 1);
  add(s, 0, 0, 0);
  RecordingOutput out;
  msrf_Draw(store(), {plus, minus}, out);
  EXPECT_EQ(out.ops(),
            "begin color normal vertex normal vertex normal vertex "
            "color normal vertex normal vertex normal vertex end ");
  EXPECT_EQ(out.calls[0].value, static_cast<int>(PrimitiveKind::triangles));
  const auto colors = out.only("color");
  EXPECT_EQ(colors[0].value, 1);  // drawn with alpha
  EXPECT_EQ(colors[0].c, plus);   // newest first: the lobe-0 triangle
  EXPECT_EQ(colors[1].c, minus);

  Input_Data.grayscale = 1;
  RecordingOutput gray;
  msrf_Draw(store(), {plus, minus}, gray);
  const double g = 0.299 * plus.red + 0.587 * plus.green + 0.114 * plus.blue;
  expect_color(gray.only("color")[0].c, g, g, g, plus.alpha);
}

TEST(PotentialColor, RampBetweenWhiteAndTheLobeColours) {
  // One third of the way from white to the plus colour at 0.05.
  const auto third = [](float k) { return 1 - 0.025 * (1 - k) / 0.075; };
  expect_color(potential_color(0.05, plus, minus, false), third(plus.red), third(plus.green), third(plus.blue),
               plus.alpha);
  expect_color(potential_color(-0.05, plus, minus, false), third(minus.red), third(minus.green), third(minus.blue),
               plus.alpha);
  expect_color(potential_color(0.1, plus, minus, false), plus.red, plus.green, plus.blue, plus.alpha);
  expect_color(potential_color(-0.1, plus, minus, false), minus.red, minus.green, minus.blue, plus.alpha);
  expect_color(potential_color(-0.025, plus, minus, false), 1, 1, 1, plus.alpha);

  // Grey: 0 … 0.5 … 1 over -1 … 1, flat 0.5 within ±0.025.
  expect_color(potential_color(0.5125, plus, minus, true), 0.75, 0.75, 0.75, plus.alpha);
  expect_color(potential_color(-0.5125, plus, minus, true), 0.25, 0.25, 0.25, plus.alpha);
  expect_color(potential_color(0.02, plus, minus, true), 0.5, 0.5, 0.5, plus.alpha);
  expect_color(potential_color(3, plus, minus, true), 1, 1, 1, plus.alpha);
  expect_color(potential_color(-3, plus, minus, true), 0, 0, 0, plus.alpha);
}

TEST_F(SurfaceStore, ZeroSlotsDrawAnEmptyBatch) {
  msrf_Init(All_Surfaces, 0);
  EXPECT_EQ(msrf_New_Surface(store()), nullptr);
  RecordingOutput out;
  msrf_Draw(store(), {plus, minus}, out);
  EXPECT_EQ(out.ops(), "begin end ");
  EXPECT_EQ(store().n_index(), 0);
}

TEST_F(SurfaceStore, SceneDrawsTheStoreWithoutDepthWrites) {
  RecordingOutput none;
  draw_grid(none);  // no slots yet: nothing between the depth switches
  EXPECT_EQ(none.ops(), "depth depth ");

  allocate_msrf(1);
  srf_t* s = msrf_New_Surface(store());
  surf[0] = s;
  add(s, 0, 0, 0, {0.05, -0.2, 0});
  Input_Data.plus_color = plus;
  Input_Data.epot_plus_color = minus;
  RecordingOutput out;
  draw_grid(out);
  EXPECT_EQ(out.ops(), "depth begin color normal vertex normal vertex normal vertex end depth ");
  EXPECT_EQ(out.calls.front().value, 0);
  EXPECT_EQ(out.calls.back().value, 1);
  EXPECT_EQ(out.only("color")[0].c, plus);

  // Potential mode: the potential colours, one per vertex.
  Input_Data.show_epot = 1;
  RecordingOutput epot;
  draw_grid(epot);
  EXPECT_EQ(epot.ops(), "depth begin color normal vertex color normal vertex color normal vertex end depth ");
  const auto colors = epot.only("color");
  const color_t& N = Input_Data.epot_minus_color;
  EXPECT_EQ(colors[0].c, potential_color(0.05, minus, N, false));
  expect_color(colors[1].c, N.red, N.green, N.blue, minus.alpha);
  expect_color(colors[2].c, 1, 1, 1, minus.alpha);
}

TEST(SurfaceStoreDeathTest, DeletingASurfaceNotInItsSlotEnds) {
  std::unique_ptr<msrf_t> store;
  msrf_Init(store, 1);
  srf_t stray;
  stray.owner = store.get();
  stray.slot = 0;
  EXPECT_EXIT(msrf_Delete_Surface(&stray), ::testing::ExitedWithCode(1),
              "msrf_Delete_Surface\\(\\): structure corrupted");
}

}  // namespace
