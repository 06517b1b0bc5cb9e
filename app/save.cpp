// Save's file name from the clock, and its failures as fatal errors.
#include "app/save.h"

#include "output/atomic_file.h"
#include "runtime/fatal_error.h"
#include "snippet/snippet.h"

#include <ctime>

namespace {

std::tm local_now()
{
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return parts;
}

} // namespace

void save_me(const std::string& filename, const Tparams& params)
{
    const runtime::Status status = output::write_file(filename, snippet::text(params));
    if (!status.ok())
        runtime::fatal_error(status.kind == runtime::Status::Kind::cannot_create ? runtime::file_not_found
                                                                                  : runtime::file_io_error,
                             {"supershape", "save_me"});
}

void savecb(void* client_data)
{
    const Tparams& params =
        runtime::checked_deref(static_cast<const Tparams*>(client_data), {"supershape", "savecb"});
    // Time first, then the date, in two reads: a save across midnight pairs
    // the old time with the new date.
    const std::tm time = local_now();
    const std::tm date = local_now();
    save_me(snippet::file_name({time.tm_hour, time.tm_min, time.tm_sec},
                               {date.tm_mon + 1, date.tm_mday, date.tm_year + 1900}),
            params);
}
