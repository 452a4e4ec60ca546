// A file this test may not write, with its folder left writable, also when the test runs as
// root: root may write any file, so there this thread takes the files of an ordinary user
// (whom the file's owner bits do not cover) while the guard lives; elsewhere the file loses
// its write bits.
#pragma once

#include <filesystem>
#include <string>
#include <sys/fsuid.h>
#include <unistd.h>

class TWriteProtected {
public:
    template <class Path>
    explicit TWriteProtected(const Path& path)
        : file_(ToPath(path)), folder_(std::filesystem::absolute(file_).parent_path()),
          folderMode_(std::filesystem::status(folder_).permissions()),
          mode_(std::filesystem::status(file_).permissions()) {
        namespace fs = std::filesystem;
        if (::geteuid() == 0) {
            // the folder open to that user; the file writable for its owner only
            fs::permissions(folder_, fs::perms::others_all, fs::perm_options::add);
            fs::permissions(file_, fs::perms::owner_read | fs::perms::owner_write |
                                       fs::perms::others_read);
            ::setfsgid(Nobody);
            ::setfsuid(Nobody);
        } else {
            fs::permissions(file_, fs::perms::owner_read);
        }
    }
    ~TWriteProtected() {
        if (::geteuid() == 0) {
            ::setfsuid(0);
            ::setfsgid(0);
            std::filesystem::permissions(folder_, folderMode_);
        }
        std::filesystem::permissions(file_, mode_);
    }
    TWriteProtected(const TWriteProtected&) = delete;
    TWriteProtected& operator=(const TWriteProtected&) = delete;

private:
    static constexpr unsigned Nobody = 65534;
    template <class Path> static std::filesystem::path ToPath(const Path& path) {
        if constexpr (requires { path.toStdString(); })
            return path.toStdString();
        else
            return path;
    }

    std::filesystem::path file_;
    std::filesystem::path folder_;
    std::filesystem::perms folderMode_;
    std::filesystem::perms mode_;
};
