#include "graphical/model/conversiontable.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include "framework/utils.h"
#include "platform/qt/ansi.h"
#include "platform/qt/dialogs.h"

const char* const TableClipboardFormat = "Tavrissel plus Table";

namespace {

QString Ansi(const std::string& text) {
    return platform::AnsiToQString(text);
}

bool TableFileExists(const std::string& name) {
    return QFileInfo(FindTableFile(Ansi(name))).isFile();
}

} // namespace

std::function<std::optional<QString>(const QString&, const QString&)>
    TConversionTable::dlgOpenTable = [](const QString& directory, const QString& file) {
        QFileDialog dialog(nullptr, QStringLiteral("Verweis einf\xFCgen auf Tabelle"), directory,
                           platform::QtFileFilter(QStringLiteral("Alle Dateien (*.*)|*.*")));
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.selectFile(file);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::optional<QString>();
        return std::optional<QString>(dialog.selectedFiles().first());
    };

std::unique_ptr<TConversionTable> TConversionTable::CreateExternal(const std::string& name) {
    auto table = std::make_unique<TConversionTable>();
    table->IsInternal = false;
    table->Name = name;
    return table;
}

std::unique_ptr<TConversionTable> TConversionTable::CreateInternal(const std::string& name) {
    auto table = std::make_unique<TConversionTable>();
    table->Name = name;
    table->Lines = std::make_unique<TLines>();
    return table;
}

std::unique_ptr<TConversionTable> TConversionTable::CreateFromLines(const TLines& lines) {
    if (lines.empty() || !lines[0].starts_with("Name="))
        return CreateInternal("Tabelle ???");
    // The whole name: a table's name is its label and must not be cut.
    const std::string name = lines[0].substr(5);
    if (lines.size() > 1 && lines[1].starts_with("Extern=")) {
        auto table = CreateExternal(name);
        table->ExternFile = lines[1].substr(7);
        if (!TableFileExists(table->ExternFile))
            ShowError(QStringLiteral("Tabelle %1: ung\xFCltige externe Tabellendatei:\r%2")
                          .arg(MessageQuote(table->Name), MessageQuote(table->ExternFile)));
        return table;
    }
    auto table = CreateInternal(name);
    for (size_t i = 1; i < lines.size(); ++i)
        table->Lines->push_back(UnescapeTextLine(lines[i]));
    return table;
}

void TConversionTable::SaveToLines(TLines* lines) const {
    if (!lines)
        return;
    TLines text;
    text.push_back("Name=" + Name);
    if (!IsInternal) {
        text.push_back("Extern=" + ExternFile);
    } else if (Lines) {
        for (size_t i = 0; i < Lines->size(); ++i) {
            // A first line reading like a reference stays a table line.
            const bool looksExternal = i == 0 && (*Lines)[i].starts_with("Extern=");
            text.push_back(EscapeTextLine((*Lines)[i], looksExternal));
        }
    }
    lines->insert(lines->end(), text.begin(), text.end());
}

void TConversionTable::GetLines(TLines& target) const {
    if (Lines && !Lines->empty())
        target = *Lines;
}

bool TConversionTable::SetLines(const TLines* source) {
    // An empty source empties the table: the user cleared the editor.
    if (!Lines || !source || *source == *Lines)
        return false;
    *Lines = *source;
    return true;
}

void TConversionTable::SetExternFile(const std::string& name) {
    ExternFile = name;
    if (!TableFileExists(name))
        ShowError(QStringLiteral("Ung\xFCltige Tabellendatei %1!").arg(Ansi(name)));
}

bool TConversionTable::SelectExternalFile() {
    if (!dlgOpenTable)
        return false;
    const std::optional<QString> chosen = dlgOpenTable(TableDir, Ansi(ExternFile));
    if (!chosen)
        return false;
    const QString path = FindTableFile(*chosen);
    if (!QFileInfo(path).isFile()) {
        ShowError(QStringLiteral("Ung\xFCltige Tabellendatei %1!").arg(*chosen));
        return false;
    }
    // Outside the table directory the reference keeps its path.
    ExternFile = platform::QStringToAnsi(MakeTablePathRelative(path));
    return true;
}

bool TConversionTable::LoadExternal() {
    if (IsInternal)
        return true;
    QFile file(FindTableFile(Ansi(ExternFile)));
    if (!file.open(QIODevice::ReadOnly)) {
        ShowError(QStringLiteral("Fehler beim Laden der externen Tabellendatei:\r%1")
                      .arg(Ansi(ExternFile)));
        return false;
    }
    const QByteArray bytes = file.readAll();
    Lines = std::make_unique<TLines>(SplitLines(std::string(bytes.constData(), bytes.size())));
    return true;
}

bool TConversionTable::LoadIntoEngine(EngineHandle engine) const {
    std::string text = Lines ? JoinLines(*Lines) : std::string();
    while (!text.empty() && (text.back() == '\t' || text.back() == '\n' || text.back() == '\r' ||
                             text.back() == ' '))
        text.pop_back();
    if (text.empty())
        return true;
    return MoltraneLoadTable(engine, Name.c_str(), text.c_str()) == 1;
}

void TConversionTable::FreeExternal() {
    if (!IsInternal)
        Lines.reset();
}
