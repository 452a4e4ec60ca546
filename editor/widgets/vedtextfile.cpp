// The editor bound to a text file: one paragraph per line, CR LF on disk.
#include "editor/widgets/vededit.h"

#include "editor/vedexcept.h"
#include "platform/qt/dialogs.h"
#include "platform/system.h"

#include <QString>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <unistd.h>

namespace ved {

namespace {

constexpr int MaxLineLength = 32767;

[[noreturn]] void ThrowFileError(const std::string& name) {
    throw std::system_error(errno ? errno : EIO, std::generic_category(), name);
}

std::string BackupName(const std::string& name, const std::string& ext) {
    const std::filesystem::path path(name);
    std::filesystem::path backup = path;
    backup.replace_extension("." + ext);
    return backup.string();
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
        std::string line;
        int number = 0;
        while (std::getline(in, line)) {
            ++number;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
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
            QStringLiteral("Zu lange Zeilen wurden beim Laden gek\u00FCrzt oder geteilt "
                           "(Zeile %1).")
                .arg(lines),
            static_cast<platform::Buttons>(platform::Button::Ok));
    }
}

void TVedCustomTextFileEditor::SaveToFile(const std::string& given) {
    if (given.empty())
        return;
    platform::WaitCursor wait;
    namespace fs = std::filesystem;
    std::error_code ec;
    // through a link the file it points to is replaced, never the link itself
    std::string name = given;
    if (fs::is_symlink(given, ec)) {
        const fs::path real = fs::weakly_canonical(given, ec);
        if (!ec)
            name = real.string();
    }
    const bool exists = fs::exists(name, ec);
    // a file this user may not write stays as it is, even where the folder would allow
    // replacing it
    if (exists) {
        if (const int error = platform::WriteAccessError(name))
            throw std::system_error(error, std::generic_category(), name);
    }
    // the text goes to a temporary file first, so that a failed write loses nothing
    const std::string temp = name + ".~tmp";
    {
        errno = 0;
        std::FILE* out = std::fopen(temp.c_str(), "wb");
        if (!out)
            ThrowFileError(name);
        bool ok = true;
        const int32_t count = GetParaCount();
        for (int32_t p = 1; p <= count && ok; ++p) {
            int length;
            const char* text = List().ParaText(p, length);
            if (p == count && length == 0)
                break;
            ok = std::fwrite(text, 1, static_cast<size_t>(length), out) ==
                     static_cast<size_t>(length) &&
                 std::fwrite("\r\n", 1, 2, out) == 2;
        }
        ok = std::fflush(out) == 0 && ok;
        ok = ::fsync(fileno(out)) == 0 && ok;
        const int saved = errno;
        ok = std::fclose(out) == 0 && ok;
        if (!ok) {
            std::remove(temp.c_str());
            errno = saved ? saved : errno;
            ThrowFileError(name);
        }
    }
    if (exists) // the new file keeps the old one's permissions
        fs::permissions(temp, fs::status(name).permissions(), ec);
    std::string backup;
    if (makeBackup_ && exists) {
        backup = BackupName(name, backupExt_);
        if (backup != name) {
            fs::remove(backup, ec);
            fs::rename(name, backup, ec);
            if (ec) {
                fs::remove(temp, ec);
                throw std::system_error(ec, backup);
            }
        } else {
            backup.clear();
        }
    }
    fs::rename(temp, name, ec);
    if (ec) {
        const std::error_code failure = ec;
        if (!backup.empty()) // put the old file back where it was
            fs::rename(backup, name, ec);
        fs::remove(temp, ec);
        throw std::system_error(failure, name);
    }
    SetModified(false);
}

} // namespace ved
