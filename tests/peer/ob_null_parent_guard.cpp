// Debian's Open Babel 3.1.1 asks an atom whether its molecule is periodic
// while measuring distances to the temporary atoms of its point-group
// search, which belong to no molecule: it dereferences a null parent and
// crashes. Linked into a second peer program, this definition takes the
// library's place and answers "not periodic" for such atoms, so that the
// rest of its search can be compared as well.
#include <openbabel/atom.h>
#include <openbabel/mol.h>

bool OpenBabel::OBAtom::IsPeriodic() const {
  const auto* mol = static_cast<const OBMol*>(const_cast<OBAtom*>(this)->GetParent());
  return mol != nullptr && const_cast<OBMol*>(mol)->IsPeriodic();
}
