#include "platform/qt/modulebitmap.h"

#include <cstdint>
#include <dlfcn.h>

#include "platform/system.h"

namespace platform {
namespace {

using GetBitmapFunction = int (*)(const char*, int*, int*, uint32_t*, int);

} // namespace

std::unique_ptr<Module> Module::LoadFromProgramDirectory(const std::string& fileName) {
    return LoadFile(ProgramDirectory() + fileName);
}

std::unique_ptr<Module> Module::LoadFile(const std::string& path) {
    // A bare name would make dlopen search the library path; the caller means this very file.
    if (path.find('/') == std::string::npos) {
        return nullptr;
    }
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        return nullptr;
    }
    return std::unique_ptr<Module>(new Module(handle));
}

Module::Module(void* handle) : handle_(handle) {}

Module::~Module() {
    dlclose(handle_);
}

void* Module::Symbol(const char* name) const {
    return dlsym(handle_, name);
}

QImage Module::Bitmap(const std::string& name) const {
    auto getBitmap = reinterpret_cast<GetBitmapFunction>(Symbol("GetMoltraneBitmap"));
    if (getBitmap == nullptr) {
        return {};
    }
    int width = 0, height = 0;
    int count = getBitmap(name.c_str(), &width, &height, nullptr, 0);
    if (count <= 0 || width <= 0 || height <= 0 || static_cast<int64_t>(width) * height != count) {
        return {};
    }
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) {
        return {};
    }
    // Rows of a QImage may be padded; fetch into a packed buffer and copy row by row.
    std::unique_ptr<uint32_t[]> pixels(new uint32_t[count]);
    // The rows are copied with the size the image was made with: a library that answers
    // otherwise now gets no image rather than a copy past the rows.
    int filledWidth = 0, filledHeight = 0;
    if (getBitmap(name.c_str(), &filledWidth, &filledHeight, pixels.get(), count) != count ||
        filledWidth != width || filledHeight != height) {
        return {};
    }
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<uint32_t*>(image.scanLine(y));
        std::copy(pixels.get() + y * width, pixels.get() + (y + 1) * width, line);
    }
    return image;
}

QPixmap Module::Pixmap(const std::string& name) const {
    return QPixmap::fromImage(Bitmap(name));
}

} // namespace platform
