// Shared libraries loaded by name from the program's directory, and bitmaps fetched from them by
// name: a library offers its bitmaps through an exported
//   int GetMoltraneBitmap(const char* name, int* width, int* height, uint32_t* pixels,
//                         int capacity)
// that reports the pixel count of a named bitmap (0 when unknown) and fills 0xFFRRGGBB pixels
// row by row when the buffer is large enough.
#pragma once

#include <memory>
#include <string>

#include <QImage>
#include <QPixmap>

namespace platform {

class Module {
public:
    // Loads fileName from ProgramDirectory(); null when it cannot be loaded.
    static std::unique_ptr<Module> LoadFromProgramDirectory(const std::string& fileName);
    // Loads the library at path; null when it cannot be loaded.
    static std::unique_ptr<Module> LoadFile(const std::string& path);

    ~Module();
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    // Address of an exported function or variable, null when there is none.
    void* Symbol(const char* name) const;
    // The named bitmap; a null image when the library lacks it or has no bitmaps at all.
    QImage Bitmap(const std::string& name) const;
    // The same as a pixmap (needs the GUI application).
    QPixmap Pixmap(const std::string& name) const;

private:
    explicit Module(void* handle);
    void* handle_;
};

} // namespace platform
