// The sections of a Molden file ("[Name] option" lines and what follows
// them) and a reader of one section's lines that names the line of a fault,
// for the parts of the Molden reader.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "convert/text_lines.h"

struct molden_section_t {
  std::string name;    // lower case, without brackets
  std::string option;  // what follows "]" on the line, lower case
  int first_line = 0;  // of the section's content, in the whole file
  std::string_view body;
};

// Splits `text` at lines that start with "["; `first_line` is the number of
// its first line in the file.
std::vector<molden_section_t> molden_sections(std::string_view text, int first_line = 1);
// The first section of that name, or null.
const molden_section_t* find_section(const std::vector<molden_section_t>& sections, const char* name);

class SectionReader {
 public:
  SectionReader(const molden_section_t& s, std::string& error) : lines_(s.body), first_(s.first_line), error_(error) {}
  // The next line that is not blank.
  bool next(std::string_view& line) {
    while (lines_.next(line))
      if (!trim(line).empty()) return true;
    return false;
  }
  void back() { lines_.back(); }
  size_t bytes_left() const { return lines_.bytes_left(); }
  // Sets the error, "line N: what", and returns false.
  bool fail(const std::string& what);
  // The words of a line as numbers; false (with the error) when one is not.
  bool numbers(std::string_view line, std::vector<double>& out, size_t want);

 private:
  LineCursor lines_;
  int first_;
  std::string& error_;
};
