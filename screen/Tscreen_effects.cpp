// The screen's light effects: a glow drawn from a copy of the colour buffer,
// and a bloom read back, blurred on the processor and drawn back additively.
#include "screen/Tscreen.h"

#include "screen/blur.h"

#include <GL/gl.h>

#include <array>
#include <iterator>

namespace {

struct Offset {
    std::int32_t x, y;
};

// In view_ortho pixels, y downwards: unshifted, right, left, down, up.
constexpr Offset glow_offsets[] = {{0, 0}, {5, 0}, {-5, 0}, {0, 5}, {0, -5}};

constexpr std::int32_t bloom_radius = 2;

struct Corner {
    float s, t, x, y;
};

using Quad = std::array<Corner, 4>;

// The screen, moved by `offset`, showing the texture from `inset` to
// 1 - inset on both axes, its top at the screen's top.
Quad screen_quad(std::uint32_t width, std::uint32_t height, float inset, Offset offset)
{
    const float p = inset, q = 1.0f - inset;
    const auto left = static_cast<float>(offset.x), top = static_cast<float>(offset.y);
    const auto right = static_cast<float>(std::int64_t{width} + offset.x);
    const auto bottom = static_cast<float>(std::int64_t{height} + offset.y);
    return {{{p, q, left, top}, {p, p, left, bottom}, {q, p, right, bottom}, {q, q, right, top}}};
}

template <std::size_t N>
void send_quads(const std::array<Quad, N>& quads)
{
    glBegin(GL_QUADS);
    for (const Quad& quad : quads)
        for (const Corner& corner : quad) {
            glTexCoord2f(corner.s, corner.t);
            glVertex2f(corner.x, corner.y);
        }
    glEnd();
}

} // namespace

void Tscreen::start_render2texture()
{
    glViewport(0, 0, static_cast<GLsizei>(render_width), static_cast<GLsizei>(render_height));
}

void Tscreen::stop_render2texture()
{
    glBindTexture(GL_TEXTURE_2D, render_texture);
    // Redefines the whole image, so no image needs to exist beforehand.
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 0, 0, static_cast<GLsizei>(render_width),
                     static_cast<GLsizei>(render_height), 0);
    glViewport(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
}

void Tscreen::draw_glow(float alpha)
{
    std::array<Quad, std::size(glow_offsets)> copies;
    for (std::size_t i = 0; i < copies.size(); ++i)
        copies[i] = screen_quad(width, height, 0.0f, glow_offsets[i]);

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, render_texture);
    view_ortho();
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    send_quads(copies);
    view_perspective();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
}

void Tscreen::draw_glow(float alpha, float inset)
{
    const std::array<Quad, 1> zoomed{screen_quad(width, height, inset, {0, 0})};

    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, render_texture);
    view_ortho();
    glColor4f(alpha, alpha, alpha, alpha);
    send_quads(zoomed);
    view_perspective();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
}

void Tscreen::draw_bloom(float alpha)
{
    const std::array<Quad, 1> whole{screen_quad(width, height, 0.0f, {0, 0})};

    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    view_ortho();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glBindTexture(GL_TEXTURE_2D, bloom_texture);
    send_quads(whole);
    view_perspective();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
}

void Tscreen::do_bloom(std::int32_t passes)
{
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, bloom_texture);
    // The application's screen has no bloom buffers, and its texture no
    // image to upload into.
    if (!bloom_pixels || !bloom_scratch)
        return;
    const auto bloom_w = static_cast<GLsizei>(bloom_width), bloom_h = static_cast<GLsizei>(bloom_height);
    glReadPixels(0, 0, bloom_w, bloom_h, GL_RGBA, GL_UNSIGNED_BYTE, bloom_pixels.get());
    for (std::int32_t pass = 0; pass < passes; ++pass) {
        blur_h(bloom_pixels.get(), bloom_scratch.get(), bloom_width, bloom_height, bloom_radius);
        blur_v(bloom_scratch.get(), bloom_pixels.get(), bloom_width, bloom_height, bloom_radius);
    }
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, bloom_w, bloom_h, GL_RGBA, GL_UNSIGNED_BYTE, bloom_pixels.get());
}
