// The library's pictures: group bitmaps, cell pictures and palette glyphs (sizes and the
// places of the stubs are documented in images.h).
#pragma once

#include <optional>
#include <string_view>

#include "outside/images/catalogue.h"
#include "outside/images/raster.h"

namespace images {

inline constexpr uint32_t kTransparent = 0xFFFF00FF; // magenta
inline constexpr int kGroupBitmapWidth = 28;
inline constexpr int kGroupBitmapHeight = 16;
inline constexpr int kCellWidth = 60;
inline constexpr int kCellHeight = 40;
inline constexpr int kGlyphHalfWidth = 40;
inline constexpr int kGlyphHalfHeight = 24;

Raster GroupBitmap(const BlockGroup& group);
Raster CellPicture(const BlockKind& kind);
Raster PaletteGlyph(const BlockKind& kind);

// A resource by name: a group key, "BLK_<id>" or "GLY_<id>"; nothing for any other name.
std::optional<Raster> RenderResource(std::string_view name);
// Width and height of a resource without drawing it; false for an unknown name.
bool ResourceSize(std::string_view name, int& width, int& height);

} // namespace images
