// Line, word and key = value reading shared by the native reader and every
// configuration reader. Lines are read whole, however long; every reader
// stops at the end of the text it is given, so nothing reads past a line.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

// The next line with its line feed; an empty string at end of file or on a
// read error (never anything else when nothing is left).
std::string read_line(FILE* file);
// The same into `line`, reusing its storage; false when nothing was left.
bool read_line_into(FILE* file, std::string& line);

// The value after the first "=" at or after p: blanks and tabs skipped, then
// one word, where double quotes enclose a stretch that keeps its blanks (the
// quotes are dropped). Bytes beyond ASCII are kept as they are. Empty when
// the value starts with a blank or control character; null when p is null
// or empty, has no "=", or nothing follows it. `end` (optional) receives
// where the value ended.
std::optional<std::string> my_read_str_value(const char* p, const char** end = nullptr);
// The integer after the first "=" at or after p (0 without digits, clamped
// to the int range).
int my_read_int_value(const char* p);
// The real after the first "=" at or after p (0 when none can be read).
double my_read_dble_value(const char* p);

// The i-th word (from 1) of a line; words are separated by blanks, tabs and
// line ends, and a double-quoted stretch belongs to its word. Null when the
// line has fewer words.
const char* get_ptr_ith_word(const char* line, int i);
// A copy of the word at p without its quotes; bytes beyond ASCII are kept.
std::string get_one_word(const char* p);

// Removes the line feed that ends a line, then leading and trailing blanks
// and tabs.
void strdiet(std::string& s);
// `s` with its line breaks made blanks: text that must stay one line.
std::string single_line(const std::string& s);
// 1 when s is null or holds only characters with codes 32 and below.
int line_is_empty(const char* s);

// Position of the first occurrence of `needle` in `hay`, ignoring ASCII
// letter case; std::string::npos when absent.
size_t find_nocase(const std::string& hay, const char* needle, size_t from = 0);

// Numbers as the C conversions read them, without their undefined cases:
// leading white space skipped, out-of-range values clamped. `end` (optional)
// receives the first character not used; it equals `s` when nothing was read.
int parse_int(const char* s, const char** end = nullptr);
long long parse_long(const char* s, const char** end = nullptr);
double parse_double(const char* s, const char** end = nullptr);
float parse_float(const char* s, const char** end = nullptr);

// A double narrowed to float, out-of-range values clamped to the largest
// float (the plain conversion is undefined there).
float narrow_to_float(double v);

// Key = value reading: the value after the first "=" that follows `key`,
// found ignoring case, in `line`; nullopt when the line lacks the key. With
// `word_start` the key counts only where it starts a word (not after a
// letter, digit or "_"), so that "CutOff" is not found inside "Is_cutoff".
size_t find_key(const std::string& line, const char* key, bool word_start = false);
std::optional<double> key_dble_value(const std::string& line, const char* key, bool word_start = false);
std::optional<int> key_int_value(const std::string& line, const char* key, bool word_start = false);
std::optional<std::string> key_str_value(const std::string& line, const char* key);
