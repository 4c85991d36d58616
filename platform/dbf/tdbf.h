#pragma once

// The dBase IV table component. This header is the contract the rest of the program codes
// against; the engine behind it lives in this folder.

#include "platform/dbf/dbfio.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>
#include <memory>

// Field object types as the program sees them.
enum class TFieldType { ftSmallint, ftInteger, ftFloat, ftString };

// One persistent field object: the program's view of a field, in file order.
struct TFieldDef
{
    QString name;          // upper case, at most 10 characters
    TFieldType type = TFieldType::ftString;
    int size = 0;          // text length for ftString; ignored otherwise
    QString displayFormat; // "0.0" on some numeric fields, else empty
};

class TDbf;

// A field of the current row. Reads and writes go to the table's row buffer; writes need the
// table in the Edit or Insert state. An empty field reads 0 as a number and "" as text.
class TField
{
public:
    const QString &FieldName() const { return m_def.name; }
    TFieldType DataType() const { return m_def.type; }
    const QString &DisplayFormat() const { return m_def.displayFormat; }
    int Index() const { return m_index; }
    int Length() const { return m_length; }   // dBase field length
    int Decimals() const { return m_decimals; }

    bool IsNull() const;
    qint32 AsInteger() const;
    double AsFloat() const;
    QString AsString() const;
    QDateTime AsDateTime() const;
    QVariant Value() const; // invalid QVariant when empty

    void SetAsInteger(qint32 value);
    void SetAsFloat(double value);
    void SetAsString(const QString &value);
    void SetAsDateTime(const QDateTime &value);
    void SetValue(const QVariant &value); // an invalid or null QVariant empties the field
    void Clear();

private:
    friend class TDbf;
    TField(TDbf *table, TFieldDef def, int index, int length, int decimals)
        : m_table(table), m_def(std::move(def)), m_index(index), m_length(length),
          m_decimals(decimals)
    {
    }

    TDbf *m_table;
    TFieldDef m_def;
    int m_index;
    int m_length;
    int m_decimals;
};

class TDbf : public QObject
{
    Q_OBJECT

public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit TDbf(QObject *parent = nullptr);
    ~TDbf() override;

    // Where the next open or create looks. FilePathFull() has a trailing separator.
    void SetFilePath(const QString &directory);
    QString FilePath() const;
    QString FilePathFull() const;
    void SetTableName(const QString &fileName); // file name with extension
    QString TableName() const;

    // The persistent field objects. When set, opening checks that the file has exactly these
    // fields with matching types; when empty, opening takes the file's own fields.
    void SetFieldDefs(const QList<TFieldDef> &defs);
    const QList<TFieldDef> &FieldDefs() const;

    // Writes a new empty table from the field objects (replacing any file of that name).
    void CreateTable();

    // Opening throws AppError for a missing, foreign, damaged or locked file or a field mismatch.
    // Closing writes all changes, flushes them to disk and releases the file.
    void SetActive(bool active);
    bool Active() const;
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }

    // "FIELD=NUMBER" or "" (every row). Any other text throws AppError. Takes effect at once.
    void SetFilter(const QString &expression);
    QString Filter() const;
    void Refresh();

    // Navigation over the rows that pass the filter, in the order of the active index.
    void First();
    void Next();
    void Prior();
    void Last();
    bool Eof() const;
    bool Bof() const;
    bool IsEmpty() const;

    int ExactRecordCount() const; // rows passing the filter, deleted rows excluded
    int RecordCount() const;      // same count
    int RecNo() const;            // physical record number of the current row (from 1), 0 if none
    bool GoToRecord(int recNo);   // make a physical record current; false if it is not visible

    State GetState() const;
    void Append(); // new row at the end, all fields empty; becomes current after Post
    void Edit();
    void Post();   // writes the row; the file stays readable by other dBase readers
    void Cancel();
    void Delete(); // marks the current row deleted

    int FieldCount() const;
    TField *Fields(int index) const;
    TField *FieldByName(const QString &name) const; // throws AppError if there is no such field
    TField *FindField(const QString &name) const;   // nullptr if there is no such field

    // On-demand access for views: the i-th visible row (from 0) without moving the cursor.
    int RecordAt(int visibleRow) const;       // physical record number
    int VisibleRowOf(int recNo) const;        // -1 when the record does not pass
    QVariant ValueAt(int recNo, int fieldIndex) const; // invalid QVariant when empty

    // Production index: the table's base name with the extension ".mdx".
    void AddIndex(const QString &tag, const QString &field, bool descending);
    void DeleteIndex(const QString &tag);
    void CloseIndexFile();
    void SetIndexName(const QString &tag); // "" for file order
    QString IndexName() const;
    QStringList IndexTags() const;
    void RegenerateIndexes();
    QString IndexFilePath() const;
    // Drops every tag and removes the index file; a missing file is no error. Works open or
    // closed: the archive's close calls it after Close().
    void DeleteIndexFile();

    // Where the table's file I/O goes; tests put a failing layer under it. Default: the disk.
    void SetIoFactory(DbfIoFactory factory);

signals:
    // The set or order of visible rows changed (open, close, filter, index, refresh, append,
    // delete): views re-read everything.
    void rowsReset();
    // One row's values changed (post of an edit).
    void rowChanged(int recNo);
    // The current row changed.
    void cursorMoved();

private:
    friend class TField;
    struct Impl;
    std::unique_ptr<Impl> d;
};
