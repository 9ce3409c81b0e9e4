// The help texts. Headings and link texts are fixed; every page ends with
// one "Go back" link (to the index from pages 2 to 4, to the how-to index
// from pages 5 to 17). The hot-key page follows the window's key table:
// change both together.
#include "app/help_pages.h"

#include <array>

namespace {

using kind_t = help_segment_t::kind_t;

help_segment_t text(std::string t) { return {kind_t::text, std::move(t), 0}; }
help_segment_t heading(std::string t) { return {kind_t::heading, std::move(t), 0}; }
help_segment_t link(std::string t, int page) { return {kind_t::link, std::move(t), page}; }

// One hot key per line: the key, tabs, what it does.
struct key_line_t {
  const char* key;
  const char* description;
};

help_segment_t key_lines(std::initializer_list<key_line_t> lines) {
  std::string out;
  for (const key_line_t& l : lines) {
    out += l.key;
    out += std::string(l.key[0] && std::string(l.key).size() < 8 ? "\t\t" : "\t");
    out += l.description;
    out += "\n";
  }
  out += "\n";
  return text(out);
}

std::vector<help_segment_t> index_page() {
  return {heading("Mivor help\n\n"), link("Overview\n\n", 2), link("How-to\n\n", 3), link("Hotkeys\n\n", 4)};
}

std::vector<help_segment_t> overview_page() {
  return {heading("Overview\n\n"),
          text("Mivor is an OpenGL based viewer for molecular orbitals and densities, and for molecular structures, "
               "which can be manipulated on the screen, and some of their properties (energies along an "
               "optimisation, vibrational modes and spectra, charges, dipole moments). It reads its own native "
               "files (.mvr), Gaussian cube files, Molden files and XYZ files, and through Open Babel the formats "
               "pdb, mol2, sdf, mol, cml, cif, gro and gzmat and the outputs of Gaussian, ORCA, GAMESS, NWChem and "
               "Q-Chem. Molecules can be saved natively, as XYZ and in the formats Open Babel writes.\n\n"),
          link("Go back", 1)};
}

std::vector<help_segment_t> howto_index_page() {
  return {heading("How-to\n\n"),
          link("Add new fragment to the molecule\n", 5),
          link("Add or remove atom\n", 6),
          link("Add or remove dummy atom\n", 7),
          link("Analize symmetry or apply symmetry operations to the molecule\n", 8),
          link("Change atom\n", 9),
          link("Change atom colors, valencies and atomic radii\n", 10),
          link("Change background color\n", 11),
          link("Change orbital color\n", 12),
          link("Change orbital type\n", 17),
          link("Change lightning angle\n", 13),
          link("Display geometries/orbitals from the same angle\n", 14),
          link("Position molecule in the center-of-mass\n", 15),
          link("Move fragment in the molecule\n\n", 16),
          link("Go back", 1)};
}

std::vector<help_segment_t> hotkeys_page() {
  return {heading("General hotkeys\n\n"),
          key_lines({{"F1", "this help"},
                     {"Control+h", "this help"},
                     {"F2", "save the molecule in a file of your choice"},
                     {"F5", "picture of the drawing area (new_file_000.tga, 001, ...)"},
                     {"Shift+F5", "PostScript picture (new_file_000.eps, ...)"},
                     {"P", "PostScript picture for level-2 printers"},
                     {"p", "POV-Ray scene (new_file_000.pov, ...)"},
                     {"F6", "watch the bond, angle or dihedral of the selected atoms"},
                     {"Shift+F6", "stop watching all values"},
                     {"F9", "save the settings (mivor.rc)"},
                     {"Shift+F9", "background colour"},
                     {"B G U b g r", "background colour"},
                     {"F10", "save the file and quit"},
                     {"Control+q", "quit"},
                     {"Control+o", "open a file"},
                     {"Escape", "stop watching values; delete arrows, spheres, planes, triangles and cells"},
                     {"arrow keys", "move the molecule or the camera (Shift: larger steps)"},
                     {"Z z", "zoom in, zoom out"},
                     {"v", "store the view (.ViewPoint)"},
                     {"V", "restore the stored view"},
                     {"l", "move the light with the mouse (l again to finish)"},
                     {"m", "start or stop the animation of the geometries"},
                     {"w", "grayscale on or off"},
                     {"x", "full screen on or off"},
                     {"A", "next material style"},
                     {"Q q", "smoother or coarser spheres"},
                     {"T t", "surfaces and objects more or less transparent (Alt+t: opaque)"},
                     {"c", "redraw"},
                     {"Space", "clear the selection, else the marks"},
                     {"*", "reverse the marks"},
                     {"F7", "mark the atoms bonded to the selected atom"}}),
          heading("Hot keys in Grid Mode\n\n"),
          key_lines({{"F3", "all orbitals side by side (F3 again closes them)"},
                     {"+ -", "raise or lower the isosurface level by 0.01"},
                     {"Page Up", "previous orbital of the list"},
                     {"Page Down", "next orbital of the list"},
                     {"f", "the current orbital becomes frozen"},
                     {"i", "the current orbital becomes inactive"},
                     {"1", "the current orbital becomes RAS 1"},
                     {"2 a", "the current orbital becomes RAS 2"},
                     {"3", "the current orbital becomes RAS 3"},
                     {"s", "the current orbital becomes secondary"},
                     {"d", "the current orbital becomes deleted"}}),
          heading("Hot keys in Coordinate Mode\n\n"),
          key_lines({{"BackSpace", "undo the last change"},
                     {"Home", "move the origin to the selection (or the centre)"},
                     {"I", "insert a hydrogen, or the fragment chosen last"},
                     {"End", "add dummy atoms"},
                     {"#", "renumber the atoms, marked atoms first"},
                     {"Delete", "delete the marked atoms"}}),
          heading("Hot keys if no atoms are selected \n\n"),
          key_lines({{"Insert F12", "insert the fragment chosen last"},
                     {"a", "mark the hydrogen atoms"},
                     {"Shift+Page Up", "move the molecule forward"},
                     {"Shift+Page Down", "move the molecule backward"}}),
          heading("Hot keys in Selection mode (1 atom is selected) \n\n"),
          key_lines({{"Insert F12", "attach the fragment chosen last to the atom"},
                     {"Shift+Insert", "add a dummy atom"},
                     {"w", "attach the fragment chosen last to the atom"},
                     {"Delete", "delete the atom"},
                     {"Page Up", "next element of the default elements"},
                     {"Page Down", "previous element of the default elements"}}),
          heading("Hot keys in Selection mode for bond (2 atoms are selected)\n\n"),
          key_lines({{"Insert F12", "next bond type (a missing bond becomes single)"},
                     {"Shift+Insert", "add a dummy atom between the atoms"},
                     {"Delete", "lower the bond type"},
                     {"Page Up", "next bond type"},
                     {"Page Down", "previous bond type"},
                     {"+ -", "lengthen or shorten the bond by one step"},
                     {"|", "mark the atoms on the side of the first atom"}}),
          heading("Hot keys in Selection mode for angle (3 atoms are selected)\n\n"),
          key_lines({{"+ -", "open or close the angle by one step"},
                     {"3", "draw a triangle through the atoms"},
                     {"4", "draw a plane through the atoms"},
                     {"|", "mark the atoms on the side of the first atom"}}),
          heading("Hot keys in Selection mode for dihedral angle (4 atoms are selected)\n\n"),
          key_lines({{"+ -", "turn the dihedral angle by one step"}, {"6", "draw a cell through the atoms"}}),
          heading("Hot keys in Molden mode for a orbital file (e.g. scf.molden) \n\n"),
          key_lines({{"F3", "all orbitals side by side"},
                     {"+ -", "raise or lower the isosurface level"},
                     {"Page Up Page Down", "previous or next orbital"},
                     {"f i 1 2 3 s d", "orbital type of the current orbital"}}),
          heading("Hot keys in Molden mode for a frequency file\n\n"),
          key_lines({{"+ -", "faster or slower vibration"},
                     {"A a", "larger or smaller amplitude"},
                     {"Page Up", "next vibrational mode"},
                     {"Page Down", "previous vibrational mode"}}),
          heading("Hot keys in Molden mode for a geometry file\n\n"),
          key_lines({{"Page Up", "next geometry"}, {"Page Down", "previous geometry"}, {"m", "play the geometries"}}),
          link("Go back", 1)};
}

// A how-to page: its heading, its text, and the link back to the how-to index.
std::vector<help_segment_t> howto(const char* title, std::initializer_list<help_segment_t> body) {
  std::vector<help_segment_t> page = {heading(std::string(title) + "\n\n")};
  page.insert(page.end(), body);
  page.push_back(link("Go back", 3));
  return page;
}

std::vector<std::vector<help_segment_t>> all_pages() {
  return {
      index_page(),
      overview_page(),
      howto_index_page(),
      hotkeys_page(),
      howto("Add new fragment to the molecule",
            {text("Select the atom the fragment is to be connected to, open the \"fragments\" page of the side "
                  "panel and click the fragment. With no atom selected the fragment is added on its own; with "
                  "two atoms selected it takes the place of the second one.\nThe add button (\"Add an atom\") of the "
                  "\"edit\" page, and the Insert key, add the fragment chosen last again.\n\n")}),
      howto("Add or remove atom",
            {text("The add button (\"Add an atom\") of the \"edit\" page inserts a hydrogen atom: next to the selected "
                  "atom, or "
                  "outside the molecule when none is selected. To get another element, select the new atom and "
                  "press \"Change\", which changes the only selected atom. Once a fragment was inserted, the add "
                  "button repeats that fragment: choose \"H\" on the \"fragments\" page to add hydrogens again.\nThe "
                  "\"delete atom\" button (or the Delete key) removes the selected atom, or all marked atoms.\n\n")}),
      howto("Add or remove dummy atom",
            {text("Add an atom and change it to the dummy element \"Q\" with \"Change\". In the \"dummy atoms\" "
                  "section of the \"edit\" page, the add button with two selected atoms inserts a dummy atom half way "
                  "between them; with no atom selected the same button adds dummy atoms on the coordinate axes "
                  "and at the origin. The remove button there deletes every \"Q\" atom.\n\n")}),
      howto("Analize symmetry or apply symmetry operations to the molecule",
            {text("With no atom selected, the \"Symmetry\" button of the \"Symmetry\" page analyses the symmetry "
                  "of the molecule and shows the symmetry elements. With one, two or three selected atoms the "
                  "page applies inversion through the atom, a C2 (or Cn) rotation about the axis through the "
                  "two atoms, or mirror symmetry in the plane of the three atoms.\n\n")}),
      howto("Change atom",
            {text("Select one atom and press \"Change\" on the \"edit\" page. The \"Choose element\" dialog shows "
                  "the periodic table: clicking an element gives it to the atom. Its \"custom data\" expander "
                  "changes the colour, the van der Waals radius, the bond size and the valency of the selected "
                  "atom alone, for the current run only. To change all atoms of an element for good, use "
                  "Edit->Atom properties.\n\n")}),
      howto("Change atom colors, valencies and atomic radii",
            {text("For one atom and the current run only: select it, press \"Change\" on the \"edit\" page and "
                  "open \"custom data\" in the \"Choose element\" dialog.\nFor every atom of an element: open "
                  "Edit->Atom properties, click the element, set its colour, van der Waals radius, bonding "
                  "radius and valency, and press Apply to use them in this run, or Save to keep them in the "
                  "element table (atoms.rc) for every later run.\n\n")}),
      howto("Change background color", {text("Click on the Edit->Background color menu item\n\n")}),
      howto("Change orbital color",
            {text("Click on the Edit->Orbital negative color or Edit->Orbital positive color menu item\n\n")}),
      howto("Change lightning angle",
            {text("Click on the View->Move light menu item (or press l) and drag with the left mouse button in "
                  "the display area: the light turns as the molecule would. Click the same menu item again to "
                  "finish.\n\n")}),
      howto("Display geometries/orbitals from the same angle",
            {text("Turn the molecule as you like and click View->Create viewpoint (or press v). Change the "
                  "orbital, the geometry or the file, then click View->Restore viewpoint (or press V) to see it "
                  "from the same angle.\n\n")}),
      howto("Position molecule in the center-of-mass",
            {text("Open the \"zoom/translation\" expander under the side panel's pages and click the centring "
                  "icon "),
             {kind_t::center_icon, "", 0},
             text(".\n\n")}),
      howto("Move fragment in the molecule",
            {text("On the \"edit\" page mark the atoms of the fragment with the right mouse button (or drag a "
                  "rectangle around them with it). Then select two, three or four atoms with the left button, "
                  "the first of them in the fragment, and type the distance, angle or dihedral into the spin "
                  "button: the marked atoms move with the first selected atom.\n\n")}),
      howto("Change orbital type",
            {text("Select the orbital's row on the \"orbitals\" page and click its first column (orbital type) "
                  "to get a menu of types. The keys f, i, 1, 2, 3, s and d set the type of the selected "
                  "orbital; in the window of all orbitals (F3) the same keys act on the orbital last clicked, "
                  "and the middle mouse button steps a tile's type.\n\n")}),
  };
}

}  // namespace

const std::vector<help_segment_t>& help_page(int page) {
  static const std::vector<std::vector<help_segment_t>> pages = all_pages();
  static const std::vector<help_segment_t> none;
  return page >= 1 && page <= n_help_pages ? pages[static_cast<size_t>(page - 1)] : none;
}

std::string help_page_text(int page) {
  std::string out;
  for (const help_segment_t& s : help_page(page)) out += s.text;
  return out;
}
