// Compiling the scene list and replaying it per frame, for a bonded
// 300-atom molecule and a 3000-atom one (too large to be bonded), in an
// 800 × 800 offscreen framebuffer (Mesa's software OpenGL when
// LIBGL_ALWAYS_SOFTWARE=1).
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cmath>

#include "edit/moves.h"
#include "molecule/bonding.h"
#include "molecule/elements.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "render/gl/offscreen_context.h"
#include "render/gl/scene_gl.h"
#include "render/gl/view_gl.h"
#include "render/scene.h"
#include "render/view.h"

namespace {

constexpr int frame_size = 800;

bool gl_ready() {
  static OffscreenContext context;
  static OffscreenFramebuffer frame(frame_size, frame_size);
  static const bool ready = [] {
    if (!context || !frame) return false;
    scene_realize();
    view_realize();
    return true;
  }();
  return ready;
}

// A jittered simple-cubic lattice of C, H and O atoms 1.4 Å apart, bonded
// the way a file without bonds would be (large molecules stay unbonded).
void build_molecule(int natom) {
  set_default_settings();
  use_builtin_element_table();
  new_mol(1);
  allocate_atoms(*m, natom);
  const int side = static_cast<int>(std::ceil(std::cbrt(natom)));
  const char* const symbols[3] = {"C", "H", "O"};
  for (int i = 0; i < natom; ++i) {
    const double jitter = 0.05 * std::sin(i * 12.9898);
    m->xyz[i] = {(i % side) * 1.4 + jitter, (i / side % side) * 1.4 - jitter, (i / side / side) * 1.4 + 0.5 * jitter};
    set_atom_symbol(*m, i, symbols[i % 7 == 0 ? 2 : i % 3 == 0 ? 1 : 0]);
  }
  determine_bonding(*m);
  // The view the viewer gives a file it opens when it moves the molecule:
  // centred at the origin, filling the field.
  set_sizes();
  view_configure(frame_size, frame_size);
  set_origin_molecule();
}

void BM_CompileSceneList(benchmark::State& state) {
  if (!gl_ready()) {
    state.SkipWithError("no offscreen OpenGL context");
    return;
  }
  build_molecule(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    mivor_draw_3d();
    glFinish();
  }
  state.counters["bonds"] = m->nbond();
}
BENCHMARK(BM_CompileSceneList)->Arg(300)->Arg(3000)->Unit(benchmark::kMillisecond);

void BM_ReplaySceneList(benchmark::State& state) {
  if (!gl_ready()) {
    state.SkipWithError("no offscreen OpenGL context");
    return;
  }
  build_molecule(static_cast<int>(state.range(0)));
  mivor_draw_3d();
  scene_state.rebuild = 0;
  for (auto _ : state) {
    scene_expose(frame_size, frame_size, nullptr);
    glFinish();
  }
  state.counters["bonds"] = m->nbond();
}
BENCHMARK(BM_ReplaySceneList)->Arg(300)->Arg(3000)->Unit(benchmark::kMillisecond);

}  // namespace
