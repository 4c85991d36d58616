#pragma once

// The title row of a TDBGridPro: captions over several lines, the sort marks, and title clicks
// with the keyboard modifiers held at the click.

#include <QHeaderView>

class TgpColumns;

class GridHeader : public QHeaderView
{
    Q_OBJECT

public:
    GridHeader(TgpColumns *columns, QWidget *parent = nullptr);

    void setTitleLines(int lines);
    QSize sizeHint() const override;

signals:
    void titleClicked(int column, Qt::KeyboardModifiers modifiers);
    // The mouse button was released: a resize by dragging, if any, is over.
    void mouseReleased();

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool onResizeHandle(const QPoint &pos) const;

    TgpColumns *m_columns;
    int m_titleLines = 1;
    int m_pressed = -1;
};
