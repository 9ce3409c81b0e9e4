#include "formats/text_words.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

namespace {

std::unique_ptr<FILE, int (*)(FILE*)> memory_file(const std::string& text) {
  FILE* f = std::tmpfile();
  std::fwrite(text.data(), 1, text.size(), f);
  std::rewind(f);
  return {f, std::fclose};
}

TEST(ReadLine, ReturnsLinesWithTheirLineFeedThenEmptyStrings) {
  auto f = memory_file("first\n\nlast without feed");
  EXPECT_EQ(read_line(f.get()), "first\n");
  EXPECT_EQ(read_line(f.get()), "\n");
  EXPECT_EQ(read_line(f.get()), "last without feed");
  EXPECT_EQ(read_line(f.get()), "");
  EXPECT_EQ(read_line(f.get()), "");
  EXPECT_EQ(read_line(nullptr), "");
}

TEST(ReadLine, KeepsVeryLongLinesAndNulBytesWhole) {
  const std::string longline(100000, 'x');
  std::string text = longline + "\n";
  text += std::string("a\0b\n", 4);
  auto f = memory_file(text);
  EXPECT_EQ(read_line(f.get()), longline + "\n");
  EXPECT_EQ(read_line(f.get()), std::string("a\0b\n", 4));
}

TEST(StrValue, ReadsOneWordOrAQuotedStretchAfterTheFirstEquals) {
  EXPECT_EQ(my_read_str_value("libpath = /usr/lib/x forward=a"), "/usr/lib/x");
  EXPECT_EQ(my_read_str_value("description=\"XYZ coordinates\" x=1"), "XYZ coordinates");
  EXPECT_EQ(my_read_str_value("key=\t\tvalue\n"), "value");
  EXPECT_EQ(my_read_str_value("key=ab\"c d\"e f"), "abc de");
  EXPECT_EQ(my_read_str_value("a=b=c"), "b=c");
}

TEST(StrValue, IsEmptyOrNullWhenNoValueCanBeRead) {
  EXPECT_FALSE(my_read_str_value(nullptr));
  EXPECT_FALSE(my_read_str_value(""));
  EXPECT_FALSE(my_read_str_value("no equals sign"));
  EXPECT_FALSE(my_read_str_value("key="));
  EXPECT_FALSE(my_read_str_value("key=   "));
  EXPECT_EQ(my_read_str_value("key=\n"), "");
  EXPECT_EQ(my_read_str_value("key=\x01value"), "");
  // An unterminated quote stops at the end of the line, not beyond it.
  EXPECT_EQ(my_read_str_value("key=\"open quote\n"), "open quote");
}

TEST(NumberValues, FollowTheFirstEqualsAndNeverOverflow) {
  EXPECT_EQ(my_read_int_value("Animate = 1"), 1);
  EXPECT_EQ(my_read_int_value("Size = -42x"), -42);
  EXPECT_EQ(my_read_int_value("Size = abc"), 0);
  EXPECT_EQ(my_read_int_value("no value"), 0);
  EXPECT_EQ(my_read_int_value("Size = 99999999999999999999999"), INT_MAX);
  EXPECT_EQ(my_read_int_value("Size = -99999999999999999999999"), INT_MIN);
  EXPECT_DOUBLE_EQ(my_read_dble_value("Isolevel value = 0.025"), 0.025);
  EXPECT_DOUBLE_EQ(my_read_dble_value("x = -1.5e-3 rest"), -1.5e-3);
  EXPECT_EQ(my_read_dble_value("x = junk"), 0.0);
  EXPECT_EQ(my_read_dble_value(nullptr), 0.0);
  EXPECT_TRUE(std::isinf(my_read_dble_value("x = 1e999")));
}

TEST(Words, AreSeparatedByBlanksAndTabsAndKeepQuotedStretchesTogether) {
  const char* line = "  C\t1.0  \"two words\" last\n";
  EXPECT_EQ(get_one_word(get_ptr_ith_word(line, 1)), "C");
  EXPECT_EQ(get_one_word(get_ptr_ith_word(line, 2)), "1.0");
  EXPECT_EQ(get_one_word(get_ptr_ith_word(line, 3)), "two words");
  EXPECT_EQ(get_one_word(get_ptr_ith_word(line, 4)), "last");
  EXPECT_EQ(get_ptr_ith_word(line, 5), nullptr);
  EXPECT_EQ(get_ptr_ith_word(line, 0), nullptr);
  EXPECT_EQ(get_ptr_ith_word("", 1), nullptr);
  EXPECT_EQ(get_ptr_ith_word(nullptr, 1), nullptr);
  EXPECT_EQ(get_one_word(nullptr), "");
  EXPECT_EQ(get_one_word("\"unterminated quote"), "unterminated quote");
}

TEST(Strdiet, RemovesTheLineFeedAndSurroundingBlanks) {
  std::string s = " \t libpath=/x forward=f \t\n";
  strdiet(s);
  EXPECT_EQ(s, "libpath=/x forward=f");
  s = "dos line\r\n";
  strdiet(s);
  EXPECT_EQ(s, "dos line");
  // A last line without a line feed keeps all its characters.
  s = "description=XYZ";
  strdiet(s);
  EXPECT_EQ(s, "description=XYZ");
  s = " \t \n";
  strdiet(s);
  EXPECT_EQ(s, "");
}

TEST(LineIsEmpty, CountsOnlyControlCharactersAndBlanksAsEmpty) {
  EXPECT_EQ(line_is_empty(nullptr), 1);
  EXPECT_EQ(line_is_empty(""), 1);
  EXPECT_EQ(line_is_empty(" \t\r\n"), 1);
  EXPECT_EQ(line_is_empty("  x\n"), 0);
}

TEST(FindNocase, IgnoresLetterCase) {
  EXPECT_EQ(find_nocase("  <Vector>", "<vector>"), 2u);
  EXPECT_EQ(find_nocase("LIBPATH=x", "libpath"), 0u);
  EXPECT_EQ(find_nocase("abc", "abcd"), std::string::npos);
  EXPECT_EQ(find_nocase("xAx", "a", 2), std::string::npos);
}

}  // namespace
