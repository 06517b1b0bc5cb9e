#include "mesh/writer_support.h"

#include <cerrno>
#include <cstring>

namespace mesh::detail {

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

} // namespace mesh::detail
