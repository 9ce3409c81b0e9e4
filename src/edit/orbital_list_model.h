// What the orbital list shows and does, apart from its widgets: the type
// names, the status and subspace lines, type cycling, the sort order and the
// filter language ("#sym index" or "#:" followed by conditions).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "formats/grid_reader.h"
#include "molecule/mol_data.h"

// Orbital type codes 0 to 7; the long names are `orbital_description`.
constexpr int n_orbital_types = 8;
// The one-letter codes, the same table the native files use.
inline const char* const (&orbital_description_short)[n_orbital_types] = orb_desc_short;

// Messages the filter entry shows.
constexpr const char* filter_format_error = "ERROR: wrong filter format!";
constexpr const char* filter_no_orbital_error = "ERROR: No such orbital!";

// The long name of a type code; "undefined" for codes out of range.
const char* orbital_type_description(int code);
// The code of a long name, or -1 when it names no type.
int orbital_type_from_description(const std::string& description);
// The next type when cycling: frozen → inactive → RAS 1 → RAS 2 → RAS 3 →
// secondary → deleted → frozen; "undefined" (and anything else) → frozen.
int next_orbital_type(int code);

// The upper status-bar line of a selected orbital (at most 81 characters).
std::string orbital_status_line(const std::string& mark, int symmetry, int index, double energy, double occupancy,
                                const std::string& type);
// "Subspaces:" and " letter:count;" for every type code present among the
// grids of `rec` whose title contains "Orbital" (at most 511 characters).
std::string subspace_summary(const mol_data_t& rec);

// The orbital grid of `rec` with that symmetry and index, or -1.
int find_orbital_grid(const mol_data_t& rec, int symmetry, int index);
// One orbital's type moves from `old_type` to `new_type` in `index_counts`.
// "deleted" has no entry: a deleted orbital is counted in no subspace.
// A count never drops below 0.
void move_index_count(mol_data_t& rec, int old_type, int new_type);

// Sort comparators of the list columns (negative: a before b). In ascending
// order symmetry, index and occupancy run from high to low with a tie putting
// a after b; energy runs from low to high with a tie putting a before b.
int compare_symmetry(int a, int b);
int compare_index(int a, int b);
int compare_energy(double a, double b);
int compare_occupancy(double a, double b);

// What one list row holds, as the filter sees it.
struct orbital_row_t {
  int type = 0;
  int symmetry = 0;
  int index = 0;
  double energy = 0;
  double occupancy = 0;
};

// One filter condition: its key letter ('e', 'o', 's' or 'i') and argument.
struct orbital_condition_t {
  char key = 0;
  double min = 0, max = 0;                    // 'e' and 'o': the open interval
  std::array<bool, 10> symmetries{};          // 's': the symmetry digits kept
  std::array<bool, n_orbital_types> types{};  // 'i': the type codes kept
};

// A parsed filter text: an error, a jump to one orbital, or conditions.
struct orbital_filter_t {
  enum class kind_t { error, jump, conditions };
  kind_t kind = kind_t::error;
  std::string error;  // the message for the entry when kind is error
  int symmetry = 0, index = 0;
  std::vector<orbital_condition_t> conditions;
};

orbital_filter_t parse_orbital_filter(const std::string& text);
// True when the row passes every condition of the filter.
bool orbital_row_passes(const orbital_filter_t& filter, const orbital_row_t& row);
