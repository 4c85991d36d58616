#pragma once

#include "device/receive/receptionhost.h"
#include "device/receive/receptionprotocol.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class TCommPortDriver;

// The reception dialog: shown modally, it finds the instrument on COM1 or COM2, reads its memory
// into DeviceImage and ends with OK (1), or with Cancel (2) after a cancel or a failure. The
// protocol itself is ReceptionProtocol; the dialog gives it its port, its timer and its labels.
class TForm2 : public QDialog, private ReceptionHost
{
    Q_OBJECT

public:
    explicit TForm2(QWidget *parent = nullptr);
    ~TForm2() override;

    void FormCreate();
    void FormShow();
    void FormClose();
    void Button1Click();
    void Timer1Timer();
    void CommPortDriver1ReceiveData(const QByteArray &data);

    const ReceptionProtocol &protocol() const { return m_protocol; }

    QLabel *StaticText2 = nullptr; // status line
    QLabel *StaticText5 = nullptr; // "Тип прибора:"
    QLabel *StaticText1 = nullptr; // "Версия ПО:"
    QLabel *StaticText7 = nullptr; // "Количество записей:"
    QProgressBar *ProgressBar1 = nullptr;
    QPushButton *Button1 = nullptr;
    QCheckBox *CheckBox1 = nullptr;
    QTimer *Timer1 = nullptr;
    TCommPortDriver *CommPortDriver1 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;
    // The dialog has no close button and ignores Esc: it ends only through "Отмена", the device
    // or the search time-out.
    void reject() override {}

private:
    void buildControls();

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

    ReceptionProtocol m_protocol;
};

extern TForm2 *Form2;
