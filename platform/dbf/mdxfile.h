#pragma once

// The production index file in the dBase IV multiple-index layout: 1024-byte blocks, a tag
// table, and one B-tree per tag whose leaves list every record in the tag's order.

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <optional>
#include <vector>

struct MdxTagData
{
    QString name;       // at most 10 characters
    QString expression; // the field name
    char keyType = 'N'; // 'N' (12-byte BCD keys) or 'C' (the field's bytes)
    int keyLength = 12;
    bool descending = false;
    // Keys in the tag's order, each with its 1-based record number.
    std::vector<std::pair<QByteArray, quint32>> keys;
};

struct MdxTagInfo
{
    QString name;
    QString expression;
    char keyType = 'N';
    bool descending = false;
};

inline constexpr int kMdxBlock = 1024;
inline constexpr int kMdxPage = 512;
inline constexpr int kMdxMaxTags = 47;

// The whole index file for a table whose base name is given.
QByteArray buildMdx(const QString &tableBaseName, const QList<MdxTagData> &tags, QDate date);

// The tag definitions of an index file; nullopt when the file is not a sound index file.
std::optional<QList<MdxTagInfo>> readMdxTags(const QByteArray &file);

// The 12-byte dBase IV key of a number given as its decimal text ("12.5", "-3.25", "  7").
QByteArray mdxNumberKey(const QByteArray &decimalText);
