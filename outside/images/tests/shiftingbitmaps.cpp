// A library whose bitmap export changes its mind: it reports one size when asked for the size
// and another when it fills the pixels. The program must not trust the first answer.
#include <cstdint>
#include <cstring>

extern "C" __attribute__((visibility("default"))) int
GetMoltraneBitmap(const char* name, int* width, int* height, uint32_t* pixels, int capacity) {
    if (name == nullptr || std::strcmp(name, "SHIFTING") != 0) {
        *width = *height = 0;
        return 0;
    }
    // 10 x 20 when asked for the size, 20 x 10 while filling: the same pixel count.
    *width = pixels == nullptr ? 10 : 20;
    *height = pixels == nullptr ? 20 : 10;
    if (pixels != nullptr && capacity >= 200) {
        for (int i = 0; i < 200; ++i) {
            pixels[i] = 0xFF00FF00;
        }
    }
    return 200;
}
