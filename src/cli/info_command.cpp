// mivor-cli info: what the file holds, as JSON.
#include <cctype>
#include <cstdio>

#include "cli/cli_common.h"
#include "cli/json_writer.h"
#include "molecule/mol_data.h"

namespace {

void write_grid(JsonWriter& j, const mol_data_t& rec) {
  j.begin_object();
  j.key("n_grid_header").value(rec.grid->n_grid_header);
  j.key("n_mo").value(rec.grid->n_mo);
  j.key("n_points").value(rec.grid->n_points);
  j.key("net").begin_array();
  for (int n : rec.grid->net) j.value(n);
  j.end_array();
  j.key("block_size").value(rec.grid->block_size);
  j.key("n_blocks").value(rec.grid->n_blocks);
  j.key("is_cutoff").value(rec.grid->is_cutoff);
  j.key("cutoff").value(rec.grid->cutoff);
  j.key("origin").point(rec.grid->origin);
  j.key("axis").begin_array();
  for (const vec3& a : rec.grid->axis) j.point(a);
  j.end_array();
  j.key("index_counts").begin_array();
  for (int n : rec.grid->index_counts) j.value(n);
  j.end_array();
  j.key("grid_data_start").value(static_cast<long long>(rec.grid->grid_data_start));
  j.key("grid_data_size").value(static_cast<long long>(rec.grid->grid_data_size));
  j.key("current").value(iorb);
  j.key("grids").begin_array();
  for (size_t g = 0; g < rec.grid->grid_kind.size(); ++g) {
    j.begin_object();
    j.key("kind").value(rec.grid->grid_kind[g]);
    j.key("name").value(rec.grid->grid_name[g]);
    j.key("sym").value(rec.grid->orb_sym[g]);
    j.key("index").value(rec.grid->orb_index[g]);
    j.key("energy").value(rec.grid->orb_energy[g]);
    j.key("occ").value(rec.grid->orb_occ[g]);
    j.key("type").value(rec.grid->orb_type[g]);
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
  const decoration_data_t& d = *rec.deco;
  for (size_t i = 0; i < static_cast<size_t>(g.count(rec)); ++i) {
    j.begin_object();
    if (names.points_array) {
      j.key(names.points_array).begin_array();
      for (auto points : g.points) j.point((d.*points)[i]);
      j.end_array();
    } else {
      for (size_t k = 0; k < g.points.size(); ++k) j.key(names.point_keys[k]).point((d.*g.points[k])[i]);
    }
    for (const decoration_real_t& r : g.reals) j.key(lower_case(r.key).c_str()).value((d.*r.values)[i]);
    j.key("color").color((d.*g.colors)[i]);
    j.end_object();
  }
  j.end_array();
}

void write_geometry(JsonWriter& j, const mol_data_t& rec) {
  j.begin_object();
  j.key("flags").value(rec.flags);
  j.key("editable").value(rec.editable != 0);
  j.key("atoms").begin_array();
  for (int i = 0; i < rec.natom(); ++i) {
    const element_t& el = atom_element(rec, i);
    j.begin_object();
    j.key("symbol").value(el.name);
    j.key("xyz").point(rec.xyz[static_cast<size_t>(i)]);
    j.key("color").color(atom_color(rec, i));
    j.key("size").value(static_cast<double>(el.size));
    j.key("bond_size").value(static_cast<double>(el.bond_size));
    j.key("valency").value(el.valency);
    j.key("name").value(atom_name(rec, i));
    j.key("mulliken").value(atom_mulliken(rec, i));
    j.key("loprop").value(atom_loprop(rec, i));
    j.key("number").value(atom_number(rec, i));
    j.key("symmetry").value(atom_symmetry(rec, i));
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
  for (const textbox_t& box : rec.deco->textbox) {
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
  for (size_t v = 0; v < rec.vib->freq.size(); ++v) {
    j.begin_object();
    j.key("freq").value(rec.vib->freq[v]);
    j.key("ir").value(rec.vib->ir_intensity[v]);
    j.key("raman").value(rec.vib->raman_intensity[v]);
    j.key("displacements").begin_array();
    for (const vec3& d : rec.vib->normal_mode[v]) j.point(d);
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

// What a geometry holds, counted: for files too large to list.
void write_summary(JsonWriter& j, const mol_data_t& rec) {
  j.begin_object();
  j.key("flags").value(rec.flags);
  j.key("atoms").value(rec.natom());
  j.key("bonds").value(rec.nbond());
  j.key("grids").value(rec.ngrid());
  j.key("vibrations").value(rec.nvibr());
  for (size_t g = 0; g < decoration_groups.size(); ++g)
    j.key(decoration_names[g].list).value(decoration_groups[g].count(rec));
  j.key("textboxes").value(rec.ntextbox());
  j.end_object();
}

}  // namespace

int command_info(const options_t& o, MessageCollector& told) {
  if (o.files.size() != 1 || !o.only({"--single", "--geometry", "--summary"})) return 2;
  const bool ok = open_input(o.files[0]);
  if (!ok) {
    print_messages_to_stderr(told);
    return 1;
  }
  if (o.geometry && *o.geometry >= n_geometries()) {
    std::fprintf(stderr, "geometry %d does not exist (the file has %d)\n", *o.geometry, n_geometries());
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
  for (size_t g = 0; g < mol.size(); ++g) {
    if (o.geometry && g != static_cast<size_t>(*o.geometry)) continue;
    if (o.summary)
      write_summary(j, mol[g]);
    else
      write_geometry(j, mol[g]);
  }
  j.end_array();
  j.end_object();
  j.flush();
  std::printf("\n");
  return 0;
}
