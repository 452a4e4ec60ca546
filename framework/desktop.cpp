#include "framework/desktop.h"

#include "platform/qt/ansi.h"

#include <limits>

void TDesktopWriter::WriteInteger(int32_t value) {
    data_ += "I " + QByteArray::number(value) + '\n';
}

void TDesktopWriter::WriteBoolean(bool value) {
    data_ += value ? "B 1\n" : "B 0\n";
}

void TDesktopWriter::WriteString(const QString& value) {
    WriteBytes(platform::QStringToAnsiBytes(value));
}

void TDesktopWriter::WriteBytes(const QByteArray& value) {
    data_ += "S " + QByteArray::number(value.size()) + ' ' + value + '\n';
}

void TDesktopWriter::BeginRecord() {
    openRecords_.push_back(data_.size());
}

void TDesktopWriter::EndRecord() {
    if (openRecords_.empty())
        throw EDesktopError(QStringLiteral("TDesktopWriter.EndRecord: kein Datensatz offen"));
    const qsizetype start = openRecords_.back();
    openRecords_.pop_back();
    const qsizetype length = data_.size() - start;
    data_.insert(start, "R " + QByteArray::number(length) + '\n');
}

const QByteArray& TDesktopWriter::Data() const {
    if (!openRecords_.empty())
        throw EDesktopError(QStringLiteral("TDesktopWriter: Datensatz nicht abgeschlossen"));
    return data_;
}

void TDesktopReader::Fail(const QString& what) const {
    throw EDesktopError(
        QStringLiteral("Desktop-Datei beschädigt bei Byte %1: %2").arg(pos_).arg(what));
}

char TDesktopReader::ReadTag() {
    if (pos_ + 2 > Limit())
        Fail(QStringLiteral("Ende des Datensatzes erreicht"));
    const char tag = data_[pos_];
    if (data_[pos_ + 1] != ' ')
        Fail(QStringLiteral("ungültiger Eintrag"));
    pos_ += 2;
    return tag;
}

qint64 TDesktopReader::ReadNumber(char terminator) {
    const qsizetype start = pos_;
    const qsizetype limit = Limit();
    while (pos_ < limit && data_[pos_] != terminator)
        ++pos_;
    if (pos_ >= limit || pos_ == start || pos_ - start > 11)
        Fail(QStringLiteral("Zahl erwartet"));
    bool ok = false;
    const qint64 value = data_.mid(start, pos_ - start).toLongLong(&ok);
    if (!ok)
        Fail(QStringLiteral("Zahl erwartet"));
    ++pos_; // terminator
    return value;
}

int32_t TDesktopReader::ReadInteger() {
    if (ReadTag() != 'I')
        Fail(QStringLiteral("Zahl erwartet"));
    const qint64 value = ReadNumber('\n');
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        Fail(QStringLiteral("Zahl außerhalb des Bereichs"));
    return static_cast<int32_t>(value);
}

bool TDesktopReader::ReadBoolean() {
    if (ReadTag() != 'B')
        Fail(QStringLiteral("Wahrheitswert erwartet"));
    const qint64 value = ReadNumber('\n');
    if (value != 0 && value != 1)
        Fail(QStringLiteral("Wahrheitswert erwartet"));
    return value == 1;
}

QByteArray TDesktopReader::ReadBytes() {
    if (ReadTag() != 'S')
        Fail(QStringLiteral("Text erwartet"));
    const qint64 length = ReadNumber(' ');
    if (length < 0 || length + 1 > Limit() - pos_ || data_[pos_ + length] != '\n')
        Fail(QStringLiteral("Textlänge ungültig"));
    const QByteArray value = data_.mid(pos_, length);
    pos_ += length + 1;
    return value;
}

QString TDesktopReader::ReadString() {
    return platform::AnsiToQString(ReadBytes());
}

void TDesktopReader::BeginRecord() {
    if (ReadTag() != 'R')
        Fail(QStringLiteral("Datensatz erwartet"));
    const qint64 length = ReadNumber('\n');
    if (length < 0 || length > Limit() - pos_)
        Fail(QStringLiteral("Datensatzlänge ungültig"));
    ends_.push_back(pos_ + length);
}

void TDesktopReader::EndRecord() {
    if (ends_.empty())
        Fail(QStringLiteral("kein Datensatz offen"));
    pos_ = ends_.back();
    ends_.pop_back();
}

void TDesktopReader::LeaveRecordsTo(int depth) {
    while (RecordDepth() > depth && depth >= 0)
        EndRecord();
}
