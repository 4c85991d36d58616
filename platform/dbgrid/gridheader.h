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
    // At least the title lines; taller when a caption wrapped at its column's width needs more,
    // so that every title shows its whole caption.
    QSize sizeHint() const override;
    // Captions, widths, marks or the font changed: the title height is worked out again.
    void titlesChanged();

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
    QRect captionRect(const QRect &section, bool marked) const;
    int captionFlags(int logicalIndex) const;

    TgpColumns *m_columns;
    int m_titleLines = 1;
    int m_pressed = -1;
    int m_height = 0; // the height last reported to the view
    bool m_relayoutQueued = false;
};
