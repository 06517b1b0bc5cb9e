// The Save button: the parameters as a snippet file named after the local
// date and time. The editor's thin layer over the snippet writer and the
// file-output helper, reporting failures as fatal errors.
#pragma once

#include "params/Tparams.h"

#include <string>

// Writes the snippet for `params` to `filename`, published only once the
// whole text is safely written, and never over another file: when the name
// is taken, to the first free of NAME_2.bas, NAME_3.bas, ... Ends the program
// with error 2 when the file cannot be created, error 3 when writing fails.
void save_me(const std::string& filename, const Tparams& params);

// The Save button's callback: `client_data` points to the Tparams to save
// (error 7 when null). Saves under the name for the current local time.
void savecb(void* client_data);

// Where the shape shown last is kept: supershape/last.bas in the user's
// state folder, `state_home` when it is an absolute path, else
// `home`/.local/state; empty when neither is known.
std::string last_shape_path(const char* state_home, const char* home);

// Keeps `params` at last_shape_path for the environment, its folders made
// first and the file replaced whole; a failure is said on standard error in
// one line.
void keep_last_shape(const Tparams& params);
