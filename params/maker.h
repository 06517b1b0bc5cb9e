// Who makes the program, as the window title and saved snippets name it.
#pragma once

namespace params {

constexpr char program_name[] = "Morvane";
constexpr char maker_name[] = "Tarnock";
constexpr char web_address[] = "https://tarnock.example";

} // namespace params
