// The settings file "mivor.rc": key lines read over the current values, and
// the saved fields written in a fixed order.
#include "app/settings_file.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "app/config_dir.h"
#include "formats/safe_file.h"
#include "formats/text_words.h"
#include "molecule/notify.h"
#include "molecule/settings.h"

namespace {

// One saved setting: its key in "mivor.rc" and the field it stands for.
// Exactly one of `integer`, `real` and `color` is set; "Transparency" has none.
struct setting_key {
  const char* key;
  int input_data_t::*integer;
  double input_data_t::*real;
  color_t input_data_t::*color;
  float color_t::*component;
};

constexpr setting_key I(const char* k, int input_data_t::*f) { return {k, f, nullptr, nullptr, nullptr}; }
constexpr setting_key D(const char* k, double input_data_t::*f) { return {k, nullptr, f, nullptr, nullptr}; }
constexpr setting_key C(const char* k, color_t input_data_t::*c, float color_t::*part) {
  return {k, nullptr, nullptr, c, part};
}

// The keys in the order they are tested when reading and written when saving.
// Reading tests them as case-sensitive substrings; the first match decides.
const setting_key settings_keys[] = {
    I("Hide atoms", &input_data_t::hide_atoms),
    I("Hide bonds", &input_data_t::hide_bonds),
    {"Transparency", nullptr, nullptr, nullptr, nullptr},
    C("Background color Red", &input_data_t::background_color, &color_t::red),
    C("Background color Green", &input_data_t::background_color, &color_t::green),
    C("Background color Blue", &input_data_t::background_color, &color_t::blue),
    C("Extra color Red", &input_data_t::object_color, &color_t::red),
    C("Extra color Green", &input_data_t::object_color, &color_t::green),
    C("Extra color Blue", &input_data_t::object_color, &color_t::blue),
    C("Label color Red", &input_data_t::label_color, &color_t::red),
    C("Label color Green", &input_data_t::label_color, &color_t::green),
    C("Label color Blue", &input_data_t::label_color, &color_t::blue),
    C("Plus  color Red", &input_data_t::plus_color, &color_t::red),
    C("Plus  color Green", &input_data_t::plus_color, &color_t::green),
    C("Plus  color Blue", &input_data_t::plus_color, &color_t::blue),
    C("Minus color Red", &input_data_t::minus_color, &color_t::red),
    C("Minus color Green", &input_data_t::minus_color, &color_t::green),
    C("Minus color Blue", &input_data_t::minus_color, &color_t::blue),
    C("Epot plus  color Red", &input_data_t::epot_plus_color, &color_t::red),
    C("Epot plus  color Green", &input_data_t::epot_plus_color, &color_t::green),
    C("Epot plus  color Blue", &input_data_t::epot_plus_color, &color_t::blue),
    C("Epot minus color Red", &input_data_t::epot_minus_color, &color_t::red),
    C("Epot minus color Green", &input_data_t::epot_minus_color, &color_t::green),
    C("Epot minus color Blue", &input_data_t::epot_minus_color, &color_t::blue),
    D("Fatness atoms", &input_data_t::atom_fatness),
    D("Fatness bonds", &input_data_t::bond_fatness),
    I("Animate", &input_data_t::animate),
    I("Initial Screen Size", &input_data_t::initial_screen_size),
    D("Frequency amplitude", &input_data_t::vibration_amplitude),
    D("Frequency speed", &input_data_t::vibration_speed),
    D("Snapshot delay", &input_data_t::snapshot_delay),
    D("Isolevel value", &input_data_t::isolevel),
    D("Translation value", &input_data_t::translation_step),
    D("Angle change value", &input_data_t::angle_step),
    D("Torsion change value", &input_data_t::torsion_step),
    I("Auto select level", &input_data_t::auto_select_level),
    I("Auto rebond", &input_data_t::auto_rebond),
};

// The colours whose alpha the "Transparency" key sets.
color_t input_data_t::*const transparent_colors[] = {&input_data_t::object_color, &input_data_t::plus_color,
                                                     &input_data_t::minus_color, &input_data_t::epot_plus_color,
                                                     &input_data_t::epot_minus_color};

void apply_setting_line(const std::string& line, input_data_t& data) {
  for (const setting_key& k : settings_keys) {
    if (line.find(k.key) == std::string::npos) continue;
    // The value follows the first "=" of the line.
    const char* from = line.c_str();
    if (!std::strchr(from, '=')) return;  // a key without a value
    if (k.integer) {
      data.*k.integer = my_read_int_value(from);
    } else if (k.real) {
      data.*k.real = my_read_dble_value(from);
    } else if (k.color) {
      (data.*k.color).*k.component = narrow_to_float(my_read_dble_value(from));
    } else {
      const float alpha = narrow_to_float(my_read_dble_value(from));
      for (auto c : transparent_colors) (data.*c).alpha = alpha;
    }
    return;
  }
}

std::string settings_path() { return rcdir + "/mivor.rc"; }

}  // namespace

bool read_settings_file(const std::string& path) {
  file_ptr file = open_file_ptr(path, "rb");
  if (!file) return false;
  for (std::string line = read_line(file.get()); !line.empty(); line = read_line(file.get()))
    apply_setting_line(line, Input_Data);
  return true;
}

void load_values_from_config_file() { read_settings_file(settings_path()); }

std::string settings_file_text() {
  const input_data_t& d = Input_Data;
  std::string out = "general settings variables\n";
  char buf[512];
  for (const setting_key& k : settings_keys) {
    if (k.integer)
      std::snprintf(buf, sizeof buf, "%s = %d\n", k.key, d.*k.integer);
    else if (k.real)
      std::snprintf(buf, sizeof buf, "%s = %f\n", k.key, d.*k.real);
    else if (k.color)
      std::snprintf(buf, sizeof buf, "%s = %f\n", k.key, static_cast<double>((d.*k.color).*k.component));
    else
      std::snprintf(buf, sizeof buf, "%s = %f\n", k.key, static_cast<double>(d.object_color.alpha));
    out += buf;
  }
  return out;
}

bool save_settings_data() {
  const std::string path = settings_path();
  std::printf("saving settings data in |%s|\n", path.c_str());
  std::fflush(stdout);
  const AtomicWrite result = write_text_atomically(path, settings_file_text());
  if (result == AtomicWrite::done) return true;
  make_warning(atomic_write_message(result, path));
  return false;
}
