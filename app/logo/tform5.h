#pragma once

#include <QDialog>

class QLabel;
class QTimer;

// The splash window shown modally for about three seconds at start-up.
class TForm5 : public QDialog
{
    Q_OBJECT

public:
    explicit TForm5(QWidget *parent = nullptr);

    // The splash picture, 400 × 78 pixels.
    static QPixmap splashPicture();

    void FormShow();
    void Timer1Timer();

    QLabel *Image1;
    QTimer *Timer1; // 3000 ms, switched on by showing the window

protected:
    void showEvent(QShowEvent *event) override;
};

extern TForm5 *Form5;
