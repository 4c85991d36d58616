#include "platform/dbf/dbflayout.h"

#include "platform/shared/apperror.h"

#include <QSet>
#include <QTextCodec>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cstring>

namespace {

// The fixed 32-byte header, copied out once its size is known to be there.
using FixedHeader = std::array<char, kDbfHeaderSize>;

FixedHeader fixedHeader(const QByteArray &head)
{
    FixedHeader h{};
    std::memcpy(h.data(), head.constData(), std::min<size_t>(h.size(), size_t(head.size())));
    return h;
}

quint16 u16(const FixedHeader &h, int at)
{
    return qFromLittleEndian<quint16>(h.data() + at);
}

quint32 u32(const FixedHeader &h, int at)
{
    return qFromLittleEndian<quint32>(h.data() + at);
}

bool validFieldName(const QByteArray &name)
{
    if (name.isEmpty() || name.size() > 10)
        return false;
    for (char c : name) {
        const bool ok =
            (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
        if (!ok)
            return false;
    }
    return true;
}

[[noreturn]] void fail(const QString &reason)
{
    throw DbfFormatError{reason};
}

DbfFieldLayout parseDescriptor(const QByteArray &head, int at, int offset)
{
    const int number = (at - kDbfHeaderSize) / kDbfDescriptorSize + 1;
    QByteArray rawName = head.mid(at, 11);
    const int nul = rawName.indexOf('\0');
    if (nul < 0)
        fail(QStringLiteral("имя поля %1 не завершено нулевым байтом").arg(number));
    rawName.truncate(nul);
    if (!validFieldName(rawName))
        fail(QStringLiteral("недопустимое имя поля %1").arg(number));

    DbfFieldLayout f;
    f.name = QString::fromLatin1(rawName).toUpper();
    f.type = char(std::toupper(static_cast<unsigned char>(head[at + 11])));
    f.length = static_cast<unsigned char>(head[at + 16]);
    f.decimals = static_cast<unsigned char>(head[at + 17]);
    f.offset = offset;
    switch (f.type) {
    case 'C':
        f.decimals = 0; // some writers keep a high length byte here; this engine reads 1..255
        break;
    case 'N':
    case 'F':
        if (f.length > 20)
            fail(QStringLiteral("числовое поле %1 длиннее 20 знаков").arg(f.name));
        if (f.decimals > 0 && f.decimals > f.length - 2)
            fail(QStringLiteral("у поля %1 дробная часть не помещается в длину").arg(f.name));
        break;
    case 'D':
        if (f.length != 8)
            fail(QStringLiteral("поле даты %1 имеет длину %2").arg(f.name).arg(f.length));
        f.decimals = 0;
        break;
    case 'L':
        if (f.length != 1)
            fail(QStringLiteral("логическое поле %1 имеет длину %2").arg(f.name).arg(f.length));
        f.decimals = 0;
        break;
    case 'M':
        fail(QStringLiteral("поле %1 хранится в мемо-файле, такие таблицы не поддерживаются")
                 .arg(f.name));
    default:
        fail(QStringLiteral("поле %1 неизвестного типа").arg(f.name));
    }
    if (f.length == 0)
        fail(QStringLiteral("поле %1 имеет нулевую длину").arg(f.name));
    f.programType = dbfProgramType(f.type, f.length, f.decimals);
    return f;
}

} // namespace

int DbfLayout::fieldIndex(const QString &name) const
{
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

TFieldType dbfProgramType(char type, int length, int decimals)
{
    if (type == 'N' && decimals == 0) {
        if (length <= 4)
            return TFieldType::ftSmallint;
        if (length <= 9)
            return TFieldType::ftInteger;
        return TFieldType::ftFloat;
    }
    if (type == 'N' || type == 'F')
        return TFieldType::ftFloat;
    return TFieldType::ftString;
}

int dbfHeaderLengthOf(const QByteArray &first32)
{
    if (first32.size() < kDbfHeaderSize)
        fail(QStringLiteral("файл короче заголовка dBase"));
    return u16(fixedHeader(first32), 8);
}

DbfLayout parseDbfLayout(const QByteArray &head, qint64 fileSize)
{
    if (head.size() < kDbfHeaderSize || fileSize < kDbfHeaderSize)
        fail(QStringLiteral("файл короче заголовка dBase"));
    DbfLayout layout;
    layout.version = static_cast<unsigned char>(head[0]);
    // Level 3 (dBase III/IV) tables, with or without the memo bit; a memo field is refused
    // below since there is no memo file support.
    if ((layout.version & 0x07) != 0x03 || (layout.version & 0x70) != 0)
        fail(QStringLiteral("неизвестная версия файла (0x%1)")
                 .arg(layout.version, 2, 16, QLatin1Char('0')));
    const int month = static_cast<unsigned char>(head[2]);
    const int day = static_cast<unsigned char>(head[3]);
    if (month > 12 || day > 31)
        fail(QStringLiteral("неверная дата в заголовке"));
    const FixedHeader fixed = fixedHeader(head);
    layout.headerRecordCount = u32(fixed, 4);
    layout.headerLength = u16(fixed, 8);
    layout.recordLength = u16(fixed, 10);
    layout.languageDriver = static_cast<unsigned char>(head[29]);

    const int minHeader = kDbfHeaderSize + kDbfDescriptorSize + 1;
    if (layout.headerLength < minHeader)
        fail(QStringLiteral("длина заголовка %1 меньше допустимой").arg(layout.headerLength));
    if (layout.headerLength > fileSize)
        fail(QStringLiteral("длина заголовка %1 больше размера файла").arg(layout.headerLength));
    if (head.size() < layout.headerLength)
        fail(QStringLiteral("заголовок прочитан не полностью"));

    int at = kDbfHeaderSize;
    int offset = 1;
    QSet<QString> names;
    while (true) {
        if (at >= layout.headerLength)
            fail(QStringLiteral("нет завершающего байта описаний полей"));
        if (head[at] == '\r')
            break;
        if (at + kDbfDescriptorSize >= layout.headerLength)
            fail(QStringLiteral("описания полей не помещаются в заголовок"));
        if (layout.fields.size() == kDbfMaxFields)
            fail(QStringLiteral("больше %1 полей").arg(kDbfMaxFields));
        DbfFieldLayout f = parseDescriptor(head, at, offset);
        if (names.contains(f.name))
            fail(QStringLiteral("поле %1 описано дважды").arg(f.name));
        names.insert(f.name);
        offset += f.length;
        layout.fields.append(f);
        at += kDbfDescriptorSize;
    }
    if (layout.fields.isEmpty())
        fail(QStringLiteral("в таблице нет полей"));
    if (layout.recordLength != offset)
        fail(QStringLiteral("длина записи %1 не равна сумме длин полей %2")
                 .arg(layout.recordLength)
                 .arg(offset));
    return layout;
}

DbfLayout dbfLayoutFor(const QList<TFieldDef> &defs)
{
    if (defs.isEmpty())
        throw AppError(QStringLiteral("Нельзя создать таблицу без полей"));
    if (defs.size() > kDbfMaxFields)
        throw AppError(
            QStringLiteral("В таблице dBase IV не может быть больше %1 полей").arg(kDbfMaxFields));
    DbfLayout layout;
    layout.languageDriver = kDbfLanguageDriver1251;
    int offset = 1;
    QSet<QString> names;
    for (const TFieldDef &def : defs) {
        const QString name = def.name.toUpper();
        if (!validFieldName(name.toLatin1()) || !name.front().isLetter())
            throw AppError(QStringLiteral("Недопустимое имя поля «%1»").arg(def.name));
        if (names.contains(name))
            throw AppError(QStringLiteral("Поле «%1» описано дважды").arg(def.name));
        names.insert(name);
        DbfFieldLayout f;
        f.name = name;
        f.programType = def.type;
        f.offset = offset;
        switch (def.type) {
        case TFieldType::ftSmallint:
            f.type = 'N';
            f.length = 4;
            break;
        case TFieldType::ftInteger:
            f.type = 'N';
            f.length = 9;
            break;
        case TFieldType::ftFloat:
            f.type = 'N';
            f.length = 18;
            f.decimals = 9;
            break;
        case TFieldType::ftString:
            if (def.size < 1 || def.size > 254)
                throw AppError(QStringLiteral("Недопустимая длина %1 текстового поля «%2»")
                                   .arg(def.size)
                                   .arg(def.name));
            f.type = 'C';
            f.length = def.size;
            break;
        }
        offset += f.length;
        layout.fields.append(f);
    }
    if (offset > kDbfMaxRecordLength)
        throw AppError(QStringLiteral("Длина записи %1 больше допустимой для dBase IV (%2)")
                           .arg(offset)
                           .arg(kDbfMaxRecordLength));
    layout.recordLength = offset;
    layout.headerLength = kDbfHeaderSize + kDbfDescriptorSize * int(defs.size()) + 1;
    return layout;
}

QByteArray dbfHeaderCountBytes(quint32 recordCount, QDate date)
{
    QByteArray b(7, '\0');
    b[0] = char(qBound(0, date.year() - 1900, 255));
    b[1] = char(date.month());
    b[2] = char(date.day());
    qToLittleEndian<quint32>(recordCount, b.data() + 3);
    return b;
}

QByteArray dbfHeaderBytes(const DbfLayout &layout, quint32 recordCount, QDate date)
{
    QByteArray h(layout.headerLength, '\0');
    h[0] = char(layout.version);
    h.replace(1, 7, dbfHeaderCountBytes(recordCount, date));
    qToLittleEndian<quint16>(quint16(layout.headerLength), h.data() + 8);
    qToLittleEndian<quint16>(quint16(layout.recordLength), h.data() + 10);
    h[29] = char(layout.languageDriver);
    int at = kDbfHeaderSize;
    for (const DbfFieldLayout &f : layout.fields) {
        const QByteArray name = f.name.toLatin1();
        h.replace(at, name.size(), name);
        h[at + 11] = f.type;
        h[at + 16] = char(f.length);
        h[at + 17] = char(f.decimals);
        at += kDbfDescriptorSize;
    }
    h[at] = '\r';
    return h;
}

QTextCodec *dbfCodecFor(quint8 languageDriver)
{
    const char *name = nullptr;
    switch (languageDriver) {
    case 0x00: // no driver named: the program's own code page
    case 0xC9:
        name = "Windows-1251";
        break;
    case 0x26:
    case 0x65:
        name = "IBM866";
        break;
    case 0x03:
    case 0x57:
        name = "Windows-1252";
        break;
    case 0xC8:
        name = "Windows-1250";
        break;
    default:
        return nullptr;
    }
    return QTextCodec::codecForName(name);
}
