// Compiling the scene list and replaying it per frame, for bonded
// molecules of 300 and 3000 atoms and a protein of 30,000 atoms read from a
// PDB file through the converter, in an 800 × 800 offscreen framebuffer
// (Mesa's software OpenGL when LIBGL_ALWAYS_SOFTWARE=1).
//
// The protein (residues of a backbone and a side chain on a lattice, one
// every 6 Å) goes to $TMPDIR (or /tmp) as mivor-bench-protein.pdb and is
// converted there by pdb2mvr.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "edit/moves.h"
#include "formats/native_reader.h"
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

// The view the viewer gives a file it opens when it moves the molecule:
// centred at the origin, filling the field.
void set_view() {
  set_sizes();
  view_configure(frame_size, frame_size);
  set_origin_molecule();
}

// A jittered simple-cubic lattice of C, H and O atoms 1.4 Å apart, bonded
// the way a file without bonds would be; above the size that is bonded
// automatically, each atom to its neighbours along x and y.
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
  if (natom > max_atoms_for_bonding)
    for (int i = 0; i < natom; ++i) {
      if (i % side + 1 < side && i + 1 < natom) m->bond.push_back({i, i + 1, SINGLE_BOND});
      if (i / side % side + 1 < side && i + side < natom) m->bond.push_back({i, i + side, SINGLE_BOND});
    }
  set_view();
}

std::string scratch(const char* name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir ? dir : "/tmp") + "/" + name;
}

// Residues of N, CA, C, O and four side-chain carbons, 6 Å apart.
void write_protein(const std::string& path, int atoms) {
  const char* const names[8] = {"N", "CA", "C", "O", "CB", "CG", "CD", "CE"};
  const double offsets[8][3] = {{0, 0, 0},       {1.2, 0.6, 0},   {2.4, 0, 0},     {2.4, -1.2, 0},
                                {1.2, 1.9, 0.6}, {1.2, 3.2, 1.2}, {1.2, 4.5, 1.8}, {1.2, 5.8, 2.4}};
  std::unique_ptr<FILE, int (*)(FILE*)> out(std::fopen(path.c_str(), "w"), std::fclose);
  for (int i = 0; i < atoms; ++i) {
    const int residue = i / 8, k = i % 8;
    std::fprintf(out.get(), "ATOM  %5d %-4s ALA A%4d    %8.3f%8.3f%8.3f  1.00  0.00           %c\n", i % 100000 + 1,
                 names[k], residue % 10000 + 1, 6.0 * (residue % 16) + offsets[k][0],
                 7.0 * (residue / 16 % 16) + offsets[k][1], 6.0 * (residue / 256) + offsets[k][2], names[k][0]);
  }
  std::fprintf(out.get(), "END\n");
}

// The protein of `atoms` atoms converted by pdb2mvr and read; false when it
// could not be made.
bool load_protein(int atoms) {
  set_default_settings();
  use_builtin_element_table();
  const std::string pdb = scratch("mivor-bench-protein.pdb"), mvr = scratch("mivor-bench-protein.mvr");
  std::remove(mvr.c_str());
  write_protein(pdb, atoms);
  const std::string command = "'" MIVOR_CONVERTER_DIR "/pdb2mvr' '" + pdb + "' >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return false;
  std::unique_ptr<FILE, int (*)(FILE*)> in(std::fopen(mvr.c_str(), "rb"), std::fclose);
  if (!in) return false;
  parse_zev_file(in.get());
  if (!m || m->natom() != atoms) return false;
  set_view();
  return true;
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

void BM_Protein30000(benchmark::State& state) {
  if (!gl_ready()) {
    state.SkipWithError("no offscreen OpenGL context");
    return;
  }
  if (!load_protein(30000)) {
    state.SkipWithError("the protein could not be converted");
    return;
  }
  const bool compile = state.range(0) == 0;
  mivor_draw_3d();
  scene_state.rebuild = 0;
  for (auto _ : state) {
    if (compile) scene_state.rebuild = 1;
    scene_expose(frame_size, frame_size, nullptr);
    glFinish();
  }
  state.SetLabel(compile ? "compile" : "replay");
  state.counters["atoms"] = m->natom();
  state.counters["bonds"] = m->nbond();
}
// 0: compile and draw; 1: replay.
BENCHMARK(BM_Protein30000)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
