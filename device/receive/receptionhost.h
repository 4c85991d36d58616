#pragma once

#include <QString>

// How a reception ended; the values are the dialog's modal results.
enum class ReceptionResult
{
    Ok = 1,
    Cancel = 2
};

// What the user is shown when a reception ends with Cancel.
struct ReceptionMessage
{
    enum class Kind
    {
        None,        // nothing: the user cancelled
        ErrorBox,    // message box, caption "Ошибка", error icon, OK button
        ErrorDialog, // message dialog of error type, OK button
    };
    Kind kind = Kind::None;
    QString text;
};

// The serial port, the search time-out and the display that ReceptionProtocol drives. The
// reception dialog implements it with its components; the command-line reception without a
// window; tests record the calls.
class ReceptionHost
{
public:
    virtual ~ReceptionHost() = default;

    // Port names are the program's names ("\\.\COM1", "\\.\COM2"). A port that cannot be opened
    // stays closed; sending on a closed port does nothing.
    virtual void setPortName(const QString &name) = 0;
    virtual void openPort() = 0;
    virtual void closePort() = 0;
    virtual void sendByte(char byte) = 0;

    // The device-search time-out: one shot after ms milliseconds, then ReceptionProtocol::timeout.
    virtual void armTimer(int ms) = 0;
    virtual void disarmTimer() = 0;

    virtual void setStatus(const QString &text) = 0;
    // Values of "Тип прибора:", "Версия ПО:" and "Количество записей:"; empty while unknown.
    virtual void setInformation(const QString &type, const QString &version,
                                const QString &recordCount) = 0;
    virtual void setProgress(int percent) = 0;

    // The reception is over: show the message, if any, then end with the result.
    virtual void finish(ReceptionResult result, const ReceptionMessage &message) = 0;
};
