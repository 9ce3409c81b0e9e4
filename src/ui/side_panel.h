// The side panel right of the drawing area: the notebook of pages and the
// four expanders below it, shown and hidden as the molecule's data ask. Its
// widgets and refresh functions are in ui/widgets.h.
#pragma once

#include "ui/widgets.h"

// Builds the panel once and returns its outer box.
GtkWidget* make_notebook();
