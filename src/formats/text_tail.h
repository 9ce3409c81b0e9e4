// The last lines of a text, for messages that quote what a program said.
#pragma once

#include <string>

// The last `lines` lines of `text` without the line ends that close it; the
// whole text when it has fewer, "" for no lines.
std::string last_lines(std::string text, int lines);
