#pragma once

// Byte-level access to a table file. The engine does all its file I/O through this interface so
// that tests can put a short write or a full disk under it.

#include <QString>
#include <functional>
#include <memory>

class DbfIo
{
public:
    virtual ~DbfIo() = default;
    virtual qint64 size() const = 0;
    // Reads up to n bytes at offset; returns how many were read (fewer at the end), -1 on error.
    virtual qint64 readAt(qint64 offset, char *data, qint64 n) const = 0;
    // Writes up to n bytes at offset; returns how many were written, -1 on error.
    virtual qint64 writeAt(qint64 offset, const char *data, qint64 n) = 0;
    virtual bool truncate(qint64 size) = 0;
    virtual bool sync() = 0;
    virtual bool writable() const = 0;
    // The reason of the last failed call, in Russian.
    virtual QString errorString() const = 0;
};

enum class DbfOpenMode
{
    Existing, // the file must exist; opened for reading and writing (or reading when read-only)
    Create    // created or emptied
};

// Opens a file with an exclusive lock held until the object is destroyed. Throws AppError with a
// Russian text when the file is missing, locked by another program or cannot be opened.
using DbfIoFactory = std::function<std::unique_ptr<DbfIo>(const QString &path, DbfOpenMode mode)>;
std::unique_ptr<DbfIo> openDbfFile(const QString &path, DbfOpenMode mode);

// Russian text for an errno value, for messages the user sees.
QString dbfErrnoText(int error);
