// The mesh of a shape, under the name shapetool's commands use.
#pragma once

#include "mesh/meshed_shape.h"

namespace shapetool {

using mesh::Meshed_shape;

} // namespace shapetool
