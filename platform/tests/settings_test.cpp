#include "platform/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;
using platform::Settings;
using platform::SettingsError;
using platform::SettingsType;

namespace {

const std::string kMain = "SOFTWARE\\Mirelt Electronic\\Tavrissel/plus\\MainWindow";

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tavrissel-settings-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        file_ = (dir_ / "conf" / "registry.txt").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string readFile() const {
        std::ifstream in(file_, std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        return content.str();
    }
    void writeFile(const std::string& content) const {
        fs::create_directories(fs::path(file_).parent_path());
        std::ofstream(file_, std::ios::binary) << content;
    }

    fs::path dir_;
    std::string file_;
};

TEST_F(SettingsTest, ValuesKeepTheirTypeAndWrongTypeReadsThrow) {
    Settings store(file_);
    store.writeString(kMain, "Caption", "Tavrissel");
    store.writeInteger(kMain, "Left", -1);
    store.writeInteger(kMain, "Big", INT32_MIN);

    EXPECT_EQ(store.valueType(kMain, "Caption"), SettingsType::String);
    EXPECT_EQ(store.valueType(kMain, "Left"), SettingsType::Integer);
    EXPECT_EQ(store.valueType(kMain, "Missing"), SettingsType::None);
    EXPECT_EQ(store.readString(kMain, "Caption"), "Tavrissel");
    EXPECT_EQ(store.readInteger(kMain, "Left"), -1);
    EXPECT_EQ(store.readInteger(kMain, "Big"), INT32_MIN);
    EXPECT_THROW(store.readInteger(kMain, "Caption"), SettingsError);
    EXPECT_THROW(store.readString(kMain, "Left"), SettingsError);

    // A text that looks like a number stays a text after a reload, and vice versa.
    store.writeString(kMain, "Digits", "42");
    Settings again(file_);
    EXPECT_EQ(again.valueType(kMain, "Digits"), SettingsType::String);
    EXPECT_THROW(again.readInteger(kMain, "Digits"), SettingsError);
    EXPECT_EQ(again.readInteger(kMain, "Big"), INT32_MIN);

    // Overwriting with the other type changes the type.
    store.writeInteger(kMain, "Caption", 7);
    EXPECT_EQ(store.readInteger(kMain, "Caption"), 7);
    EXPECT_THROW(store.readString(kMain, "Caption"), SettingsError);
}

TEST_F(SettingsTest, MissingValuesAndKeysAreEmptyAndReadingCreatesNothing) {
    Settings store(file_);
    EXPECT_FALSE(store.readString(kMain, "Caption").has_value());
    EXPECT_FALSE(store.readInteger("Nothing\\Here", "X").has_value());
    EXPECT_FALSE(store.keyExists(kMain));
    EXPECT_TRUE(store.subKeys("SOFTWARE").empty());
    EXPECT_FALSE(fs::exists(file_));
    EXPECT_TRUE(store.loadProblem().empty());
}

TEST_F(SettingsTest, KeyAndValueNamesIgnoreCaseAndKeepTheirSpelling) {
    Settings store(file_);
    store.writeInteger("Software\\Mirelt\\MainWindow", "Left", 10);
    store.writeInteger("SOFTWARE\\MIRELT\\mainwindow", "LEFT", 20);
    store.writeString("software\\mirelt\\K\xDC"
                      "CHE",
                      "Stra\xDF"
                      "e",
                      "x");

    EXPECT_EQ(store.subKeys("SOFTWARE"), std::vector<std::string>{"Mirelt"});
    EXPECT_EQ(store.subKeys("software\\MIRELT"), (std::vector<std::string>{"MainWindow", "K\xDC"
                                                                                         "CHE"}));
    EXPECT_EQ(store.valueNames("Software\\Mirelt\\MainWindow"), std::vector<std::string>{"Left"});
    EXPECT_EQ(store.readInteger("software\\mirelt\\MAINWINDOW", "left"), 20);
    // Case folding reaches the code page's own letters.
    EXPECT_TRUE(store.keyExists("SOFTWARE\\Mirelt\\k\xFC"
                                "che"));
    EXPECT_EQ(store.readString("SOFTWARE\\Mirelt\\k\xFC"
                               "che",
                               "STRA\xDF"
                               "E"),
              "x");
}

TEST_F(SettingsTest, CreateDeleteAndEnumerate) {
    Settings store(file_);
    store.createKey("A\\B\\C");
    store.createKey("A\\D");
    store.writeInteger("A\\B", "One", 1);
    store.writeString("A\\B", "Two", "2");
    store.writeInteger("A\\B\\C", "Deep", 3);

    EXPECT_TRUE(store.keyExists("A\\B\\C"));
    EXPECT_TRUE(store.keyExists("\\A\\B\\")); // separators at the ends do not matter
    EXPECT_EQ(store.subKeys("A"), (std::vector<std::string>{"B", "D"}));
    EXPECT_EQ(store.valueNames("A\\B"), (std::vector<std::string>{"One", "Two"}));

    EXPECT_TRUE(store.deleteValue("A\\B", "one"));
    EXPECT_FALSE(store.deleteValue("A\\B", "One"));
    EXPECT_EQ(store.valueNames("A\\B"), std::vector<std::string>{"Two"});

    // Deleting a key takes its whole subtree, also from the file.
    EXPECT_TRUE(store.deleteKey("a\\b"));
    EXPECT_FALSE(store.keyExists("A\\B"));
    EXPECT_FALSE(store.keyExists("A\\B\\C"));
    EXPECT_FALSE(store.readInteger("A\\B\\C", "Deep").has_value());
    EXPECT_EQ(store.subKeys("A"), std::vector<std::string>{"D"});
    EXPECT_FALSE(store.deleteKey("A\\B"));
    EXPECT_FALSE(store.deleteKey(""));

    Settings reloaded(file_);
    EXPECT_FALSE(reloaded.keyExists("A\\B"));
    EXPECT_TRUE(reloaded.keyExists("A\\D")); // an empty key persists
    // A key written again after its deletion starts empty.
    store.createKey("A\\B");
    EXPECT_TRUE(store.valueNames("A\\B").empty());
}

TEST_F(SettingsTest, InvalidKeyNamesAreRefused) {
    Settings store(file_);
    EXPECT_THROW(store.createKey("A\\Bad\nName"), SettingsError);
    EXPECT_THROW(store.writeInteger(std::string("A\\x\x01y"), "V", 1), SettingsError);
    EXPECT_FALSE(store.keyExists("A\\Bad\nName"));
}

TEST_F(SettingsTest, TwoStoresOverOneFileSeeEachOthersChanges) {
    Settings first(file_);
    Settings second(file_);
    first.writeInteger(kMain, "Left", 5);
    second.writeInteger(kMain, "Top", 6); // must not drop "Left"
    first.writeString("Other", "Name", "x");

    EXPECT_EQ(second.readInteger(kMain, "Left"), 5);
    EXPECT_EQ(second.readString("Other", "Name"), "x");
    Settings third(file_);
    EXPECT_EQ(third.readInteger(kMain, "Left"), 5);
    EXPECT_EQ(third.readInteger(kMain, "Top"), 6);
    EXPECT_EQ(third.readString("Other", "Name"), "x");

    second.deleteKey("Other");
    EXPECT_FALSE(first.keyExists("Other"));
}

TEST_F(SettingsTest, ConcurrentWritersLoseNoChange) {
    constexpr int kPerWriter = 40;
    auto writer = [this](const std::string& prefix) {
        Settings own(file_); // a second instance: its own memory and its own lock
        for (int i = 0; i < kPerWriter; ++i)
            own.writeInteger("Race", prefix + std::to_string(i), i);
    };
    std::thread a(writer, "a");
    std::thread b(writer, "b");
    Settings shared(file_);
    std::thread c([&] {
        for (int i = 0; i < kPerWriter; ++i)
            shared.writeInteger("Race", "c" + std::to_string(i), i);
    });
    std::thread d([&] {
        for (int i = 0; i < kPerWriter; ++i)
            shared.writeInteger("Race", "d" + std::to_string(i), i);
    });
    a.join();
    b.join();
    c.join();
    d.join();

    Settings check(file_);
    EXPECT_EQ(check.valueNames("Race").size(), 4u * kPerWriter);
    for (const char* prefix : {"a", "b", "c", "d"})
        EXPECT_EQ(check.readInteger("Race", std::string(prefix) + "39"), 39) << prefix;
}

TEST_F(SettingsTest, BatchWritesOnceAtItsEndAndKeepsOthersChanges) {
    Settings store(file_);
    store.writeInteger(kMain, "Left", 1);
    store.writeInteger(kMain, "Gone", 1);

    store.beginBatch();
    store.beginBatch(); // nested: only the outermost end writes
    store.writeInteger(kMain, "Left", 2);
    store.writeString(kMain, "Caption", "neu");
    EXPECT_TRUE(store.deleteValue(kMain, "Gone"));
    EXPECT_FALSE(store.deleteValue(kMain, "Gone"));
    store.createKey("Empty\\Key");
    // This store sees its changes at once; the file does not have them yet.
    EXPECT_EQ(store.readInteger(kMain, "Left"), 2);
    EXPECT_EQ(store.valueType(kMain, "Gone"), SettingsType::None);
    EXPECT_EQ(Settings(file_).readInteger(kMain, "Left"), 1);

    // Another instance writes meanwhile; the batch must not wipe that out.
    Settings other(file_);
    other.writeInteger(kMain, "Top", 7);
    other.writeInteger(kMain, "Left", 3);
    store.endBatch();
    EXPECT_EQ(Settings(file_).readInteger(kMain, "Left"), 3) << "still batched";
    store.endBatch();

    Settings check(file_);
    EXPECT_EQ(check.readInteger(kMain, "Left"), 2);
    EXPECT_EQ(check.readString(kMain, "Caption"), "neu");
    EXPECT_EQ(check.readInteger(kMain, "Top"), 7);
    EXPECT_EQ(check.valueType(kMain, "Gone"), SettingsType::None);
    EXPECT_TRUE(check.keyExists("Empty\\Key"));
    // After the batch the store follows the file again.
    other.writeInteger(kMain, "Top", 8);
    EXPECT_EQ(store.readInteger(kMain, "Top"), 8);
}

TEST_F(SettingsTest, FailedBatchThrowsAtItsEndAndDropsItsChanges) {
    fs::create_directories(dir_);
    std::ofstream(dir_ / "blocker") << "x";
    Settings store((dir_ / "blocker" / "registry.txt").string());
    store.beginBatch();
    store.writeInteger(kMain, "Left", 5);
    EXPECT_EQ(store.readInteger(kMain, "Left"), 5);
    EXPECT_THROW(store.endBatch(), SettingsError);
    EXPECT_FALSE(store.readInteger(kMain, "Left").has_value());
    store.endBatch(); // no batch open: nothing happens
}

TEST_F(SettingsTest, WritingLeavesNoTemporaryFiles) {
    Settings store(file_);
    for (int i = 0; i < 20; ++i)
        store.writeInteger("Key", "V" + std::to_string(i), i);
    store.deleteKey("Key");
    store.writeString("Key", "Last", "x");

    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(fs::path(file_).parent_path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"registry.txt", "registry.txt.lock"}));
}

TEST_F(SettingsTest, AnyByteStringRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string tricky[] = {all,
                                  "",
                                  "line one\r\nline two\n",
                                  "\"quoted\" \\x41 not an escape \\",
                                  "=integer:5",
                                  "trailing spaces   ",
                                  std::string("nul\0inside", 10),
                                  "M\xFC"
                                  "ller \x80 \x81\x8D\x8F\x90\x9D \xFF"};
    {
        Settings store(file_);
        int i = 0;
        for (const auto& text : tricky) {
            store.writeString("Bytes", "Value" + std::to_string(i++), text);
            store.writeInteger("Names", text, i); // value names may hold any byte too
        }
    }
    Settings reloaded(file_);
    EXPECT_TRUE(reloaded.loadProblem().empty()) << reloaded.loadProblem();
    int i = 0;
    for (const auto& text : tricky) {
        EXPECT_EQ(reloaded.readString("Bytes", "Value" + std::to_string(i++)), text);
        EXPECT_EQ(reloaded.readInteger("Names", text), i);
    }
    // The file stays line-oriented text: control bytes never appear raw in it.
    std::string content = readFile();
    for (char c : content) {
        auto byte = static_cast<unsigned char>(c);
        EXPECT_TRUE(byte >= 0x20 || c == '\n') << int(byte);
    }
}

TEST_F(SettingsTest, FileIsReadableTextThatCanBeEditedByHand) {
    writeFile("\xEF\xBB\xBF; settings\r\n"
              "[SOFTWARE\\Mirelt Electronic\\Tavrissel/plus\\Simulator]\r\n"
              "  \"COM\" = integer:2\r\n"
              "\"Name\"=\"K\xC3\xBC"
              "che \xE2\x82\xAC \xE6\x97\xA5\"\n"
              "\n"
              "# comment\n"
              "[Empty] \t\r\n");
    Settings store(file_);
    EXPECT_TRUE(store.loadProblem().empty()) << store.loadProblem();
    const std::string sim = "SOFTWARE\\Mirelt Electronic\\Tavrissel/plus\\Simulator";
    EXPECT_EQ(store.readInteger(sim, "COM"), 2);
    // UTF-8 in the file becomes Windows-1252; a character the code page lacks becomes "?".
    EXPECT_EQ(store.readString(sim, "Name"), "K\xFC"
                                             "che \x80 ?");
    EXPECT_TRUE(store.keyExists("Empty"));

    store.writeInteger(sim, "COM", 3);
    std::string content = readFile();
    EXPECT_NE(content.find("[SOFTWARE\\Mirelt Electronic\\Tavrissel/plus\\Simulator]\n"),
              std::string::npos);
    EXPECT_NE(content.find("\"COM\"=integer:3\n"), std::string::npos);
    EXPECT_NE(content.find("\"Name\"=\"K\xC3\xBC"
                           "che \xE2\x82\xAC ?\"\n"),
              std::string::npos);
}

TEST_F(SettingsTest, DamagedFileGivesMessageAndDefaultsAndIsKept) {
    const std::string damaged[] = {
        "[A]\n\"V\"=integer:12x\n",
        "[A]\n\"V\"=integer:99999999999\n",
        "[A]\n\"V\"=\"unterminated\n",
        "[A]\n\"V\"=\"bad \\q escape\"\n",
        "[A]\n\"V\"=\"ok\" trailing\n",
        "\"V\"=integer:1\n",
        "[A\n",
        "garbage line\n",
        std::string("[A]\n\0\0\0\xFF\xFE", 10),
    };
    for (const auto& content : damaged) {
        writeFile(content);
        Settings store(file_);
        EXPECT_NE(store.loadProblem().find("registry.txt"), std::string::npos) << content;
        EXPECT_NE(store.loadProblem().find("Zeile"), std::string::npos) << content;
        EXPECT_FALSE(store.keyExists("A")) << content;

        // The first write keeps the damaged file aside instead of overwriting it.
        store.writeInteger("B", "V", 1);
        std::ifstream kept(file_ + ".damaged", std::ios::binary);
        std::stringstream keptContent;
        keptContent << kept.rdbuf();
        EXPECT_EQ(keptContent.str(), content);
        Settings after(file_);
        EXPECT_TRUE(after.loadProblem().empty());
        EXPECT_EQ(after.readInteger("B", "V"), 1);
        fs::remove(file_);
    }
}

TEST_F(SettingsTest, UnwritableStoreThrows) {
    fs::create_directories(dir_ / "blocker");
    std::ofstream(dir_ / "blocker" / "file") << "x";
    // The store's directory would have to be below a plain file.
    Settings store((dir_ / "blocker" / "file" / "registry.txt").string());
    EXPECT_THROW(store.writeInteger("A", "V", 1), SettingsError);
    EXPECT_FALSE(store.keyExists("A"));
}

TEST(SettingsUserStore, LivesInTheConfigurationDirectory) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    std::string base = config && config[0] == '/' ? std::string(config)
                                                  : std::string(home ? home : "") + "/.config";
    EXPECT_EQ(Settings::user().filePath(), base + "/tavrissel/registry.txt");
    EXPECT_EQ(&Settings::user(), &Settings::user());
}

} // namespace
