// The 3D decorations the user places in the scene (arrows, triangles,
// spheres, planes, cells, text boxes): adding them with their defaults,
// editing text boxes, and which one is selected for editing.
#pragma once

#include <initializer_list>

#include "molecule/mol_data.h"

constexpr int default_textbox_x = 2;

// The colour and reals of item i of group `g` to their defaults; nothing when
// i is not below the group's count.
void set_decoration_defaults(mol_data_t& rec, const decoration_group_t& g, int i);
// Grows group `g` by one item with these points (in the group's order) and
// the defaults; returns its index.
int add_decoration(mol_data_t& rec, const decoration_group_t& g, std::initializer_list<vec3> points);

// Default setters; each does nothing when i is not below the group's count.
void vector_set_default_values(mol_data_t& rec, int i);
void triangle_set_defeault_values(mol_data_t& rec, int i);
void sphere_set_defeault_values(mol_data_t& rec, int i);
void surface_set_default_values(mol_data_t& rec, int i);
void cell_set_default_values(mol_data_t& rec, int i);
void textbox_set_dfault_values(mol_data_t& rec, int i);

// Each grows its group by one, fills the new item and applies the defaults.
void add_vector(mol_data_t& rec, const vec3& tail, const vec3& head);
void add_triangle(mol_data_t& rec, const vec3& p1, const vec3& p2, const vec3& p3);
void add_sphere(mol_data_t& rec, const vec3& centre, double radius);
void add_surface(mol_data_t& rec, const vec3& p1, const vec3& p2, const vec3& p3);
void add_cell(mol_data_t& rec, const vec3& origin, const vec3& c1, const vec3& c2, const vec3& c3);

// Text boxes: removing one closes the gap; an index out of range does nothing.
void delete_last_textbox(mol_data_t& rec);
void delete_ith_textbox(mol_data_t& rec, int i);
// Typing into the last text box, one character at a time.
void textbox_delete_last_char(mol_data_t& rec);
void textbox_delete_insert_char(mol_data_t& rec, char c);

// Text-box editing: 0 idle; 1 a new box waits for its position; 2 the last
// box receives typed text; 3 a chosen box waits for its new position.
extern int textbox_state;
// The box chosen for moving.
extern int textbox_number;
void mivor_set_textbox_number(int i);

// The decoration selected for editing.
enum go_kind_t { GO_NONE = 0, GO_SPHERE = 1, GO_ARROW = 2, GO_TRIANGLE = 3, GO_PLANE = 4, GO_CELL = 5 };
struct go_selection_t {
  int kind = GO_NONE;
  int index = -1;
};
extern go_selection_t go_selected;
void set_go_selected(int kind, int i);
void unset_go_selected();

// No text box being placed or typed, no decoration selected.
void reset_decoration_state();
