// mivor-cli grid and surface: the values of a grid and its isosurfaces.
#include <cstdio>

#include "cli/cli_common.h"
#include "cli/json_writer.h"
#include "document/native_file.h"
#include "formats/grid_reader.h"
#include "formats/ply_writer.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "render/isosurface.h"

int command_grid(const options_t& o, MessageCollector& told) {
  if (o.files.size() != 1 || !o.only({"--geometry", "--grid", "--values"})) return 2;
  if (!load_chosen_grid(o, told, read_grid_from_file)) return 1;
  compute_iso_levels(*m);
  double sum = 0;
  for (double v : m->grid->grid_values) sum += v;
  JsonWriter j;
  j.begin_object();
  j.key("n_points").value(m->grid->n_points);
  j.key("grid_min").value(m->grid->grid_min);
  j.key("grid_max").value(m->grid->grid_max);
  j.key("iso_value").value(m->grid->iso_value);
  j.key("iso_levels").begin_array();
  for (double level : m->grid->iso_levels) j.value(level);
  j.end_array();
  j.key("sum").value(sum);
  if (o.values) {
    j.key("values").begin_array();
    for (double v : m->grid->grid_values) j.value(v);
    j.end_array();
  }
  j.end_object();
  std::printf("%s\n", j.text().c_str());
  return 0;
}

int command_surface(const options_t& o, MessageCollector& told) {
  if (o.files.size() != 1 || !o.only({"--geometry", "--grid", "--level", "--ply"})) return 2;
  // Set before opening: loading a grid builds its surfaces at this level.
  if (o.level) {
    Input_Data.isolevel = *o.level;
    Input_Data.auto_select_level = 0;
  }
  if (!load_chosen_grid(o, told, do_load_grid)) return 1;
  if (!surfaces_of_current_geometry()) return 1;
  const srf_t* s = iorb >= 0 && iorb < static_cast<int>(surf.size()) ? surf[static_cast<size_t>(iorb)] : nullptr;
  const surface_triangles_t none;
  const surface_triangles_t& triangles = s ? s->triangles : none;
  int lobe1 = 0;
  for (const srf_triangle_t& t : triangles) lobe1 += t.lobe == 1;
  if (o.ply) {
    const AtomicWrite written = write_ply(*o.ply, triangles, {Input_Data.plus_color, Input_Data.minus_color});
    if (written != AtomicWrite::done) {
      std::fprintf(stderr, "%s\n", atomic_write_message(written, *o.ply).c_str());
      return 1;
    }
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
