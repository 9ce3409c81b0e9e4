#include "molecule/decorations.h"

#include "molecule/notify.h"
#include "molecule/settings.h"

int textbox_state = 0;
int textbox_number = 0;
go_selection_t go_selected;

namespace {

bool in_range(int i, int n) { return i >= 0 && i < n; }

size_t at(int i) { return static_cast<size_t>(i); }

}  // namespace

void vector_set_default_values(mol_data_t& rec, int i) {
  if (!in_range(i, rec.nvector())) return;
  rec.vector_color[at(i)] = Input_Data.object_color;
  rec.vector_radius[at(i)] = default_vector_radius;
  rec.vector_sharpness[at(i)] = default_vector_sharpness;
}

void triangle_set_defeault_values(mol_data_t& rec, int i) {
  if (in_range(i, rec.ntriangle())) rec.triangle_color[at(i)] = Input_Data.object_color;
}

void sphere_set_defeault_values(mol_data_t& rec, int i) {
  if (!in_range(i, rec.nsphere())) return;
  rec.sphere_color[at(i)] = Input_Data.object_color;
  rec.sphere_radius[at(i)] = default_sphere_radius;
}

void surface_set_default_values(mol_data_t& rec, int i) {
  if (in_range(i, rec.nsurf())) rec.surf_color[at(i)] = Input_Data.object_color;
}

void cell_set_default_values(mol_data_t& rec, int i) {
  if (in_range(i, rec.ncell())) rec.cell_color[at(i)] = Input_Data.object_color;
}

void textbox_set_dfault_values(mol_data_t& rec, int i) {
  if (!in_range(i, rec.ntextbox())) return;
  textbox_t& box = rec.textbox[at(i)];
  box.color.red = Input_Data.label_color.red;
  box.color.green = Input_Data.label_color.green;
  box.color.blue = Input_Data.label_color.blue;
  box.x = default_textbox_x;
  box.text.reset();
  box.font.reset();
}

void add_vector(mol_data_t& rec, const vec3& tail, const vec3& head) {
  const int i = rec.nvector();
  allocate_vectors(rec, i + 1);
  rec.vector_start[at(i)] = tail;
  rec.vector_end[at(i)] = head;
  vector_set_default_values(rec, i);
  rec.vector_color[at(i)].alpha = 1.0f;
  notifier().objects_changed();
}

void add_triangle(mol_data_t& rec, const vec3& p1, const vec3& p2, const vec3& p3) {
  const int i = rec.ntriangle();
  allocate_triangles(rec, i + 1);
  rec.triangle1[at(i)] = p1;
  rec.triangle2[at(i)] = p2;
  rec.triangle3[at(i)] = p3;
  triangle_set_defeault_values(rec, i);
  notifier().objects_changed();
}

void add_sphere(mol_data_t& rec, const vec3& centre, double radius) {
  const int i = rec.nsphere();
  allocate_spheres(rec, i + 1);
  rec.sphere_center[at(i)] = centre;
  sphere_set_defeault_values(rec, i);
  rec.sphere_radius[at(i)] = radius;
  notifier().objects_changed();
}

void add_surface(mol_data_t& rec, const vec3& p1, const vec3& p2, const vec3& p3) {
  const int i = rec.nsurf();
  allocate_surfaces(rec, i + 1);
  rec.surf1[at(i)] = p1;
  rec.surf2[at(i)] = p2;
  rec.surf3[at(i)] = p3;
  surface_set_default_values(rec, i);
  notifier().objects_changed();
}

void add_cell(mol_data_t& rec, const vec3& origin, const vec3& c1, const vec3& c2, const vec3& c3) {
  const int i = rec.ncell();
  allocate_cells(rec, i + 1);
  rec.cell1[at(i)] = origin;
  rec.cell2[at(i)] = c1;
  rec.cell3[at(i)] = c2;
  rec.cell4[at(i)] = c3;
  cell_set_default_values(rec, i);
  notifier().objects_changed();
}

void delete_last_textbox(mol_data_t& rec) { delete_ith_textbox(rec, rec.ntextbox() - 1); }

void delete_ith_textbox(mol_data_t& rec, int i) {
  if (!in_range(i, rec.ntextbox())) return;
  rec.textbox.erase(rec.textbox.begin() + i);
}

void textbox_delete_last_char(mol_data_t& rec) {
  if (rec.textbox.empty()) return;
  auto& text = rec.textbox.back().text;
  if (text && !text->empty()) text->pop_back();
}

void textbox_delete_insert_char(mol_data_t& rec, char c) {
  if (rec.textbox.empty()) return;
  auto& text = rec.textbox.back().text;
  if (!text) text.emplace();
  text->push_back(c);
}

void mivor_set_textbox_number(int i) {
  if (m && i < m->ntextbox())
    textbox_number = i;
  else
    textbox_state = 0;
}

void set_go_selected(int kind, int i) { go_selected = {kind, i}; }

void unset_go_selected() { go_selected = {}; }

void reset_decoration_state() {
  textbox_state = 0;
  textbox_number = 0;
  unset_go_selected();
}
