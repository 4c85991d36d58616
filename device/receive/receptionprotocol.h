#pragma once

#include "device/receive/receptionhost.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// The reception's wire protocol, without any widget: the instrument is sought on COM1 then COM2
// with an identification request (V) and a 3000 ms time-out each, its identification frame is
// checked for the pull-off tester's type code, the memory request (N) follows and the data frame
// is decoded into DeviceImage. The owner forwards the four events (show, time-out, delivery,
// cancel); the protocol answers through its ReceptionHost.
//
// Frames are nibble characters 0x30-0x3F between S and P, two per byte, low nibble first; Z from
// the device restarts the identification. Everything received is checked before anything is
// decoded: a malformed frame ends the reception with Cancel and an error message, and
// DeviceImage is written only when a complete, valid data frame has arrived.
class ReceptionProtocol
{
public:
    static constexpr int RxBufferSize = 262144;
    static constexpr int MaxImageBytes = 65536;
    static constexpr int SearchTimeout = 3000; // ms per port
    static constexpr quint8 PullOffTesterType = 80;
    // Progress counting starts this many characters after the data frame's S.
    static constexpr int ProgressLead = 12;

    static constexpr char IdentificationRequest = 'V';
    static constexpr char MemoryRequest = 'N';
    static constexpr char FrameStart = 'S';
    static constexpr char FrameEnd = 'P';
    static constexpr char Restart = 'Z';

    enum class Phase
    {
        V,
        N
    };

    explicit ReceptionProtocol(ReceptionHost &host);

    // The dialog is shown: reset and seek the device on COM1.
    void start();
    // The search time-out has passed without an S.
    void timeout();
    // Bytes delivered by the serial component's poll.
    void deliver(const char *data, qsizetype count);
    void deliver(const QByteArray &data) { deliver(data.constData(), data.size()); }
    // "Отмена".
    void cancel();

    bool isRunning() const { return m_running; }
    Phase exchangePhase() const { return m_phase; }
    QString portName() const { return m_portName; }
    int rxCount() const { return m_rxCount; }
    bool frameStartSeen() const { return m_frameStartSeen; }
    bool frameEndSeen() const { return m_frameEndSeen; }
    bool progressReporting() const { return m_progressOn; }

    // The version text of an identification frame: the eight values in decimal, joined.
    static QString versionText(const quint8 *values);

private:
    struct Frame
    {
        int begin = 0; // first nibble character, just after S
        int end = 0;   // the P
        int bytes() const { return (end - begin) / 2; }
    };

    void seek(const QString &portName);
    void clearFrame();
    void restartOnZ();
    std::optional<Frame> completeFrame();
    QByteArray decode(const Frame &frame) const;
    int firstIndexOf(char marker) const;

    void identificationComplete();
    void dataProgress();
    void dataComplete();

    void fail(ReceptionMessage::Kind kind, const QString &text);
    void end(ReceptionResult result, const ReceptionMessage &message);

    ReceptionHost &m_host;
    std::vector<char> m_rxBuffer;
    int m_rxCount = 0;
    bool m_frameStartSeen = false;
    bool m_frameEndSeen = false;
    Phase m_phase = Phase::V;
    QString m_portName;
    bool m_running = false;

    bool m_progressOn = false;
    int m_dataStart = -1;       // index of the data frame's S, once found
    qint64 m_expectedChars = 0; // nibble characters the record count announces
};
