#include "export/file_output.h"

#include <filesystem>

namespace file_export {
namespace {

// Written into `out`, a failure of the writer named after its file.
Status write_into(output::Atomic_file& out, Mesh_writer write, const Export_mesh& file)
{
    if (out.status().ok())
        if (const Status written = write(out.stream(), file); !written.ok())
            return runtime::failure(written.kind, out.target(), written.message);
    return out.status();
}

} // namespace

Status write_format_file(const std::string& target, const Format_row& format, Export_mesh& file,
                         output::Publish publish)
{
    if (!format.companion.extension) {
        output::Atomic_file out(target, publish);
        const Status written = write_into(out, format.write, file);
        return written.ok() ? out.commit() : written;
    }
    const std::string companion = companion_path(target, format);
    file.companion_file = std::filesystem::path(companion).filename().string();
    output::Atomic_file companion_out(companion);
    if (const Status written = write_into(companion_out, format.companion.write, file); !written.ok())
        return written;
    output::Atomic_file main_out(target, publish);
    if (const Status written = write_into(main_out, format.write, file); !written.ok())
        return written;
    return main_out.commit_with(companion_out);
}

} // namespace file_export
