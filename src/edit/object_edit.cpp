// Kinds 1 to 5 map onto the five decoration groups, whose descriptor lists
// points and reals in the order the editor shows them; so reading, writing
// and deleting are written once for all five.
#include "edit/object_edit.h"

#include <algorithm>
#include <cstdio>

#include "edit/coordinate_edit.h"
#include "molecule/decorations.h"

namespace {

size_t at(int i) { return static_cast<size_t>(i); }

// The decoration group of kinds 1 to 5; null for text boxes and others.
const decoration_group_t* group_of(int kind) {
  switch (kind) {
    case OBJ_SPHERE:
      return &decoration_groups[DECO_SPHERE];
    case OBJ_VECTOR:
      return &decoration_groups[DECO_VECTOR];
    case OBJ_TRIANGLE:
      return &decoration_groups[DECO_TRIANGLE];
    case OBJ_SURFACE:
      return &decoration_groups[DECO_SURFACE];
    case OBJ_CELL:
      return &decoration_groups[DECO_CELL];
    default:
      return nullptr;
  }
}

int count_of(const mol_data_t& rec, int kind) {
  if (kind == OBJ_TEXTBOX) return rec.ntextbox();
  const decoration_group_t* g = group_of(kind);
  return g ? g->count(rec) : 0;
}

template <typename T>
void erase_at(std::vector<T>& v, int i) {
  if (at(i) < v.size()) v.erase(v.begin() + i);
}

}  // namespace

std::vector<object_ref_t> list_objects(const mol_data_t& rec) {
  std::vector<object_ref_t> objects;
  for (int kind : {OBJ_SPHERE, OBJ_VECTOR, OBJ_TRIANGLE, OBJ_SURFACE, OBJ_CELL, OBJ_TEXTBOX})
    for (int i = 0; i < count_of(rec, kind); ++i) objects.push_back({kind, i});
  return objects;
}

bool object_exists(const mol_data_t& rec, const object_ref_t& o) {
  return o.index >= 0 && o.index < count_of(rec, o.kind);
}

std::string object_title(const object_ref_t& o) {
  static const char* const names[] = {"", "sphere", "vector", "triangle", "surface", "cell", "textbox"};
  const char* name = o.kind >= OBJ_SPHERE && o.kind <= OBJ_TEXTBOX ? names[o.kind] : "object";
  return std::string(name) + " #" + std::to_string(o.index + 1);
}

color_t object_color(const mol_data_t& rec, const object_ref_t& o) {
  if (!object_exists(rec, o)) return {};
  if (o.kind == OBJ_TEXTBOX) {
    color_t c = rec.deco->textbox[at(o.index)].color;
    c.alpha = 1.0f;
    return c;
  }
  return ((*rec.deco).*group_of(o.kind)->colors)[at(o.index)];
}

std::vector<object_field_t> object_fields(int kind) {
  switch (kind) {
    case OBJ_SPHERE:
      return {{"center", 3}, {"radius", 1}};
    case OBJ_VECTOR:
      return {{"base", 3}, {"tip", 3}, {"radius", 1}, {"sharpness", 1}};
    case OBJ_TRIANGLE:
      return {{"vertex 1", 3}, {"vertex 2", 3}, {"vertex 3", 3}};
    case OBJ_SURFACE:
      return {{"point 1", 3}, {"point 2", 3}, {"point 3", 3}};
    case OBJ_CELL:
      return {{"vertex 1", 3}, {"vertex 2", 3}, {"vertex 3", 3}, {"vertex 4", 3}};
    default:
      return {};
  }
}

std::vector<double> object_values(const mol_data_t& rec, const object_ref_t& o) {
  const decoration_group_t* g = group_of(o.kind);
  if (!g || !object_exists(rec, o)) return {};
  std::vector<double> values;
  for (auto points : g->points) {
    const vec3& p = ((*rec.deco).*points)[at(o.index)];
    values.insert(values.end(), p.begin(), p.end());
  }
  for (const decoration_real_t& r : g->reals) values.push_back(((*rec.deco).*r.values)[at(o.index)]);
  return values;
}

std::string object_value_text(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%15.8f", v);
  return text;
}

bool apply_object_edit(mol_data_t& rec, const object_ref_t& o, const color_t& rgb, double transparency,
                       const std::vector<std::string>& texts, std::string* error) {
  const decoration_group_t* g = group_of(o.kind);
  if (!g || !object_exists(rec, o)) return false;
  const size_t n = g->points.size() * 3 + g->reals.size();
  if (texts.size() != n) return false;
  std::vector<double> values(n);
  for (size_t k = 0; k < n; ++k) {
    const std::optional<double> v = parse_cell_number(texts[k]);
    if (!v) {
      if (error) *error = "\"" + texts[k] + "\" is not a number; nothing was changed";
      return false;
    }
    values[k] = *v;
  }
  decoration_data_t& d = rec.deco.edit();
  const float alpha = static_cast<float>(std::clamp(transparency, 0.0, 1.0));
  (d.*g->colors)[at(o.index)] = {rgb.red, rgb.green, rgb.blue, alpha};
  size_t k = 0;
  for (auto points : g->points) {
    vec3& p = (d.*points)[at(o.index)];
    for (double& c : p) c = values[k++];
  }
  for (const decoration_real_t& r : g->reals) (d.*r.values)[at(o.index)] = values[k++];
  return true;
}

bool apply_textbox_edit(mol_data_t& rec, int i, const textbox_edit_t& edit, int width, int height, std::string* error) {
  if (!object_exists(rec, {OBJ_TEXTBOX, i})) return false;
  const std::optional<int> x = parse_cell_integer(edit.x), y = parse_cell_integer(edit.y);
  if (!x || !y) {
    if (error) *error = "\"" + (x ? edit.y : edit.x) + "\" is not a whole number; nothing was changed";
    return false;
  }
  textbox_t& box = rec.deco.edit().textbox[at(i)];
  box.x = std::clamp(*x, 0, std::max(width, 0));
  box.y = std::clamp(*y, 0, std::max(height, 0));
  box.color = {edit.color.red, edit.color.green, edit.color.blue, 1.0f};
  box.font = edit.font;
  box.text = edit.text;
  return true;
}

bool delete_object(mol_data_t& rec, const object_ref_t& o) {
  if (!object_exists(rec, o)) return false;
  if (o.kind == OBJ_TEXTBOX) {
    delete_ith_textbox(rec, o.index);
    return true;
  }
  const decoration_group_t* g = group_of(o.kind);
  decoration_data_t& d = rec.deco.edit();
  for (auto points : g->points) erase_at(d.*points, o.index);
  erase_at(d.*g->colors, o.index);
  for (const decoration_real_t& r : g->reals) erase_at(d.*r.values, o.index);
  return true;
}
