// Value encoding of the desktop file: typed values and length-framed records, so that a reader
// can step over a record it cannot use and go on with the next one.
//
// Every value is one line of Windows-1252 text:
//   I <decimal>\n                  integer
//   B 0|1\n                        Boolean
//   S <byte count> <bytes>\n       string (any bytes, newlines included)
//   R <byte count>\n<content>      record: the content is the following byte count
#pragma once

#include "framework/model.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

class EDesktopError : public EFrameworkError {
public:
    using EFrameworkError::EFrameworkError;
};

class TDesktopWriter {
public:
    void WriteInteger(int32_t value);
    void WriteBoolean(bool value);
    // Stored as Windows-1252; characters without a code become "?".
    void WriteString(const QString& value);
    void WriteBytes(const QByteArray& value);
    // Frames everything written until the matching EndRecord.
    void BeginRecord();
    void EndRecord();

    // The encoded values; all records must be closed.
    const QByteArray& Data() const;

private:
    QByteArray data_;
    std::vector<qsizetype> openRecords_;
};

// Reading past the end of the current record, or a value of another type, raises EDesktopError.
class TDesktopReader {
public:
    explicit TDesktopReader(QByteArray data) : data_(std::move(data)) {}

    int32_t ReadInteger();
    bool ReadBoolean();
    QString ReadString();
    QByteArray ReadBytes();
    // Enters the next record; its end then bounds every read.
    void BeginRecord();
    // Leaves the current record, skipping whatever of it was not read.
    void EndRecord();
    // Leaves every record entered after the given depth (used after a failed record).
    void LeaveRecordsTo(int depth);
    int RecordDepth() const { return static_cast<int>(ends_.size()); }

    // True when the current record (or the whole data) has no further value.
    bool AtEnd() const { return pos_ >= Limit(); }

private:
    qsizetype Limit() const { return ends_.empty() ? data_.size() : ends_.back(); }
    [[noreturn]] void Fail(const QString& what) const;
    char ReadTag();
    qint64 ReadNumber(char terminator);

    QByteArray data_;
    qsizetype pos_ = 0;
    std::vector<qsizetype> ends_;
};
