// The fixed PostScript procedures of the EPS pictures, in two pieces: the
// configure line that chooses the level-2 triangles goes between them.
#pragma once

extern const char eps_prolog_before_level[];
extern const char eps_prolog_after_level[];
