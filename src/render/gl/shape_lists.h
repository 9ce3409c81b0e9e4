// Display lists of the unit shapes the scene is made of: a sphere of radius
// 1, a cylinder of radius 1 and length 1 and a cone from radius 1 to 0, one
// list per subdivision and style, called with a transform that gives each
// atom or bond its place and size; and the subdivision of filled shapes by
// their size on the screen. Made outside any other list (OpenGL lists can't
// be made while one is compiled), for the current context.
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

// A scene of at least this many atoms is crowded: its small filled spheres
// and cylinders are given only as many slices as keep their outlines within
// facet_error_pixels of the true circle, when that is at most
// placed_mesh_slices (a radius up to about 5 pixels); they are drawn as
// vertices in place, the larger ones from their lists with every facet. The
// highlights of small atoms then shade a little differently, which smaller
// scenes (all the examples) are spared: they are drawn quickly enough.
constexpr int crowded_scene_atoms = 1000;
constexpr double facet_error_pixels = 0.25;
constexpr int placed_mesh_slices = 10;
// A scene with fewer-faceted shapes is compiled anew when a zoom has made it
// this much larger, or made a reduced shape of a scene that isn't crowded
// larger than small_shape_pixels: their facets would then show.
constexpr double zoom_for_more_facets = 1.5;

// The subdivision (slices, stacks) of a filled shape of radius `pixels` on
// the screen, never more than asked for. In a crowded scene, stacks half the
// slices (the same angle per step), at least 4 slices and 3 stacks.
std::pair<int, int> reduced_quality(double pixels, int slices, int stacks, bool crowded = false);
