#include "document/held_warnings.h"

held_warnings_t::held_warnings_t() : to_(&notifier()) { set_notifier(this); }

held_warnings_t::~held_warnings_t() {
  set_notifier(to_);
  pass();
}

void held_warnings_t::pass() {
  for (const std::string& text : held_) to_->warning(text);
  held_.clear();
}
