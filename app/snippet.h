// The Save button's export: the parameters as a source snippet that rebuilds
// the shape, written to a file named after the local date and time.
#pragma once

#include "app/Tparams.h"

#include <string>

// The snippet for `params`: 31 lines, each ending in CR LF.
std::string snippet_text(const Tparams& params);

struct Local_time {
    int hours, minutes, seconds;
};

struct Local_date {
    int month, day, year;
};

// "shapes/shape_mm-dd-yyyy_hh_mm_ss.bas", relative to the working folder.
std::string snippet_file_name(const Local_time& time, const Local_date& date);

// Writes the snippet for `params` to `filename`, replacing any file of that
// name only once the whole text is safely written. Ends the program with
// error 2 when the file cannot be created, error 3 when writing fails; an
// earlier file of that name then stays as it was.
void save_me(const std::string& filename, const Tparams& params);

// The Save button's callback: `client_data` points to the Tparams to save
// (error 7 when null). Saves under the name for the current local time.
void savecb(void* client_data);
