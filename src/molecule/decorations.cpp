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

void set_decoration_defaults(mol_data_t& rec, const decoration_group_t& g, int i) {
  if (!in_range(i, g.count(rec))) return;
  (rec.deco.edit().*g.colors)[at(i)] = Input_Data.object_color;
  for (const decoration_real_t& r : g.reals) (rec.deco.edit().*r.values)[at(i)] = r.default_value;
}

int add_decoration(mol_data_t& rec, const decoration_group_t& g, std::initializer_list<vec3> points) {
  const int i = g.count(rec);
  resize_decorations(rec, g, i + 1);
  size_t k = 0;
  for (const vec3& p : points)
    if (k < g.points.size()) (rec.deco.edit().*g.points[k++])[at(i)] = p;
  set_decoration_defaults(rec, g, i);
  return i;
}

void vector_set_default_values(mol_data_t& rec, int i) {
  set_decoration_defaults(rec, decoration_groups[DECO_VECTOR], i);
}
void triangle_set_defeault_values(mol_data_t& rec, int i) {
  set_decoration_defaults(rec, decoration_groups[DECO_TRIANGLE], i);
}
void sphere_set_defeault_values(mol_data_t& rec, int i) {
  set_decoration_defaults(rec, decoration_groups[DECO_SPHERE], i);
}
void surface_set_default_values(mol_data_t& rec, int i) {
  set_decoration_defaults(rec, decoration_groups[DECO_SURFACE], i);
}
void cell_set_default_values(mol_data_t& rec, int i) { set_decoration_defaults(rec, decoration_groups[DECO_CELL], i); }

void textbox_set_dfault_values(mol_data_t& rec, int i) {
  if (!in_range(i, rec.ntextbox())) return;
  textbox_t& box = rec.deco.edit().textbox[at(i)];
  box.color.red = Input_Data.label_color.red;
  box.color.green = Input_Data.label_color.green;
  box.color.blue = Input_Data.label_color.blue;
  box.x = default_textbox_x;
  box.text.reset();
  box.font.reset();
}

void add_vector(mol_data_t& rec, const vec3& tail, const vec3& head) {
  const int i = add_decoration(rec, decoration_groups[DECO_VECTOR], {tail, head});
  rec.deco.edit().vector_color[at(i)].alpha = 1.0f;
  notifier().objects_changed();
}

void add_triangle(mol_data_t& rec, const vec3& p1, const vec3& p2, const vec3& p3) {
  add_decoration(rec, decoration_groups[DECO_TRIANGLE], {p1, p2, p3});
  notifier().objects_changed();
}

void add_sphere(mol_data_t& rec, const vec3& centre, double radius) {
  const int i = add_decoration(rec, decoration_groups[DECO_SPHERE], {centre});
  rec.deco.edit().sphere_radius[at(i)] = radius;
  notifier().objects_changed();
}

void add_surface(mol_data_t& rec, const vec3& p1, const vec3& p2, const vec3& p3) {
  add_decoration(rec, decoration_groups[DECO_SURFACE], {p1, p2, p3});
  notifier().objects_changed();
}

void add_cell(mol_data_t& rec, const vec3& origin, const vec3& c1, const vec3& c2, const vec3& c3) {
  add_decoration(rec, decoration_groups[DECO_CELL], {origin, c1, c2, c3});
  notifier().objects_changed();
}

void delete_last_textbox(mol_data_t& rec) { delete_ith_textbox(rec, rec.ntextbox() - 1); }

void delete_ith_textbox(mol_data_t& rec, int i) {
  if (!in_range(i, rec.ntextbox())) return;
  rec.deco.edit().textbox.erase(rec.deco->textbox.begin() + i);
}

void textbox_delete_last_char(mol_data_t& rec) {
  if (rec.deco->textbox.empty()) return;
  auto& text = rec.deco.edit().textbox.back().text;
  if (text && !text->empty()) text->pop_back();
}

void textbox_delete_insert_char(mol_data_t& rec, char c) {
  if (rec.deco->textbox.empty()) return;
  auto& text = rec.deco.edit().textbox.back().text;
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
