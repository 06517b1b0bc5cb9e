// Save's file name from the clock, and its failures as fatal errors.
#include "app/save.h"

#include "output/atomic_file.h"
#include "runtime/console.h"
#include "runtime/fatal_error.h"
#include "snippet/snippet.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace {

std::tm local_now()
{
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return parts;
}

// `filename` with "_`number`" before its ".bas", or at its end without one.
std::string numbered(const std::string& filename, unsigned long number)
{
    if (number == 1)
        return filename;
    const std::string extension = ".bas";
    const bool has_extension = filename.size() >= extension.size() &&
                               filename.compare(filename.size() - extension.size(), extension.size(), extension) == 0;
    return std::string(filename).insert(filename.size() - (has_extension ? extension.size() : 0),
                                        "_" + std::to_string(number));
}

} // namespace

runtime::Status write_snippet(const std::string& filename, const std::string& text, std::string& written)
{
    runtime::Status status;
    // Saves within one second get the same name from the clock; the later
    // ones number theirs, with no limit: a folder holds finitely many names,
    // and the shape being edited is never lost to one.
    for (unsigned long number = 1;; ++number) {
        written = numbered(filename, number);
        status = output::write_file(written, text, output::Publish::only_if_free);
        if (status.kind != runtime::Status::Kind::name_taken)
            return status;
    }
}

std::string save_me(const std::string& filename, const Tparams& params)
{
    std::string written;
    const runtime::Status status = write_snippet(filename, snippet::text(params), written);
    if (!status.ok())
        runtime::fatal_error(status.kind == runtime::Status::Kind::cannot_create ? runtime::file_not_found
                                                                                 : runtime::file_io_error,
                             {"supershape", "save_me"});
    return written;
}

std::string clock_file_name()
{
    // Time first, then the date, in two reads: a save across midnight pairs
    // the old time with the new date.
    const std::tm time = local_now();
    const std::tm date = local_now();
    return snippet::file_name({time.tm_hour, time.tm_min, time.tm_sec},
                              {date.tm_mon + 1, date.tm_mday, date.tm_year + 1900});
}

void savecb(void* client_data)
{
    Saving& saving = runtime::checked_deref(static_cast<Saving*>(client_data), {"supershape", "savecb"});
    const Tparams& params = runtime::checked_deref(saving.params, {"supershape", "savecb"});
    saving.path = save_me(clock_file_name(), params);
    saving.text = snippet::text(params);
}

std::string last_shape_path(const char* state_home, const char* home)
{
    std::string folder;
    if (state_home && state_home[0] == '/')
        folder = state_home;
    else if (home && home[0] != '\0')
        folder = std::string(home) + "/.local/state";
    return folder.empty() ? folder : folder + "/supershape/last.bas";
}

void keep_last_shape(const Tparams& params)
{
    const std::string path = last_shape_path(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"));
    if (path.empty())
        return;
    // A folder that cannot be made is said by the write.
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    const runtime::Status status = output::write_file(path, snippet::text(params));
    if (!status.ok())
        runtime::error_line(("supershape: " + status.message).c_str());
}
