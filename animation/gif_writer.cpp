// Animated GIF through giflib, streamed: each frame is quantised to a
// palette of its own and written as it comes.
#include "animation/palette.h"
#include "animation/timeline.h"
#include "animation/writers.h"

#include <gif_lib.h>

#include <cerrno>
#include <cstring>

namespace animation {
namespace {

const int hundredths = ticks_per_second(open_gif_writer);
constexpr int colour_resolution = 8;
// The application extension that makes browsers loop: NETSCAPE2.0, with
// sub-block 1 holding the loop count, 0 for forever.
constexpr char loop_application[] = "NETSCAPE2.0";
constexpr GifByteType loop_forever[] = {1, 0, 0};

int write_bytes(GifFileType* gif, const GifByteType* bytes, int length)
{
    return static_cast<int>(
        std::fwrite(bytes, 1, static_cast<std::size_t>(length), static_cast<std::FILE*>(gif->UserData)));
}

// A failed write is the stream's, whose error is the system's.
Status write_failure(int error)
{
    if (error == E_GIF_ERR_WRITE_FAILED)
        return runtime::failure(Status::Kind::cannot_write, std::strerror(errno != 0 ? errno : EIO));
    const char* reason = GifErrorString(error);
    return runtime::failure(Status::Kind::cannot_write, std::string("GIF: ") + (reason ? reason : "failed"));
}

class Gif_writer final : public Writer {
public:
    Gif_writer(std::FILE* out, const Options& options) : out_(out), options_(options) {}
    ~Gif_writer() override
    {
        if (gif_) {
            int ignored = 0;
            EGifCloseFile(gif_, &ignored);
        }
    }
    Gif_writer(const Gif_writer&) = delete;
    Gif_writer& operator=(const Gif_writer&) = delete;

    Status open()
    {
        int error = 0;
        errno = 0;
        gif_ = EGifOpen(out_, write_bytes, &error);
        if (!gif_)
            return write_failure(error);
        EGifSetGifVersion(gif_, true);
        if (EGifPutScreenDesc(gif_, options_.width, options_.height, colour_resolution, 0, nullptr) == GIF_ERROR ||
            EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
            EGifPutExtensionBlock(gif_, sizeof loop_application - 1, loop_application) == GIF_ERROR ||
            EGifPutExtensionBlock(gif_, sizeof loop_forever, loop_forever) == GIF_ERROR ||
            EGifPutExtensionTrailer(gif_) == GIF_ERROR)
            return write_failure(gif_->Error);
        return {};
    }

    Status add(const Frame& frame) override
    {
        const std::size_t pixels = std::size_t(options_.width) * std::size_t(options_.height);
        quantize(frame.rgb, options_.transparent ? frame.alpha : nullptr, pixels, indexed_);
        GraphicsControlBlock control{};
        // A transparent ground shows what is behind the file, not the
        // frame before.
        control.DisposalMode = options_.transparent ? DISPOSE_BACKGROUND : DISPOSE_DO_NOT;
        control.DelayTime =
            frame_start(frames_ + 1, options_.fps, hundredths) - frame_start(frames_, options_.fps, hundredths);
        control.TransparentColor = indexed_.transparent;
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);

        // A colour map's size is a power of two, 2 at least.
        int size = 2;
        while (size < static_cast<int>(indexed_.palette.size()))
            size *= 2;
        ColorMapObject* map = GifMakeMapObject(size, nullptr);
        if (!map)
            return runtime::failure(Status::Kind::cannot_write, "out of memory for a GIF palette");
        for (std::size_t i = 0; i < indexed_.palette.size(); ++i)
            map->Colors[i] = {indexed_.palette[i][0], indexed_.palette[i][1], indexed_.palette[i][2]};
        errno = 0;
        const bool written = EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, sizeof extension, extension) != GIF_ERROR &&
                             EGifPutImageDesc(gif_, 0, 0, options_.width, options_.height, false, map) != GIF_ERROR &&
                             EGifPutLine(gif_, indexed_.indices.data(), static_cast<int>(pixels)) != GIF_ERROR;
        GifFreeMapObject(map);
        if (!written)
            return write_failure(gif_->Error);
        ++frames_;
        return {};
    }

    Status finish() override
    {
        int error = 0;
        errno = 0;
        const int closed = EGifCloseFile(gif_, &error);
        gif_ = nullptr;
        return closed == GIF_ERROR ? write_failure(error) : Status{};
    }

private:
    std::FILE* out_;
    Options options_;
    GifFileType* gif_ = nullptr;
    Indexed_frame indexed_;
    int frames_ = 0;
};

} // namespace

std::unique_ptr<Writer> open_gif_writer(std::FILE* out, const Options& options, Status& status)
{
    auto writer = std::make_unique<Gif_writer>(out, options);
    status = writer->open();
    return status.ok() ? std::move(writer) : nullptr;
}

} // namespace animation
