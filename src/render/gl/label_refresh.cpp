// One image per index and per symbol is kept for the label font in use; a
// change of font starts afresh.
#include "render/gl/label_refresh.h"

#include <string>
#include <unordered_map>
#include <vector>

#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "render/gl/label_images.h"

namespace {

struct label_cache_t {
  std::string font;
  std::vector<stxt_t> index;  // image k shows k + 1
  std::unordered_map<std::string, stxt_t> symbol;
} cache;

const stxt_t& index_image(size_t k) {
  if (cache.index.size() <= k) cache.index.resize(k + 1);
  stxt_t& image = cache.index[k];
  if (image.pixels.empty()) image = make_text_image(std::to_string(k + 1), cache.font);
  return image;
}

const stxt_t& symbol_image(const std::string& symbol) {
  const auto found = cache.symbol.find(symbol);
  if (found != cache.symbol.end()) return found->second;
  return cache.symbol.emplace(symbol, make_text_image(symbol, cache.font)).first->second;
}

}  // namespace

void refresh_atom_labels() {
  if (!m) return;
  if (m->atom_labels.size() != m->xyz.size()) {
    draw_all_pixdata();
    return;
  }
  if (cache.font != Input_Data.label_font) cache = label_cache_t{Input_Data.label_font, {}, {}};
  for (size_t i = 0; i < m->atom_labels.size(); ++i) {
    m->atom_labels[i][LABEL_INDEX] = index_image(i);
    m->atom_labels[i][LABEL_SYMBOL] = symbol_image(atom_element(*m, static_cast<int>(i)).name);
  }
}
