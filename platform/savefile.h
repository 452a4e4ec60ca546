// Saving a whole file. Where the folder allows it, the content goes to a new file beside the old
// one, which it replaces only once it is complete; where the folder takes no new files, an
// existing file is written in place.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// A step of a save that failed: the system error number and what refused it (the file, its
// folder, or the backup file).
struct SaveFailure {
    int error = 0;
    std::string path;
    explicit operator bool() const { return error != 0; }
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
    // before anything else happens.
    SaveFailure Begin();
    // The file the content goes to: the temporary file, or the target when written in place.
    const std::string& Path() const { return inPlace_ ? target_ : temp_; }
    // Writes data as the whole content of Path().
    SaveFailure Write(std::string_view data);
    // Puts the written file in place of the old one, which becomes the backup; a failure puts
    // the old file back.
    SaveFailure Commit();
    // Why no backup was made although one was asked for (no error when it was made).
    const SaveFailure& BackupFailure() const { return backupFailure_; }

private:
    std::string target_;
    std::string folder_;
    std::string backup_; // empty when no backup is made
    std::string temp_;   // the temporary file while it is ours to remove
    SaveFailure backupFailure_;
    int fd_ = -1;
    bool exists_ = false;
    bool inPlace_ = false;
};

// data as the whole file at target through TFileSave; backupFailure, when given, is told why
// no backup was made.
SaveFailure SaveWholeFile(const std::string& target, std::string_view data,
                          std::optional<std::string> backupExt = {},
                          SaveFailure* backupFailure = nullptr);

} // namespace platform
