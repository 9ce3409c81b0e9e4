// The 3D scene of the current geometry as one traversal: atoms, bonds,
// axes, dipole, decorations, isosurfaces and the highlight of the selected
// decoration, handed in drawing order to a SceneOutput. The OpenGL side
// compiles that into the scene list; the rebuild flag says when it is stale.
#pragma once

#include "render/scene_output.h"
#include "render/surface_store.h"

struct scene_state_t {
  unsigned char rebuild = 1;  // the scene list must be compiled at the next expose
  int slices = 15;
  int stacks = 15;
  double vibration_phase = 0;
  int vibration_direction = 0;
};
extern scene_state_t scene_state;
void reset_scene_state();

int get_number_of_slices();
int get_number_of_stacks();
void set_number_of_slices(int n);
void set_number_of_stacks(int n);

// Makes atom i's colour current (without alpha); an index outside the atoms
// does nothing.
void SetAtomColor(SceneOutput& out, int i);

// The whole scene list in order (steps 1 to 6); nothing without a geometry.
void draw_scene(SceneOutput& out);
// The scene as pictures show it: the list's order with static atoms and
// bonds (no vibration frame) and without the highlight of the decoration
// being edited.
void draw_picture(SceneOutput& out);

void draw_atoms(SceneOutput& out);
void draw_bonds(SceneOutput& out);
void draw_atoms_xyz(SceneOutput& out, const std::vector<vec3>& coords);
// The bonds at `coords`, whose atoms draw_atoms_xyz has drawn.
void draw_bonds_xyz(SceneOutput& out, const std::vector<vec3>& coords);
// Advances the vibration phase and draws one frame of mode `ivib`.
void draw_vibrations(SceneOutput& out);
void draw_axes(SceneOutput& out);
void draw_dipole(SceneOutput& out);
void draw_vectors(SceneOutput& out);
void draw_triangles(SceneOutput& out);
void draw_spheres(SceneOutput& out);
void draw_surfaces(SceneOutput& out);
void draw_cells(SceneOutput& out);
// Isosurfaces: depth writes off around the surface store.
void draw_grid(SceneOutput& out);
// The surfaces of `store` in the lobe or potential colours, depth writes off.
void draw_surface_store(SceneOutput& out, msrf_t& store);
void draw_selected_go(SceneOutput& out);
void draw_molecule_for_multiview(SceneOutput& out);
