// Typed cells are checked before anything changes: a text that is not a
// whole number of the cell's kind leaves the atom as it was (a typo must not
// put an atom at the origin). Every accepted edit ends with a snapshot, so
// one undo takes it back.
#include "edit/coordinate_edit.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "document/undo.h"
#include "edit/internal_moves.h"
#include "edit/selection.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "molecule/settings.h"
#include "render/isosurface.h"

namespace {

// The text between leading and trailing blanks.
std::string trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\n\r");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\n\r") - first + 1);
}

// The whole text, blanks around it allowed, as a number of type T.
template <typename T>
std::optional<T> parse_whole(const std::string& text) {
  const std::string t = trimmed(text);
  if (t.empty()) return std::nullopt;
  // from_chars takes no leading '+'.
  const char* first = t.data() + (t[0] == '+' && t.size() > 1 && t[1] != '-' ? 1 : 0);
  T value{};
  const auto [end, error] = std::from_chars(first, t.data() + t.size(), value);
  if (error != std::errc() || end != t.data() + t.size()) return std::nullopt;
  return value;
}

void refuse(const std::string& text, const char* what) {
  notifier().status(StatusBar::lower, "\"" + text + "\" is not " + what + "; the value stays");
}

// The steps after an accepted edit of atom i.
void after_cell_edit(int atom) {
  notifier().atom_list(AtomListChange::changed, atom);
  append_backup();
  // The snapshot holds every motion so far.
  cumulative_move = 0;
  notifier().values_changed();
  rerender_3d();
  redraw();
}

}  // namespace

std::optional<double> parse_cell_number(const std::string& text) {
  const std::optional<double> value = parse_whole<double>(text);
  if (value && !std::isfinite(*value)) return std::nullopt;
  return value;
}

std::optional<int> parse_cell_integer(const std::string& text) { return parse_whole<int>(text); }

CellEdit set_atom_coordinate(int atom, int axis, const std::string& text) {
  if (!m || !valid_atom(*m, atom) || axis < 0 || axis > 2) return CellEdit::refused;
  const std::optional<double> value = parse_cell_number(text);
  if (!value) {
    refuse(text, "a number");
    return CellEdit::refused;
  }
  m->xyz[static_cast<size_t>(atom)][static_cast<size_t>(axis)] = *value;
  if (Input_Data.auto_rebond) rebond();
  if (m->ngrid() > 0) make_surfaces(false);
  after_cell_edit(atom);
  return CellEdit::done;
}

CellEdit set_atom_numbering(int atom, const std::string& text) {
  if (!m || !valid_atom(*m, atom)) return CellEdit::refused;
  std::printf("Changing numbering of atom #%d = |%s|\n", atom, text.c_str());
  std::fflush(stdout);
  const std::optional<int> value = parse_cell_integer(text);
  if (!value) {
    refuse(text, "a whole number");
    return CellEdit::refused;
  }
  const bool had = (m->flags & FLAG_ATOM_NUMBERS) != 0;
  set_atom_number(*m, atom, *value);
  after_cell_edit(atom);
  return had ? CellEdit::done : CellEdit::flag_raised;
}

CellEdit set_atom_name_text(int atom, const std::string& text) {
  if (!m || !valid_atom(*m, atom)) return CellEdit::refused;
  const bool had = (m->flags & FLAG_ATOM_NAMES) != 0;
  set_atom_name(*m, atom, text);
  after_cell_edit(atom);
  return had ? CellEdit::done : CellEdit::flag_raised;
}

bool select_only_atom(int atom) {
  if (!m || !valid_atom(*m, atom)) return false;
  unselect_all();
  click_select(atom);
  return true;
}
