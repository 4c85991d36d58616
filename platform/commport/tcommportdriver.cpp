#include "platform/commport/tcommportdriver.h"

#include "platform/commport/portnames.h"

TCommPortDriver::TCommPortDriver(QObject *parent) : QObject(parent), m_portName(Com1PortName)
{
    m_pollTimer.setInterval(PollingDelay);
    m_pollTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_pollTimer, &QTimer::timeout, this, &TCommPortDriver::poll);
}

TCommPortDriver::~TCommPortDriver()
{
    close();
}

void TCommPortDriver::setPortName(const QString &name)
{
    if (!isOpen())
        m_portName = name;
}

bool TCommPortDriver::open()
{
    if (isOpen())
        return true;
    m_systemPortName = resolvePortName(m_portName);
    m_port.setPortName(m_systemPortName);
    // Bytes beyond the input buffer stay in the system's queue until the next poll.
    m_port.setReadBufferSize(InBufSize);
    if (!m_port.open(QIODevice::ReadWrite))
        return false;
    applyLineSettings();
    // Whatever arrived before the port was opened answers no request of ours.
    m_port.clear(QSerialPort::AllDirections);
    m_port.clearError();
    m_pollTimer.start();
    return true;
}

void TCommPortDriver::applyLineSettings()
{
    m_port.setBaudRate(BaudRateValue);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    // Pseudo-terminals refuse the modem lines; the instrument does not need them there.
    m_port.setDataTerminalReady(false);
    m_port.setRequestToSend(true);
    m_port.clearError();
}

void TCommPortDriver::close()
{
    m_pollTimer.stop();
    if (m_port.isOpen())
        m_port.close();
}

bool TCommPortDriver::sendByte(char byte)
{
    if (!isOpen())
        return false;
    if (m_port.write(&byte, 1) != 1)
        return false;
    return m_port.waitForBytesWritten(OutputTimeout) || m_port.bytesToWrite() == 0;
}

void TCommPortDriver::poll()
{
    if (!m_port.isOpen())
        return;
    const QByteArray data = m_port.read(InBufSize);
    if (!data.isEmpty())
        emit OnReceiveData(data);
}
