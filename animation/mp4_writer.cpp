// MP4 video through OpenH264's encoder (H.264's Baseline profile), which
// takes yuv420p: each frame is converted, encoded as it comes and kept,
// and the file is assembled at the end with its index first.
#include "animation/mp4_file.h"
#include "animation/writers.h"

#include <wels/codec_api.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <new>

namespace animation {
namespace {

// H.264 level 5.2 (Annex A), the highest OpenH264 encodes: frames of at
// most 36864 macroblocks of 16 x 16 pixels, 2073600 of them a second.
constexpr long long max_frame_blocks = 36864, max_blocks_per_second = 2073600;

// --quality 100 gives this quantiser, 0 the coarsest, 51; the steps
// between are even. Below 10 the file grows with nothing more to see.
constexpr int finest_quantiser = 10, coarsest_quantiser = 51;

// Frames start over this often, so that a player can seek.
constexpr int seconds_between_key_frames = 2;

// sRGB's primaries are BT.709's: only its matrix turns red, green and blue
// into luma and colour differences, in limited range (16..235, 16..240).
constexpr double red_weight = 0.2126, blue_weight = 0.0722, green_weight = 1 - red_weight - blue_weight;
constexpr double luma_span = 219.0 / 255, chroma_span = 224.0 / 255;
constexpr float luma[3] = {float(luma_span * red_weight), float(luma_span* green_weight),
                           float(luma_span* blue_weight)};
// (B - Y) / (2 (1 - Kb)) and (R - Y) / (2 (1 - Kr)), scaled to their span.
constexpr double blue_scale = chroma_span / (2 * (1 - blue_weight)), red_scale = chroma_span / (2 * (1 - red_weight));
constexpr float blue_difference[3] = {float(-red_weight * blue_scale), float(-green_weight* blue_scale),
                                      float((1 - blue_weight) * blue_scale)};
constexpr float red_difference[3] = {float((1 - red_weight) * red_scale), float(-green_weight* red_scale),
                                     float(-blue_weight* red_scale)};

std::uint8_t level(float offset, const float weights[3], float r, float g, float b)
{
    return std::uint8_t(std::lround(offset + weights[0] * r + weights[1] * g + weights[2] * b));
}

// `rgb`, rows from the top, as three planes: luma at every pixel and the
// colour differences at each 2 x 2 block's mean.
void to_yuv420(const std::uint8_t* rgb, int width, int height, std::uint8_t* y, std::uint8_t* u, std::uint8_t* v)
{
    for (int i = 0; i < width * height; ++i)
        y[i] = level(16, luma, rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
    for (int row = 0; row < height / 2; ++row)
        for (int column = 0; column < width / 2; ++column) {
            float sum[3] = {0, 0, 0};
            for (const int below : {0, 1})
                for (const int right : {0, 1}) {
                    const std::uint8_t* pixel = rgb + 3 * ((2 * row + below) * width + 2 * column + right);
                    for (int c = 0; c < 3; ++c)
                        sum[c] += pixel[c];
                }
            const int at = row * (width / 2) + column;
            u[at] = level(128, blue_difference, sum[0] / 4, sum[1] / 4, sum[2] / 4);
            v[at] = level(128, red_difference, sum[0] / 4, sum[1] / 4, sum[2] / 4);
        }
}

Status encoder_failure(const char* what)
{
    return runtime::failure(Status::Kind::cannot_write, std::string("H.264: ") + what);
}

class Mp4_writer final : public Writer {
public:
    Mp4_writer(std::FILE* out, const Options& options) : out_(out), options_(options) {}
    ~Mp4_writer() override
    {
        if (encoder_) {
            encoder_->Uninitialize();
            WelsDestroySVCEncoder(encoder_);
        }
    }
    Mp4_writer(const Mp4_writer&) = delete;
    Mp4_writer& operator=(const Mp4_writer&) = delete;

    Status open()
    {
        // The command refuses these first; a caller that does not gets the same.
        if (options_.transparent || options_.lossless)
            return runtime::refused("MP4 is lossy and has no transparent ground");
        const std::string too_large = mp4_size_refusal(options_.width, options_.height, options_.fps);
        if (!too_large.empty())
            return runtime::refused(too_large);
        if (options_.quality < 0 || options_.quality > 100)
            return runtime::refused("H.264: the quality is out of range");
        if (WelsCreateSVCEncoder(&encoder_) != 0 || !encoder_)
            return runtime::refused("H.264: the encoder cannot start");
        SEncParamExt parameters;
        encoder_->GetDefaultParams(&parameters);
        parameters.iUsageType = CAMERA_VIDEO_REAL_TIME;
        parameters.iPicWidth = options_.width;
        parameters.iPicHeight = options_.height;
        parameters.fMaxFrameRate = float(options_.fps);
        // A fixed quantiser: the same quality whatever the picture.
        parameters.iRCMode = RC_OFF_MODE;
        const int quantiser =
            int(std::lround(coarsest_quantiser - (coarsest_quantiser - finest_quantiser) * options_.quality / 100.0));
        parameters.iMinQp = parameters.iMaxQp = quantiser;
        parameters.bEnableFrameSkip = false;
        parameters.uiIntraPeriod = unsigned(seconds_between_key_frames * options_.fps);
        // One thread, so that the same frames give the same file.
        parameters.iMultipleThreadIdc = 1;
        parameters.eSpsPpsIdStrategy = CONSTANT_ID;
        parameters.iSpatialLayerNum = 1;
        parameters.iTemporalLayerNum = 1;
        SSpatialLayerConfig& layer = parameters.sSpatialLayers[0];
        layer.iVideoWidth = options_.width;
        layer.iVideoHeight = options_.height;
        layer.fFrameRate = float(options_.fps);
        layer.uiProfileIdc = PRO_BASELINE;
        layer.iDLayerQp = quantiser;
        layer.sSliceArgument.uiSliceMode = SM_SINGLE_SLICE;
        // The colour as the conversion made it, in the stream and in the index alike.
        track_.primaries = CP_BT709;
        track_.transfer = TRC_BT709;
        track_.matrix = CM_BT709;
        track_.full_range = false;
        layer.bVideoSignalTypePresent = true;
        layer.uiVideoFormat = VF_UNDEF;
        layer.bFullRange = track_.full_range;
        layer.bColorDescriptionPresent = true;
        layer.uiColorPrimaries = std::uint8_t(track_.primaries);
        layer.uiTransferCharacteristics = std::uint8_t(track_.transfer);
        layer.uiColorMatrix = std::uint8_t(track_.matrix);
        int quiet = WELS_LOG_QUIET;
        encoder_->SetOption(ENCODER_OPTION_TRACE_LEVEL, &quiet);
        if (encoder_->InitializeExt(&parameters) != 0)
            return runtime::refused("H.264: the encoder refuses this size or rate");
        int format = videoFormatI420;
        encoder_->SetOption(ENCODER_OPTION_DATAFORMAT, &format);
        encoder_->SetOption(ENCODER_OPTION_TRACE_LEVEL, &quiet);

        track_.width = options_.width;
        track_.height = options_.height;
        // Each frame one tick of a clock at the frame rate.
        track_.ticks_per_second = std::uint32_t(options_.fps);
        const std::size_t pixels = std::size_t(options_.width) * std::size_t(options_.height);
        try {
            yuv_.resize(pixels + pixels / 2);
        } catch (const std::bad_alloc&) {
            return runtime::failure(Status::Kind::cannot_write, "out of memory for an MP4 frame");
        }
        return {};
    }

    Status add(const Frame& frame) override
    {
        const int width = options_.width, height = options_.height;
        const std::size_t pixels = std::size_t(width) * std::size_t(height);
        std::uint8_t* y = yuv_.data();
        to_yuv420(frame.rgb, width, height, y, y + pixels, y + pixels + pixels / 4);
        SSourcePicture picture{};
        picture.iColorFormat = videoFormatI420;
        picture.iPicWidth = width;
        picture.iPicHeight = height;
        picture.iStride[0] = width;
        picture.iStride[1] = picture.iStride[2] = width / 2;
        picture.pData[0] = y;
        picture.pData[1] = y + pixels;
        picture.pData[2] = y + pixels + pixels / 4;
        picture.uiTimeStamp = 1000LL * frames_ / options_.fps;
        SFrameBSInfo encoded{};
        if (encoder_->EncodeFrame(&picture, &encoded) != cmResultSuccess || encoded.eFrameType == videoFrameTypeSkip)
            return encoder_failure("cannot encode a frame");
        try {
            const std::size_t start = media_.size();
            for (int l = 0; l < encoded.iLayerNum; ++l) {
                const SLayerBSInfo& layer = encoded.sLayerInfo[l];
                const std::uint8_t* at = layer.pBsBuf;
                for (int n = 0; n < layer.iNalCount; at += layer.pNalLengthInByte[n++])
                    if (const Status kept = keep_unit(at, std::size_t(layer.pNalLengthInByte[n])); !kept.ok())
                        return kept;
            }
            if (media_.size() - start > UINT32_MAX)
                return encoder_failure("a frame is too large for MP4");
            track_.sizes.push_back(std::uint32_t(media_.size() - start));
            track_.durations.push_back(1);
            track_.sync.push_back(encoded.eFrameType == videoFrameTypeIDR);
        } catch (const std::bad_alloc&) {
            return runtime::failure(Status::Kind::cannot_write, "out of memory for an MP4 frame");
        }
        ++frames_;
        return {};
    }

    Status finish() override
    {
        const mp4::Bytes head = mp4::head(track_, media_.size());
        if (head.empty())
            return encoder_failure("the encoder gave no usable parameter sets");
        errno = 0;
        if (std::fwrite(head.data(), 1, head.size(), out_) != head.size() ||
            std::fwrite(media_.data(), 1, media_.size(), out_) != media_.size())
            return runtime::failure(Status::Kind::cannot_write, std::strerror(errno != 0 ? errno : EIO));
        return {};
    }

private:
    // One NAL unit as the encoder gives it, after its start code: the
    // parameter sets go to the index (the same every time), the rest to
    // the media with its length before it.
    Status keep_unit(const std::uint8_t* unit, std::size_t size)
    {
        std::size_t zeros = 0;
        while (zeros < size && unit[zeros] == 0)
            ++zeros;
        if (zeros < 2 || zeros + 1 >= size || unit[zeros] != 1)
            return encoder_failure("the encoder gave a unit without a start code");
        const std::uint8_t* body = unit + zeros + 1;
        const std::size_t length = size - zeros - 1;
        const int type = body[0] & 0x1f;
        constexpr int sequence_parameters = 7, picture_parameters = 8;
        if (type == sequence_parameters || type == picture_parameters) {
            mp4::Bytes& set = type == sequence_parameters ? track_.sequence_parameters : track_.picture_parameters;
            const mp4::Bytes given(body, body + length);
            if (set.empty())
                set = given;
            else if (set != given)
                return encoder_failure("the encoder changed its parameter sets");
            return {};
        }
        if (length > UINT32_MAX)
            return encoder_failure("a frame is too large for MP4");
        for (int shift = 24; shift >= 0; shift -= 8)
            media_.push_back(std::uint8_t(length >> shift));
        media_.insert(media_.end(), body, body + length);
        return {};
    }

    std::FILE* out_;
    Options options_;
    ISVCEncoder* encoder_ = nullptr;
    std::vector<std::uint8_t> yuv_;
    mp4::Track track_;
    mp4::Bytes media_;
    int frames_ = 0;
};

} // namespace

std::string mp4_size_refusal(int width, int height, int fps)
{
    if (width % 2 != 0 || height % 2 != 0)
        return "MP4 needs an even width and height: its colour is kept at half the size each way";
    const long long blocks = ((width + 15LL) / 16) * ((height + 15LL) / 16);
    if (blocks > max_frame_blocks)
        return "H.264 holds at most " + std::to_string(max_frame_blocks) +
               " blocks of 16 x 16 pixels a frame (4096 x 2304); give a smaller --size";
    if (blocks * fps > max_blocks_per_second)
        return "H.264 holds at most " + std::to_string(max_blocks_per_second) +
               " blocks of 16 x 16 pixels a second; give a lower --fps or a smaller --size";
    return "";
}

std::unique_ptr<Writer> open_mp4_writer(std::FILE* out, const Options& options, Status& status)
{
    auto writer = std::make_unique<Mp4_writer>(out, options);
    status = writer->open();
    return status.ok() ? std::move(writer) : nullptr;
}

} // namespace animation
