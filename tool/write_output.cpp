#include "tool/write_output.h"

#include "output/atomic_file.h"
#include "tool/progress.h"

namespace shapetool {
namespace {

constexpr char standard_output_name[] = "standard output";

} // namespace

Status write_output(const std::string& target, const std::function<Status(std::FILE*)>& write)
{
    if (target == standard_stream) {
        const Status written = write(stdout);
        if (written.ok())
            return written;
        // Reported here, and not again when the program ends.
        std::clearerr(stdout);
        return runtime::failure(written.kind, standard_output_name, written.message);
    }
    output::Atomic_file file(target);
    if (file.status().ok())
        if (const Status written = write(file.stream()); !written.ok())
            return runtime::failure(written.kind, target, written.message);
    return file.commit();
}

int write_each(std::vector<Named_shape>& shapes, Meshed_shape::Kind kind, const std::vector<std::string>& outputs,
               bool quiet, Console& console, const Write_output& write)
{
    Progress progress(console.err, console.err_is_terminal && !quiet, shapes.size(), quiet);
    int status = exit_success;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        Named_shape& shape = shapes[i];
        Meshed_shape meshed;
        Status failed;
        Written written;
        if (!shape.params) {
            failed = shape.status;
        } else if (!(failed = meshed.make(*shape.params, kind)).ok()) {
            failed.message = shape.name + ": " + failed.message;
        } else {
            failed = write(shape, meshed, outputs[i], written);
        }
        status = worse(status, exit_status_of(failed));
        const std::string& output = outputs[i] == standard_stream ? standard_output_name : outputs[i];
        progress.done(failed.ok() ? shape.name + " -> " + output + ": " + written.summary : failed.message,
                      !failed.ok());
        if (failed.ok() && !written.notice.empty())
            progress.notice(written.notice);
    }
    return status;
}

} // namespace shapetool
