#include "animation/palette.h"

#include <algorithm>
#include <limits>

namespace animation {
namespace {

constexpr std::size_t most_colours = 256;
// Rounds of nearest-colour clustering after the cut: each lowers the error,
// the first ones most.
constexpr int refinements = 3;
constexpr std::uint8_t opaque_from = 128;

using Rgb = std::array<std::uint8_t, 3>;

// A distinct colour, packed as 0xRRGGBB, and how many pixels have it.
struct Colour {
    std::uint32_t key = 0;
    std::uint32_t count = 0;

    int channel(int c) const { return static_cast<int>((key >> (16 - 8 * c)) & 0xffu); }
};

// The counted sums of a run of colours, from which its squared error about
// its mean follows.
struct Moments {
    double count = 0, sum[3] = {0, 0, 0}, squares[3] = {0, 0, 0};

    void add(const Colour& colour, double sign = 1.0)
    {
        const double weight = sign * colour.count;
        count += weight;
        for (int c = 0; c < 3; ++c) {
            sum[c] += weight * colour.channel(c);
            squares[c] += weight * colour.channel(c) * colour.channel(c);
        }
    }
    double spread(int c) const { return count > 0 ? squares[c] - sum[c] * sum[c] / count : 0.0; }
    double error() const { return spread(0) + spread(1) + spread(2); }
    Rgb mean() const
    {
        Rgb colour{};
        for (int c = 0; c < 3; ++c)
            colour[c] = static_cast<std::uint8_t>(std::clamp(sum[c] / count + 0.5, 0.0, 255.0));
        return colour;
    }
};

// A run of colours [begin, end), and its best cut: where it splits and how
// much the squared error falls.
struct Box {
    std::size_t begin = 0, end = 0, cut = 0;
    double gain = -1.0;
};

// Finds the cut of `box` along the channel of widest spread, where the two
// halves' errors add up least, leaving its colours sorted along that channel.
void plan_cut(std::vector<Colour>& colours, Box& box)
{
    Moments all;
    for (std::size_t i = box.begin; i < box.end; ++i)
        all.add(colours[i]);
    box.gain = -1.0;
    if (box.end - box.begin < 2)
        return;
    int axis = 0;
    for (int c = 1; c < 3; ++c)
        if (all.spread(c) > all.spread(axis))
            axis = c;
    std::sort(colours.begin() + box.begin, colours.begin() + box.end, [axis](const Colour& a, const Colour& b) {
        return a.channel(axis) != b.channel(axis) ? a.channel(axis) < b.channel(axis) : a.key < b.key;
    });
    Moments left, right = all;
    for (std::size_t i = box.begin; i + 1 < box.end; ++i) {
        left.add(colours[i]);
        right.add(colours[i], -1.0);
        const double gain = all.error() - left.error() - right.error();
        if (gain > box.gain) {
            box.gain = gain;
            box.cut = i + 1;
        }
    }
}

// `count` colours that stand for `colours`, the means of the boxes they are
// cut into.
std::vector<Rgb> cut_into(std::vector<Colour> colours, std::size_t count)
{
    std::vector<Box> boxes{{0, colours.size()}};
    plan_cut(colours, boxes[0]);
    while (boxes.size() < count) {
        const auto widest =
            std::max_element(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) { return a.gain < b.gain; });
        if (widest->gain < 0)
            break;
        Box second{widest->cut, widest->end};
        widest->end = widest->cut;
        plan_cut(colours, *widest);
        plan_cut(colours, second);
        boxes.push_back(second);
    }
    std::vector<Rgb> palette;
    for (const Box& box : boxes) {
        Moments moments;
        for (std::size_t i = box.begin; i < box.end; ++i)
            moments.add(colours[i]);
        palette.push_back(moments.mean());
    }
    return palette;
}

std::uint8_t nearest(const std::vector<Rgb>& palette, const Colour& colour)
{
    int best = std::numeric_limits<int>::max();
    std::size_t found = 0;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        int distance = 0;
        for (int c = 0; c < 3; ++c) {
            const int d = palette[i][c] - colour.channel(c);
            distance += d * d;
        }
        if (distance < best) {
            best = distance;
            found = i;
        }
    }
    return static_cast<std::uint8_t>(found);
}

// Moves each palette colour to the mean of the colours nearest to it, then
// gives each colour its nearest palette index in `chosen`.
void refine(const std::vector<Colour>& colours, std::vector<Rgb>& palette, std::vector<std::uint8_t>& chosen)
{
    for (int round = 0;; ++round) {
        for (std::size_t i = 0; i < colours.size(); ++i)
            chosen[i] = nearest(palette, colours[i]);
        if (round == refinements)
            return;
        std::vector<Moments> clusters(palette.size());
        for (std::size_t i = 0; i < colours.size(); ++i)
            clusters[chosen[i]].add(colours[i]);
        for (std::size_t k = 0; k < palette.size(); ++k)
            if (clusters[k].count > 0)
                palette[k] = clusters[k].mean();
    }
}

std::uint32_t key_of(const std::uint8_t* pixel)
{
    return std::uint32_t(pixel[0]) << 16 | std::uint32_t(pixel[1]) << 8 | pixel[2];
}

} // namespace

void quantize(const std::uint8_t* rgb, const std::uint8_t* alpha, std::size_t pixels, Indexed_frame& frame)
{
    const auto clear = [alpha](std::size_t i) { return alpha != nullptr && alpha[i] < opaque_from; };
    std::vector<std::uint32_t> keys;
    keys.reserve(pixels);
    bool any_clear = false;
    for (std::size_t i = 0; i < pixels; ++i) {
        if (clear(i))
            any_clear = true;
        else
            keys.push_back(key_of(rgb + 3 * i));
    }
    std::sort(keys.begin(), keys.end());
    std::vector<Colour> colours;
    for (const std::uint32_t key : keys) {
        if (colours.empty() || colours.back().key != key)
            colours.push_back({key, 0});
        ++colours.back().count;
    }

    const std::size_t room = most_colours - (any_clear ? 1 : 0);
    std::vector<std::uint8_t> chosen(colours.size());
    frame.palette.clear();
    if (colours.size() <= room) {
        for (std::size_t i = 0; i < colours.size(); ++i) {
            frame.palette.push_back({std::uint8_t(colours[i].channel(0)), std::uint8_t(colours[i].channel(1)),
                                     std::uint8_t(colours[i].channel(2))});
            chosen[i] = static_cast<std::uint8_t>(i);
        }
    } else {
        frame.palette = cut_into(colours, room);
        refine(colours, frame.palette, chosen);
    }
    frame.transparent = -1;
    if (any_clear) {
        frame.transparent = static_cast<int>(frame.palette.size());
        frame.palette.push_back({0, 0, 0});
    }
    frame.indices.resize(pixels);
    for (std::size_t i = 0; i < pixels; ++i) {
        if (clear(i)) {
            frame.indices[i] = static_cast<std::uint8_t>(frame.transparent);
            continue;
        }
        const std::uint32_t key = key_of(rgb + 3 * i);
        const auto at = std::lower_bound(colours.begin(), colours.end(), key,
                                         [](const Colour& colour, std::uint32_t k) { return colour.key < k; });
        frame.indices[i] = chosen[static_cast<std::size_t>(at - colours.begin())];
    }
}

} // namespace animation
