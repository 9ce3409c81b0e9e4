// mivor-cli: opens files through the same road as the viewer and prints
// what it read as JSON, converts files, reads grids and extracts their
// isosurfaces. It finds its configuration like the viewer but never writes
// into it.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/config_dir.h"
#include "app/config_files.h"
#include "app/settings_file.h"
#include "cli/json_writer.h"
#include "document/native_file.h"
#include "document/open_close.h"
#include "document/save.h"
#include "document/undo.h"
#include "formats/converters.h"
#include "formats/cube_writer.h"
#include "formats/element_numbers.h"
#include "formats/element_table_file.h"
#include "formats/file_names.h"
#include "formats/file_types.h"
#include "formats/grid_reader.h"
#include "formats/ply_writer.h"
#include "formats/safe_file.h"
#include "molecule/elements.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "molecule/settings.h"
#include "render/isosurface.h"

namespace {

const char usage[] =
    "usage: mivor-cli info FILE [--single]\n"
    "       mivor-cli convert IN OUT [--single] [--converter-options \"OPTIONS\"]\n"
    "       mivor-cli grid FILE [--geometry G] [--grid K] [--values]\n"
    "       mivor-cli surface FILE [--geometry G] [--grid K] [--level L] [--ply OUT.ply]\n"
    "       mivor-cli export-grid FILE [--geometry G] --grid K --cube OUT.cube\n";

// Collects every warning and status text shown, in order.
class MessageCollector final : public Notifier {
 public:
  void warning(const std::string& text) override { messages.push_back(text); }
  void status(StatusBar, const std::string& text) override {
    if (!text.empty()) messages.push_back(text);
  }
  std::vector<std::string> messages;
};

struct options_t {
  std::vector<std::string> files;
  bool single = false;
  bool values = false;
  std::optional<int> geometry;
  std::optional<int> grid;
  std::optional<double> level;
  std::optional<std::string> ply;
  std::optional<std::string> cube;
  std::optional<std::string> converter_options;
  // Options only the surface command takes.
  bool surface_only() const { return level || ply; }
  // Options only export-grid and convert take.
  bool other_command_only() const { return cube || converter_options; }
};

bool parse_index(const char* text, std::optional<int>& out) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end || v < 0 || v > 1000000000L) return false;
  out = static_cast<int>(v);
  return true;
}

// An isolevel: a finite number above 0 (the surfaces are drawn at +L and -L).
bool parse_level(const char* text, std::optional<double>& out) {
  char* end = nullptr;
  const double v = std::strtod(text, &end);
  if (end == text || *end || !std::isfinite(v) || v <= 0) return false;
  out = v;
  return true;
}

bool parse_options(int argc, char** argv, options_t& o) {
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--single") {
      o.single = true;
    } else if (a == "--values") {
      o.values = true;
    } else if (a == "--geometry" || a == "--grid") {
      if (i + 1 >= argc || !parse_index(argv[++i], a == "--grid" ? o.grid : o.geometry)) return false;
    } else if (a == "--level") {
      if (i + 1 >= argc || !parse_level(argv[++i], o.level)) return false;
    } else if (a == "--ply" || a == "--cube" || a == "--converter-options") {
      if (i + 1 >= argc) return false;
      (a == "--ply" ? o.ply : a == "--cube" ? o.cube : o.converter_options) = argv[++i];
    } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
      return false;
    } else {
      o.files.push_back(a);
    }
  }
  return true;
}

// The viewer's configuration, read only: element table (built in when the
// directory has none), settings and file types.
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

void write_grid(JsonWriter& j, const mol_data_t& rec) {
  j.begin_object();
  j.key("n_grid_header").value(rec.n_grid_header);
  j.key("n_mo").value(rec.n_mo);
  j.key("n_points").value(rec.n_points);
  j.key("net").begin_array();
  for (int n : rec.net) j.value(n);
  j.end_array();
  j.key("block_size").value(rec.block_size);
  j.key("n_blocks").value(rec.n_blocks);
  j.key("is_cutoff").value(rec.is_cutoff);
  j.key("cutoff").value(rec.cutoff);
  j.key("origin").point(rec.origin);
  j.key("axis").begin_array();
  for (const vec3& a : rec.axis) j.point(a);
  j.end_array();
  j.key("index_counts").begin_array();
  for (int n : rec.index_counts) j.value(n);
  j.end_array();
  j.key("grid_data_start").value(static_cast<long long>(rec.grid_data_start));
  j.key("grid_data_size").value(static_cast<long long>(rec.grid_data_size));
  j.key("current").value(iorb);
  j.key("grids").begin_array();
  for (size_t g = 0; g < rec.grid_kind.size(); ++g) {
    j.begin_object();
    j.key("kind").value(rec.grid_kind[g]);
    j.key("name").value(rec.grid_name[g]);
    j.key("sym").value(rec.orb_sym[g]);
    j.key("index").value(rec.orb_index[g]);
    j.key("energy").value(rec.orb_energy[g]);
    j.key("occ").value(rec.orb_occ[g]);
    j.key("type").value(rec.orb_type[g]);
    j.end_object();
  }
  j.end_array();
  j.end_object();
}

void write_optional(JsonWriter& j, const char* key, bool present, double v) {
  j.key(key);
  if (present)
    j.value(v);
  else
    j.null();
}

// How the listing names the items of each decoration group: the list, the
// points (one key each, or one array), then the group's reals in lower case
// and the colour.
struct decoration_names_t {
  const char* list;
  std::vector<const char*> point_keys;  // empty: the points form one array
  const char* points_array;
};
const decoration_names_t decoration_names[N_DECORATION_GROUPS] = {
    {"vectors", {"start", "end"}, nullptr},
    {"triangles", {}, "corners"},
    {"spheres", {"center"}, nullptr},
    {"surfaces", {}, "points"},
    {"cells", {}, "corners"},
};

std::string lower_case(const char* key) {
  std::string s = key;
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

void write_decorations(JsonWriter& j, const mol_data_t& rec, size_t group) {
  const decoration_group_t& g = decoration_groups[group];
  const decoration_names_t& names = decoration_names[group];
  j.key(names.list).begin_array();
  for (size_t i = 0; i < static_cast<size_t>(g.count(rec)); ++i) {
    j.begin_object();
    if (names.points_array) {
      j.key(names.points_array).begin_array();
      for (auto points : g.points) j.point((rec.*points)[i]);
      j.end_array();
    } else {
      for (size_t k = 0; k < g.points.size(); ++k) j.key(names.point_keys[k]).point((rec.*g.points[k])[i]);
    }
    for (const decoration_real_t& r : g.reals) j.key(lower_case(r.key).c_str()).value((rec.*r.values)[i]);
    j.key("color").color((rec.*g.colors)[i]);
    j.end_object();
  }
  j.end_array();
}

void write_geometry(JsonWriter& j, const mol_data_t& rec) {
  j.begin_object();
  j.key("flags").value(rec.flags);
  j.key("editable").value(rec.editable != 0);
  j.key("atoms").begin_array();
  for (size_t i = 0; i < rec.xyz.size(); ++i) {
    const element_t& el = rec.elem[i];
    j.begin_object();
    j.key("symbol").value(el.name);
    j.key("xyz").point(rec.xyz[i]);
    j.key("color").color(el.color);
    j.key("size").value(static_cast<double>(el.size));
    j.key("bond_size").value(static_cast<double>(el.bond_size));
    j.key("valency").value(el.valency);
    j.key("name").value(rec.atom_name[i]);
    j.key("mulliken").value(rec.charge_m[i]);
    j.key("loprop").value(rec.charge_l[i]);
    j.key("number").value(rec.atom_number[i]);
    j.key("symmetry").value(rec.atom_symmetry[i]);
    j.end_object();
  }
  j.end_array();
  j.key("bonds").begin_array();
  for (const bond_t& b : rec.bond) j.begin_array().value(b.a1).value(b.a2).value(b.type).end_array();
  j.end_array();
  write_optional(j, "energy", rec.flags & FLAG_ENERGY, rec.energy);
  write_optional(j, "rms_grad", rec.flags & FLAG_RMS_GRAD, rec.rms_grad);
  write_optional(j, "max_grad", rec.flags & FLAG_MAX_GRAD, rec.max_grad);
  j.key("dipole");
  if (rec.flags & FLAG_DIPOLE)
    j.point(rec.dipole);
  else
    j.null();

  for (size_t g = 0; g < decoration_groups.size(); ++g) write_decorations(j, rec, g);
  j.key("textboxes").begin_array();
  for (const textbox_t& box : rec.textbox) {
    j.begin_object();
    j.key("x").value(box.x);
    j.key("y").value(box.y);
    j.key("text").value(box.text);
    j.key("font").value(box.font);
    j.key("color").color(box.color);
    j.end_object();
  }
  j.end_array();
  j.key("vibrations").begin_array();
  for (size_t v = 0; v < rec.freq.size(); ++v) {
    j.begin_object();
    j.key("freq").value(rec.freq[v]);
    j.key("ir").value(rec.ir_intensity[v]);
    j.key("raman").value(rec.raman_intensity[v]);
    j.key("displacements").begin_array();
    for (const vec3& d : rec.normal_mode[v]) j.point(d);
    j.end_array();
    j.end_object();
  }
  j.end_array();
  j.key("grid");
  if (rec.ngrid() > 0)
    write_grid(j, rec);
  else
    j.null();
  j.end_object();
}

int command_info(const options_t& o, MessageCollector& told) {
  if (o.files.size() != 1 || o.geometry || o.grid || o.values || o.surface_only() || o.other_command_only()) return 2;
  const bool ok = open_input(o.files[0]);
  if (!ok) {
    print_messages_to_stderr(told);
    return 1;
  }
  JsonWriter j(stdout);
  j.begin_object();
  j.key("file").value(o.files[0]);
  j.key("n_geometries").value(n_geometries());
  j.key("messages").begin_array();
  for (const std::string& msg : told.messages) j.value(msg);
  j.end_array();
  j.key("geometries").begin_array();
  for (const mol_data_t& rec : mol) write_geometry(j, rec);
  j.end_array();
  j.end_object();
  j.flush();
  std::printf("\n");
  return 0;
}

// Copies `from` to `to` through a temporary file beside `to`.
bool copy_file_atomically(const std::string& from, const std::string& to) {
  file_ptr in = open_file_ptr(from, "rb");
  return in && write_file_atomically(to, [&in](FILE* out) {
                 char buffer[1 << 16];
                 for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, in.get())) > 0;)
                   if (std::fwrite(buffer, 1, got, out) != got) return false;
                 return std::ferror(in.get()) == 0;
               }) == AtomicWrite::done;
}

int command_convert(const options_t& o, MessageCollector& told) {
  if (o.files.size() != 2 || o.geometry || o.grid || o.values || o.surface_only() || o.cube) return 2;
  // Options for the forward converter, one word each.
  if (o.converter_options) {
    const std::string& text = *o.converter_options;
    for (size_t i = 0; i < text.size();) {
      const size_t start = text.find_first_not_of(" \t", i);
      if (start == std::string::npos) break;
      const size_t end = std::min(text.find_first_of(" \t", start), text.size());
      converter_options.push_back(text.substr(start, end - start));
      i = end;
    }
  }
  if (!open_input(o.files[0])) {
    print_messages_to_stderr(told);
    return 1;
  }
  // A foreign file converted to a native one: the converter's file is the
  // result, grid values included (a saved native file keeps none).
  const std::string converted = make_mivor_file_name(o.files[0]);
  if (converted != o.files[0] && get_filetype(o.files[1]) == 0) {
    if (o.files[1] == converted || copy_file_atomically(converted, o.files[1])) return 0;
    std::fprintf(stderr, "cannot write %s\n", o.files[1].c_str());
    return 1;
  }
  if (!mivor_gtk_do_save_file(o.files[1], get_filetype(o.files[1]))) {
    print_messages_to_stderr(told);
    return 1;
  }
  return 0;
}

// Opens the one file of `o` and makes geometry --geometry (default: the
// current one) and grid --grid (default: the current one) current. Opening
// already loads the current grid; another choice is loaded with `load`.
// False, with the reason on stderr, when any step fails.
bool load_chosen_grid(const options_t& o, MessageCollector& told, void (*load)()) {
  if (!open_input(o.files[0])) {
    print_messages_to_stderr(told);
    return false;
  }
  const int g = o.geometry.value_or(igeo);
  if (g >= n_geometries()) {
    std::fprintf(stderr, "geometry %d does not exist (the file has %d)\n", g, n_geometries());
    return false;
  }
  const bool loaded = g == igeo && (!o.grid || *o.grid == iorb) && !mol[static_cast<size_t>(g)].grid_values.empty();
  igeo = g;
  get_new_section();
  if (m->ngrid() == 0) {
    std::fprintf(stderr, "geometry %d has no grids\n", g);
    return false;
  }
  if (o.grid) iorb = *o.grid;
  told.messages.clear();
  if (!loaded) load();
  if (m->ngrid() == 0 || m->grid_values.empty()) {
    print_messages_to_stderr(told);
    return false;
  }
  return true;
}

int command_grid(const options_t& o, MessageCollector& told) {
  if (o.files.size() != 1 || o.single || o.surface_only() || o.other_command_only()) return 2;
  if (!load_chosen_grid(o, told, read_grid_from_file)) return 1;
  double sum = 0;
  for (double v : m->grid_values) sum += v;
  JsonWriter j;
  j.begin_object();
  j.key("n_points").value(m->n_points);
  j.key("grid_min").value(m->grid_min);
  j.key("grid_max").value(m->grid_max);
  j.key("iso_value").value(m->iso_value);
  j.key("iso_levels").begin_array();
  for (double level : m->iso_levels) j.value(level);
  j.end_array();
  j.key("sum").value(sum);
  if (o.values) {
    j.key("values").begin_array();
    for (double v : m->grid_values) j.value(v);
    j.end_array();
  }
  j.end_object();
  std::printf("%s\n", j.text().c_str());
  return 0;
}

int command_surface(const options_t& o, MessageCollector& told) {
  if (o.files.size() != 1 || o.single || o.values || o.other_command_only()) return 2;
  // Set before opening: loading a grid builds its surfaces at this level.
  if (o.level) {
    Input_Data.isolevel = *o.level;
    Input_Data.auto_select_level = 0;
  }
  if (!load_chosen_grid(o, told, do_load_grid)) return 1;
  // The store is sized for the grids of the geometry read last; another
  // geometry's grid needs a store of its own size.
  if (surf.size() != static_cast<size_t>(m->ngrid())) {
    allocate_msrf(m->ngrid());
    make_surfaces();
  }
  const srf_t* s = iorb >= 0 && iorb < static_cast<int>(surf.size()) ? surf[static_cast<size_t>(iorb)] : nullptr;
  const std::vector<srf_triangle_t> none;
  const std::vector<srf_triangle_t>& triangles = s ? s->triangles : none;
  int lobe1 = 0;
  for (const srf_triangle_t& t : triangles) lobe1 += t.lobe == 1;
  if (o.ply && !write_ply(*o.ply, triangles, {Input_Data.plus_color, Input_Data.minus_color})) {
    std::fprintf(stderr, "cannot write %s\n", o.ply->c_str());
    return 1;
  }
  JsonWriter j;
  j.begin_object();
  j.key("level").value(Input_Data.isolevel);
  j.key("level_min").value(Input_Data.level_min);
  j.key("level_max").value(Input_Data.level_max);
  j.key("triangles").value(static_cast<int>(triangles.size()));
  j.key("lobe0").value(static_cast<int>(triangles.size()) - lobe1);
  j.key("lobe1").value(lobe1);
  j.end_object();
  std::printf("%s\n", j.text().c_str());
  return 0;
}

// Grid g of the current geometry as the file stores it (the values the
// viewer shows are clamped at 2; these are not), with its lattice and atoms
// in bohr. All use of the molecule record for export is here.
bool stored_grid(int g, cube_grid_t& cube, std::vector<double>& values, std::string& error) {
  if (m->n_points <= 0) {
    error =
        "the file keeps no grid values (a saved native file keeps only the grid descriptions); export from the "
        "file the grids were converted into";
    return false;
  }
  file_ptr file = open_file_ptr(make_mivor_file_name(input_file_name), "rb");
  m->epot_values.clear();
  read_epoten_grid(file.get(), *m, g);
  if (m->epot_values.size() != static_cast<size_t>(m->n_points)) {
    error = "grid " + std::to_string(g) + " can't be read";
    return false;
  }
  values = std::move(m->epot_values);
  m->epot_values.clear();
  constexpr double bohr = 0.52917721067;
  cube.origin = m->origin / bohr;
  for (size_t a = 0; a < 3; ++a) {
    cube.net[a] = m->net[a];
    cube.step[a] = m->axis[a] / (bohr * std::max(m->net[a] - 1, 1));
  }
  for (size_t i = 0; i < m->xyz.size(); ++i)
    cube.atoms.push_back({std::max(0, number_of_symbol(m->elem[i].name)), m->xyz[i] / bohr});
  const std::string name = m->grid_name[static_cast<size_t>(g)].value_or("grid");
  cube.comment = m->grid_kind[static_cast<size_t>(g)] == GRID_ORBITAL
                     ? "Orbital sym " + std::to_string(m->orb_sym[static_cast<size_t>(g)]) + " index " +
                           std::to_string(m->orb_index[static_cast<size_t>(g)])
                     : name;
  return true;
}

int command_export_grid(const options_t& o, MessageCollector& told) {
  if (o.files.size() != 1 || !o.grid || !o.cube || o.single || o.values || o.surface_only() || o.converter_options)
    return 2;
  if (!open_input(o.files[0])) {
    print_messages_to_stderr(told);
    return 1;
  }
  const int g = o.geometry.value_or(igeo);
  if (g >= n_geometries() || *o.grid >= mol[static_cast<size_t>(g)].ngrid()) {
    std::fprintf(stderr, "geometry %d has no grid %d\n", g, *o.grid);
    return 1;
  }
  igeo = g;
  get_new_section();
  cube_grid_t cube;
  std::vector<double> values;
  std::string error;
  if (!stored_grid(*o.grid, cube, values, error)) {
    std::fprintf(stderr, "%s: %s\n", o.files[0].c_str(), error.c_str());
    return 1;
  }
  cube.title = "exported by mivor-cli from " + o.files[0];
  cube.values = &values;
  if (!write_cube(*o.cube, cube)) {
    std::fprintf(stderr, "cannot write %s\n", o.cube->c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  options_t o;
  if (argc < 2 || !parse_options(argc, argv, o)) {
    std::fputs(usage, stderr);
    return 2;
  }
  const std::string command = argv[1];
  MessageCollector told;
  set_notifier(&told);
  load_configuration(o.single);
  int status = 2;
  if (command == "info")
    status = command_info(o, told);
  else if (command == "convert")
    status = command_convert(o, told);
  else if (command == "grid")
    status = command_grid(o, told);
  else if (command == "surface")
    status = command_surface(o, told);
  else if (command == "export-grid")
    status = command_export_grid(o, told);
  // The undo history exists only while a file is open in the viewer.
  remove_backup();
  set_notifier(nullptr);
  if (status == 2) std::fputs(usage, stderr);
  return status;
}
