// The production index file beside the table: tag definitions are read from it at open, and it
// is rewritten from the table's data whenever the tags change and at close.

#include "platform/dbf/dbfvalue.h"
#include "platform/dbf/mdxfile.h"
#include "platform/dbf/tdbfimpl.h"
#include "platform/shared/apperror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <array>

namespace {

constexpr qint64 kMaxIndexFileSize = qint64(64) << 20; // far above the two tags of any archive

} // namespace

void TDbf::Impl::loadTags()
{
    tags.clear();
    indexDirty = false;
    QFile file(indexFilePath());
    if (!file.exists() || file.size() > kMaxIndexFileSize || !file.open(QIODevice::ReadOnly))
        return;
    const std::optional<QList<MdxTagInfo>> found = readMdxTags(file.readAll());
    if (!found)
        return; // a damaged index file is ignored; the next change of the tags replaces it
    QList<DbfTag> loaded;
    for (const MdxTagInfo &info : *found) {
        const int field = layout.fieldIndex(info.expression);
        if (field < 0)
            return;
        const bool text = layout.fields[field].programType == TFieldType::ftString;
        if (info.keyType != (text ? 'C' : 'N'))
            return;
        loaded.append({info.name, field, info.descending});
    }
    tags = loaded;
    // The keys may be stale (the file may come from a crash); the tags are rebuilt from the
    // data, and the file is rewritten at the next change or at close.
    indexDirty = !tags.isEmpty();
}

void TDbf::Impl::flushIndexFile()
{
    if (!indexDirty || state == State::Inactive)
        return;
    const QString target = indexFilePath();
    if (tags.isEmpty()) {
        QFile::remove(target);
        indexDirty = false;
        return;
    }
    QList<MdxTagData> data;
    for (const DbfTag &tag : tags) {
        const DbfFieldLayout &f = layout.fields[tag.field];
        const bool text = f.programType == TFieldType::ftString;
        struct Entry
        {
            DbfKey key;
            int record;
            QByteArray bytes;
        };
        std::vector<Entry> entries;
        entries.reserve(size_t(physicalCount));
        std::array<char, 256> field; // a field is at most 255 bytes long
        for (int r = 1; r <= physicalCount; ++r) {
            readBytes(r, f.offset, f.length, field.data());
            const QByteArray raw(field.data(), f.length);
            entries.push_back(
                {keyOfField(tag, field.data()), r,
                 text ? raw
                      : mdxNumberKey(dbfIsBlank(raw.constData(), f.length) ? QByteArray("0")
                                                                           : raw)});
        }
        std::sort(entries.begin(), entries.end(), [&](const Entry &a, const Entry &b) {
            return keyLess(tag, a.key, a.record, b.key, b.record);
        });
        MdxTagData t;
        t.name = tag.name;
        t.expression = f.name;
        t.keyType = text ? 'C' : 'N';
        t.keyLength = text ? f.length : 12;
        t.descending = tag.descending;
        t.keys.reserve(entries.size());
        for (Entry &e : entries)
            t.keys.emplace_back(std::move(e.bytes), quint32(e.record));
        data.append(std::move(t));
    }
    // Written beside and renamed over the old file, so that a crash never leaves half a file.
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(buildMdx(QFileInfo(tableName).completeBaseName(), data, QDate::currentDate())) <
            0 ||
        !file.commit())
        throw AppError(QStringLiteral("Не удалось записать индексный файл «%1»: %2")
                           .arg(QDir::toNativeSeparators(target), file.errorString()));
    indexDirty = false;
}
