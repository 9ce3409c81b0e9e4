// Pictures from the window: the save-image dialog of the Screenshot menu
// with its preview, and the quick screenshots of the keys.
#pragma once

#include <string>

// The "Save screenshot image" dialog: file, size and format.
void callback_screenshot();
// The "Screenshot" preview of a width × height picture; OK saves it to
// `path` in `format` ("tga" or an image-library format name).
void mivor_save_builtin_graphic_format(const std::string& path, const std::string& format, int width, int height);
// A picture under the next free numbered name: kind 0 Targa of the drawing
// area's size, 1 PostScript, 2 level-2 PostScript, 3 POV-Ray scene.
void do_screenshot(int kind);
