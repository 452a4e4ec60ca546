// A fresh folder made the current directory while a test runs, so that "CODE.TXT" and other
// files the engine writes stay out of the way; removed with everything in it afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace enginetest {

class ScratchDirectory {
public:
    explicit ScratchDirectory(const char* pattern = "/tmp/engine-test-XXXXXX") {
        previous_ = std::filesystem::current_path();
        std::string name = pattern;
        if (mkdtemp(name.data()) == nullptr)
            return;
        path_ = name;
        std::filesystem::current_path(path_);
    }
    ~ScratchDirectory() {
        std::filesystem::current_path(previous_);
        if (!path_.empty())
            std::filesystem::remove_all(path_);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    // False when no folder could be made; the current directory is then unchanged.
    bool made() const { return !path_.empty(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};

} // namespace enginetest
