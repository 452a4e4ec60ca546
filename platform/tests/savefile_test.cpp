// Saving a whole file where the folder takes no new files, the backup cannot be made or the
// disk fills up: what is saved, what is blamed, and what the file on the disk holds after.
#include "platform/savefile.h"
#include "platform/system.h"
#include "platform/tests/sizelimit.h"
#include "platform/tests/writeprotect.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

// Ends a test that needs a folder or file this process may not write where there is none.
#define SKIP_WITHOUT_WRITE_PROTECTION()                                                            \
    if (const std::string why = WriteProtectionUnavailable(); !why.empty())                        \
    GTEST_SKIP() << why

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
    SKIP_WITHOUT_WRITE_PROTECTION();
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
    SKIP_WITHOUT_WRITE_PROTECTION();
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
    SKIP_WITHOUT_WRITE_PROTECTION();
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

TEST_F(SaveFile, ADiskFillingUpLeavesTheFileAsItWas) {
    // A size limit stands in for a full disk. The new text does not fit: in a writable folder
    // the temporary file stops; in a closed one the room is not there (a small file), or the
    // write stops part way over a large file and its old bytes go back.
    const std::string small(100, 'a'), large(6000, 'b'), text(5500, 'n');
    const std::string files[] = {File("klein.txt", small), File("gross.txt", large)};
    for (const bool closedFolder : {false, true})
        for (const std::string& path : files) {
            std::optional<TClosedFolder> closed;
            if (closedFolder) {
                SKIP_WITHOUT_WRITE_PROTECTION();
                closed.emplace(path);
            }
            TSizeLimit limit(5000);
            const platform::SaveFailure failure = platform::SaveWholeFile(path, text);
            EXPECT_EQ(failure.error, EFBIG) << path << " " << closedFolder;
            EXPECT_EQ(failure.path, path);
            EXPECT_EQ(failure.left, platform::SaveLeft::Unchanged) << path << " " << closedFolder;
        }
    EXPECT_TRUE(Content(files[0]) == small); // no pages of differing bytes when it fails
    EXPECT_TRUE(Content(files[1]) == large);
    EXPECT_EQ(Entries(), 2u);
}

TEST_F(SaveFile, OnlyAFolderThatRefusesNewFilesLeadsToAWriteInPlace) {
    // a long name still goes through a new file, whose name is shortened to fit
    const std::string named = File(std::string(250, 'x').c_str(), "alt");
    const ino_t inode = Inode(named);
    EXPECT_FALSE(platform::SaveWholeFile(named, "neu"));
    EXPECT_EQ(Content(named), "neu");
    EXPECT_NE(Inode(named), inode);
    // a temporary file that cannot be made for another reason (its path too long for the
    // system) fails the save
    fs::path deep = folder_;
    while (deep.string().size() < 4093 - 200)
        deep /= std::string(150, 'd');
    fs::create_directories(deep);
    const std::string path = (deep / std::string(4093 - deep.string().size() - 1, 'f')).string();
    ASSERT_EQ(platform::WriteWholeFile(path, "alt"), 0);
    const platform::SaveFailure failure = platform::SaveWholeFile(path, "neu");
    EXPECT_EQ(failure.error, ENAMETOOLONG);
    EXPECT_EQ(failure.path, path);
    EXPECT_EQ(Content(path), "alt");
}

TEST_F(SaveFile, TheTemporaryFileIsNeverWiderThanTheFile) {
    const std::string path = File("geheim.txt", "alt");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    const mode_t mask = ::umask(0);
    platform::TFileSave save(path), fresh((folder_ / "neu.txt").string());
    const bool begun = !save.Begin() && !fresh.Begin();
    struct stat status {
    }, freshStatus{};
    ::stat(save.Path().c_str(), &status);
    ::stat(fresh.Path().c_str(), &freshStatus);
    ::umask(mask);
    ASSERT_TRUE(begun);
    EXPECT_NE(save.Path(), path);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    // a new file gets what any new file would
    EXPECT_EQ(freshStatus.st_mode & 07777, 0666u);
}
