// The Save button: the parameters as a snippet file named after the local
// date and time. The editor's thin layer over the snippet writer and the
// file-output helper, reporting failures as fatal errors.
#pragma once

#include "params/Tparams.h"
#include "runtime/status.h"

#include <string>

// What Save saves, and the snippet written last by Save or an export, so
// that exporting the same shape again goes beside that file.
struct Saving {
    const Tparams* params = nullptr;
    // Its path and text; empty before the first.
    std::string path, text;
};

// Writes `text` to `filename`, published only once it is safely written,
// and never over another file: when the name is taken, to the first free of
// NAME_2.bas, NAME_3.bas, ..., whose path goes to `written`. Fails as the
// atomic writer words it: "shapes/x.bas: cannot create: REASON".
runtime::Status write_snippet(const std::string& filename, const std::string& text, std::string& written);

// Writes the snippet for `params` as write_snippet does, and returns its
// path. Ends the program with error 2 when the file cannot be created,
// error 3 when writing fails.
std::string save_me(const std::string& filename, const Tparams& params);

// Save's file name for the current local time.
std::string clock_file_name();

// The Save button's callback: `client_data` points to the Saving (error 7
// when null), whose values it saves under clock_file_name(), noting the file.
void savecb(void* client_data);

// Where the shape shown last is kept: supershape/last.bas in the user's
// state folder, `state_home` when it is an absolute path, else
// `home`/.local/state; empty when neither is known.
std::string last_shape_path(const char* state_home, const char* home);

// Keeps `params` at last_shape_path for the environment, its folders made
// first and the file replaced whole; a failure is said on standard error in
// one line.
void keep_last_shape(const Tparams& params);
