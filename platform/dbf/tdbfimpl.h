#pragma once

// The inner state of TDbf, shared by the table and its field objects.

#include "platform/dbf/dbffilter.h"
#include "platform/dbf/dbfio.h"
#include "platform/dbf/dbflayout.h"
#include "platform/dbf/tdbf.h"

#include <QByteArray>
#include <QHash>
#include <array>
#include <optional>
#include <vector>

class QTextCodec;

// An index tag: one field, ascending or descending. Its order is rebuilt from the data whenever
// it is needed, so a stale or damaged index file never changes what the table shows.
struct DbfTag
{
    QString name;
    int field = -1; // layout field index
    bool descending = false;
};

// Sort key of one record under a tag: numbers compare by value (blank is 0), text by its bytes.
struct DbfKey
{
    double number = 0;
    QByteArray text;
};

struct TDbf::Impl
{
    explicit Impl(TDbf *table) : q(table) {}

    TDbf *q;
    QString directory;
    QString tableName;
    QList<TFieldDef> defs;
    QString filterText;
    std::optional<DbfFilter> filter;
    int filterField = -1; // layout field index, -1 without filter
    DbfIoFactory ioFactory = openDbfFile;

    std::unique_ptr<DbfIo> io;
    DbfLayout layout;
    QTextCodec *codec = nullptr;
    int physicalCount = 0; // records the header counts that the file holds completely

    std::vector<int> visible;    // record numbers of the rows shown, in order
    std::vector<int> visibleRow; // record number -> position in visible, -1 when hidden
    int cursor = -1;
    bool eof = true;
    bool bof = true;

    State state = State::Inactive;
    mutable QByteArray buffer;    // the current row (or the row being appended)
    mutable int bufferRecord = 0; // record the buffer holds; 0 when not loaded
    QByteArray original;          // the row as it was when its edit began

    std::vector<std::unique_ptr<TField>> fields;  // program order
    std::vector<int> fieldLayout;                 // program field -> layout field
    mutable QHash<QString, TField *> fieldByName; // upper-case name; filled on first lookup

    QList<DbfTag> tags;
    QString indexName;
    bool indexDirty = false;

    // Records read for ValueAt, so that a view painting a screen reads each row once.
    struct CachedRecord
    {
        int record = 0;
        QByteArray bytes;
    };
    mutable std::array<CachedRecord, 64> cache;

    QString path() const;
    QString shownPath() const;
    void open();
    void close();
    void create();

    qint64 recordOffset(int record) const;
    void readRecord(int record, QByteArray &out) const;
    void readBytes(int record, int offset, int length, char *out) const;
    void writeAll(qint64 offset, const QByteArray &bytes);
    void invalidateCache(int record) const;

    const DbfFieldLayout &fieldOf(int programIndex) const;
    const char *currentBytes() const; // the current row; nullptr when there is none
    char *editableBytes();
    void loadCurrent() const;

    bool passes(char flag, const char *filterBytes) const; // deletion mark and filter
    bool recordPasses(const char *record) const;
    bool recordPassesFromFile(int record) const;
    DbfKey keyOfField(const DbfTag &tag, const char *fieldBytes) const;
    DbfKey keyOfRecord(const DbfTag &tag, int record) const;
    bool keyLess(const DbfTag &tag, const DbfKey &a, int ra, const DbfKey &b, int rb) const;
    const DbfTag *activeTag() const;

    void rebuildVisible();
    void rebuildVisibleRows(size_t from);            // positions of visible[from...]
    void placeRecord(int record, const char *bytes); // after a post: into visible, at its place
    void removeVisible(int record);
    void moveTo(int position);
    void checkBrowseMode();
    void postInsert();
    void postEdit();
    void requireActive() const;
    void bindFields();
    QVariant valueOf(const DbfFieldLayout &f, const char *record) const;

    QString indexFilePath() const;
    void loadTags();       // tag definitions of an index file beside the table, if it is sound
    void flushIndexFile(); // writes the index file when the tags or the rows changed
};
