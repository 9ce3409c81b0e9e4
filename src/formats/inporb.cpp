// Orbital files of version 2: "#INPORB 2.x"; "#INFO" with a title line, a
// line of the unrestricted flag, the number of irreps and a third number,
// then the basis functions and the orbitals of each irrep; "#ORB" with
// "* ORBITAL irrep index" before the coefficients of each orbital;
// "#OCC" (and "#OCHR", a rounded copy), "#ONE" with the occupations and
// energies of each irrep, each irrep's numbers starting a line; "#UORB",
// "#UOCC", "#UONE" the same for beta orbitals; "#INDEX" with each irrep's
// "* 1234567890" line and lines of a digit, a blank and up to ten type
// letters. Numbers are read as words (a Fortran "D" exponent too), so that
// the width of their fields does not matter.
#include "formats/inporb.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "formats/text_scan.h"

namespace {

// Largest counts a file may give.
constexpr long long max_irreps = 8, max_functions = 20000;

class inporb_reader {
 public:
  inporb_reader(const std::string& text, std::string& error) : lines_(text), error_(error) {}

  bool fail(const std::string& what) {
    error_ = "line " + std::to_string(lines_.number()) + ": " + what;
    return false;
  }
  bool next(std::string_view& line) { return lines_.next(line); }
  void back() { lines_.back(); }
  size_t bytes_left() const { return lines_.bytes_left(); }

  // The next line that starts with `mark`; false at the end.
  bool find(const char* mark) {
    std::string_view line;
    while (lines_.next(line))
      if (trim(line).rfind(mark, 0) == 0) return true;
    return false;
  }
  // `count` integers from the next lines.
  bool integers(size_t count, std::vector<long long>& out) {
    out.clear();
    std::string_view line;
    while (out.size() < count) {
      if (!lines_.next(line)) return fail("the file ends inside its counts");
      for (std::string_view w : split_words(line)) {
        long long v;
        if (!word_to_long(w, v)) return fail("'" + std::string(w.substr(0, 20)) + "' is not a count");
        out.push_back(v);
      }
    }
    if (out.size() != count) return fail("a line of counts holds more numbers than the file's irreps");
    return true;
  }
  // `count` reals from the lines that follow (a line that starts with "#"
  // or "*" ends them early).
  bool reals(size_t count, std::vector<double>& out, const std::string& what) {
    // Every number takes at least two characters.
    if (count > bytes_left() / 2) return fail(what + ": the file is too short for its numbers");
    std::string_view line;
    size_t got = 0;
    while (got < count) {
      if (!lines_.next(line)) return fail(what + ": the file ends after " + std::to_string(got) + " of " +
                                          std::to_string(count) + " numbers");
      const std::string_view t = trim(line);
      if (!t.empty() && (t[0] == '#' || t[0] == '*')) {
        lines_.back();
        return fail(what + ": " + std::to_string(got) + " of " + std::to_string(count) + " numbers");
      }
      for (std::string_view w : split_words(line)) {
        std::string word(w);
        std::replace(word.begin(), word.end(), 'D', 'E');
        std::replace(word.begin(), word.end(), 'd', 'e');
        double v;
        if (!word_to_double(word, v)) return fail("'" + word.substr(0, 24) + "' is not a number");
        if (got == count) return fail(what + ": more numbers than " + std::to_string(count));
        out.push_back(v);
        ++got;
      }
    }
    return true;
  }

 private:
  LineCursor lines_;
  std::string& error_;
};

bool read_info(inporb_reader& r, inporb_t& f) {
  std::string_view line;
  if (!r.find("#INFO")) return r.fail("no #INFO section");
  if (!r.next(line)) return r.fail("the file ends after #INFO");
  const std::string_view title = trim(line);
  f.title = std::string(title.size() >= 1 && title[0] == '*' ? trim(title.substr(1)) : title);
  std::vector<long long> head, counts;
  if (!r.next(line)) return r.fail("the file ends before its counts");
  for (std::string_view w : split_words(line)) {
    long long v;
    if (!word_to_long(w, v)) return r.fail("'" + std::string(w.substr(0, 20)) + "' is not a count");
    head.push_back(v);
  }
  if (head.size() < 2 || head[0] < 0 || head[0] > 1 || head[1] < 1 || head[1] > max_irreps)
    return r.fail("the counts line gives no unrestricted flag and 1 to 8 irreps");
  const size_t nsym = static_cast<size_t>(head[1]);
  f.spins.resize(head[0] == 1 ? 2 : 1);
  long long total = 0;
  for (std::vector<int>* list : {&f.nbas, &f.norb}) {
    if (!r.integers(nsym, counts)) return false;
    for (long long n : counts) {
      if (n < 0 || n > max_functions) return r.fail("an irrep has " + std::to_string(n) + " functions or orbitals");
      list->push_back(static_cast<int>(n));
      if (list == &f.nbas) total += n;
    }
  }
  if (total < 1 || total > max_functions) return r.fail("the file has " + std::to_string(total) + " basis functions");
  for (size_t i = 0; i < nsym; ++i)
    if (f.norb[i] > f.nbas[i]) return r.fail("irrep " + std::to_string(i + 1) + " has more orbitals than functions");
  return true;
}

bool read_vectors(inporb_reader& r, const char* mark, inporb_spin_t& spin, const inporb_t& f) {
  if (!r.find(mark)) return r.fail(std::string("no ") + mark + " section");
  spin.vectors.resize(f.nbas.size());
  for (size_t i = 0; i < f.nbas.size(); ++i) {
    for (int k = 0; k < f.norb[i]; ++k) {
      std::string_view line;
      if (!r.next(line)) return r.fail("the file ends before orbital " + std::to_string(k + 1) + " of irrep " +
                                       std::to_string(i + 1));
      const std::vector<std::string_view> w = split_words(line);
      long long sym = 0, index = 0;
      if (w.size() < 4 || w[0] != "*" || !word_to_long(w[2], sym) || !word_to_long(w[3], index) ||
          sym != static_cast<long long>(i + 1) || index != k + 1)
        return r.fail("'* ORBITAL " + std::to_string(i + 1) + " " + std::to_string(k + 1) + "' was expected");
      if (!r.reals(static_cast<size_t>(f.nbas[i]), spin.vectors[i],
                   "orbital " + std::to_string(k + 1) + " of irrep " + std::to_string(i + 1)))
        return false;
    }
  }
  return true;
}

// The numbers of a section for every orbital, each irrep starting a line.
bool read_per_orbital(inporb_reader& r, const char* mark, const inporb_t& f, std::vector<double>& out, bool needed) {
  out.clear();
  if (!r.find(mark)) {
    if (needed) return r.fail(std::string("no ") + mark + " section");
    return true;
  }
  std::string_view line;
  if (!r.next(line)) return r.fail(std::string("the file ends after ") + mark);
  if (trim(line).empty() || trim(line)[0] != '*') r.back();
  for (size_t i = 0; i < f.norb.size(); ++i)
    if (!r.reals(static_cast<size_t>(f.norb[i]), out, std::string(mark) + " of irrep " + std::to_string(i + 1)))
      return false;
  return true;
}

bool read_index(inporb_reader& r, inporb_t& f) {
  f.types.assign(f.norb.size(), std::string());
  if (!r.find("#INDEX")) {
    for (size_t i = 0; i < f.norb.size(); ++i) f.types[i].assign(static_cast<size_t>(f.norb[i]), 'u');
    return true;
  }
  std::string_view line;
  for (size_t i = 0; i < f.norb.size(); ++i) {
    std::string& letters = f.types[i];
    const size_t want = static_cast<size_t>(f.norb[i]);
    // The "* 1234567890" line before the letters, when there is one.
    if (r.next(line) && (trim(line).empty() || trim(line)[0] != '*')) r.back();
    while (letters.size() < want && r.next(line)) {
      if (line.size() < 2 || !std::isdigit(static_cast<unsigned char>(line[0]))) {
        r.back();
        break;
      }
      for (char c : trim(line.substr(1))) letters += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (letters.size() != want) return r.fail("#INDEX: irrep " + std::to_string(i + 1) + " has " +
                                              std::to_string(letters.size()) + " type letters for " +
                                              std::to_string(want) + " orbitals");
    for (char c : letters)
      if (std::string("uf123isd").find(c) == std::string::npos)
        return r.fail(std::string("#INDEX: '") + c + "' is not a type letter");
  }
  return true;
}

void append(std::string& out, const char* format, double v) {
  char field[40];
  std::snprintf(field, sizeof field, format, v);
  out += field;
}

// The numbers of each irrep, `per_line` to a line in `format`.
void append_per_irrep(std::string& out, const std::vector<int>& counts, const std::vector<double>& values,
                      int per_line, const char* format) {
  size_t at = 0;
  for (int n : counts) {
    for (int k = 0; k < n; ++k, ++at) {
      append(out, format, at < values.size() ? values[at] : 0.0);
      if ((k + 1) % per_line == 0 || k + 1 == n) out += '\n';
    }
  }
}

void append_counts(std::string& out, const std::vector<int>& counts) {
  char field[16];
  for (int n : counts) {
    std::snprintf(field, sizeof field, "%8d", n);
    out += field;
  }
  out += '\n';
}

void append_spin(std::string& out, const inporb_t& f, const inporb_spin_t& s, bool beta) {
  out += beta ? "#UORB\n" : "#ORB\n";
  for (size_t i = 0; i < f.nbas.size(); ++i) {
    const size_t n = static_cast<size_t>(f.nbas[i]);
    for (int k = 0; k < f.norb[i]; ++k) {
      char head[48];
      std::snprintf(head, sizeof head, "* ORBITAL%5zu%5d\n", i + 1, k + 1);
      out += head;
      for (size_t j = 0; j < n; ++j) {
        append(out, " %21.14E", s.vectors[i][static_cast<size_t>(k) * n + j]);
        if ((j + 1) % 5 == 0 || j + 1 == n) out += '\n';
      }
    }
  }
}

}  // namespace

bool parse_inporb(const std::string& text, inporb_t& f, std::string& error) {
  inporb_reader r(text, error);
  std::string_view line;
  if (!r.next(line) || trim(line).rfind("#INPORB 2", 0) != 0) {
    error = "not an orbital file of version 2 (its first line is not \"#INPORB 2.x\")";
    return false;
  }
  if (!read_info(r, f)) return false;
  if (!read_vectors(r, "#ORB", f.spins[0], f)) return false;
  if (f.unrestricted() && !read_vectors(r, "#UORB", f.spins[1], f)) return false;
  // The sections after the coefficients, each searched from there.
  const std::string after(text.substr(text.size() - r.bytes_left()));
  for (size_t s = 0; s < f.spins.size(); ++s) {
    inporb_reader occ(after, error), one(after, error);
    if (!read_per_orbital(occ, s ? "#UOCC" : "#OCC", f, f.spins[s].occupations, true)) return false;
    if (!read_per_orbital(one, s ? "#UONE" : "#ONE", f, f.spins[s].energies, false)) return false;
    f.has_energies = !f.spins[s].energies.empty();
  }
  inporb_reader index(after, error);
  return read_index(index, f);
}

std::string inporb_text(const inporb_t& f) {
  std::string out = "#INPORB 2.2\n#INFO\n* " + orbital_file_free_line(f.title) + "\n";
  char field[40];
  std::snprintf(field, sizeof field, "%8d%8zu%8d\n", f.unrestricted() ? 1 : 0, f.nbas.size(), 0);
  out += field;
  append_counts(out, f.nbas);
  append_counts(out, f.norb);
  for (size_t s = 0; s < f.spins.size(); ++s) append_spin(out, f, f.spins[s], s == 1);
  for (size_t s = 0; s < f.spins.size(); ++s) {
    out += s ? "#UOCC\n* Beta OCCUPATION NUMBERS\n" : "#OCC\n* OCCUPATION NUMBERS\n";
    append_per_irrep(out, f.norb, f.spins[s].occupations, 5, " %21.14E");
  }
  for (size_t s = 0; s < f.spins.size(); ++s) {
    out += s ? "#UOCHR\n* Beta OCCUPATION NUMBERS (HUMAN-READABLE)\n" : "#OCHR\n* OCCUPATION NUMBERS (HUMAN-READABLE)\n";
    append_per_irrep(out, f.norb, f.spins[s].occupations, 10, " %7.4f");
  }
  if (f.has_energies)
    for (size_t s = 0; s < f.spins.size(); ++s) {
      out += s ? "#UONE\n* Beta ONE ELECTRON ENERGIES\n" : "#ONE\n* ONE ELECTRON ENERGIES\n";
      append_per_irrep(out, f.norb, f.spins[s].energies, 10, " %11.4E");
    }
  return out + "#INDEX\n" + type_index_text(f.types);
}

orbital_file_t embedded_orbital_file(const inporb_t& f) {
  const std::string text = inporb_text(f);
  orbital_file_t out;
  const size_t first_line = text.find('\n') + 1;
  out.head = text.substr(0, first_line);
  // The program's counts line: the irreps and the orbitals of each.
  char field[16];
  std::snprintf(field, sizeof field, "%8zu", f.norb.size());
  out.head += field;
  for (int n : f.norb) {
    std::snprintf(field, sizeof field, "%8d", n);
    out.head += field;
  }
  out.head += '\n';
  const size_t index = text.rfind("\n#INDEX\n") + 1;
  out.head += text.substr(first_line, index + 7 - first_line);
  out.letters = f.types;
  return out;
}

std::string inporb_of_embedded(const orbital_file_t& f) {
  std::string text = f.head;
  // The counts line the program puts after the first line is not
  // the orbital file's.
  const size_t first = text.find('\n');
  if (first != std::string::npos) {
    const size_t second = text.find('\n', first + 1);
    const std::string counts = text.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    if (!counts.empty() && counts.find_first_not_of(" 0123456789") == std::string::npos)
      text.erase(first + 1, second - first);
  }
  return text + type_index_text(f.letters);
}
