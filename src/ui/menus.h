// The menu bar and its callbacks; the items other parts use are in
// ui/widgets.h.
#pragma once

#include "ui/widgets.h"

GtkWidget* make_menubar(GtkWidget* window);
