// A small pixel canvas with a built-in 5 x 7 font: the pictures are plain pixel art, so that
// they look the same everywhere and need no font or window system.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace images {

struct Raster {
    Raster(int width, int height, uint32_t colour);

    int width;
    int height;
    std::vector<uint32_t> pixels;

    uint32_t At(int x, int y) const { return pixels[y * width + x]; }
    // Everything below clips to the canvas.
    void Set(int x, int y, uint32_t colour);
    void Fill(int left, int top, int right, int bottom, uint32_t colour); // right/bottom exclusive
    void Frame(int left, int top, int right, int bottom, uint32_t colour);
    void HLine(int x0, int x1, int y, uint32_t colour); // x1 inclusive
    void VLine(int x, int y0, int y1, uint32_t colour); // y1 inclusive
    // Text in the 5 x 7 font, each pixel drawn as a scale x scale square. Characters the font
    // lacks are drawn as a box so that a missing glyph is visible.
    void Text(int x, int y, std::string_view text, int scale, uint32_t colour);
    // Pastes another raster at (x, y).
    void Paste(const Raster& other, int x, int y);
};

inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 7;
inline constexpr int kGlyphAdvance = 6;

int TextWidth(std::string_view text, int scale);
bool FontHasGlyph(char c);

} // namespace images
