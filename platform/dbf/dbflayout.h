#pragma once

// The header and field descriptors of a dBase table: reading them from a file with every
// consistency check, and writing them for a new table.

#include "platform/dbf/tdbf.h"

#include <QByteArray>
#include <QDate>
#include <QList>

class QTextCodec;

struct DbfFieldLayout
{
    QString name;    // as stored, upper case
    char type = 'C'; // C, N, F, D or L
    int length = 0;
    int decimals = 0;
    int offset = 0; // from the start of the record (the deletion flag is byte 0)
    TFieldType programType = TFieldType::ftString;
};

struct DbfLayout
{
    quint8 version = 0x03;
    int headerLength = 0;
    int recordLength = 0;
    quint32 headerRecordCount = 0;
    quint8 languageDriver = 0;
    QList<DbfFieldLayout> fields;

    int fieldIndex(const QString &name) const; // case-insensitive; -1 when absent
};

inline constexpr int kDbfHeaderSize = 32;
inline constexpr int kDbfDescriptorSize = 32;
inline constexpr int kDbfMaxFields = 255;
inline constexpr int kDbfMaxRecordLength = 4000;
inline constexpr quint8 kDbfLanguageDriver1251 = 0xC9;
inline constexpr char kDbfEof = 0x1A;
inline constexpr char kDbfLive = ' ';
inline constexpr char kDbfDeleted = '*';

// Why a file is not a table this engine reads; the text is Russian and names the fault.
struct DbfFormatError
{
    QString reason;
};

// The program type a dBase field maps to: N without decimals up to 4 wide is 16-bit, up to 9 is
// 32-bit; N with decimals, wider N and F are doubles; C, D and L are text.
TFieldType dbfProgramType(char type, int length, int decimals);

// Parses the first bytes of a file (at least 32, ideally the whole header). Throws
// DbfFormatError for a header or descriptors that are inconsistent or not dBase.
DbfLayout parseDbfLayout(const QByteArray &head, qint64 fileSize);

// Header length a file needs before parseDbfLayout can check its descriptors.
int dbfHeaderLengthOf(const QByteArray &first32);

// Layout of a new table from field objects; throws AppError for definitions that cannot be a
// dBase IV table.
DbfLayout dbfLayoutFor(const QList<TFieldDef> &defs);

// The header bytes (header, descriptors, terminator) for a layout, with the given record count
// and date of last update.
QByteArray dbfHeaderBytes(const DbfLayout &layout, quint32 recordCount, QDate date);

// Bytes 1..7 of the header: date of last update and record count.
QByteArray dbfHeaderCountBytes(quint32 recordCount, QDate date);

// The code page a language-driver byte names; nullptr for an unknown byte.
QTextCodec *dbfCodecFor(quint8 languageDriver);
