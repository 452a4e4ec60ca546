// Typed, hierarchical key store standing in for HKEY_CURRENT_USER.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace platform {

// Raised when a value is read with a type it does not have, or the store cannot be written.
// Its text is UTF-8, ready to be shown.
class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class SettingsType { None, String, Integer };

// Key paths use "\" between levels, as "SOFTWARE\Mirelt Electronic\Tavrissel/plus\MainWindow"
// ("/" is part of a name). Texts are Windows-1252 bytes, as the programs keep them.
// The store is one text file under $XDG_CONFIG_HOME (default ~/.config); every change is
// written at once, atomically, under a lock against a second instance.
class Settings {
public:
    // The process-wide store in the user's configuration directory.
    static Settings& user();
    // A store kept in the given file (tests, tools).
    explicit Settings(std::string filePath);

    bool keyExists(const std::string& key) const;
    void createKey(const std::string& key);
    // Removes the key with its whole subtree; false when it did not exist.
    bool deleteKey(const std::string& key);
    std::vector<std::string> subKeys(const std::string& key) const;
    std::vector<std::string> valueNames(const std::string& key) const;

    SettingsType valueType(const std::string& key, const std::string& name) const;
    bool deleteValue(const std::string& key, const std::string& name);
    // Creating the key as needed.
    void writeString(const std::string& key, const std::string& name, const std::string& value);
    void writeInteger(const std::string& key, const std::string& name, int32_t value);
    // Empty when the value is missing; SettingsError when it has the other type.
    std::optional<std::string> readString(const std::string& key, const std::string& name) const;
    std::optional<int32_t> readInteger(const std::string& key, const std::string& name) const;

    // Holds the file back while a burst of changes is made: they show at once to readers of
    // this store and reach the file in one replace when the outermost batch ends (which
    // raises SettingsError when that fails). Meanwhile changes by other instances stay unseen;
    // they are kept, since the batch is applied to the file's latest content.
    void beginBatch();
    void endBatch();

    // The message (German, Windows-1252) of a damaged or unreadable file found at load; the
    // store then starts from defaults, and the first write keeps a damaged file aside as
    // "<file>.damaged" instead of overwriting it.
    const std::string& loadProblem() const;
    const std::string& filePath() const;

private:
    struct Impl;
    std::shared_ptr<Impl> impl_;
};

} // namespace platform
