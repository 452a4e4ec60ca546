#include "platform/savefile.h"

#include "platform/system.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

namespace fs = std::filesystem;

// Through a link the file it names is saved, never the link itself.
std::string FollowLink(const std::string& path) {
    std::error_code ec;
    if (!fs::is_symlink(path, ec))
        return path;
    const fs::path real = fs::weakly_canonical(path, ec);
    return ec ? path : real.string();
}

std::string BackupName(const std::string& name, const std::optional<std::string>& ext) {
    if (!ext)
        return {};
    fs::path backup(name);
    backup.replace_extension("." + *ext);
    return backup.string() == name ? std::string() : backup.string();
}

} // namespace

TFileSave::TFileSave(const std::string& target, std::optional<std::string> backupExt)
    : target_(FollowLink(target)), folder_(fs::absolute(target_).parent_path().string()),
      backup_(BackupName(target_, backupExt)) {}

TFileSave::~TFileSave() {
    if (fd_ >= 0)
        ::close(fd_);
    if (!temp_.empty())
        ::unlink(temp_.c_str());
}

SaveFailure TFileSave::Begin() {
    struct stat status {};
    exists_ = ::stat(target_.c_str(), &status) == 0;
    // The new file would replace the old one where the folder alone allows it: a file this
    // user may not write is refused by the system's own test first.
    if (exists_)
        if (const int error = WriteAccessError(target_))
            return {error, target_};
    // Created like any new file (mode 0666 less the umask), beside the target.
    static std::atomic<unsigned> counter{0};
    const std::string prefix = folder_ + "/." + fs::path(target_).filename().string() + "." +
                               std::to_string(::getpid()) + "-";
    int tempError = 0;
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        const std::string temp = prefix + std::to_string(++counter);
        fd_ = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0)
            temp_ = temp;
        else if ((tempError = errno) != EEXIST)
            break;
    }
    if (fd_ >= 0)
        return {};
    // The folder takes no new file: a new document cannot be made there (the folder is named
    // when it refused; a path that leads nowhere names the file), an existing one is written
    // in place, and its old content cannot be kept as a backup.
    if (!exists_) {
        const bool refused = tempError == EACCES || tempError == EPERM || tempError == EROFS;
        return {tempError, refused ? folder_ : target_};
    }
    fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd_ < 0)
        return {errno, target_};
    inPlace_ = true;
    if (!backup_.empty())
        backupFailure_ = {tempError, folder_};
    return {};
}

SaveFailure TFileSave::Write(std::string_view data) {
    // In place the old content is overwritten before it is cut, so that its room is used first.
    if (::lseek(fd_, 0, SEEK_SET) < 0)
        return {errno, target_};
    if (const int error = WriteAll(fd_, data))
        return {error, target_};
    if (::ftruncate(fd_, static_cast<off_t>(data.size())) != 0)
        return {errno, target_};
    return {};
}

SaveFailure TFileSave::Commit() {
    // a device or pipe cannot be synced, which is no failure of the save
    const int synced = ::fsync(fd_) == 0 || errno == EINVAL ? 0 : errno;
    const int closed = ::close(fd_) == 0 ? 0 : errno;
    fd_ = -1;
    if (synced || closed)
        return {synced ? synced : closed, target_};
    if (inPlace_)
        return {};
    struct stat status {};
    if (exists_ && ::stat(target_.c_str(), &status) == 0) // the old file's permissions stay
        ::chmod(temp_.c_str(), status.st_mode & 07777);
    bool backedUp = false;
    if (exists_ && !backup_.empty()) {
        // an older backup is replaced; one that cannot be made leaves the save going on
        backedUp = ::rename(target_.c_str(), backup_.c_str()) == 0;
        if (!backedUp)
            backupFailure_ = {errno, backup_};
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        const int error = errno;
        if (backedUp) // the old file back where it was
            ::rename(backup_.c_str(), target_.c_str());
        return {error, target_};
    }
    temp_.clear();
    return {};
}

SaveFailure SaveWholeFile(const std::string& target, std::string_view data,
                          std::optional<std::string> backupExt, SaveFailure* backupFailure) {
    TFileSave save(target, std::move(backupExt));
    SaveFailure failure = save.Begin();
    if (!failure)
        failure = save.Write(data);
    if (!failure)
        failure = save.Commit();
    if (backupFailure)
        *backupFailure = failure ? SaveFailure{} : save.BackupFailure();
    return failure;
}

} // namespace platform
