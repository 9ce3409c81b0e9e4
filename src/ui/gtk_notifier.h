// What the core tells the interface, shown in the window.
#pragma once

// Installs the window's notifier (after Init_Gui).
void install_gtk_notifier();
