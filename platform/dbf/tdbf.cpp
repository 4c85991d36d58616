#include "platform/dbf/tdbf.h"

#include "platform/dbf/dbfvalue.h"
#include "platform/dbf/tdbfimpl.h"
#include "platform/shared/apperror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextCodec>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <climits>

namespace {

bool validTagName(const QString &tag)
{
    if (tag.isEmpty() || tag.size() > 10 || !tag.front().isLetter())
        return false;
    for (QChar c : tag)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('_'))
            return false;
    return true;
}

constexpr int kMaxTags = 47; // tag-table entries of a dBase IV multiple index file

} // namespace

// ---- paths and file ----

QString TDbf::Impl::path() const
{
    return QDir(directory.isEmpty() ? QStringLiteral(".") : directory).filePath(tableName);
}

QString TDbf::Impl::shownPath() const
{
    return QDir::toNativeSeparators(path());
}

qint64 TDbf::Impl::recordOffset(int record) const
{
    return qint64(layout.headerLength) + qint64(record - 1) * layout.recordLength;
}

void TDbf::Impl::readBytes(int record, int offset, int length, char *out) const
{
    const qint64 got = io->readAt(recordOffset(record) + offset, out, length);
    if (got != length)
        throw AppError(QStringLiteral("Не удалось прочитать запись %1 файла «%2»: %3")
                           .arg(record)
                           .arg(shownPath(),
                                got < 0 ? io->errorString() : QStringLiteral("файл стал короче")));
}

void TDbf::Impl::readRecord(int record, QByteArray &out) const
{
    out.resize(layout.recordLength);
    readBytes(record, 0, layout.recordLength, out.data());
}

void TDbf::Impl::writeAll(qint64 offset, const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 w = io->writeAt(offset + done, bytes.constData() + done, bytes.size() - done);
        if (w <= 0)
            throw AppError(QStringLiteral("Не удалось записать файл «%1»: %2")
                               .arg(shownPath(), w < 0 ? io->errorString()
                                                       : QStringLiteral("нет места на диске")));
        done += w;
    }
}

void TDbf::Impl::invalidateCache(int record) const
{
    CachedRecord &slot = cache[size_t(record) % cache.size()];
    if (slot.record == record)
        slot.record = 0;
}

void TDbf::Impl::open()
{
    if (tableName.isEmpty())
        throw AppError(QStringLiteral("Не задано имя файла таблицы"));
    io = ioFactory(path(), DbfOpenMode::Existing);
    try {
        const qint64 size = io->size();
        if (size < 0)
            throw AppError(QStringLiteral("Не удалось прочитать файл «%1»: %2")
                               .arg(shownPath(), io->errorString()));
        QByteArray head(int(std::min<qint64>(size, kDbfHeaderSize)), '\0');
        if (io->readAt(0, head.data(), head.size()) != head.size())
            throw AppError(QStringLiteral("Не удалось прочитать файл «%1»: %2")
                               .arg(shownPath(), io->errorString()));
        try {
            const int headerLength = dbfHeaderLengthOf(head);
            if (headerLength > head.size() && headerLength <= size) {
                head.resize(headerLength);
                if (io->readAt(0, head.data(), headerLength) != headerLength)
                    throw AppError(QStringLiteral("Не удалось прочитать заголовок файла «%1»: %2")
                                       .arg(shownPath(), io->errorString()));
            }
            layout = parseDbfLayout(head, size);
        } catch (const DbfFormatError &e) {
            throw AppError(
                QStringLiteral("Файл «%1» не является таблицей dBase IV или повреждён: %2")
                    .arg(shownPath(), e.reason));
        }
        codec = dbfCodecFor(layout.languageDriver);
        if (!codec)
            throw AppError(
                QStringLiteral("Файл «%1» записан в неизвестной кодировке (языковой драйвер 0x%2)")
                    .arg(shownPath())
                    .arg(layout.languageDriver, 2, 16, QLatin1Char('0')));
        // A file cut short (or whose count was never lowered) opens with the complete records
        // it holds; records beyond the header's count were never confirmed by a post.
        const qint64 complete = (size - layout.headerLength) / layout.recordLength;
        physicalCount = int(
            std::min<qint64>({qint64(layout.headerRecordCount), complete, qint64(INT_MAX - 1)}));
        bindFields();
        filterField = -1;
        if (filter) {
            filterField = layout.fieldIndex(filter->field);
            if (filterField < 0 || layout.fields[filterField].programType == TFieldType::ftString)
                throw AppError(QStringLiteral("Условие отбора «%1» не подходит к таблице «%2»")
                                   .arg(filterText, shownPath()));
        }
        for (auto &slot : cache)
            slot.record = 0;
        loadTags();
        if (!activeTag())
            indexName.clear();
        state = State::Browse;
    } catch (...) {
        io.reset();
        tags.clear();
        if (defs.isEmpty()) {
            fields.clear();
            fieldByName.clear();
        }
        fieldLayout.clear();
        throw;
    }
    rebuildVisible();
    moveTo(visible.empty() ? -1 : 0);
    bof = true;
    eof = visible.empty();
}

void TDbf::Impl::bindFields()
{
    fieldLayout.clear();
    if (defs.isEmpty()) {
        fields.clear();
        fieldByName.clear();
        for (int i = 0; i < layout.fields.size(); ++i) {
            const DbfFieldLayout &f = layout.fields[i];
            TFieldDef def{
                f.name, f.programType, f.programType == TFieldType::ftString ? f.length : 0, {}};
            fields.emplace_back(new TField(q, def, i, f.length, f.decimals));
            fieldLayout.push_back(i);
        }
        return;
    }
    if (defs.size() != layout.fields.size())
        throw AppError(QStringLiteral("В таблице «%1» %2 полей, программе нужно %3")
                           .arg(shownPath())
                           .arg(layout.fields.size())
                           .arg(defs.size()));
    for (int i = 0; i < defs.size(); ++i) {
        const int at = layout.fieldIndex(defs[i].name);
        if (at < 0)
            throw AppError(
                QStringLiteral("В таблице «%1» нет поля %2").arg(shownPath(), defs[i].name));
        if (layout.fields[at].programType != defs[i].type)
            throw AppError(
                QStringLiteral("Поле %1 таблицы «%2» другого типа").arg(defs[i].name, shownPath()));
        fields[size_t(i)]->m_length = layout.fields[at].length;
        fields[size_t(i)]->m_decimals = layout.fields[at].decimals;
        fieldLayout.push_back(at);
    }
}

void TDbf::Impl::close()
{
    if (state == State::Inactive)
        return;
    // An edit still in progress is dropped; posted rows are in the file already.
    state = State::Browse;
    QString failure;
    try {
        flushIndexFile();
    } catch (const AppError &e) {
        failure = e.text();
    }
    if (io->writable() && !io->sync() && failure.isEmpty())
        failure = QStringLiteral("Не удалось сохранить файл «%1» на диск: %2")
                      .arg(shownPath(), io->errorString());
    io.reset();
    state = State::Inactive;
    visible.clear();
    visibleRow.clear();
    cursor = -1;
    eof = bof = true;
    bufferRecord = 0;
    tags.clear();
    if (defs.isEmpty()) {
        fields.clear();
        fieldByName.clear();
    }
    fieldLayout.clear();
    emit q->rowsReset();
    if (!failure.isEmpty())
        throw AppError(failure);
}

void TDbf::Impl::create()
{
    if (tableName.isEmpty())
        throw AppError(QStringLiteral("Не задано имя файла таблицы"));
    const DbfLayout fresh = dbfLayoutFor(defs);
    std::unique_ptr<DbfIo> file = ioFactory(path(), DbfOpenMode::Create);
    std::swap(io, file);
    try {
        writeAll(0, dbfHeaderBytes(fresh, 0, QDate::currentDate()) + kDbfEof);
        if (!io->sync())
            throw AppError(QStringLiteral("Не удалось сохранить файл «%1» на диск: %2")
                               .arg(shownPath(), io->errorString()));
    } catch (...) {
        io.reset();
        QFile::remove(path());
        throw;
    }
    io.reset();
    QFile::remove(indexFilePath()); // a new table starts without an index file
}

// ---- rows ----

const DbfFieldLayout &TDbf::Impl::fieldOf(int programIndex) const
{
    return layout.fields[fieldLayout[size_t(programIndex)]];
}

void TDbf::Impl::loadCurrent() const
{
    if (state == State::Insert || state == State::Edit || cursor < 0)
        return;
    const int record = visible[size_t(cursor)];
    if (bufferRecord != record) {
        readRecord(record, buffer);
        bufferRecord = record;
    }
}

const char *TDbf::Impl::currentBytes() const
{
    if (state == State::Inactive)
        return nullptr;
    if (state == State::Insert || state == State::Edit)
        return buffer.constData();
    if (cursor < 0)
        return nullptr;
    loadCurrent();
    return buffer.constData();
}

char *TDbf::Impl::editableBytes()
{
    if (state != State::Insert && state != State::Edit)
        throw AppError(QStringLiteral("Таблица не в режиме редактирования"));
    return buffer.data();
}

bool TDbf::Impl::passes(char flag, const char *filterBytes) const
{
    if (flag == kDbfDeleted)
        return false;
    if (filterField < 0)
        return true;
    const DbfFieldLayout &f = layout.fields[filterField];
    return dbfParseNumber(filterBytes, f.length).value_or(0) == filter->value;
}

bool TDbf::Impl::recordPasses(const char *record) const
{
    return passes(record[0],
                  filterField < 0 ? nullptr : record + layout.fields[filterField].offset);
}

bool TDbf::Impl::recordPassesFromFile(int record) const
{
    char flag;
    if (filterField < 0) {
        readBytes(record, 0, 1, &flag);
        return passes(flag, nullptr);
    }
    // A field near the start of the record is read with the flag in one call.
    const DbfFieldLayout &f = layout.fields[filterField];
    std::array<char, 512> bytes;
    if (f.offset + f.length <= int(bytes.size())) {
        readBytes(record, 0, f.offset + f.length, bytes.data());
        return passes(bytes[0], bytes.data() + f.offset);
    }
    readBytes(record, 0, 1, &flag);
    readBytes(record, f.offset, f.length, bytes.data());
    return passes(flag, bytes.data());
}

DbfKey TDbf::Impl::keyOfField(const DbfTag &tag, const char *fieldBytes) const
{
    const DbfFieldLayout &f = layout.fields[tag.field];
    DbfKey key;
    if (f.programType == TFieldType::ftString)
        key.text = QByteArray(fieldBytes, f.length);
    else
        key.number = dbfParseNumber(fieldBytes, f.length).value_or(0);
    return key;
}

DbfKey TDbf::Impl::keyOfRecord(const DbfTag &tag, int record) const
{
    const DbfFieldLayout &f = layout.fields[tag.field];
    std::array<char, 256> bytes; // a field is at most 255 bytes long
    readBytes(record, f.offset, f.length, bytes.data());
    return keyOfField(tag, bytes.data());
}

bool TDbf::Impl::keyLess(const DbfTag &tag, const DbfKey &a, int ra, const DbfKey &b, int rb) const
{
    const bool text = layout.fields[tag.field].programType == TFieldType::ftString;
    const int c =
        text ? a.text.compare(b.text) : (a.number < b.number ? -1 : (a.number > b.number ? 1 : 0));
    if (c != 0)
        return tag.descending ? c > 0 : c < 0;
    return ra < rb; // equal keys keep file order either way
}

const DbfTag *TDbf::Impl::activeTag() const
{
    for (const DbfTag &t : tags)
        if (t.name.compare(indexName, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

void TDbf::Impl::rebuildVisible()
{
    visible.clear();
    for (int r = 1; r <= physicalCount; ++r)
        if (recordPassesFromFile(r))
            visible.push_back(r);
    if (const DbfTag *tag = activeTag()) {
        std::vector<std::pair<DbfKey, int>> keyed;
        keyed.reserve(visible.size());
        for (int r : visible)
            keyed.emplace_back(keyOfRecord(*tag, r), r);
        std::sort(keyed.begin(), keyed.end(), [&](const auto &a, const auto &b) {
            return keyLess(*tag, a.first, a.second, b.first, b.second);
        });
        for (size_t i = 0; i < keyed.size(); ++i)
            visible[i] = keyed[i].second;
    }
    rebuildVisibleRows(0);
}

void TDbf::Impl::rebuildVisibleRows(size_t from)
{
    visibleRow.resize(size_t(physicalCount) + 1, -1);
    if (from == 0)
        std::fill(visibleRow.begin(), visibleRow.end(), -1);
    for (size_t i = from; i < visible.size(); ++i)
        visibleRow[size_t(visible[i])] = int(i);
}

void TDbf::Impl::removeVisible(int record)
{
    if (record >= int(visibleRow.size()) || visibleRow[size_t(record)] < 0)
        return;
    const size_t at = size_t(visibleRow[size_t(record)]);
    visible.erase(visible.begin() + std::ptrdiff_t(at));
    visibleRow[size_t(record)] = -1;
    rebuildVisibleRows(at);
}

// Puts a posted record where it belongs among the visible rows. Only the rows after it change
// position, so appending in file order costs nothing per row.
void TDbf::Impl::placeRecord(int record, const char *bytes)
{
    removeVisible(record);
    if (!recordPasses(bytes)) {
        rebuildVisibleRows(visible.size());
        return;
    }
    std::vector<int>::iterator at;
    if (const DbfTag *tag = activeTag()) {
        const DbfKey key = keyOfField(*tag, bytes + layout.fields[tag->field].offset);
        at = std::partition_point(visible.begin(), visible.end(), [&](int other) {
            return keyLess(*tag, keyOfRecord(*tag, other), other, key, record);
        });
    } else {
        at = std::lower_bound(visible.begin(), visible.end(), record);
    }
    const size_t position = size_t(at - visible.begin());
    visible.insert(at, record);
    rebuildVisibleRows(position);
}

void TDbf::Impl::moveTo(int position)
{
    cursor = visible.empty() ? -1 : std::clamp(position, 0, int(visible.size()) - 1);
    bufferRecord = 0;
    emit q->cursorMoved();
}

void TDbf::Impl::requireActive() const
{
    if (state == State::Inactive)
        throw AppError(QStringLiteral("Таблица не открыта"));
}

void TDbf::Impl::checkBrowseMode()
{
    requireActive();
    if (state == State::Edit || state == State::Insert)
        q->Post();
}

QVariant TDbf::Impl::valueOf(const DbfFieldLayout &f, const char *record) const
{
    const char *p = record + f.offset;
    if (dbfIsBlank(p, f.length))
        return {};
    if (f.programType == TFieldType::ftString)
        return dbfDecodeText(p, f.length, codec);
    const std::optional<double> v = dbfParseNumber(p, f.length);
    if (!v)
        return {};
    if (f.programType == TFieldType::ftFloat)
        return *v;
    return int(std::llround(*v));
}

QString TDbf::Impl::indexFilePath() const
{
    const QString base = QFileInfo(tableName).completeBaseName();
    return QDir(directory.isEmpty() ? QStringLiteral(".") : directory)
        .filePath(base + QStringLiteral(".mdx"));
}

void TDbf::Impl::postInsert()
{
    // The record (with the end-of-file byte after it) first, then the count: a crash between
    // the two leaves the old count, and the file still opens with every confirmed row.
    const int record = physicalCount + 1;
    try {
        writeAll(recordOffset(record), buffer + kDbfEof);
        writeAll(1, dbfHeaderCountBytes(quint32(record), QDate::currentDate()));
    } catch (const AppError &) {
        // Take back what part of the row reached the file, so that readers that go by the
        // end of the file rather than the count do not meet half a record.
        if (io->truncate(recordOffset(record)))
            io->writeAt(recordOffset(record), &kDbfEof, 1);
        throw;
    }
    physicalCount = record;
    state = State::Browse;
    invalidateCache(record);
    indexDirty |= !tags.isEmpty();
    placeRecord(record, buffer.constData());
    const int row = q->VisibleRowOf(record);
    moveTo(row >= 0 ? row : cursor);
    bof = eof = false;
    emit q->rowsReset();
}

void TDbf::Impl::postEdit()
{
    const int record = bufferRecord;
    const int before = q->VisibleRowOf(record);
    try {
        writeAll(recordOffset(record), buffer);
    } catch (const AppError &) {
        // A row cut in the middle could hold a malformed field: put the old bytes back.
        io->writeAt(recordOffset(record), original.constData(), original.size());
        throw;
    }
    state = State::Browse;
    invalidateCache(record);
    // The date of the last write; the count stays. A failure here loses nothing.
    writeAll(1, dbfHeaderCountBytes(quint32(physicalCount), QDate::currentDate()));
    indexDirty |= !tags.isEmpty();
    placeRecord(record, buffer.constData());
    const int after = q->VisibleRowOf(record);
    moveTo(after >= 0 ? after : cursor);
    if (before == after)
        emit q->rowChanged(record);
    else
        emit q->rowsReset();
}

// ---- TDbf ----

TDbf::TDbf(QObject *parent) : QObject(parent), d(std::make_unique<Impl>(this)) {}

TDbf::~TDbf()
{
    blockSignals(true); // no view may call back into a table being destroyed
    try {
        d->close();
    } catch (const AppError &) {
        // nothing can be reported from a destructor; the posted rows are in the file already
    }
}

void TDbf::SetFilePath(const QString &directory)
{
    if (Active())
        throw AppError(QStringLiteral("Нельзя сменить папку открытой таблицы"));
    d->directory = directory;
}

QString TDbf::FilePath() const
{
    return d->directory;
}

QString TDbf::FilePathFull() const
{
    QString full = QDir(d->directory.isEmpty() ? QStringLiteral(".") : d->directory).absolutePath();
    if (!full.endsWith(QLatin1Char('/')))
        full += QLatin1Char('/');
    return full;
}

void TDbf::SetTableName(const QString &fileName)
{
    if (Active())
        throw AppError(QStringLiteral("Нельзя сменить имя открытой таблицы"));
    d->tableName = fileName;
}

QString TDbf::TableName() const
{
    return d->tableName;
}

void TDbf::SetFieldDefs(const QList<TFieldDef> &defs)
{
    if (Active())
        throw AppError(QStringLiteral("Нельзя сменить поля открытой таблицы"));
    d->defs = defs;
    d->fields.clear();
    d->fieldByName.clear();
    for (int i = 0; i < defs.size(); ++i) {
        const TFieldDef &def = defs[i];
        const int length = def.type == TFieldType::ftString     ? def.size
                           : def.type == TFieldType::ftSmallint ? 4
                           : def.type == TFieldType::ftInteger  ? 9
                                                                : 18;
        d->fields.emplace_back(
            new TField(this, def, i, length, def.type == TFieldType::ftFloat ? 9 : 0));
    }
}

const QList<TFieldDef> &TDbf::FieldDefs() const
{
    return d->defs;
}

void TDbf::CreateTable()
{
    if (Active())
        Close();
    d->create();
}

void TDbf::SetActive(bool active)
{
    if (active == Active())
        return;
    if (active) {
        d->open();
        emit rowsReset();
    } else {
        d->close();
    }
}

bool TDbf::Active() const
{
    return d->state != State::Inactive;
}

void TDbf::SetFilter(const QString &expression)
{
    std::optional<DbfFilter> parsed = parseDbfFilter(expression);
    int field = -1;
    if (Active()) {
        d->checkBrowseMode();
        if (parsed) {
            field = d->layout.fieldIndex(parsed->field);
            if (field < 0)
                throw AppError(QStringLiteral("Условие отбора «%1»: нет поля %2")
                                   .arg(expression, parsed->field));
            if (d->layout.fields[field].programType == TFieldType::ftString)
                throw AppError(QStringLiteral("Условие отбора «%1»: поле %2 не числовое")
                                   .arg(expression, parsed->field));
        }
    } else if (parsed && !d->defs.isEmpty()) {
        // Closed with field objects: the fields of the next open are known already.
        const auto def = std::find_if(d->defs.begin(), d->defs.end(), [&](const TFieldDef &f) {
            return f.name.compare(parsed->field, Qt::CaseInsensitive) == 0;
        });
        if (def == d->defs.end() || def->type == TFieldType::ftString)
            throw AppError(QStringLiteral("Условие отбора «%1»: нет числового поля %2")
                               .arg(expression, parsed->field));
    }
    d->filterText = expression;
    d->filter = parsed;
    if (!Active())
        return;
    d->filterField = field;
    d->rebuildVisible();
    d->moveTo(0);
    d->bof = true;
    d->eof = d->visible.empty();
    emit rowsReset();
}

QString TDbf::Filter() const
{
    return d->filterText;
}

void TDbf::Refresh()
{
    d->checkBrowseMode();
    const int keep = RecNo();
    d->rebuildVisible();
    const int row = VisibleRowOf(keep);
    d->moveTo(row < 0 ? 0 : row);
    d->bof = row <= 0;
    d->eof = d->visible.empty();
    emit rowsReset();
}

void TDbf::First()
{
    d->checkBrowseMode();
    d->moveTo(0);
    d->bof = true;
    d->eof = d->visible.empty();
}

void TDbf::Next()
{
    d->checkBrowseMode();
    if (d->cursor + 1 < int(d->visible.size())) {
        d->moveTo(d->cursor + 1);
        d->bof = false;
        d->eof = false;
    } else {
        d->eof = true;
    }
}

void TDbf::Prior()
{
    d->checkBrowseMode();
    if (d->cursor > 0) {
        d->moveTo(d->cursor - 1);
        d->bof = false;
        d->eof = false;
    } else {
        d->bof = true;
    }
}

void TDbf::Last()
{
    d->checkBrowseMode();
    d->moveTo(int(d->visible.size()) - 1);
    d->eof = true;
    d->bof = d->visible.empty();
}

bool TDbf::Eof() const
{
    return !Active() || d->eof;
}

bool TDbf::Bof() const
{
    return !Active() || d->bof;
}

bool TDbf::IsEmpty() const
{
    return !Active() || d->visible.empty();
}

int TDbf::ExactRecordCount() const
{
    return Active() ? int(d->visible.size()) : 0;
}

int TDbf::RecordCount() const
{
    return ExactRecordCount();
}

int TDbf::RecNo() const
{
    if (!Active() || d->state == State::Insert || d->cursor < 0)
        return 0;
    return d->visible[size_t(d->cursor)];
}

bool TDbf::GoToRecord(int recNo)
{
    const int row = VisibleRowOf(recNo);
    if (row < 0)
        return false;
    d->checkBrowseMode();
    const int again = VisibleRowOf(recNo); // a post may have moved it
    if (again < 0)
        return false;
    d->moveTo(again);
    d->bof = false;
    d->eof = false;
    return true;
}

TDbf::State TDbf::GetState() const
{
    return d->state;
}

void TDbf::Append()
{
    d->checkBrowseMode();
    d->buffer = QByteArray(d->layout.recordLength, ' ');
    d->bufferRecord = 0;
    d->state = State::Insert;
}

void TDbf::Edit()
{
    d->requireActive();
    if (d->state == State::Edit || d->state == State::Insert)
        return;
    if (d->cursor < 0)
        throw AppError(QStringLiteral("В таблице нет строки для изменения"));
    d->loadCurrent();
    d->original = d->buffer;
    d->state = State::Edit;
}

void TDbf::Post()
{
    d->requireActive();
    if (d->state == State::Insert)
        d->postInsert();
    else if (d->state == State::Edit)
        d->postEdit();
}

void TDbf::Cancel()
{
    if (d->state == State::Edit || d->state == State::Insert) {
        d->state = State::Browse;
        d->bufferRecord = 0;
        emit cursorMoved();
    }
}

void TDbf::Delete()
{
    d->requireActive();
    if (d->state == State::Insert) {
        Cancel();
        return;
    }
    Cancel();
    if (d->cursor < 0)
        throw AppError(QStringLiteral("В таблице нет строки для удаления"));
    const int record = d->visible[size_t(d->cursor)];
    d->writeAll(d->recordOffset(record), QByteArray(1, kDbfDeleted));
    d->writeAll(1, dbfHeaderCountBytes(quint32(d->physicalCount), QDate::currentDate()));
    d->invalidateCache(record);
    d->indexDirty |= !d->tags.isEmpty();
    const int position = d->cursor;
    d->removeVisible(record);
    d->moveTo(position);
    d->eof = d->visible.empty();
    emit rowsReset();
}

int TDbf::FieldCount() const
{
    return int(d->fields.size());
}

TField *TDbf::Fields(int index) const
{
    if (index < 0 || index >= FieldCount())
        throw AppError(QStringLiteral("Нет поля с номером %1").arg(index));
    return d->fields[size_t(index)].get();
}

TField *TDbf::FieldByName(const QString &name) const
{
    TField *f = FindField(name);
    if (!f)
        throw AppError(QStringLiteral("Поле %1 не найдено").arg(name));
    return f;
}

TField *TDbf::FindField(const QString &name) const
{
    if (size_t(d->fieldByName.size()) != d->fields.size()) {
        d->fieldByName.clear();
        for (const auto &f : d->fields)
            d->fieldByName.insert(f->FieldName().toUpper(), f.get());
    }
    return d->fieldByName.value(name.toUpper(), nullptr);
}

int TDbf::RecordAt(int visibleRow) const
{
    if (!Active() || visibleRow < 0 || visibleRow >= int(d->visible.size()))
        return 0;
    return d->visible[size_t(visibleRow)];
}

int TDbf::VisibleRowOf(int recNo) const
{
    if (!Active() || recNo < 1 || recNo >= int(d->visibleRow.size()))
        return -1;
    return d->visibleRow[size_t(recNo)];
}

QVariant TDbf::ValueAt(int recNo, int fieldIndex) const
{
    if (!Active() || recNo < 1 || recNo > d->physicalCount || fieldIndex < 0 ||
        fieldIndex >= FieldCount())
        return {};
    const DbfFieldLayout &f = d->fieldOf(fieldIndex);
    if (d->state == State::Edit && recNo == d->bufferRecord)
        return d->valueOf(f, d->buffer.constData());
    Impl::CachedRecord &slot = d->cache[size_t(recNo) % d->cache.size()];
    if (slot.record != recNo) {
        slot.record = 0;
        d->readRecord(recNo, slot.bytes);
        slot.record = recNo;
    }
    return d->valueOf(f, slot.bytes.constData());
}

// ---- index tags ----

void TDbf::AddIndex(const QString &tag, const QString &field, bool descending)
{
    d->checkBrowseMode();
    if (!validTagName(tag))
        throw AppError(QStringLiteral("Недопустимое имя индекса «%1»").arg(tag));
    const int at = d->layout.fieldIndex(field);
    if (at < 0)
        throw AppError(QStringLiteral("Индекс «%1»: поле %2 не найдено").arg(tag, field));
    DbfTag fresh{tag, at, descending};
    auto existing = std::find_if(d->tags.begin(), d->tags.end(), [&](const DbfTag &t) {
        return t.name.compare(tag, Qt::CaseInsensitive) == 0;
    });
    if (existing != d->tags.end()) {
        fresh.name = existing->name;
        *existing = fresh;
    } else {
        if (d->tags.size() >= kMaxTags)
            throw AppError(
                QStringLiteral("В индексном файле не может быть больше %1 индексов").arg(kMaxTags));
        d->tags.append(fresh);
    }
    d->indexDirty = true;
    d->flushIndexFile();
    if (d->activeTag() && d->activeTag()->name.compare(tag, Qt::CaseInsensitive) == 0)
        RegenerateIndexes();
}

void TDbf::DeleteIndex(const QString &tag)
{
    d->checkBrowseMode();
    const auto it = std::find_if(d->tags.begin(), d->tags.end(), [&](const DbfTag &t) {
        return t.name.compare(tag, Qt::CaseInsensitive) == 0;
    });
    if (it == d->tags.end())
        throw AppError(QStringLiteral("Индекс «%1» не найден").arg(tag));
    const bool wasActive = d->activeTag() == &*it;
    d->tags.erase(it);
    d->indexDirty = true;
    d->flushIndexFile();
    if (wasActive) {
        d->indexName.clear();
        Refresh();
    }
}

void TDbf::CloseIndexFile()
{
    d->checkBrowseMode();
    d->flushIndexFile();
    if (!d->indexName.isEmpty()) {
        d->indexName.clear();
        Refresh();
    }
}

void TDbf::SetIndexName(const QString &tag)
{
    if (!Active()) {
        d->indexName = tag;
        return;
    }
    d->checkBrowseMode();
    if (!tag.isEmpty() && std::none_of(d->tags.begin(), d->tags.end(), [&](const DbfTag &t) {
            return t.name.compare(tag, Qt::CaseInsensitive) == 0;
        }))
        throw AppError(QStringLiteral("Индекс «%1» не найден").arg(tag));
    if (tag.compare(d->indexName, Qt::CaseInsensitive) == 0) {
        d->indexName = tag;
        return;
    }
    d->indexName = tag;
    Refresh();
}

QString TDbf::IndexName() const
{
    return d->indexName;
}

QStringList TDbf::IndexTags() const
{
    QStringList names;
    for (const DbfTag &t : d->tags)
        names.append(t.name);
    return names;
}

void TDbf::RegenerateIndexes()
{
    d->checkBrowseMode();
    d->indexDirty |= !d->tags.isEmpty();
    d->flushIndexFile();
    Refresh();
}

QString TDbf::IndexFilePath() const
{
    return d->indexFilePath();
}

void TDbf::DeleteIndexFile()
{
    if (Active()) {
        d->checkBrowseMode();
        const bool ordered = !d->indexName.isEmpty();
        d->tags.clear();
        d->indexName.clear();
        d->indexDirty = false;
        if (ordered)
            Refresh();
    }
    QFile::remove(IndexFilePath());
}

void TDbf::SetIoFactory(DbfIoFactory factory)
{
    d->ioFactory = factory ? std::move(factory) : DbfIoFactory(openDbfFile);
}
