// A text file held in memory and walked line by line, with the number of
// the current line for messages.
#pragma once

#include <string>

#include "formats/text_scan.h"

// Reads the whole text of the file, decompressed when its name says it is
// compressed (see InputFile); false with `error` set ("PATH: why") when it
// can't be opened or read to its end.
bool read_whole_file(const std::string& path, std::string& out, std::string& error);
