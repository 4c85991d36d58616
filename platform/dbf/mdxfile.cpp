#include "platform/dbf/mdxfile.h"

#include <QtEndian>
#include <algorithm>

namespace {

constexpr int kHeaderSize = 544;
constexpr int kTagEntrySize = 32;
constexpr int kFirstTagPage = 4; // the header and tag table fill pages 0..3

void put32(QByteArray &b, int at, quint32 v)
{
    qToLittleEndian<quint32>(v, b.data() + at);
}

void put16(QByteArray &b, int at, quint16 v)
{
    qToLittleEndian<quint16>(v, b.data() + at);
}

// Little-endian reads that yield 0 past the end of the bytes.
quint32 getLe(const QByteArray &b, qint64 at, int width)
{
    if (at < 0 || at + width > b.size())
        return 0;
    quint32 v = 0;
    for (int i = width - 1; i >= 0; --i)
        v = (v << 8) | quint8(b[at + i]);
    return v;
}

quint32 get32(const QByteArray &b, qint64 at)
{
    return getLe(b, at, 4);
}

quint16 get16(const QByteArray &b, qint64 at)
{
    return quint16(getLe(b, at, 2));
}

void putDate(QByteArray &b, int at, QDate date)
{
    b[at] = char(qBound(0, date.year() - 1900, 255));
    b[at + 1] = char(date.month());
    b[at + 2] = char(date.day());
}

int itemLength(int keyLength)
{
    return (keyLength + 4 + 3) / 4 * 4;
}

int maxKeys(int keyLength)
{
    return (kMdxBlock - 12) / itemLength(keyLength);
}

// Writes one tag's B-tree (leaves first, then each level above) into blocks appended to out;
// returns the root page and the first and last leaf pages.
struct TreePages
{
    quint32 root = 0, firstLeaf = 0, lastLeaf = 0;
};

TreePages writeTree(QByteArray &out, const MdxTagData &tag)
{
    const int item = itemLength(tag.keyLength);
    const int perNode = maxKeys(tag.keyLength);
    struct Node
    {
        quint32 page;
        QByteArray highKey;
    };
    auto newBlock = [&out]() {
        const quint32 page = quint32(out.size() / kMdxPage);
        out.append(QByteArray(kMdxBlock, '\0'));
        return page;
    };
    auto keyBytes = [&](const QByteArray &key) {
        return key.leftJustified(tag.keyLength, tag.keyType == 'C' ? ' ' : '\0', true);
    };

    std::vector<Node> level;
    TreePages pages;
    size_t i = 0;
    do { // an empty tag still has one empty leaf as its root
        const quint32 page = newBlock();
        const int at = int(page) * kMdxPage;
        const size_t n = std::min<size_t>(size_t(perNode), tag.keys.size() - i);
        put32(out, at, quint32(n));
        for (size_t k = 0; k < n; ++k) {
            const int it = at + 8 + int(k) * item;
            put32(out, it, tag.keys[i + k].second);
            out.replace(it + 4, tag.keyLength, keyBytes(tag.keys[i + k].first));
        }
        level.push_back({page, n ? keyBytes(tag.keys[i + n - 1].first) : QByteArray()});
        i += n;
    } while (i < tag.keys.size());
    pages.firstLeaf = level.front().page;
    pages.lastLeaf = level.back().page;

    // An interior node holds n separator keys (the highest key of each child) and n + 1
    // children, the last one after the n-th item.
    while (level.size() > 1) {
        std::vector<Node> parents;
        for (size_t c = 0; c < level.size();) {
            const size_t children = std::min<size_t>(size_t(perNode) + 1, level.size() - c);
            const quint32 page = newBlock();
            const int at = int(page) * kMdxPage;
            put32(out, at, quint32(children - 1));
            for (size_t k = 0; k + 1 < children; ++k) {
                const int it = at + 8 + int(k) * item;
                put32(out, it, level[c + k].page);
                out.replace(it + 4, tag.keyLength, level[c + k].highKey);
            }
            put32(out, at + 8 + int(children - 1) * item, level[c + children - 1].page);
            parents.push_back({page, level[c + children - 1].highKey});
            c += children;
        }
        level = std::move(parents);
    }
    pages.root = level.front().page;
    return pages;
}

} // namespace

QByteArray mdxNumberKey(const QByteArray &decimalText)
{
    QByteArray t = decimalText.trimmed();
    bool negative = false;
    if (t.startsWith('-') || t.startsWith('+')) {
        negative = t.startsWith('-');
        t.remove(0, 1);
    }
    const int point = t.indexOf('.');
    QByteArray whole = point < 0 ? t : t.left(point);
    QByteArray fraction = point < 0 ? QByteArray() : t.mid(point + 1);
    // The key is 0.d1d2d3... x 10^exponent: leading and trailing zeros do not count.
    QByteArray digits = whole + fraction;
    int exponent = int(whole.size());
    int lead = 0;
    while (lead < digits.size() && digits[lead] == '0')
        ++lead;
    digits.remove(0, lead);
    exponent -= lead;
    while (digits.endsWith('0'))
        digits.chop(1);
    QByteArray key(12, '\0');
    if (digits.isEmpty()) {
        key[0] = 0x34;
        key[1] = 0x01;
        return key;
    }
    digits.truncate(20);
    key[0] = char(0x34 + exponent);
    key[1] = char((digits.size() << 2) | 0x01 | (negative ? 0x80 : 0));
    for (int i = 0; i < digits.size(); ++i) {
        const int nibble = digits[i] - '0';
        key[2 + i / 2] = char(key[2 + i / 2] | (i % 2 == 0 ? nibble << 4 : nibble));
    }
    return key;
}

QByteArray buildMdx(const QString &tableBaseName, const QList<MdxTagData> &tags, QDate date)
{
    QByteArray out(kFirstTagPage * kMdxPage, '\0');
    out[0] = 2;
    putDate(out, 1, date);
    out.replace(4, 16, tableBaseName.toUpper().toLatin1().left(15).leftJustified(16, '\0', true));
    put16(out, 20, kMdxBlock / kMdxPage);
    put16(out, 22, kMdxBlock);
    out[24] = 1;
    out[25] = 0x30;
    out[26] = kTagEntrySize;
    put16(out, 28, quint16(tags.size()));
    out[30] = char(tags.size() + 1);
    out[31] = 0x1B;
    putDate(out, 44, date);

    for (int t = 0; t < tags.size(); ++t) {
        const MdxTagData &tag = tags[t];
        const quint32 headerPage = quint32(out.size() / kMdxPage);
        out.append(QByteArray(kMdxBlock, '\0'));
        const TreePages tree = writeTree(out, tag);
        const int h = int(headerPage) * kMdxPage;
        put32(out, h, tree.root);
        put32(out, h + 4, quint32(out.size() / kMdxPage) - headerPage);
        out[h + 8] = char(0x10 | (tag.descending ? 0x08 : 0));
        out[h + 9] = tag.keyType;
        out[h + 11] = 0x1B;
        put16(out, h + 12, quint16(tag.keyLength));
        put16(out, h + 14, quint16(maxKeys(tag.keyLength)));
        put16(out, h + 18, quint16(itemLength(tag.keyLength)));
        out[h + 20] = 1;
        const QByteArray expression = tag.expression.toUpper().toLatin1().left(219);
        out.replace(h + 24, expression.size(), expression);
        out[h + 246] = tag.keys.empty() ? 0 : 1;
        put32(out, h + 248, tree.firstLeaf);
        put32(out, h + 252, tree.lastLeaf);
        putDate(out, h + 257, date);
        out[h + 480] = 1;

        const int e = kHeaderSize + kTagEntrySize * t;
        put32(out, e, headerPage);
        out.replace(e + 4, 11,
                    tag.name.toUpper().toLatin1().left(10).leftJustified(11, '\0', true));
        out[e + 15] = 0x10;
        out[e + 19] = 0x02;
        out[e + 20] = tag.keyType;
    }
    // The tag table is also a binary search tree of the tag names.
    for (int t = 1; t < tags.size(); ++t) {
        const QString name = tags[t].name.toUpper();
        int node = 0;
        while (true) {
            const int e = kHeaderSize + kTagEntrySize * node;
            const bool right = name > tags[node].name.toUpper();
            const int link = e + (right ? 17 : 16);
            if (out[link] == 0) {
                out[link] = char(t + 1);
                out[kHeaderSize + kTagEntrySize * t + 18] = char(node + 1);
                break;
            }
            node = quint8(out[link]) - 1;
        }
    }
    put32(out, 32, quint32(out.size() / kMdxPage));
    return out;
}

std::optional<QList<MdxTagInfo>> readMdxTags(const QByteArray &file)
{
    if (file.size() < kFirstTagPage * kMdxPage || file.size() % kMdxPage != 0)
        return std::nullopt;
    if (file[0] != 2 || get16(file, 20) != kMdxBlock / kMdxPage || get16(file, 22) != kMdxBlock ||
        quint8(file[26]) != kTagEntrySize)
        return std::nullopt;
    const int count = get16(file, 28);
    if (count > kMdxMaxTags)
        return std::nullopt;
    QList<MdxTagInfo> tags;
    for (int t = 0; t < count; ++t) {
        const int e = kHeaderSize + kTagEntrySize * t;
        const qint64 h = qint64(get32(file, e)) * kMdxPage;
        if (h < kFirstTagPage * kMdxPage || h + kMdxBlock > file.size())
            return std::nullopt;
        MdxTagInfo info;
        const QByteArray name = file.mid(e + 4, 11);
        if (name.indexOf('\0') <= 0)
            return std::nullopt;
        info.name = QString::fromLatin1(name.left(name.indexOf('\0')));
        const QByteArray expression = file.mid(h + 24, 220);
        const int end = expression.indexOf('\0');
        if (end <= 0)
            return std::nullopt;
        info.expression = QString::fromLatin1(expression.left(end)).trimmed();
        info.keyType = file[h + 9];
        info.descending = (quint8(file[h + 8]) & 0x08) != 0;
        const quint32 root = get32(file, h);
        if (qint64(root) * kMdxPage + kMdxBlock > file.size() ||
            (info.keyType != 'N' && info.keyType != 'C'))
            return std::nullopt;
        tags.append(info);
    }
    return tags;
}
