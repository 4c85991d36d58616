#include "device/receive/headlessreception.h"

#include <QEventLoop>

HeadlessReception::HeadlessReception(QObject *parent) : QObject(parent), m_protocol(*this)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] { m_protocol.timeout(); });
    connect(&m_port, &TCommPortDriver::OnReceiveData, this,
            [this](const QByteArray &data) { m_protocol.deliver(data); });
}

HeadlessReception::Outcome HeadlessReception::run()
{
    QEventLoop loop;
    m_quit = [&loop] { loop.quit(); };
    m_protocol.start();
    if (m_protocol.isRunning())
        loop.exec();
    m_quit = nullptr;
    return m_outcome;
}

void HeadlessReception::setPortName(const QString &name)
{
    m_port.setPortName(name);
}

void HeadlessReception::openPort()
{
    m_port.open();
}

void HeadlessReception::closePort()
{
    m_port.close();
}

void HeadlessReception::sendByte(char byte)
{
    m_port.sendByte(byte);
}

void HeadlessReception::armTimer(int ms)
{
    m_timer.start(ms);
}

void HeadlessReception::disarmTimer()
{
    m_timer.stop();
}

void HeadlessReception::setStatus(const QString &text)
{
    if (onStatus)
        onStatus(text);
}

void HeadlessReception::setInformation(const QString &type, const QString &version,
                                       const QString &recordCount)
{
    if (onInformation)
        onInformation(type, version, recordCount);
}

void HeadlessReception::setProgress(int percent)
{
    if (onProgress)
        onProgress(percent);
}

void HeadlessReception::finish(ReceptionResult result, const ReceptionMessage &message)
{
    m_outcome = {result, message};
    if (m_quit)
        m_quit();
}
