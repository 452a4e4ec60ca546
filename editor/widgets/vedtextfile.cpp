// The editor bound to a text file: one paragraph per line; CR LF, CR or LF ends a line on
// load, CR LF on save.
#include "editor/widgets/vededit.h"

#include "editor/vedexcept.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/failure.h"
#include "platform/savefile.h"

#include <QString>

#include <cerrno>
#include <fstream>
#include <system_error>

namespace ved {

namespace {

constexpr int MaxLineLength = 32767;

[[noreturn]] void ThrowFileError(const std::string& name) {
    throw std::system_error(errno ? errno : EIO, std::generic_category(), name);
}

} // namespace

std::string TVedCustomTextFileEditor::CutTrailingDot(const std::string& name) {
    if (name.size() >= 2 && name.back() == '.')
        return name.substr(0, name.size() - 1);
    return name;
}

void TVedCustomTextFileEditor::SetFileName(const std::string& name) {
    // names differing only in case are different files here
    if (name == fileName_)
        return;
    isOpen_ = false;
    fileName_ = CutTrailingDot(name);
}

void TVedCustomTextFileEditor::SetIsOpen(bool open) {
    if (open == isOpen_ || fileName_.empty())
        return;
    if (open) {
        LoadFromFile(fileName_);
    } else {
        isOpen_ = false;
        ClearAll(true);
    }
}

void TVedCustomTextFileEditor::Attach(TVedCustomEditor* other) {
    auto* file = dynamic_cast<TVedCustomTextFileEditor*>(other);
    if (!file)
        return;
    TVedCustomEditor::Attach(other);
    fileName_ = file->fileName_;
}

void TVedCustomTextFileEditor::LoadFromFile(const std::string& name) {
    if (name.empty())
        return;
    fileName_ = CutTrailingDot(name);
    platform::WaitCursor wait;
    // lines the limits cut or split, reported once the text is in
    std::vector<int> changed;
    try {
        errno = 0;
        std::ifstream in(fileName_, std::ios::binary);
        if (!in)
            ThrowFileError(fileName_);
        ClearAll(false);
        int number = 0;
        auto addLine = [&](std::string line) {
            ++number;
            bool altered = false;
            if (line.size() > MaxLineLength) {
                line.resize(MaxLineLength);
                altered = true;
            }
            if (static_cast<int>(line.size()) > ParaLengthLimit())
                altered = true;
            const int32_t before = GetParaCount();
            if (const uint16_t code = AppendPara(line))
                throw EEditorError(code);
            if (GetParaCount() - before > 1)
                altered = true;
            if (altered)
                changed.push_back(number);
        };
        // CR LF, a lone CR and a LF each end one line; a LF ends a chunk
        std::string chunk;
        while (std::getline(in, chunk)) {
            const bool endsInLF = !in.eof();
            if (endsInLF && !chunk.empty() && chunk.back() == '\r')
                chunk.pop_back();
            size_t start = 0;
            for (size_t cr; (cr = chunk.find('\r', start)) != std::string::npos; start = cr + 1)
                addLine(chunk.substr(start, cr - start));
            if (endsInLF || start < chunk.size())
                addLine(chunk.substr(start));
        }
        if (in.bad())
            ThrowFileError(fileName_);
        ResetScrollBars(true);
        SetCaretPosition(1, 1);
        SetTopLine(1);
        SetModified(false);
        isOpen_ = true;
    } catch (...) {
        isOpen_ = false;
        ClearAll(true);
        throw;
    }
    if (!changed.empty()) {
        QString lines;
        for (size_t i = 0; i < changed.size() && i < 10; ++i)
            lines += (i ? QStringLiteral(", ") : QString()) + QString::number(changed[i]);
        if (changed.size() > 10)
            lines += QStringLiteral(", ...");
        platform::MessageBox(
            platform::BoxKind::Warning,
            QStringLiteral("%1: Zu lange Zeilen wurden beim Laden gek\u00FCrzt oder geteilt "
                           "(Zeile %2).")
                .arg(QString::fromLocal8Bit(fileName_), lines),
            static_cast<platform::Buttons>(platform::Button::Ok));
    }
}

void TVedCustomTextFileEditor::SaveToFile(const std::string& name) {
    if (name.empty())
        return;
    platform::WaitCursor wait;
    std::string text;
    const int32_t count = GetParaCount();
    for (int32_t p = 1; p <= count; ++p) {
        int length;
        const char* para = List().ParaText(p, length);
        if (p == count && length == 0)
            break;
        text.append(para, static_cast<size_t>(length)).append("\r\n");
    }
    platform::SaveFailure backup;
    const platform::SaveFailure failure = platform::SaveWholeFile(
        name, text, makeBackup_ ? std::optional(backupExt_) : std::nullopt, &backup);
    if (failure) // the text stays, modified
        throw platform::ESaveError(
            failure, "Der Text ist noch im Fenster; speichern Sie ihn unter einem anderen Namen.");
    SetModified(false);
    if (backup)
        platform::MessageBox(
            platform::BoxKind::Warning,
            QStringLiteral(
                "Es wurde keine Sicherungsdatei angelegt:\r%1\rDer Text ist gespeichert.")
                .arg(FileErrorText(QString::fromLocal8Bit(backup.path), backup.error)),
            static_cast<platform::Buttons>(platform::Button::Ok));
}

} // namespace ved
