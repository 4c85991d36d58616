#include "tests/support/simulator.h"

#include <QFile>
#include <QRandomGenerator>

Simulator::Simulator(const QStringList &options) : m_options(options) {}

Simulator::~Simulator()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool Simulator::start()
{
    m_process.start(QStringLiteral(LK7_BINARY_DIR "/tools/lk7-sim/lk7-sim"), m_options);
    if (!m_process.waitForStarted(10000))
        return false;
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(10000))
            return false;
    }
    m_device = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    return m_device.startsWith(QLatin1Char('/'));
}

QString Simulator::errors()
{
    return QString::fromLocal8Bit(m_process.readAllStandardError());
}

QString lk7Program()
{
    return QStringLiteral(LK7_BINARY_DIR "/cli/lk7");
}

QByteArray writeTestImage(const QString &path, int records, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray image(2 + 133 * records, '\0');
    for (int i = 2; i < image.size(); ++i)
        image[i] = char(random.bounded(256));
    image[0] = char(records & 0xFF);
    image[1] = char(records >> 8);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size())
        return {};
    return image;
}
