// The built-in help: 17 pages of text with links between them, as the help
// window shows them (page 1 the index, 4 the hot keys, 3 and 5 to 17 the
// how-to pages).
#pragma once

#include <string>
#include <vector>

constexpr int n_help_pages = 17;

// A run of a page: plain text, a heading, a link to page `link`, or the
// centring icon of the side panel (no text).
struct help_segment_t {
  enum class kind_t { text, heading, link, center_icon };
  kind_t kind = kind_t::text;
  std::string text;
  int link = 0;
};

// The runs of page `page` in order; empty for a number outside 1 to 17.
const std::vector<help_segment_t>& help_page(int page);
// The page's text as the window's buffer holds it (the icon takes no text).
std::string help_page_text(int page);
