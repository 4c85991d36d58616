#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// lk7-sim run for one test: started with the given options, it serves on the pseudo-terminal
// whose path device() gives, and is ended when the object goes.
class Simulator
{
public:
    explicit Simulator(const QStringList &options);
    ~Simulator();

    // False when the simulator did not start or printed no device path.
    bool start();
    QString device() const { return m_device; }
    QString errors();

private:
    QProcess m_process;
    QStringList m_options;
    QString m_device;
};

QString lk7Program();

// A memory image of `records` test records with pseudo-random contents, announcing them in its
// first two bytes; written to path for lk7-sim --image.
QByteArray writeTestImage(const QString &path, int records, quint32 seed);
