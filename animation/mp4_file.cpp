// ISO/IEC 14496-12 boxes for one video track, and 14496-15's avc1 sample
// entry: every number big-endian, every box its size and type first.
#include "animation/mp4_file.h"

#include <cstring>
#include <limits>
#include <utility>

namespace animation::mp4 {
namespace {

// A box under construction; nested boxes are written between open and
// close, which fills in the size.
class Writer {
public:
    void u8(unsigned value) { bytes.push_back(std::uint8_t(value)); }
    void u16(unsigned value)
    {
        u8(value >> 8);
        u8(value);
    }
    void u32(std::uint32_t value)
    {
        u16(value >> 16);
        u16(value & 0xffff);
    }
    void u64(std::uint64_t value)
    {
        u32(std::uint32_t(value >> 32));
        u32(std::uint32_t(value));
    }
    void text(const char* four) { bytes.insert(bytes.end(), four, four + std::strlen(four)); }
    void zeros(std::size_t count) { bytes.insert(bytes.end(), count, 0); }
    void append(const Bytes& more) { bytes.insert(bytes.end(), more.begin(), more.end()); }

    void open(const char* type)
    {
        starts.push_back(bytes.size());
        u32(0);
        text(type);
    }
    // A full box: a version and flags after the type.
    void open(const char* type, std::uint32_t flags)
    {
        open(type);
        u32(flags);
    }
    void close()
    {
        const std::size_t start = starts.back();
        starts.pop_back();
        const auto size = std::uint32_t(bytes.size() - start);
        for (int k = 0; k < 4; ++k)
            bytes[start + std::size_t(k)] = std::uint8_t(size >> (24 - 8 * k));
    }

    Bytes bytes;

private:
    std::vector<std::size_t> starts;
};

// Identity, as 16.16 and 2.30 fixed point.
void unity_matrix(Writer& out)
{
    for (const std::uint32_t value : {0x10000u, 0u, 0u, 0u, 0x10000u, 0u, 0u, 0u, 0x40000000u})
        out.u32(value);
}

void sample_entry(Writer& out, const Track& track)
{
    out.open("stsd", 0);
    out.u32(1);
    out.open("avc1");
    out.zeros(6);
    // Its data reference: the file itself.
    out.u16(1);
    out.zeros(16);
    out.u16(unsigned(track.width));
    out.u16(unsigned(track.height));
    // 72 dots an inch, each way.
    out.u32(0x00480000);
    out.u32(0x00480000);
    out.u32(0);
    // One picture a sample, no compressor name, 24-bit colour.
    out.u16(1);
    out.zeros(32);
    out.u16(0x18);
    out.u16(0xffff);

    const Bytes& sps = track.sequence_parameters;
    out.open("avcC");
    // Version 1, then the profile, its constraints and the level as the
    // sequence parameter set has them; NAL lengths in 4 bytes, one set each.
    out.u8(1);
    out.u8(sps[1]);
    out.u8(sps[2]);
    out.u8(sps[3]);
    out.u8(0xfc | 3);
    out.u8(0xe0 | 1);
    out.u16(unsigned(sps.size()));
    out.append(sps);
    out.u8(1);
    out.u16(unsigned(track.picture_parameters.size()));
    out.append(track.picture_parameters);
    out.close();

    out.open("colr");
    out.text("nclx");
    out.u16(track.primaries);
    out.u16(track.transfer);
    out.u16(track.matrix);
    out.u8(track.full_range ? 0x80 : 0);
    out.close();
    out.close();
    out.close();
}

void sample_table(Writer& out, const Track& track, std::uint32_t media_offset)
{
    const std::size_t count = track.sizes.size();
    out.open("stbl");
    sample_entry(out, track);

    // Runs of equal durations.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> runs;
    for (const std::uint32_t duration : track.durations)
        if (!runs.empty() && runs.back().second == duration)
            ++runs.back().first;
        else
            runs.emplace_back(1, duration);
    out.open("stts", 0);
    out.u32(std::uint32_t(runs.size()));
    for (const auto& [samples, duration] : runs) {
        out.u32(samples);
        out.u32(duration);
    }
    out.close();

    std::vector<std::uint32_t> sync;
    for (std::size_t k = 0; k < count; ++k)
        if (track.sync[k])
            sync.push_back(std::uint32_t(k + 1));
    out.open("stss", 0);
    out.u32(std::uint32_t(sync.size()));
    for (const std::uint32_t number : sync)
        out.u32(number);
    out.close();

    // Every sample in one chunk.
    out.open("stsc", 0);
    out.u32(1);
    out.u32(1);
    out.u32(std::uint32_t(count));
    out.u32(1);
    out.close();

    out.open("stsz", 0);
    out.u32(0);
    out.u32(std::uint32_t(count));
    for (const std::uint32_t size : track.sizes)
        out.u32(size);
    out.close();

    out.open("stco", 0);
    out.u32(1);
    out.u32(media_offset);
    out.close();
    out.close();
}

void movie(Writer& out, const Track& track, std::uint32_t media_offset)
{
    std::uint64_t duration = 0;
    for (const std::uint32_t d : track.durations)
        duration += d;
    out.open("moov");
    out.open("mvhd", 0);
    // Created and modified at 0, so that the same frames give the same file.
    out.u32(0);
    out.u32(0);
    out.u32(track.ticks_per_second);
    out.u32(std::uint32_t(duration));
    // Normal rate and full volume.
    out.u32(0x00010000);
    out.u16(0x0100);
    out.zeros(10);
    unity_matrix(out);
    out.zeros(24);
    out.u32(2);
    out.close();

    out.open("trak");
    // Enabled, in the movie.
    out.open("tkhd", 3);
    out.u32(0);
    out.u32(0);
    out.u32(1);
    out.u32(0);
    out.u32(std::uint32_t(duration));
    out.zeros(8);
    // Layer, alternate group, no volume for a video track.
    out.zeros(8);
    unity_matrix(out);
    out.u32(std::uint32_t(track.width) << 16);
    out.u32(std::uint32_t(track.height) << 16);
    out.close();

    out.open("mdia");
    out.open("mdhd", 0);
    out.u32(0);
    out.u32(0);
    out.u32(track.ticks_per_second);
    out.u32(std::uint32_t(duration));
    // "und", three 5-bit letters less 0x60.
    out.u16(0x55c4);
    out.u16(0);
    out.close();
    out.open("hdlr", 0);
    out.u32(0);
    out.text("vide");
    out.zeros(12);
    out.text("VideoHandler");
    out.u8(0);
    out.close();
    out.open("minf");
    out.open("vmhd", 1);
    out.zeros(8);
    out.close();
    out.open("dinf");
    out.open("dref", 0);
    out.u32(1);
    // The media is in this file.
    out.open("url ", 1);
    out.close();
    out.close();
    out.close();
    sample_table(out, track, media_offset);
    out.close();
    out.close();
    out.close();
    out.close();
}

} // namespace

Bytes head(const Track& track, std::uint64_t media_bytes)
{
    const std::size_t count = track.sizes.size();
    if (track.durations.size() != count || track.sync.size() != count || count > UINT32_MAX / 8 ||
        track.sequence_parameters.size() < 4 || track.sequence_parameters.size() > 0xffff ||
        track.picture_parameters.size() > 0xffff || track.width < 1 || track.height < 1 || track.width > max_side ||
        track.height > max_side)
        return {};
    std::uint64_t duration = 0;
    for (const std::uint32_t d : track.durations)
        duration += d;
    if (duration > UINT32_MAX)
        return {};

    // The media's offset is a field of fixed size: lay the index out once
    // to learn where the media starts, then again with it.
    const bool large = media_bytes > UINT32_MAX - 8;
    const auto index = [&track](std::uint32_t media_offset) {
        Writer out;
        out.open("ftyp");
        out.text("isom");
        out.u32(0x200);
        for (const char* brand : {"isom", "iso2", "avc1", "mp41"})
            out.text(brand);
        out.close();
        movie(out, track, media_offset);
        return out;
    };
    const std::uint64_t media_offset = index(0).bytes.size() + (large ? 16 : 8);
    if (media_offset > UINT32_MAX)
        return {};
    Writer out = index(std::uint32_t(media_offset));
    if (large) {
        // Size 1: a 64-bit size follows the type.
        out.u32(1);
        out.text("mdat");
        out.u64(media_bytes + 16);
    } else {
        out.u32(std::uint32_t(media_bytes + 8));
        out.text("mdat");
    }
    return std::move(out.bytes);
}

} // namespace animation::mp4
