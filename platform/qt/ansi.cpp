#include "platform/qt/ansi.h"

#include "platform/text.h"

namespace platform {

namespace {

template <typename Out> void appendAnsi(Out& out, const QString& text) {
    out.reserve(static_cast<decltype(out.size())>(text.size()));
    const QChar* chars = text.constData();
    const qsizetype length = text.size();
    for (qsizetype i = 0; i < length; ++i) {
        const QChar c = chars[i];
        if (c.isHighSurrogate() && i + 1 < length && chars[i + 1].isLowSurrogate()) {
            ++i; // a character outside the basic plane has no code
            out.push_back('?');
            continue;
        }
        auto byte = UnicodeToWindows1252(c.unicode());
        out.push_back(byte ? static_cast<char>(*byte) : '?');
    }
}

} // namespace

QString AnsiToQString(std::string_view text) {
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (char c : text)
        result.append(
            QChar(static_cast<char16_t>(Windows1252ToUnicode(static_cast<unsigned char>(c)))));
    return result;
}

QString AnsiToQString(const QByteArray& text) {
    return AnsiToQString(std::string_view(text.constData(), static_cast<size_t>(text.size())));
}

std::string QStringToAnsi(const QString& text) {
    std::string out;
    appendAnsi(out, text);
    return out;
}

QByteArray QStringToAnsiBytes(const QString& text) {
    QByteArray out;
    appendAnsi(out, text);
    return out;
}

bool IsAnsiCharacter(QChar character) {
    return HasWindows1252Code(character.unicode());
}

} // namespace platform
