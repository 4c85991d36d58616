#include "platform/dbf/dbfio.h"

#include "platform/shared/apperror.h"

#include <QDir>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class PosixDbfIo : public DbfIo
{
public:
    PosixDbfIo(int fd, bool writable) : m_fd(fd), m_writable(writable) {}
    ~PosixDbfIo() override { ::close(m_fd); } // closing the descriptor releases the lock

    qint64 size() const override
    {
        struct stat st;
        if (::fstat(m_fd, &st) != 0) {
            m_errno = errno;
            return -1;
        }
        return st.st_size;
    }

    qint64 readAt(qint64 offset, char *data, qint64 n) const override
    {
        qint64 done = 0;
        while (done < n) {
            const ssize_t r = ::pread(m_fd, data + done, size_t(n - done), off_t(offset + done));
            if (r < 0) {
                if (errno == EINTR)
                    continue;
                m_errno = errno;
                return -1;
            }
            if (r == 0)
                break;
            done += r;
        }
        return done;
    }

    qint64 writeAt(qint64 offset, const char *data, qint64 n) override
    {
        if (!m_writable) {
            m_errno = EROFS;
            return -1;
        }
        ssize_t w;
        do {
            w = ::pwrite(m_fd, data, size_t(n), off_t(offset));
        } while (w < 0 && errno == EINTR);
        if (w < 0)
            m_errno = errno;
        return w;
    }

    bool truncate(qint64 size) override
    {
        if (::ftruncate(m_fd, off_t(size)) == 0)
            return true;
        m_errno = errno;
        return false;
    }

    bool sync() override
    {
        if (::fsync(m_fd) == 0)
            return true;
        m_errno = errno;
        return false;
    }

    bool writable() const override { return m_writable; }
    QString errorString() const override { return dbfErrnoText(m_errno); }

private:
    int m_fd;
    bool m_writable;
    mutable int m_errno = 0;
};

} // namespace

QString dbfErrnoText(int error)
{
    switch (error) {
    case ENOSPC:
        return QStringLiteral("нет места на диске");
    case EDQUOT:
        return QStringLiteral("превышена квота диска");
    case EACCES:
    case EPERM:
        return QStringLiteral("нет доступа");
    case EROFS:
        return QStringLiteral("файл открыт только для чтения");
    case ENOENT:
        return QStringLiteral("файл не найден");
    case EIO:
        return QStringLiteral("ошибка ввода-вывода");
    case EISDIR:
        return QStringLiteral("это папка, а не файл");
    default:
        return QStringLiteral("системная ошибка %1 (%2)")
            .arg(error)
            .arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

std::unique_ptr<DbfIo> openDbfFile(const QString &path, DbfOpenMode mode)
{
    const QByteArray native = QFile::encodeName(QDir::toNativeSeparators(path));
    const QString shown = QDir::toNativeSeparators(path);
    bool writable = true;
    // Never O_TRUNC here: the file may be held by another program, and emptying it before the
    // lock is taken would destroy that program's data.
    int fd = ::open(native.constData(),
                    O_RDWR | O_CLOEXEC | (mode == DbfOpenMode::Create ? O_CREAT : 0), 0644);
    if (fd < 0 && mode == DbfOpenMode::Existing && (errno == EACCES || errno == EROFS)) {
        fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
        writable = false;
    }
    if (fd < 0) {
        const int e = errno;
        if (e == ENOENT)
            throw AppError(QStringLiteral("Файл «%1» не найден").arg(shown));
        throw AppError(
            QStringLiteral("Не удалось открыть файл «%1»: %2").arg(shown, dbfErrnoText(e)));
    }
    struct stat st;
    if (::fstat(fd, &st) == 0 && !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw AppError(QStringLiteral("«%1» не является файлом").arg(shown));
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int e = errno;
        ::close(fd);
        if (e == EWOULDBLOCK)
            throw AppError(QStringLiteral("Файл «%1» занят другой программой").arg(shown));
        throw AppError(
            QStringLiteral("Не удалось открыть файл «%1»: %2").arg(shown, dbfErrnoText(e)));
    }
    auto io = std::make_unique<PosixDbfIo>(fd, writable);
    if (mode == DbfOpenMode::Create && !io->truncate(0))
        throw AppError(
            QStringLiteral("Не удалось создать файл «%1»: %2").arg(shown, io->errorString()));
    return io;
}
