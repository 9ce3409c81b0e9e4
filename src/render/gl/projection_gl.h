// Window positions of model points under the current OpenGL matrices.
#pragma once

#include "edit/selection.h"

// A projector bound to the model-view, projection and viewport current now
// (window pixels, y from the bottom). Needs a current GL context.
window_projector current_window_projector();
