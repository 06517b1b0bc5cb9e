// The program's fixed GL start state, apart from any window, so that a
// context made without one starts as the editor's screen does.
#pragma once

#include <cstdint>

// Viewport and a 45 degree projection for width x height, identity
// model-view, smooth shading, opaque black clear colour, depth test with
// GL_LEQUAL, colour material, the effects' blend function (blending off),
// and the front material and light 0, with lighting off.
void init_gl_state(std::uint32_t width, std::uint32_t height);
