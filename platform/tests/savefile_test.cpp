// Saving a whole file where the folder takes no new files or the backup cannot be made: what
// is saved and what is blamed.
#include "platform/savefile.h"
#include "platform/system.h"
#include "platform/tests/writeprotect.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class SaveFile : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string File(const char* name, const std::string& content) const {
        const std::string path = (folder_ / name).string();
        EXPECT_EQ(platform::WriteWholeFile(path, content), 0);
        return path;
    }
    static std::string Content(const std::string& path) {
        std::string content;
        return platform::ReadWholeFile(path, content) == 0 ? content : "<unreadable>";
    }
    size_t Entries() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(folder_), {}));
    }

    const fs::path folder_ =
        fs::temp_directory_path() / ("tavrissel-savefile-" + std::to_string(::getpid()));
};

ino_t Inode(const std::string& path) {
    struct stat status {};
    ::stat(path.c_str(), &status);
    return status.st_ino;
}

} // namespace

TEST_F(SaveFile, AFolderThatTakesNoNewFilesGetsTheFileWrittenInPlace) {
    const std::string path = File("doc.txt", "the old content, longer than the new");
    const ino_t inode = Inode(path);
    {
        TClosedFolder closed(path);
        EXPECT_FALSE(platform::SaveWholeFile(path, "neu"));
    }
    EXPECT_EQ(Content(path), "neu");
    EXPECT_EQ(Inode(path), inode);
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(SaveFile, AFailureNamesTheFolderOrTheFileThatRefused) {
    const std::string fresh = (folder_ / "new.txt").string();
    {
        TClosedFolder closed(fresh);
        const platform::SaveFailure failure = platform::SaveWholeFile(fresh, "x");
        EXPECT_EQ(failure.error, EACCES);
        EXPECT_EQ(failure.path, folder_.string());
    }
    EXPECT_FALSE(fs::exists(fresh));

    const std::string path = File("fest.txt", "alt");
    {
        TWriteProtected protect(path);
        const platform::SaveFailure failure = platform::SaveWholeFile(path, "neu");
        EXPECT_EQ(failure.error, EACCES);
        EXPECT_EQ(failure.path, path);
    }
    EXPECT_EQ(Content(path), "alt");
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(SaveFile, ABackupTheFolderRefusesLeavesTheFileSaved) {
    const std::string path = File("PROG.BAS", "alt");
    platform::SaveFailure backup;
    {
        TClosedFolder closed(path);
        EXPECT_FALSE(platform::SaveWholeFile(path, "neu", "BAK", &backup));
    }
    EXPECT_EQ(Content(path), "neu");
    EXPECT_EQ(backup.error, EACCES);
    EXPECT_EQ(backup.path, folder_.string());
    EXPECT_FALSE(fs::exists(folder_ / "PROG.BAK"));
    // a folder in the backup's place refuses it as well
    fs::create_directories(folder_ / "PROG.BAK" / "voll");
    EXPECT_FALSE(platform::SaveWholeFile(path, "neuer", "BAK", &backup));
    EXPECT_EQ(Content(path), "neuer");
    EXPECT_NE(backup.error, 0);
    EXPECT_EQ(backup.path, (folder_ / "PROG.BAK").string());
    EXPECT_EQ(Entries(), 2u);
}
