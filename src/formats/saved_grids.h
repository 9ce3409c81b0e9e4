// The grid sections a save writes: the values copied from the native file
// the grids were read from, while that file still holds them as the
// geometry describes them, and its embedded orbital files with the types
// the user changed.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "formats/geometry_section.h"
#include "molecule/mol_data.h"

struct saved_grids_t {
  // Per geometry: what its grid section holds beyond the descriptions.
  std::vector<grid_output_t> outputs;
  // Geometries (from 0) whose values the source file no longer holds:
  // they are saved with their grid descriptions only.
  std::vector<size_t> not_kept;

  // The values of geometry i could not be read back: it is saved without.
  void drop_values(size_t i);
};

// What a save of `geometries` writes of their grids, read from `source`
// (or null: no values, no orbital files). Values are streamed from the
// source when written, one block at a time. A grid section is copied as it
// is (blocks, cut-off, counts); only a cut-off grid that would read back
// with other kept points (the atoms moved, or the numbers that make the
// cut-off don't read back exactly as written) is written without the
// cut-off, every point with its value.
saved_grids_t plan_saved_grids(FILE* source, const std::vector<mol_data_t>& geometries);

// The warning for geometries saved without their values.
std::string values_not_kept_message(const std::vector<size_t>& geometries, const std::string& source);
