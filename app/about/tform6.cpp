#include "app/about/tform6.h"

#include "app/main/mainimages.h"
#include "platform/guard/commandguard.h"
#include "platform/sysinfo/sysinfo.h"

#include <QBoxLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

Tform6 *Form6 = nullptr;

namespace {

QLabel *textLabel(const QString &text, int pixelSize, bool bold, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    label->setFont(font);
    return label;
}

QPixmap aboutPicture()
{
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paintProgramPicture(painter, QRectF(0, 0, 64, 64));
    return pixmap;
}

} // namespace

Tform6::Tform6(QWidget *parent) : QDialog(parent, Qt::Tool)
{
    setWindowTitle(QStringLiteral("О программе"));
    setFixedSize(515, 151);

    auto *picture = new QLabel(this);
    picture->setPixmap(aboutPicture());
    picture->setAlignment(Qt::AlignTop);

    Label1 = textLabel(QStringLiteral("Ortan - LK7"), 16, true, this);
    Label2 = textLabel(versionLine(QString()), 13, false, this);
    Label3 = textLabel(QStringLiteral("Программа для передачи данных с приборов Ortan-LK7"), 13,
                       false, this);
    Button1 = new QPushButton(QStringLiteral("Ок"), this);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this,
            [this] { runGuarded([this] { Button1Click(); }); });

    auto *texts = new QVBoxLayout;
    texts->addWidget(Label1);
    texts->addWidget(Label2);
    texts->addWidget(Label3);
    texts->addStretch();
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(Button1);
    texts->addLayout(buttonRow);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 12);
    layout->setSpacing(16);
    layout->addWidget(picture);
    layout->addLayout(texts, 1);
}

QString Tform6::versionLine(const QString &fileVersion)
{
    return QStringLiteral("Версия ") +
           (fileVersion.size() < 2 ? QStringLiteral("0.0.0.0") : fileVersion);
}

void Tform6::FormShow()
{
    Label2->setText(versionLine(SysInfo::fileVersion()));
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void Tform6::Button1Click()
{
    done(QDialog::Accepted);
}

void Tform6::showEvent(QShowEvent *event)
{
    runGuarded([this] { FormShow(); });
    QDialog::showEvent(event);
}
