// Exported interface of libimages.so: the block catalogue of the graphical program and the
// pictures drawn for it.
//
// Texts are zero-terminated Windows-1252, lines separated by CR LF; they belong to the library
// and stay valid while it is loaded.
//
// Bitmap resources, looked up by name:
//   - group bitmap, named after the group key ("GRP_..."): 28 x 16, an opaque tile.
//   - cell picture "BLK_<id>": 60 x 40. Magenta (255, 0, 255) is the transparency colour and
//     fills everything outside the block body. The body spans x 6..53, y 4..35. An input stub
//     runs along row 20 from x 0 to the body (kinds with inputs), an output stub along row 20
//     from the body to x 59 (kinds with an output). With the block's top-left on the grid
//     (5 mod 10) the side midpoints (0,20), (60,20), (30,0) and (30,40), where wires end, lie on
//     grid lines.
//   - palette glyph "GLY_<id>": 80 x 24, two 40 x 24 halves side by side: left the enabled
//     look, right the disabled look; magenta marks the transparent pixels.
#pragma once

#include <cstdint>

#if defined(IMAGES_LIBRARY_BUILD)
#define IMAGES_EXPORT __attribute__((visibility("default")))
#else
#define IMAGES_EXPORT
#endif

extern "C" {

// The group list: one "key|caption" line per group, in the order the program shows them.
IMAGES_EXPORT const char* GetMoltraneBlockGroups();

// The block list of a group: one "glyph|bitmap|name|id" line per block type, null for an
// unknown key.
IMAGES_EXPORT const char* GetMoltraneBlocks(const char* groupKey);

// A bitmap resource by name. Returns its pixel count (width * height), 0 for an unknown name
// (width and height then 0). The pixels, 0xFFRRGGBB row by row from the top, are written only
// when pixels is not null and capacity holds at least that many.
IMAGES_EXPORT int GetMoltraneBitmap(const char* name, int* width, int* height, uint32_t* pixels,
                                    int capacity);
}
