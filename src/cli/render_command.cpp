// mivor-cli render: the picture of a file without a window.
#include <cstdio>

#include "app/command_line.h"
#include "cli/cli_common.h"
#include "cli/picture_render.h"
#include "document/native_file.h"
#include "molecule/settings.h"

int command_render(const options_t& o, MessageCollector& told) {
  if (o.files.size() != 1 || !o.out ||
      !o.only({"--out", "--format", "--size", "--viewpoint", "--grid", "--level", "--geometry", "--background"}))
    return 2;
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
  if (!surfaces_of_current_geometry()) return 1;
  told.messages.clear();
  const int status = render_picture_file(r);
  if (status != 0) print_messages_to_stderr(told);
  return status;
}
