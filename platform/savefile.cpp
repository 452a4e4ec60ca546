#include "platform/savefile.h"

#include "platform/system.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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

// data written at the start of fd; written is told how far it got.
int WriteFromStart(int fd, std::string_view data, size_t& written) {
    written = 0;
    if (::lseek(fd, 0, SEEK_SET) < 0)
        return errno;
    return WriteAll(fd, data, &written);
}

bool FolderRefuses(int error) {
    return error == EACCES || error == EPERM || error == EROFS;
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
    const int tempError = CreateTemp(exists_ ? &status : nullptr);
    if (fd_ >= 0)
        return {};
    // Only a folder that takes no new file leads to a write in place, and only of an existing
    // file, whose old content then cannot be kept as a backup. A new document cannot be made
    // there (the folder is named); any other failure (a full disk, a name too long) is the
    // file's.
    if (!exists_ || !FolderRefuses(tempError))
        return {tempError, FolderRefuses(tempError) ? folder_ : target_};
    fd_ = ::open(target_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0 && errno == EACCES) // a file this user may write but not read
        fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd_ < 0)
        return {errno, target_};
    inPlace_ = true;
    if (!backup_.empty())
        backupFailure_ = {tempError, folder_};
    return {};
}

int TFileSave::CreateTemp(const struct stat* old) {
    static std::atomic<unsigned> counter{0};
    // The name is shortened where the file's own name leaves no room for the addition.
    long nameMax = ::pathconf(folder_.c_str(), _PC_NAME_MAX);
    if (nameMax <= 0)
        nameMax = 255;
    const std::string suffix = "." + std::to_string(::getpid()) + "-";
    std::string name = fs::path(target_).filename().string();
    const long room = nameMax - 1 - static_cast<long>(suffix.size()) - 10;
    if (room > 0 && name.size() > static_cast<size_t>(room))
        name.resize(static_cast<size_t>(room));
    const std::string prefix = folder_ + "/." + name + suffix;
    // A new file is created like any other (mode 0666 less the umask); a copy of an old one
    // with no more than its owner's bits, which are widened to its mode below.
    const mode_t mode = old ? old->st_mode & S_IRWXU : 0666;
    int error = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temp = prefix + std::to_string(++counter);
        fd_ = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd_ >= 0) {
            temp_ = temp;
            break;
        }
        if ((error = errno) != EEXIST)
            return error;
    }
    if (fd_ < 0 || !old)
        return error;
    // The old file's owner and group where this user may give them; its group's bits only
    // when the group is the old file's.
    struct stat own {};
    if (::fstat(fd_, &own) == 0 && (own.st_uid != old->st_uid || own.st_gid != old->st_gid) &&
        (::fchown(fd_, old->st_uid, old->st_gid) == 0 ||
         ::fchown(fd_, static_cast<uid_t>(-1), old->st_gid) == 0))
        ::fstat(fd_, &own);
    mode_t keep = old->st_mode & 07777;
    if (own.st_gid != old->st_gid)
        keep &= ~static_cast<mode_t>(S_IRWXG);
    ::fchmod(fd_, keep);
    return 0;
}

SaveFailure TFileSave::Write(std::string_view data) {
    if (inPlace_)
        return WriteInPlace(data);
    if (const int error = WriteAll(fd_, data))
        return {error, target_, exists_ ? SaveLeft::Unchanged : SaveLeft::Untouched};
    return {};
}

SaveFailure TFileSave::WriteInPlace(std::string_view data) {
    struct stat status {};
    if (::fstat(fd_, &status) != 0)
        return {errno, target_};
    if (!S_ISREG(status.st_mode)) { // a device takes the data as it comes
        if (const int error = WriteAll(fd_, data))
            return {error, target_};
        return {};
    }
    oldSize_ = status.st_size;
    std::string old;
    if ((::fcntl(fd_, F_GETFL) & O_ACCMODE) == O_RDWR && ReadAll(fd_, old) == 0)
        old_ = std::move(old);
    const auto size = static_cast<off_t>(data.size());
    // The room for the new content is taken before the first byte changes (where the file
    // system cannot do that, a failing write below puts the old content back).
    if (size > oldSize_)
        if (const int error = ::posix_fallocate(fd_, 0, size))
            if (error != EOPNOTSUPP && error != EINVAL && error != ENOSYS)
                return Restore(error, 0);
    size_t written = 0;
    int error = WriteFromStart(fd_, data, written);
    if (!error && ::ftruncate(fd_, size) != 0)
        error = errno;
    if (error)
        return Restore(error, written);
    written_ = written;
    return {};
}

SaveFailure TFileSave::Restore(int error, size_t written) {
    // The bytes written over go back, and the file gets its old length.
    bool restored = written == 0 || old_;
    if (written > 0 && old_) {
        size_t back = 0;
        restored = WriteFromStart(fd_, std::string_view(*old_).substr(0, written), back) == 0;
    }
    struct stat status {};
    if (restored && (::fstat(fd_, &status) != 0 || status.st_size != oldSize_))
        restored = ::ftruncate(fd_, oldSize_) == 0;
    return {error, target_, restored ? SaveLeft::Unchanged : SaveLeft::Damaged};
}

SaveFailure TFileSave::Commit() {
    // a device or pipe cannot be synced, which is no failure of the save
    const int synced = ::fsync(fd_) == 0 || errno == EINVAL ? 0 : errno;
    if (synced && inPlace_) { // the old content back, as far as it reaches the disk
        SaveFailure failure = Restore(synced, written_);
        if (::fsync(fd_) != 0 && errno != EINVAL)
            failure.left = SaveLeft::Damaged;
        return failure;
    }
    const int closed = ::close(fd_) == 0 ? 0 : errno;
    fd_ = -1;
    if (inPlace_) // the content is on the disk
        return {};
    if (synced || closed)
        return {synced ? synced : closed, target_,
                exists_ ? SaveLeft::Unchanged : SaveLeft::Untouched};
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
        return {error, target_, exists_ ? SaveLeft::Unchanged : SaveLeft::Untouched};
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
