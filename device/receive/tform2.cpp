#include "device/receive/tform2.h"

#include "device/receive/receptionmessages.h"
#include "platform/commport/tcommportdriver.h"
#include "platform/dialogs/dialogservice.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

TForm2 *Form2 = nullptr;

TForm2::TForm2(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_protocol(*this)
{
    buildControls();
    FormCreate();
}

TForm2::~TForm2() = default;

void TForm2::buildControls()
{
    setWindowTitle(ReceptionText::Caption);
    setModal(true);

    StaticText2 = new QLabel(this);
    QFont bold = StaticText2->font();
    bold.setBold(true);
    StaticText2->setFont(bold);
    StaticText2->setAlignment(Qt::AlignCenter);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);

    auto *group = new QGroupBox(QStringLiteral("Информация"), this);
    auto *grid = new QGridLayout(group);
    StaticText5 = new QLabel(group);
    StaticText1 = new QLabel(group);
    StaticText7 = new QLabel(group);
    const QList<QPair<QString, QLabel *>> rows = {
        {QStringLiteral("Тип прибора:"), StaticText5},
        {QStringLiteral("Версия ПО:"), StaticText1},
        {QStringLiteral("Количество записей:"), StaticText7}};
    for (int row = 0; row < rows.size(); ++row) {
        grid->addWidget(new QLabel(rows[row].first, group), row, 0);
        grid->addWidget(rows[row].second, row, 1);
    }
    grid->setColumnStretch(1, 1);

    CheckBox1 = new QCheckBox(QStringLiteral("Сохранить двоичный файл"), this);
    Button1 = new QPushButton(QStringLiteral("Отмена"), this);
    Button1->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(CheckBox1);
    buttons->addStretch();
    buttons->addWidget(Button1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(StaticText2);
    layout->addWidget(ProgressBar1);
    layout->addWidget(group);
    layout->addLayout(buttons);
    setMinimumWidth(380);

    Timer1 = new QTimer(this);
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, &TForm2::Timer1Timer);

    CommPortDriver1 = new TCommPortDriver(this);
    connect(CommPortDriver1, &TCommPortDriver::OnReceiveData, this,
            &TForm2::CommPortDriver1ReceiveData);
}

void TForm2::FormCreate()
{
    CheckBox1->hide();
}

void TForm2::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TForm2::FormShow()
{
    CheckBox1->setChecked(false);
    setWindowTitle(ReceptionText::Caption);
    m_protocol.start();
}

void TForm2::FormClose()
{
    disarmTimer();
}

void TForm2::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TForm2::Button1Click()
{
    m_protocol.cancel();
}

void TForm2::Timer1Timer()
{
    m_protocol.timeout();
}

void TForm2::CommPortDriver1ReceiveData(const QByteArray &data)
{
    m_protocol.deliver(data);
}

void TForm2::setPortName(const QString &name)
{
    CommPortDriver1->setPortName(name);
}

void TForm2::openPort()
{
    CommPortDriver1->open();
}

void TForm2::closePort()
{
    CommPortDriver1->close();
}

void TForm2::sendByte(char byte)
{
    CommPortDriver1->sendByte(byte);
}

void TForm2::armTimer(int ms)
{
    Timer1->setInterval(ms);
    Timer1->start();
}

void TForm2::disarmTimer()
{
    Timer1->stop();
    Timer1->setInterval(0);
}

void TForm2::setStatus(const QString &text)
{
    StaticText2->setText(text);
    StaticText2->adjustSize();
}

void TForm2::setInformation(const QString &type, const QString &version, const QString &recordCount)
{
    StaticText5->setText(type);
    StaticText1->setText(version);
    StaticText7->setText(recordCount);
}

void TForm2::setProgress(int percent)
{
    ProgressBar1->setValue(percent);
}

void TForm2::finish(ReceptionResult result, const ReceptionMessage &message)
{
    switch (message.kind) {
    case ReceptionMessage::Kind::None:
        break;
    case ReceptionMessage::Kind::ErrorBox:
        showErrorBox(message.text);
        break;
    case ReceptionMessage::Kind::ErrorDialog:
        DialogService::instance().messageDlg(message.text, DialogService::DlgType::Error,
                                             DialogService::Buttons::Ok);
        break;
    }
    done(int(result));
}
