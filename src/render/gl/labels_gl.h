// Atom labels, text boxes and the frame of the text box being typed, blitted
// over the 3D scene of a W × H pixel target. The GL context must be current.
#pragma once

// Labels of the visible atoms of the current geometry in the label colour,
// side by side to the right of each atom centre.
void draw_labels(int W, int H);
// Every text box with an image, in its own colour. (Wa, Ha) is the drawing
// area's size, in whose pixels the boxes are placed; an export to a smaller
// target zooms the images.
void draw_textboxes(int W, int H, int Wa, int Ha);
// The cyan frame of the last text box while text is typed into it.
void draw_textbox_rectangle(int W, int H);
