// Files and folders this test may not write, also when the test runs as root: root may write
// anything, so there this thread takes the files of an ordinary user (whom the owner bits do
// not cover) while the guard lives; elsewhere the write bits are taken away.
#pragma once

#include <filesystem>
#include <string>
#include <sys/fsuid.h>
#include <unistd.h>

// Why the guards below cannot protect anything here; empty when they can. Root takes an
// ordinary user's file access through setfsuid, which does nothing without CAP_SETUID: a test
// skips with this reason rather than fail for the wrong one.
inline std::string WriteProtectionUnavailable() {
    if (::geteuid() != 0)
        return {};
    const int previous = ::setfsuid(65534);
    const bool switched = ::setfsuid(previous) == 65534;
    return switched ? std::string()
                    : "root without CAP_SETUID: setfsuid cannot take an ordinary user's file "
                      "access, so no file or folder can be made unwritable for this test";
}

class TWriteGuard {
public:
    TWriteGuard(const TWriteGuard&) = delete;
    TWriteGuard& operator=(const TWriteGuard&) = delete;

protected:
    template <class Path>
    explicit TWriteGuard(const Path& path)
        : file_(ToPath(path)), folder_(std::filesystem::absolute(file_).parent_path()),
          folderMode_(std::filesystem::status(folder_).permissions()),
          mode_(std::filesystem::status(file_).permissions()) {}
    ~TWriteGuard() {
        if (Root()) {
            ::setfsuid(0);
            ::setfsgid(0);
        }
        std::filesystem::permissions(folder_, folderMode_);
        if (mode_ != std::filesystem::perms::unknown) // a file the test made stays as it is
            std::filesystem::permissions(file_, mode_);
    }
    static bool Root() { return ::geteuid() == 0; }
    static void BecomeOrdinaryUser() {
        ::setfsgid(Nobody);
        ::setfsuid(Nobody);
    }

    std::filesystem::path file_;
    std::filesystem::path folder_;

private:
    static constexpr unsigned Nobody = 65534;
    template <class Path> static std::filesystem::path ToPath(const Path& path) {
        if constexpr (requires { path.toStdString(); })
            return path.toStdString();
        else
            return path;
    }

    std::filesystem::perms folderMode_;
    std::filesystem::perms mode_;
};

// A file this test may not write, with its folder left writable.
class TWriteProtected : TWriteGuard {
public:
    template <class Path> explicit TWriteProtected(const Path& path) : TWriteGuard(path) {
        namespace fs = std::filesystem;
        if (Root()) {
            // the folder open to that user; the file writable for its owner only
            fs::permissions(folder_, fs::perms::others_all, fs::perm_options::add);
            fs::permissions(file_, fs::perms::owner_read | fs::perms::owner_write |
                                       fs::perms::others_read);
            BecomeOrdinaryUser();
        } else {
            fs::permissions(file_, fs::perms::owner_read);
        }
    }
};

// A folder that takes no new files (mode 555), with the file in it left writable.
class TClosedFolder : TWriteGuard {
public:
    template <class Path> explicit TClosedFolder(const Path& file) : TWriteGuard(file) {
        namespace fs = std::filesystem;
        const fs::perms readable = fs::perms::owner_all | fs::perms::group_read |
                                   fs::perms::group_exec | fs::perms::others_read |
                                   fs::perms::others_exec;
        if (Root()) {
            // open to that user for reading only; the file writable for everyone
            fs::permissions(folder_, readable);
            if (fs::exists(file_))
                fs::permissions(file_, fs::perms::others_read | fs::perms::others_write,
                                fs::perm_options::add);
            BecomeOrdinaryUser();
        } else {
            fs::permissions(folder_, readable & ~fs::perms::owner_write);
        }
    }
};
