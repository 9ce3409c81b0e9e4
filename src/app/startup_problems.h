// The one warning shown when the main loop starts, for the start-up problem
// recorded in `error_config_does_not_exist`.
#pragma once

#include <string>

// The warning text for problem `code`; empty when there is nothing to show.
std::string startup_warning_text(int code);
// Shows the warning for the recorded problem, if any.
void print_plugin_warnings();
