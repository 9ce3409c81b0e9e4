#include "cli/cli_common.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/config_dir.h"
#include "app/config_files.h"
#include "app/settings_file.h"
#include "cli/picture_render.h"
#include "document/open_close.h"
#include "formats/element_table_file.h"
#include "formats/safe_file.h"
#include "molecule/elements.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "render/isosurface.h"

namespace {

// The value of option argv[i]: the next argument.
bool take_text(int argc, char** argv, int& i, std::optional<std::string>& out) {
  if (i + 1 >= argc) return false;
  out = argv[++i];
  return true;
}

bool parse_index(const char* text, std::optional<int>& out) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end || v < 0 || v > 1000000000L) return false;
  out = static_cast<int>(v);
  return true;
}

// An isolevel or a tolerance: a finite number above 0 (the surfaces are drawn
// at +L and -L).
bool parse_positive(const char* text, std::optional<double>& out) {
  char* end = nullptr;
  const double v = std::strtod(text, &end);
  if (end == text || *end || !std::isfinite(v) || v <= 0) return false;
  out = v;
  return true;
}

}  // namespace

bool options_t::only(std::initializer_list<const char*> allowed) const {
  for (const std::string& g : given)
    if (std::none_of(allowed.begin(), allowed.end(), [&g](const char* a) { return g == a; })) return false;
  return true;
}

bool parse_options(int argc, char** argv, options_t& o) {
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    if (a.size() > 1 && a[0] == '-' && a[1] == '-') o.given.push_back(a);
    if (a == "--single") {
      o.single = true;
    } else if (a == "--values") {
      o.values = true;
    } else if (a == "--summary") {
      o.summary = true;
    } else if (a == "--geometry" || a == "--grid") {
      if (i + 1 >= argc || !parse_index(argv[++i], a == "--grid" ? o.grid : o.geometry)) return false;
    } else if (a == "--level" || a == "--tolerance") {
      if (i + 1 >= argc || !parse_positive(argv[++i], a == "--level" ? o.level : o.tolerance)) return false;
    } else if (a == "--loose") {
      o.loose = true;
    } else if (a == "--ply" || a == "--cube" || a == "--converter-options") {
      if (!take_text(argc, argv, i, a == "--ply" ? o.ply : a == "--cube" ? o.cube : o.converter_options)) return false;
    } else if (a == "--out" || a == "--format" || a == "--viewpoint") {
      if (!take_text(argc, argv, i, a == "--out" ? o.out : a == "--format" ? o.format : o.viewpoint)) return false;
    } else if (a == "--set-type") {
      // Every word up to the next option.
      const size_t before = o.set_types.size();
      while (i + 1 < argc && std::string(argv[i + 1]).rfind("--", 0) != 0) o.set_types.push_back(argv[++i]);
      if (o.set_types.size() == before) return false;
    } else if (a == "--inporb") {
      if (!take_text(argc, argv, i, o.inporb)) return false;
    } else if (a == "--background") {
      if (!take_text(argc, argv, i, o.background)) return false;
      if (*o.background != "white" && *o.background != "grey" && *o.background != "black") return false;
    } else if (a == "--size") {
      std::optional<std::string> text;
      int w = 0, h = 0;
      if (!take_text(argc, argv, i, text) || !parse_picture_size(*text, w, h)) return false;
      o.size = std::array<int, 2>{w, h};
    } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
      return false;
    } else {
      o.files.push_back(a);
    }
  }
  return true;
}

void load_configuration(bool single) {
  init_config_dir_path();
  init_input_filetypes();
  file_ptr atoms = open_file_ptr(rcdir + "/atoms.rc", "rb");
  if (atoms) {
    read_atom_data(atoms.get());
  } else {
    use_builtin_element_table();
  }
  set_default_settings();
  read_settings_file(rcdir + "/mivor.rc");
  Input_Data.single_bonds_only = single ? 1 : 0;
}

bool open_input(const std::string& name) {
  open_file(name, std::nullopt);
  return file_open_success != 0;
}

void print_messages_to_stderr(const MessageCollector& c) {
  for (const std::string& msg : c.messages) std::fprintf(stderr, "%s\n", msg.c_str());
}

bool surfaces_of_current_geometry() {
  if (m->ngrid() > 0 && surf.size() != static_cast<size_t>(m->ngrid())) {
    allocate_msrf(m->ngrid());
    make_surfaces();
  }
  if (!last_surface_outcome().refused) return true;
  std::fprintf(stderr, "%s\n", surface_too_large_message(last_surface_outcome().triangles).c_str());
  return false;
}

std::optional<int> open_chosen_geometry(const options_t& o, MessageCollector& told) {
  if (!open_input(o.files[0])) {
    print_messages_to_stderr(told);
    return std::nullopt;
  }
  const int g = o.geometry.value_or(igeo);
  if (g >= n_geometries()) {
    std::fprintf(stderr, "geometry %d does not exist (the file has %d)\n", g, n_geometries());
    return std::nullopt;
  }
  return g;
}

bool load_chosen_grid(const options_t& o, MessageCollector& told, void (*load)(), bool grids_optional) {
  const std::optional<int> chosen = open_chosen_geometry(o, told);
  if (!chosen) return false;
  const int g = *chosen;
  const bool same_geometry = g == igeo;
  const bool loaded =
      same_geometry && (!o.grid || *o.grid == iorb) && !mol[static_cast<size_t>(g)].grid->grid_values.empty();
  igeo = g;
  get_new_section();
  if (m->ngrid() == 0) {
    if (grids_optional && !o.grid) return true;
    std::fprintf(stderr, "geometry %d has no grids\n", g);
    return false;
  }
  // Another geometry's current grid is its last one, as after opening.
  if (o.grid)
    iorb = *o.grid;
  else if (!same_geometry)
    iorb = m->ngrid() - 1;
  told.messages.clear();
  if (!loaded) load();
  if (m->ngrid() > 0 && m->grid->n_points == 0) {
    std::fprintf(stderr, "geometry %d grid %d holds no values: the file keeps only the grid descriptions\n", g, iorb);
    return false;
  }
  if (m->ngrid() == 0 || m->grid->grid_values.empty()) {
    print_messages_to_stderr(told);
    return false;
  }
  return true;
}
