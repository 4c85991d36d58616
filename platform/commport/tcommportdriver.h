#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

// The serial component of the reception: one port, opened by its program name ("\\.\COM1"),
// set to the instrument's line settings, polled every 50 ms while open. Each poll that finds
// bytes waiting hands all of them (at most the 4096-byte input buffer) to OnReceiveData.
// Line settings: 115200 baud, 8 data bits, no parity, one stop bit, no hardware or software
// flow control, RTS on, DTR off.
class TCommPortDriver : public QObject
{
    Q_OBJECT

public:
    static constexpr qint32 BaudRateValue = 115200;
    static constexpr int InBufSize = 4096;
    // Qt queues output without a fixed limit; the reception sends one byte at a time, far
    // below this size.
    static constexpr int OutBufSize = 4096;
    static constexpr int PollingDelay = 50;   // ms
    static constexpr int OutputTimeout = 500; // ms
    static constexpr int PacketSize = -1;     // no packet mode: a poll delivers what has arrived

    explicit TCommPortDriver(QObject *parent = nullptr);
    ~TCommPortDriver() override;

    QString portName() const { return m_portName; }
    // Ignored while the port is open: close it first.
    void setPortName(const QString &name);

    // Opens the port under its resolved device name. A port that is absent, busy or not
    // accessible stays closed; the result says whether it opened.
    bool open();
    // Nothing happens when the port is closed already.
    void close();
    bool isOpen() const { return m_port.isOpen(); }
    // The device the port name resolved to at the last open.
    QString systemPortName() const { return m_systemPortName; }

    // Sends one byte, waiting at most OutputTimeout for it to leave. Nothing is sent while the
    // port is closed; the result says whether the byte was written.
    bool sendByte(char byte);

signals:
    void OnReceiveData(const QByteArray &data);

private:
    void applyLineSettings();
    void poll();

    QString m_portName;
    QString m_systemPortName;
    QSerialPort m_port;
    QTimer m_pollTimer;
};
