#include "device/receive/receptionprotocol.h"

#include "device/receive/receptionmessages.h"
#include "platform/commport/portnames.h"
#include "platform/shared/sharedstate.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int IdentificationBytes = 16;
constexpr int DeviceRecordBytes = 133;

bool isNibble(char c)
{
    return (static_cast<unsigned char>(c) & 0xF0) == 0x30;
}

quint8 nibblePair(const char *chars)
{
    return quint8((chars[0] - 0x30) | ((chars[1] - 0x30) << 4));
}

QString badCharacter(char c)
{
    const QString hex = QString::number(static_cast<unsigned char>(c), 16).toUpper();
    return ReceptionText::BadCharacter.arg(hex.rightJustified(2, QLatin1Char('0')));
}

} // namespace

ReceptionProtocol::ReceptionProtocol(ReceptionHost &host)
    : m_host(host), m_rxBuffer(RxBufferSize), m_portName(Com1PortName)
{}

QString ReceptionProtocol::versionText(const quint8 *values)
{
    QString text;
    for (int i = 0; i < 8; ++i)
        text += QString::number(values[i]);
    return text;
}

void ReceptionProtocol::start()
{
    m_running = true;
    m_portName = Com1PortName;
    m_host.setPortName(m_portName);
    clearFrame();
    m_host.setProgress(0);
    m_host.setInformation({}, {}, {});
    m_host.setStatus(ReceptionText::Waiting);
    m_host.openPort();
    m_phase = Phase::V;
    m_host.sendByte(IdentificationRequest);
    m_host.armTimer(SearchTimeout);
}

void ReceptionProtocol::timeout()
{
    if (!m_running)
        return;
    m_host.disarmTimer();
    if (m_portName == Com1PortName) {
        seek(Com2PortName);
        return;
    }
    m_host.closePort();
    m_portName = Com1PortName;
    m_host.setPortName(m_portName);
    clearFrame();
    m_host.setProgress(0);
    end(ReceptionResult::Cancel, {ReceptionMessage::Kind::ErrorBox, ReceptionText::NotFound});
}

void ReceptionProtocol::seek(const QString &portName)
{
    m_host.closePort();
    m_portName = portName;
    m_host.setPortName(m_portName);
    m_host.openPort();
    clearFrame();
    m_host.setProgress(0);
    m_phase = Phase::V;
    m_host.sendByte(IdentificationRequest);
    m_host.armTimer(SearchTimeout);
}

void ReceptionProtocol::cancel()
{
    if (!m_running)
        return;
    m_host.closePort();
    clearFrame();
    m_host.setProgress(0);
    end(ReceptionResult::Cancel, {});
}

void ReceptionProtocol::clearFrame()
{
    m_frameStartSeen = false;
    m_frameEndSeen = false;
    m_rxCount = 0;
    m_progressOn = false;
    m_dataStart = -1;
    m_expectedChars = 0;
}

void ReceptionProtocol::deliver(const char *data, qsizetype count)
{
    if (!m_running || count <= 0)
        return;
    if (count > RxBufferSize - m_rxCount) {
        fail(ReceptionMessage::Kind::ErrorDialog, ReceptionText::Overrun);
        return;
    }
    std::memcpy(m_rxBuffer.data() + m_rxCount, data, size_t(count));
    for (qsizetype i = 0; i < count; ++i) {
        switch (data[i]) {
        case FrameEnd:
            m_frameEndSeen = true;
            break;
        case FrameStart:
            m_frameStartSeen = true;
            m_host.disarmTimer();
            break;
        case Restart:
            restartOnZ();
            return;
        default:
            break;
        }
    }
    m_rxCount += int(count);

    if (m_phase == Phase::V && m_frameEndSeen)
        identificationComplete();
    if (m_running && m_phase == Phase::N && m_frameStartSeen)
        dataProgress();
    if (m_running && m_phase == Phase::N && m_frameEndSeen)
        dataComplete();
}

// The rest of the delivery is dropped. The frame flags are cleared too: a P that came before
// the Z in the same delivery must not complete the frame that the new V asks for.
void ReceptionProtocol::restartOnZ()
{
    m_host.disarmTimer();
    m_phase = Phase::V;
    clearFrame();
    m_host.sendByte(IdentificationRequest);
}

int ReceptionProtocol::firstIndexOf(char marker) const
{
    const void *found = std::memchr(m_rxBuffer.data(), marker, size_t(m_rxCount));
    return found ? int(static_cast<const char *>(found) - m_rxBuffer.data()) : -1;
}

// The frame from the first S to the first P, when it is well formed; otherwise the reception
// has been ended with the reason.
std::optional<ReceptionProtocol::Frame> ReceptionProtocol::completeFrame()
{
    const int start = firstIndexOf(FrameStart);
    const int stop = firstIndexOf(FrameEnd);
    if (start < 0 || stop < start) {
        fail(ReceptionMessage::Kind::ErrorDialog, ReceptionText::EndWithoutStart);
        return std::nullopt;
    }
    const Frame frame{start + 1, stop};
    const int chars = frame.end - frame.begin;
    QString problem;
    if (chars == 0)
        problem = ReceptionText::EmptyFrame;
    else if (m_phase == Phase::N && chars > 2 * MaxImageBytes)
        problem = ReceptionText::Oversize;
    else if (chars % 2 != 0)
        problem = ReceptionText::OddLength;
    else {
        const char *begin = m_rxBuffer.data() + frame.begin;
        const char *bad = std::find_if_not(begin, begin + chars, isNibble);
        if (bad != begin + chars)
            problem = badCharacter(*bad);
    }
    if (!problem.isEmpty()) {
        fail(ReceptionMessage::Kind::ErrorDialog, problem);
        return std::nullopt;
    }
    return frame;
}

QByteArray ReceptionProtocol::decode(const Frame &frame) const
{
    QByteArray bytes(frame.bytes(), '\0');
    const char *chars = m_rxBuffer.data() + frame.begin;
    for (int k = 0; k < bytes.size(); ++k)
        bytes[k] = char(nibblePair(chars + 2 * k));
    return bytes;
}

void ReceptionProtocol::identificationComplete()
{
    const std::optional<Frame> frame = completeFrame();
    if (!frame)
        return;
    if (frame->bytes() < IdentificationBytes) {
        fail(ReceptionMessage::Kind::ErrorDialog, ReceptionText::ShortIdentification);
        return;
    }
    const QByteArray bytes = decode(*frame);
    const auto *b = reinterpret_cast<const quint8 *>(bytes.constData());
    DeviceTypeCode = b[1];
    if (DeviceTypeCode != PullOffTesterType) {
        fail(ReceptionMessage::Kind::ErrorDialog, ReceptionText::WrongDevice);
        return;
    }
    const int recordCount = b[14] | (b[15] << 8);
    m_host.setInformation(ReceptionText::DeviceName, versionText(b + 2),
                          QString::number(recordCount));
    m_frameStartSeen = false;
    m_frameEndSeen = false;
    m_phase = Phase::N;
    m_host.setStatus(ReceptionText::Receiving);
    m_progressOn = false;
    m_dataStart = -1;
    m_host.sendByte(MemoryRequest);
    m_rxCount = 0;
}

void ReceptionProtocol::dataProgress()
{
    if (m_dataStart < 0)
        m_dataStart = firstIndexOf(FrameStart);
    const int stop = m_frameEndSeen ? firstIndexOf(FrameEnd) : -1;
    const int frameChars = (stop > m_dataStart ? stop : m_rxCount) - m_dataStart - 1;
    if (frameChars > 2 * MaxImageBytes) {
        fail(ReceptionMessage::Kind::ErrorDialog, ReceptionText::Oversize);
        return;
    }
    if (!m_progressOn) {
        if (frameChars <= ProgressLead)
            return;
        const char *count = m_rxBuffer.data() + m_dataStart + 1;
        const char *bad = std::find_if_not(count, count + 4, isNibble);
        if (bad != count + 4) {
            fail(ReceptionMessage::Kind::ErrorDialog, badCharacter(*bad));
            return;
        }
        const int records = nibblePair(count) | (nibblePair(count + 2) << 8);
        if (records == 0) {
            fail(ReceptionMessage::Kind::ErrorDialog, ReceptionText::NoData);
            return;
        }
        m_expectedChars = 2 * (2 + qint64(DeviceRecordBytes) * records);
        m_progressOn = true;
    }
    const qint64 counted = frameChars - ProgressLead;
    const qint64 total = m_expectedChars - ProgressLead;
    m_host.setProgress(int(std::min<qint64>(100, counted * 100 / total)));
}

void ReceptionProtocol::dataComplete()
{
    const std::optional<Frame> frame = completeFrame();
    if (!frame)
        return;
    const QByteArray bytes = decode(*frame);
    if (bytes.size() < 2 || (quint8(bytes[0]) | (quint8(bytes[1]) << 8)) == 0) {
        fail(ReceptionMessage::Kind::ErrorDialog, ReceptionText::NoData);
        return;
    }
    m_host.closePort();
    m_host.setProgress(100);
    m_frameStartSeen = false;
    m_frameEndSeen = false;
    std::copy(bytes.cbegin(), bytes.cend(), DeviceImage.begin());
    DeviceImageDecoded = int(bytes.size());
    end(ReceptionResult::Ok, {});
}

void ReceptionProtocol::fail(ReceptionMessage::Kind kind, const QString &text)
{
    m_host.closePort();
    clearFrame();
    end(ReceptionResult::Cancel, {kind, text});
}

void ReceptionProtocol::end(ReceptionResult result, const ReceptionMessage &message)
{
    m_running = false;
    m_host.disarmTimer();
    m_host.finish(result, message);
}
