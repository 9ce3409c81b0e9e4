// Display lists of the unit shapes the scene is made of: a sphere of radius
// 1, a cylinder of radius 1 and length 1 and a cone from radius 1 to 0, one
// list per subdivision and style, called with a transform that gives each
// atom or bond its place and size. Made outside any other list (OpenGL
// lists can't be made while one is compiled), for the current context.
#pragma once

#include <GL/glu.h>

#include <map>
#include <tuple>

enum class unit_shape { sphere, cylinder, cone };

class shape_lists_t {
 public:
  // Makes the lists the scene may ask for with `slices` and `stacks`, and
  // the fewer-faceted ones of small spheres (see reduced_quality).
  void prepare(GLUquadric* quadric, int slices, int stacks);
  // The list of a shape, or 0 when it was not prepared.
  GLuint find(unit_shape shape, int slices, int stacks, bool filled) const;
  // The lists belong to a context that is gone: forget them.
  void forget() { lists_.clear(); }
  // Deletes the lists (their context current).
  void release();

 private:
  using key_t = std::tuple<int, int, int, bool>;
  void make(GLUquadric* quadric, unit_shape shape, int slices, int stacks, bool filled);
  std::map<key_t, GLuint> lists_;
};

// A filled sphere whose radius covers fewer pixels than this on the screen
// is drawn with fewer facets: at that size the facets of the full
// subdivision fall within a pixel or two of each other.
constexpr double small_shape_pixels = 2.0;

// The subdivision of a filled sphere of radius `pixels` on the screen
// (slices, stacks): the given one, or fewer facets when it is small.
std::pair<int, int> reduced_quality(double pixels, int slices, int stacks);
