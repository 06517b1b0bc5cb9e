// The panel's bars and entries, with the checks on what is added: no ImGui,
// no GL. The library's start and end open and close it.
#pragma once

#include "panel/entry.h"

#include <memory>
#include <string>
#include <vector>

namespace panel {

void open_registry();
// Drops every bar and the last failure.
void close_registry();
bool registry_open();

// Every bar, in the order made.
const std::vector<std::unique_ptr<TwBar>>& bars();

// The values the mouse edits outside the bars, once given.
const std::optional<View_binding>& view_binding();

// Keeps `reason` for TwGetLastError; returns 0, the library's failure.
int fail(const std::string& reason);

} // namespace panel
