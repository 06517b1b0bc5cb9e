// The parameter set as mesh files carry it: one line of printable ASCII for
// comments and 3MF metadata, and one JSON object for glTF extras and
// shapetool's reports. Both list the fields of params/fields.h in order.
#pragma once

#include "params/Tparams.h"

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

namespace file_export {

// a=1 b=1 m=4 n1=0.3 n2=1 n3=1 radius=1 slices=8 bands=8 scale=1
// color=255,255,64,255 rot_str="rotations: ". Floats in their shortest text;
// in rot_str the quote, the backslash and bytes outside printable ASCII are
// escaped as \", \\ and \xHH.
std::string parameter_text(const Tparams& params);

// A float as a JSON number: the double nearest its shortest text, so that
// 0.3f reads 0.3, unless that double would not round back to the float.
double json_number(float value);

// {"a": 1.0, ..., "color": [255, 255, 64, 255], "rot_str": "rotations: "}.
// rot_str's bytes travel as the characters U+0000 to U+00FF of the same
// numbers, so that any bytes come back exactly and ASCII reads as itself.
nlohmann::json parameter_json(const Tparams& params);

// `text` as UTF-8 for a name: unchanged when it is UTF-8 already, otherwise
// each byte as the character of its number.
std::string as_utf8(std::string_view text);

} // namespace file_export
