// Animated WebP through libwebp's animation encoder, which keeps each frame
// encoded until the file is assembled at the end.
#include "animation/timeline.h"
#include "animation/writers.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace animation {
namespace {

const int milliseconds = ticks_per_second(open_webp_writer);

// The encoder fails for want of memory, and says so.
Status encoder_failure(const char* what, const char* reason)
{
    return runtime::failure(Status::Kind::cannot_write,
                            std::string("WebP ") + what + ": " + (reason && *reason ? reason : "failed"));
}

class Webp_writer final : public Writer {
public:
    Webp_writer(std::FILE* out, const Options& options) : out_(out), options_(options) {}
    ~Webp_writer() override
    {
        WebPPictureFree(&picture_);
        WebPAnimEncoderDelete(encoder_);
    }
    Webp_writer(const Webp_writer&) = delete;
    Webp_writer& operator=(const Webp_writer&) = delete;

    Status open()
    {
        WebPAnimEncoderOptions encoder_options;
        if (!WebPAnimEncoderOptionsInit(&encoder_options) || !WebPConfigInit(&config_) || !WebPPictureInit(&picture_))
            return runtime::refused("WebP: the library's version does not match its headers");
        encoder_options.anim_params.loop_count = 0;
        // Transparent black for a transparent ground, black otherwise.
        encoder_options.anim_params.bgcolor = options_.transparent ? 0x00000000u : 0xff000000u;
        config_.lossless = options_.lossless ? 1 : 0;
        config_.quality = static_cast<float>(options_.quality);
        if (!WebPValidateConfig(&config_))
            return runtime::refused("WebP: the quality is out of range");
        picture_.use_argb = 1;
        picture_.width = options_.width;
        picture_.height = options_.height;
        encoder_ = WebPAnimEncoderNew(options_.width, options_.height, &encoder_options);
        if (!encoder_)
            return runtime::refused("WebP: the encoder cannot start at this size");
        return {};
    }

    Status add(const Frame& frame) override
    {
        const int width = options_.width;
        int imported = 0;
        if (frame.alpha) {
            const std::size_t pixels = std::size_t(width) * std::size_t(options_.height);
            rgba_.resize(4 * pixels);
            for (std::size_t i = 0; i < pixels; ++i) {
                std::memcpy(&rgba_[4 * i], frame.rgb + 3 * i, 3);
                rgba_[4 * i + 3] = frame.alpha[i];
            }
            imported = WebPPictureImportRGBA(&picture_, rgba_.data(), 4 * width);
        } else {
            imported = WebPPictureImportRGB(&picture_, frame.rgb, 3 * width);
        }
        if (!imported)
            return runtime::failure(Status::Kind::cannot_write, "out of memory for a WebP frame");
        if (!WebPAnimEncoderAdd(encoder_, &picture_, frame_start(frames_, options_.fps, milliseconds), &config_))
            return encoder_failure("cannot encode a frame", WebPAnimEncoderGetError(encoder_));
        ++frames_;
        return {};
    }

    Status finish() override
    {
        // The last frame lasts until the next would start.
        if (!WebPAnimEncoderAdd(encoder_, nullptr, frame_start(frames_, options_.fps, milliseconds), nullptr))
            return encoder_failure("cannot end the animation", WebPAnimEncoderGetError(encoder_));
        WebPData file;
        WebPDataInit(&file);
        if (!WebPAnimEncoderAssemble(encoder_, &file))
            return encoder_failure("cannot assemble the file", WebPAnimEncoderGetError(encoder_));
        errno = 0;
        const bool written = std::fwrite(file.bytes, 1, file.size, out_) == file.size;
        WebPDataClear(&file);
        if (!written)
            return runtime::failure(Status::Kind::cannot_write, std::strerror(errno != 0 ? errno : EIO));
        return {};
    }

private:
    std::FILE* out_;
    Options options_;
    WebPConfig config_{};
    WebPPicture picture_{};
    WebPAnimEncoder* encoder_ = nullptr;
    std::vector<std::uint8_t> rgba_;
    int frames_ = 0;
};

} // namespace

std::unique_ptr<Writer> open_webp_writer(std::FILE* out, const Options& options, Status& status)
{
    auto writer = std::make_unique<Webp_writer>(out, options);
    status = writer->open();
    return status.ok() ? std::move(writer) : nullptr;
}

} // namespace animation
