// The 3D objects of the current geometry as their editor sees them: which
// objects there are (in the order their buttons are listed), their titles and
// fields, and applying or deleting an edit. Spheres, arrows, triangles, planes
// and cells share one shape (points, reals, a colour); text boxes have their
// own fields.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "molecule/mol_data.h"

// Kind codes, the same that mark the selected decoration for drawing.
enum object_kind_t { OBJ_SPHERE = 1, OBJ_VECTOR = 2, OBJ_TRIANGLE = 3, OBJ_SURFACE = 4, OBJ_CELL = 5, OBJ_TEXTBOX = 6 };

// An object named by its kind and its index (from 0) within that kind.
struct object_ref_t {
  int kind = 0;
  int index = -1;
  bool operator==(const object_ref_t& o) const { return kind == o.kind && index == o.index; }
};

// Every object of `rec`: spheres, vectors, triangles, surfaces, cells, text
// boxes, each kind in index order.
std::vector<object_ref_t> list_objects(const mol_data_t& rec);
bool object_exists(const mol_data_t& rec, const object_ref_t& o);
// "sphere #1", "vector #2", "triangle #1", "surface #1", "cell #1", "textbox #1".
std::string object_title(const object_ref_t& o);
// The object's colour (a text box's with alpha 1); black when it doesn't exist.
color_t object_color(const mol_data_t& rec, const object_ref_t& o);

// One row of numbers in the editor: its label and how many numbers it holds.
struct object_field_t {
  const char* label;
  int n_values;
};
// The geometry rows of kinds 1 to 5 ("center" and "radius" for a sphere, …);
// empty for text boxes and unknown kinds.
std::vector<object_field_t> object_fields(int kind);
// The numbers of those rows in order (points' x, y, z, then the reals).
std::vector<double> object_values(const mol_data_t& rec, const object_ref_t& o);
// The text of a number as its entry shows it ("%15.8f").
std::string object_value_text(double v);

// Applies a dialog's values to a sphere, arrow, triangle, plane or cell: the
// colour (red, green, blue), its transparency (the fourth component) and one
// text per number of object_values. Nothing changes unless every text is a
// number; then `error` names the first that isn't.
bool apply_object_edit(mol_data_t& rec, const object_ref_t& o, const color_t& rgb, double transparency,
                       const std::vector<std::string>& texts, std::string* error);

// A text box as its editor shows it.
struct textbox_edit_t {
  std::string text;
  std::string font;
  color_t color;  // red, green, blue
  std::string x, y;
};
// The position is checked first (whole numbers, else `error` and nothing
// changes) and kept inside a width × height area; the colour gets alpha 1.
// The caller remakes the box's image.
bool apply_textbox_edit(mol_data_t& rec, int i, const textbox_edit_t& edit, int width, int height, std::string* error);

// Removes the object; later objects of its kind move down one index.
bool delete_object(mol_data_t& rec, const object_ref_t& o);
