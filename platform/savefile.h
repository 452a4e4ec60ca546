// Saving a whole file. Where the folder allows it, the content goes to a new file beside the old
// one, which it replaces only once it is complete; where the folder takes no new files, an
// existing file is written in place, and a write that fails there puts the old content back.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <system_error>

namespace platform {

// What a failed save left of the file it was to replace.
enum class SaveLeft {
    Untouched, // refused before anything was written (or there was no file)
    Unchanged, // a write failed; the file holds its old content
    Damaged,   // a write in place failed and the old content could not be put back
};

// A step of a save that failed: the system error number, what refused it (the file, its
// folder, or the backup file), and what became of the file.
struct SaveFailure {
    int error = 0;
    std::string path;
    SaveLeft left = SaveLeft::Untouched;
    explicit operator bool() const { return error != 0; }
};

// A failed save as an exception; kept tells, for a damaged file, where the content still is.
class ESaveError : public std::system_error {
public:
    explicit ESaveError(SaveFailure failure, std::string kept = {})
        : std::system_error(failure.error, std::generic_category(), failure.path),
          failure_(std::move(failure)), kept_(std::move(kept)) {}
    const SaveFailure& Failure() const { return failure_; }
    const std::string& Kept() const { return kept_; }

private:
    SaveFailure failure_;
    std::string kept_;
};

// One save of the file at target; a link is followed to the file it names. With backupExt the
// old file is kept under its name with the extension replaced by "." + backupExt.
class TFileSave {
public:
    explicit TFileSave(const std::string& target, std::optional<std::string> backupExt = {});
    ~TFileSave(); // a save not committed leaves no temporary file behind
    TFileSave(const TFileSave&) = delete;
    TFileSave& operator=(const TFileSave&) = delete;

    // Makes the file to write ready. An existing file this user may not write refuses the save
    // before anything else happens. The temporary file has the old file's permissions (a new
    // one those of any new file) from the start, never wider ones. Only a folder that refuses
    // new files leads to a write in place; any other failure to make the temporary file
    // fails the save.
    SaveFailure Begin();
    // The file the content goes to: the temporary file, or the target when written in place.
    const std::string& Path() const { return inPlace_ ? target_ : temp_; }
    // Writes data as the whole content of Path(). In place, the room for data is taken before
    // the first byte changes, and a write that fails part way puts the old content back.
    SaveFailure Write(std::string_view data);
    // Puts the written file in place of the old one, which becomes the backup; a failure puts
    // the old file back.
    SaveFailure Commit();
    // Why no backup was made although one was asked for (no error when it was made).
    const SaveFailure& BackupFailure() const { return backupFailure_; }

private:
    // Makes the temporary file (fd_, temp_) like old, or like a new file; 0 or the error.
    int CreateTemp(const struct ::stat* old);
    SaveFailure WriteInPlace(std::string_view data);
    // The failure of a write in place after written bytes of it went to the file.
    SaveFailure Restore(int error, size_t written);

    std::string target_;
    std::string folder_;
    std::string backup_; // empty when no backup is made
    std::string temp_;   // the temporary file while it is ours to remove
    SaveFailure backupFailure_;
    int fd_ = -1;
    bool exists_ = false;
    bool inPlace_ = false;
    // in place: the old content (when it could be read) and length, to put back when a write
    // fails part way, and how much of the new content went in
    std::optional<std::string> old_;
    off_t oldSize_ = 0;
    size_t written_ = 0;
};

// data as the whole file at target through TFileSave; backupFailure, when given, is told why
// no backup was made.
SaveFailure SaveWholeFile(const std::string& target, std::string_view data,
                          std::optional<std::string> backupExt = {},
                          SaveFailure* backupFailure = nullptr);

} // namespace platform
