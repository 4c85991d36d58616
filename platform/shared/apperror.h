#pragma once

#include <QString>
#include <exception>

// An error a command cannot go on from. It carries the text the user is shown; the command
// guard catches it at the handler's edge and shows it in a message box.
class AppError : public std::exception
{
public:
    explicit AppError(QString text) : m_text(std::move(text)), m_utf8(m_text.toUtf8()) {}
    const QString &text() const noexcept { return m_text; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_text;
    QByteArray m_utf8;
};
