#include "app/help_pages.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using kind_t = help_segment_t::kind_t;

std::vector<int> links_of(int page) {
  std::vector<int> out;
  for (const help_segment_t& s : help_page(page))
    if (s.kind == kind_t::link) out.push_back(s.link);
  return out;
}

TEST(HelpPages, IndexHowToAndEveryPageEndingInItsWayBack) {
  EXPECT_EQ(links_of(1), (std::vector<int>{2, 3, 4}));
  EXPECT_EQ(help_page(1)[1].text, "Overview\n\n");
  EXPECT_EQ(help_page(1)[3].text, "Hotkeys\n\n");
  EXPECT_EQ(links_of(3), (std::vector<int>{5, 6, 7, 8, 9, 10, 11, 12, 17, 13, 14, 15, 16, 1}));
  for (int page = 2; page <= n_help_pages; ++page) {
    const std::vector<help_segment_t>& p = help_page(page);
    ASSERT_FALSE(p.empty()) << page;
    EXPECT_EQ(p.back().kind, kind_t::link) << page;
    EXPECT_EQ(p.back().text, "Go back") << page;
    EXPECT_EQ(p.back().link, page <= 4 ? 1 : 3) << page;
    // The way back is the only link outside the two index pages.
    if (page != 3) {
      EXPECT_EQ(links_of(page).size(), 1u) << page;
    }
  }
  EXPECT_TRUE(help_page(0).empty());
  EXPECT_TRUE(help_page(18).empty());
  EXPECT_EQ(help_page_text(18), "");
  EXPECT_NE(help_page_text(11).find("Click on the Edit->Background color menu item\n\n"), std::string::npos);
  EXPECT_NE(help_page_text(12).find(
                "Click on the Edit->Orbital negative color or Edit->Orbital positive color menu item\n\n"),
            std::string::npos);
}

TEST(HelpPages, HotKeyPageHasItsHeadingsInOrderAndTheKeysOfThisIssue) {
  std::vector<std::string> headings;
  for (const help_segment_t& s : help_page(4))
    if (s.kind == kind_t::heading) headings.push_back(s.text);
  const std::vector<std::string> expected = {"General hotkeys\n\n",
                                             "Hot keys in Grid Mode\n\n",
                                             "Hot keys in Coordinate Mode\n\n",
                                             "Hot keys if no atoms are selected \n\n",
                                             "Hot keys in Selection mode (1 atom is selected) \n\n",
                                             "Hot keys in Selection mode for bond (2 atoms are selected)\n\n",
                                             "Hot keys in Selection mode for angle (3 atoms are selected)\n\n",
                                             "Hot keys in Selection mode for dihedral angle (4 atoms are selected)\n\n",
                                             "Hot keys in Molden mode for a orbital file (e.g. scf.molden) \n\n",
                                             "Hot keys in Molden mode for a frequency file\n\n",
                                             "Hot keys in Molden mode for a geometry file\n\n"};
  EXPECT_EQ(headings, expected);
  const std::string text = help_page_text(4);
  for (const char* line : {"\nF1\t\t", "Control+h\t", "\nF3\t\t", "\nBackSpace\t"})
    EXPECT_NE(text.find(line), std::string::npos) << line;
  const std::string overview = help_page_text(2);
  for (const char* format : {"cube", "Molden", "XYZ", "Open Babel"})
    EXPECT_NE(overview.find(format), std::string::npos) << format;
}

}  // namespace
