#include "app/logo/tform5.h"

#include "app/main/mainimages.h"
#include "platform/guard/commandguard.h"
#include "platform/shared/sharedstate.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTimer>

TForm5 *Form5 = nullptr;

TForm5::TForm5(QWidget *parent) : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setFixedSize(400, 77);
    Image1 = new QLabel(this);
    Image1->setGeometry(0, 0, 400, 77);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setPixmap(splashPicture());

    Timer1 = new QTimer(this);
    Timer1->setInterval(3000);
    connect(Timer1, &QTimer::timeout, this, [this] { runGuarded([this] { Timer1Timer(); }); });
}

QPixmap TForm5::splashPicture()
{
    QPixmap pixmap(400, 78);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient background(0, 0, 400, 78);
    background.setColorAt(0, QColor(24, 56, 118));
    background.setColorAt(1, QColor(56, 118, 186));
    p.fillRect(pixmap.rect(), background);
    p.setPen(QColor(255, 255, 255, 60));
    p.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));

    paintProgramPicture(p, QRectF(10, 7, 62, 62));

    QFont title = p.font();
    title.setPixelSize(28);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRectF(86, 8, 300, 36), Qt::AlignLeft | Qt::AlignVCenter, ApplicationTitle);

    QFont line = p.font();
    line.setPixelSize(12);
    line.setBold(false);
    p.setFont(line);
    p.setPen(QColor(220, 232, 250));
    p.drawText(QRectF(88, 44, 306, 28), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Передача данных с приборов Ortan-LK7"));
    return pixmap;
}

void TForm5::FormShow()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    Timer1->start();
}

void TForm5::Timer1Timer()
{
    Timer1->stop();
    done(QDialog::Accepted);
}

void TForm5::showEvent(QShowEvent *event)
{
    runGuarded([this] { FormShow(); });
    QDialog::showEvent(event);
}
