// libFuzzer target: an input is a table file, optionally followed by the separator below and
// the bytes of an index file beside it. Every error must come out as AppError; anything else
// (a crash, a sanitizer report, another exception) is a finding.

#include "platform/dbf/tdbf.h"
#include "platform/shared/apperror.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

const QByteArray kIndexSeparator("\n--MDX--\n");

// The index file goes to disk; on a memory file system its flushes cost nothing.
QTemporaryDir &directory()
{
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/fuzz_dbf-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/fuzz_dbf-XXXXXX"));
    return dir;
}

// The table file lives in memory, so that a run costs no disk writes or flushes.
class MemoryIo : public DbfIo
{
public:
    explicit MemoryIo(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    qint64 size() const override { return m_bytes.size(); }
    qint64 readAt(qint64 offset, char *data, qint64 n) const override
    {
        if (offset < 0 || n < 0)
            return -1;
        const qint64 got = std::max<qint64>(0, std::min<qint64>(n, m_bytes.size() - offset));
        if (got > 0)
            std::memcpy(data, m_bytes.constData() + offset, size_t(got));
        return got;
    }
    qint64 writeAt(qint64 offset, const char *data, qint64 n) override
    {
        if (offset < 0 || n < 0 || offset + n > (qint64(1) << 26))
            return -1;
        if (offset + n > m_bytes.size())
            m_bytes.resize(offset + n, '\0');
        std::memcpy(m_bytes.data() + offset, data, size_t(n));
        return n;
    }
    bool truncate(qint64 size) override
    {
        m_bytes.resize(size, '\0');
        return true;
    }
    bool sync() override { return true; }
    bool writable() const override { return true; }
    QString errorString() const override { return QStringLiteral("ошибка"); }

private:
    QByteArray m_bytes;
};

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

void exercise(TDbf &t)
{
    for (t.First(); !t.Eof(); t.Next())
        for (int i = 0; i < t.FieldCount(); ++i) {
            t.Fields(i)->Value();
            t.Fields(i)->AsString();
        }
    for (int row = 0; row < t.ExactRecordCount(); ++row)
        t.ValueAt(t.RecordAt(row), row % t.FieldCount());
    TField *first = t.Fields(0);
    try {
        t.SetFilter(first->FieldName() + QStringLiteral("=1"));
    } catch (const AppError &) {
    }
    t.AddIndex(QStringLiteral("tab1"), first->FieldName(), true);
    t.SetIndexName(QStringLiteral("tab1"));
    for (t.First(); !t.Eof(); t.Next())
        first->AsString();
    t.Append();
    first->SetAsString(QStringLiteral("7"));
    t.Post();
    t.Last();
    if (!t.IsEmpty())
        t.Delete();
    t.Refresh();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return directory().isValid() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype split = input.indexOf(kIndexSeparator);
    const QDir dir(directory().path());
    const QByteArray table = split < 0 ? input : input.left(split);
    if (split >= 0)
        writeFile(dir.filePath(QStringLiteral("f.mdx")), input.mid(split + kIndexSeparator.size()));
    else
        QFile::remove(dir.filePath(QStringLiteral("f.mdx")));

    TDbf t;
    t.SetIoFactory(
        [&table](const QString &, DbfOpenMode) { return std::make_unique<MemoryIo>(table); });
    t.SetFilePath(dir.path());
    t.SetTableName(QStringLiteral("f.db"));
    try {
        t.Open();
        exercise(t);
        t.Close();
    } catch (const AppError &) {
        // a clear error is a good outcome for a bad file
    }
    return 0;
}
