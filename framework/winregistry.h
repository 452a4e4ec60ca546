// Settings by section and ident, kept in the user's settings store with their types.
#pragma once

#include <QString>
#include <cstdint>
#include <exception>
#include <string>

namespace platform {
class Settings;
}

// What a component needs to keep a few values of its own (the recent-files list).
class TSettingsSections {
public:
    virtual ~TSettingsSections() = default;
    virtual QString ReadString(const QString& section, const QString& ident,
                               const QString& defaultValue) = 0;
    virtual int32_t ReadInteger(const QString& section, const QString& ident,
                                int32_t defaultValue) = 0;
    virtual void WriteString(const QString& section, const QString& ident,
                             const QString& value) = 0;
    virtual void WriteInteger(const QString& section, const QString& ident, int32_t value) = 0;
};

// A section is a key below the base key path, an ident a value in it. Strings are stored as
// strings, integers and Booleans (0 and 1) as integers. A missing value, or one of another
// type (edited by hand), reads as the default. Writing is delayed: the object's writes show
// at once to every reader in this program and reach the settings file together when it is
// freed. The first failed write is reported.
class TWinRegistry : public TSettingsSections {
public:
    // The base key, as "SOFTWARE\Mirelt Electronic\Tavrissel/plus", in the user's store;
    // created when missing.
    explicit TWinRegistry(const QString& keyPath);
    TWinRegistry(platform::Settings& store, const QString& keyPath);
    ~TWinRegistry() override;
    TWinRegistry(const TWinRegistry&) = delete;
    TWinRegistry& operator=(const TWinRegistry&) = delete;

    QString ReadString(const QString& section, const QString& ident,
                       const QString& defaultValue) override;
    int32_t ReadInteger(const QString& section, const QString& ident,
                        int32_t defaultValue) override;
    bool ReadBool(const QString& section, const QString& ident, bool defaultValue);
    void WriteString(const QString& section, const QString& ident, const QString& value) override;
    void WriteInteger(const QString& section, const QString& ident, int32_t value) override;
    void WriteBool(const QString& section, const QString& ident, bool value);
    // Deletes the section with all its values and subkeys.
    void EraseSection(const QString& section);

    const QString& KeyPath() const { return keyPath_; }

private:
    std::string SectionKey(const QString& section) const;
    void WriteFailed(const std::exception& error);

    platform::Settings& store_;
    QString keyPath_;
    bool writeFailed_ = false;
};
