// mivor-cli: opens files through the same road as the viewer and prints
// what it read as JSON, converts files, reads grids and extracts their
// isosurfaces. It finds its configuration like the viewer but never writes
// into it.
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/config_dir.h"
#include "app/config_files.h"
#include "app/settings_file.h"
#include "cli/json_writer.h"
#include "cli/render_command.h"
#include "document/native_file.h"
#include "document/open_close.h"
#include "document/save.h"
#include "document/undo.h"
#include "formats/converters.h"
#include "formats/element_table_file.h"
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
    "       mivor-cli convert IN OUT [--single]\n"
    "       mivor-cli grid FILE [--geometry G] [--grid K] [--values]\n"
    "       mivor-cli surface FILE [--geometry G] [--grid K] [--level L] [--ply OUT.ply]\n"
    "       mivor-cli render FILE --out OUT [--format tga|png|jpeg|eps|eps2|pov] [--size WxH]\n"
    "                 [--viewpoint .ViewPoint] [--grid K] [--level L] [--geometry G]\n"
    "                 [--background white|grey|black]\n";

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
  // The render command's.
  std::optional<std::string> out, format, viewpoint, background;
  std::optional<std::array<int, 2>> size;
  // Options only the surface command takes.
  bool surface_only() const { return level || ply || render_only(); }
  bool render_only() const { return out || format || viewpoint || background || size; }
};

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
    } else if (a == "--ply") {
      if (!take_text(argc, argv, i, o.ply)) return false;
    } else if (a == "--out" || a == "--format" || a == "--viewpoint") {
      if (!take_text(argc, argv, i, a == "--out" ? o.out : a == "--format" ? o.format : o.viewpoint)) return false;
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
  if (o.files.size() != 1 || o.geometry || o.grid || o.values || o.surface_only()) return 2;
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

int command_convert(const options_t& o, MessageCollector& told) {
  if (o.files.size() != 2 || o.geometry || o.grid || o.values || o.surface_only()) return 2;
  if (!open_input(o.files[0]) || !mivor_gtk_do_save_file(o.files[1], get_filetype(o.files[1]))) {
    print_messages_to_stderr(told);
    return 1;
  }
  return 0;
}

// The store is sized for the grids of the geometry read last; another
// geometry's grid needs a store of its own size.
void surfaces_of_current_geometry() {
  if (m->ngrid() > 0 && surf.size() != static_cast<size_t>(m->ngrid())) {
    allocate_msrf(m->ngrid());
    make_surfaces();
  }
}

// Opens the one file of `o` and makes geometry --geometry (default: the
// current one) and grid --grid (default: the current one) current. Opening
// already loads the current grid; another choice is loaded with `load`.
// False, with the reason on stderr, when any step fails.
bool load_chosen_grid(const options_t& o, MessageCollector& told, void (*load)(), bool grids_optional = false) {
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
    if (grids_optional && !o.grid) return true;
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
  if (o.files.size() != 1 || o.single || o.surface_only()) return 2;
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
  if (o.files.size() != 1 || o.single || o.values || o.render_only()) return 2;
  // Set before opening: loading a grid builds its surfaces at this level.
  if (o.level) {
    Input_Data.isolevel = *o.level;
    Input_Data.auto_select_level = 0;
  }
  if (!load_chosen_grid(o, told, do_load_grid)) return 1;
  surfaces_of_current_geometry();
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

int command_render(const options_t& o, MessageCollector& told) {
  if (o.files.size() != 1 || !o.out || o.single || o.values || o.ply) return 2;
  render_request_t r;
  r.out = *o.out;
  r.format = picture_format(o.format, r.out);
  if (r.format.empty()) {
    std::fputs("the picture format is not known: give --format tga|png|jpeg|eps|eps2|pov\n", stderr);
    return 2;
  }
  if (o.size) r.width = (*o.size)[0], r.height = (*o.size)[1];
  r.viewpoint = o.viewpoint;
  if (o.background) {
    const color_t c = background_for(o.background->c_str());
    Input_Data.background_color = {c.red, c.green, c.blue, Input_Data.background_color.alpha};
  }
  // Set before opening: loading a grid builds its surfaces at this level.
  if (o.level) {
    Input_Data.isolevel = *o.level;
    Input_Data.auto_select_level = 0;
  }
  if (!load_chosen_grid(o, told, do_load_grid, true)) return 1;
  surfaces_of_current_geometry();
  told.messages.clear();
  const int status = render_picture_file(r);
  if (status != 0) print_messages_to_stderr(told);
  return status;
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
  else if (command == "render")
    status = command_render(o, told);
  // The undo history exists only while a file is open in the viewer.
  remove_backup();
  set_notifier(nullptr);
  if (status == 2) std::fputs(usage, stderr);
  return status;
}
