// What the frame draws besides the shape, and the view set on every window
// size change.
#pragma once

// Red x, green y and blue z axis through the origin, from -length to length,
// in the current model-view transform. Leaves the current colour blue.
void draw_axes(float length);

// The window library's size handler: viewport, a 40 degree perspective for
// the new aspect, and the camera. Leaves the projection matrix selected.
void windowsizecb(int width, int height);
