#pragma once

// The footer row of a TDBGridPro: each column's footer text in a cell straight under the column,
// following its width, the horizontal scroll and hidden columns.

#include <QWidget>

class TDBGridPro;

class GridFooter : public QWidget
{
    Q_OBJECT

public:
    explicit GridFooter(TDBGridPro *grid);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TDBGridPro *m_grid;
};
