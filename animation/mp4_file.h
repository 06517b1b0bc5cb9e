// The MP4 (ISO base media) file around one H.264 video track: its index
// (ftyp and moov) laid out before the media data, so that a page plays it
// while it loads. Plain bytes; no library.
#pragma once

#include <cstdint>
#include <vector>

namespace animation::mp4 {

using Bytes = std::vector<std::uint8_t>;

// What the index says of the track: the pictures' size, the clock its
// durations count in, the encoder's parameter sets (one of each, without
// start codes), each sample's size and duration, and which samples a
// player may start decoding at.
struct Track {
    int width = 0, height = 0;
    std::uint32_t ticks_per_second = 0;
    Bytes sequence_parameters, picture_parameters;
    std::vector<std::uint32_t> sizes, durations;
    std::vector<bool> sync;
    // The colour as H.264's VUI and the nclx box name it: primaries,
    // transfer, matrix (ISO/IEC 23091-2), and whether it spans 0..255.
    std::uint16_t primaries = 0, transfer = 0, matrix = 0;
    bool full_range = false;
};

// The largest width or height the sample entry holds.
constexpr int max_side = 65535;

// ftyp, moov and the header of the mdat box whose `media_bytes` bytes (the
// samples in their order, each as 4-byte lengths and NAL units) follow at
// once; one chunk, so one offset. Needs as many sizes as durations and
// sync flags, parameter sets shorter than 65536 bytes, a sequence parameter
// set of 4 bytes at least, and sides up to max_side; empty otherwise.
Bytes head(const Track& track, std::uint64_t media_bytes);

} // namespace animation::mp4
