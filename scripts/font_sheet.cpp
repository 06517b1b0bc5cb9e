// Draws every glyph of the font, and a line of the overlay's kind of text,
// through the real font into a hidden window, and writes the picture as a
// binary PPM to the path given. For scripts/font_png.sh.
#include "font/Trasterfont.h"

#include <GL/gl.h>
#include <GLFW/glfw3.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int glyphs_per_line = 32;
constexpr int margin = 8;
constexpr int line_pitch = 18;
// From the raster position to the glyph's top row.
constexpr int ascent = 10;
constexpr int width = glyphs_per_line * font::advance - 2 + 2 * margin;
constexpr int height = 5 * line_pitch + margin;

std::vector<std::string> sheet_lines()
{
    std::vector<std::string> lines(3);
    for (int code = 32; code <= 126; ++code)
        lines[(code - 32) / glyphs_per_line] += static_cast<char>(code);
    lines.push_back("");
    lines.push_back("Morvane FPS:60 rotations:  xy yz");
    return lines;
}

void draw_sheet()
{
    const Trasterfont font;
    glViewport(0, 0, width, height);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    // Pixels with y downwards, as the program's overlay has them.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(1, 1, 1);
    const std::vector<std::string> lines = sheet_lines();
    for (std::size_t i = 0; i < lines.size(); ++i)
        font.print(margin, margin + ascent + static_cast<int>(i) * line_pitch, lines[i]);
    glFinish();
}

bool write_ppm(const char* path)
{
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    std::FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    std::fprintf(file, "P6\n%d %d\n255\n", width, height);
    // GL gives the bottom row first; PPM wants the top one.
    for (int y = height - 1; y >= 0; --y)
        std::fwrite(&pixels[static_cast<std::size_t>(y) * width * 3], 3, static_cast<std::size_t>(width), file);
    return std::fclose(file) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 || !glfwInit())
        return 1;
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(width, height, "font sheet", nullptr, nullptr);
    if (!window) {
        glfwTerminate();
        return 1;
    }
    glfwMakeContextCurrent(window);
    draw_sheet();
    const bool written = write_ppm(argv[1]);
    glfwDestroyWindow(window);
    glfwTerminate();
    return written ? 0 : 1;
}
