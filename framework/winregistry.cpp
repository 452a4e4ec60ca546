#include "framework/winregistry.h"

#include "framework/utils.h"
#include "platform/qt/ansi.h"
#include "platform/settings.h"

TWinRegistry::TWinRegistry(const QString& keyPath)
    : TWinRegistry(platform::Settings::user(), keyPath) {}

TWinRegistry::TWinRegistry(platform::Settings& store, const QString& keyPath)
    : store_(store), keyPath_(keyPath) {
    // Settings are written in bursts (all windows at close); one file write serves them all.
    store_.beginBatch();
    try {
        store_.createKey(platform::QStringToAnsi(keyPath_));
    } catch (const platform::SettingsError&) {
        // Only an unusable key path fails here; its writes fail alike and are reported.
    }
}

TWinRegistry::~TWinRegistry() {
    try {
        store_.endBatch();
    } catch (const platform::SettingsError& error) {
        WriteFailed(error);
    }
}

std::string TWinRegistry::SectionKey(const QString& section) const {
    return platform::QStringToAnsi(keyPath_ + QLatin1Char('\\') + section);
}

QString TWinRegistry::ReadString(const QString& section, const QString& ident,
                                 const QString& defaultValue) {
    try {
        const auto value = store_.readString(SectionKey(section), platform::QStringToAnsi(ident));
        return value ? platform::AnsiToQString(*value) : defaultValue;
    } catch (const platform::SettingsError&) {
        return defaultValue;
    }
}

int32_t TWinRegistry::ReadInteger(const QString& section, const QString& ident,
                                  int32_t defaultValue) {
    try {
        const auto value = store_.readInteger(SectionKey(section), platform::QStringToAnsi(ident));
        return value.value_or(defaultValue);
    } catch (const platform::SettingsError&) {
        return defaultValue;
    }
}

bool TWinRegistry::ReadBool(const QString& section, const QString& ident, bool defaultValue) {
    try {
        const auto value = store_.readInteger(SectionKey(section), platform::QStringToAnsi(ident));
        return value ? *value != 0 : defaultValue;
    } catch (const platform::SettingsError&) {
        return defaultValue;
    }
}

void TWinRegistry::WriteString(const QString& section, const QString& ident, const QString& value) {
    try {
        store_.writeString(SectionKey(section), platform::QStringToAnsi(ident),
                           platform::QStringToAnsi(value));
    } catch (const platform::SettingsError& error) {
        WriteFailed(error);
    }
}

void TWinRegistry::WriteInteger(const QString& section, const QString& ident, int32_t value) {
    try {
        store_.writeInteger(SectionKey(section), platform::QStringToAnsi(ident), value);
    } catch (const platform::SettingsError& error) {
        WriteFailed(error);
    }
}

void TWinRegistry::WriteBool(const QString& section, const QString& ident, bool value) {
    WriteInteger(section, ident, value ? 1 : 0);
}

void TWinRegistry::EraseSection(const QString& section) {
    try {
        store_.deleteKey(SectionKey(section));
    } catch (const platform::SettingsError& error) {
        WriteFailed(error);
    }
}

void TWinRegistry::WriteFailed(const std::exception& error) {
    // Settings are written in bursts (at close); one message tells the user they are lost.
    if (writeFailed_)
        return;
    writeFailed_ = true;
    ShowError(QStringLiteral("Die Einstellungen können nicht gespeichert werden:\r\n%1")
                  .arg(ErrorText(error)));
}
