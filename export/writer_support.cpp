#include "export/writer_support.h"

#include <cerrno>
#include <cmath>
#include <cstring>

namespace file_export::detail {

int write_bytes(std::FILE* out, const void* data, std::size_t bytes)
{
    errno = 0;
    if (bytes > 0 && std::fwrite(data, 1, bytes, out) != bytes)
        return errno != 0 ? errno : EIO;
    return 0;
}

int flush(std::FILE* out)
{
    errno = 0;
    if (std::fflush(out) != 0 || std::ferror(out))
        return errno != 0 ? errno : EIO;
    return 0;
}

runtime::Status write_status(int error)
{
    if (error == 0)
        return {};
    return runtime::failure(runtime::Status::Kind::cannot_write, std::strerror(error));
}

double linear(std::uint8_t byte)
{
    const double c = byte / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

} // namespace file_export::detail
