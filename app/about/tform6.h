#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about box "О программе": program name, version line and purpose.
class Tform6 : public QDialog
{
    Q_OBJECT

public:
    explicit Tform6(QWidget *parent = nullptr);

    // "Версия " and the file version, or "0.0.0.0" when the version is missing or shorter than
    // two characters.
    static QString versionLine(const QString &fileVersion);

    void FormShow();
    void Button1Click();

    QLabel *Label1; // program name
    QLabel *Label2; // version line
    QLabel *Label3; // purpose
    QPushButton *Button1;

protected:
    void showEvent(QShowEvent *event) override;
};

extern Tform6 *Form6;
