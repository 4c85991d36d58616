#pragma once

#include "device/receive/receptionhost.h"
#include "device/receive/receptionprotocol.h"
#include "platform/commport/tcommportdriver.h"

#include <QObject>
#include <QTimer>
#include <functional>

// The reception without a window, for the command-line tool and the benchmark: the same
// protocol over a real serial port and timer, run in a local event loop. What the dialog would
// show is handed to the callbacks; the message that ends a refused reception is returned.
class HeadlessReception : public QObject, private ReceptionHost
{
    Q_OBJECT

public:
    struct Outcome
    {
        ReceptionResult result = ReceptionResult::Cancel;
        ReceptionMessage message;
    };

    explicit HeadlessReception(QObject *parent = nullptr);

    // Runs one reception to its end. Needs a Qt application object.
    Outcome run();

    std::function<void(const QString &text)> onStatus;
    std::function<void(const QString &type, const QString &version, const QString &recordCount)>
        onInformation;
    std::function<void(int percent)> onProgress;

private:
    void setPortName(const QString &name) override;
    void openPort() override;
    void closePort() override;
    void sendByte(char byte) override;
    void armTimer(int ms) override;
    void disarmTimer() override;
    void setStatus(const QString &text) override;
    void setInformation(const QString &type, const QString &version,
                        const QString &recordCount) override;
    void setProgress(int percent) override;
    void finish(ReceptionResult result, const ReceptionMessage &message) override;

    TCommPortDriver m_port;
    QTimer m_timer;
    ReceptionProtocol m_protocol;
    Outcome m_outcome;
    std::function<void()> m_quit;
};
