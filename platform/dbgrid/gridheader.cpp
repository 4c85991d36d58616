#include "platform/dbgrid/gridheader.h"

#include "platform/dbgrid/tgpcolumn.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int TextMargin = 3;
constexpr int MarkSize = 7;
} // namespace

GridHeader::GridHeader(TgpColumns *columns, QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent), m_columns(columns)
{
    setSectionsClickable(true);
    setHighlightSections(false);
    setSortIndicatorShown(false);
    setDefaultAlignment(Qt::AlignCenter);
}

void GridHeader::setTitleLines(int lines)
{
    m_titleLines = std::max(lines, 1);
    updateGeometry();
    viewport()->update();
}

QSize GridHeader::sizeHint() const
{
    QSize size = QHeaderView::sizeHint();
    size.setHeight(m_titleLines * fontMetrics().lineSpacing() + 2 * TextMargin + 2);
    return size;
}

void GridHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (!rect.isValid() || logicalIndex < 0 || logicalIndex >= m_columns->Count())
        return;
    const TgpColumn *column = m_columns->Items(logicalIndex);

    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = rect;
    option.section = logicalIndex;
    option.text.clear();
    option.sortIndicator = QStyleOptionHeader::None;
    painter->save();
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);

    QRect textRect = rect.adjusted(TextMargin, TextMargin, -TextMargin, -TextMargin);
    const bool marked = column->TitleState() != TTitleState::tsNone;
    if (marked)
        textRect.setRight(textRect.right() - MarkSize - TextMargin);
    int flags = int(column->TitleAlignment());
    if (column->VisualOptions() & voTitleWordWrap)
        flags |= Qt::TextWordWrap;
    // A caption longer than the title lines shows its beginning rather than its middle.
    if (painter->fontMetrics().boundingRect(textRect, flags, column->Caption()).height() >
        textRect.height())
        flags = (flags & ~Qt::AlignVertical_Mask) | Qt::AlignTop;
    painter->setPen(palette().color(QPalette::ButtonText));
    painter->setClipRect(rect);
    painter->drawText(textRect, flags, column->Caption());

    if (marked) {
        // A filled triangle at the right edge: pointing up for the mark up, down for down.
        const int x = rect.right() - TextMargin - MarkSize;
        const int y = rect.center().y() - MarkSize / 2;
        QPainterPath mark;
        if (column->TitleState() == TTitleState::tsUp) {
            mark.moveTo(x, y + MarkSize);
            mark.lineTo(x + MarkSize, y + MarkSize);
            mark.lineTo(x + MarkSize / 2.0, y);
        } else {
            mark.moveTo(x, y);
            mark.lineTo(x + MarkSize, y);
            mark.lineTo(x + MarkSize / 2.0, y + MarkSize);
        }
        mark.closeSubpath();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->fillPath(mark, palette().color(QPalette::ButtonText));
        if (column->SortSeq() > 1) {
            QFont small = painter->font();
            small.setPointSizeF(small.pointSizeF() * 0.7);
            painter->setFont(small);
            painter->drawText(QRect(x - 2, rect.top() + 1, MarkSize + 4, y - rect.top()),
                              Qt::AlignCenter, QString::number(column->SortSeq()));
        }
    }
    painter->restore();
}

bool GridHeader::onResizeHandle(const QPoint &pos) const
{
    const int grip = style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, this);
    const int logical = logicalIndexAt(pos);
    if (logical < 0)
        return false;
    const int left = sectionViewportPosition(logical);
    const int right = left + sectionSize(logical);
    return pos.x() <= left + grip || pos.x() >= right - grip;
}

void GridHeader::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    m_pressed =
        event->button() == Qt::LeftButton && !onResizeHandle(pos) ? logicalIndexAt(pos) : -1;
    QHeaderView::mousePressEvent(event);
}

void GridHeader::mouseReleaseEvent(QMouseEvent *event)
{
    // A click is a press and release on the same title that neither resized nor moved it.
    const int pressed = std::exchange(m_pressed, -1);
    const int visualBefore = pressed >= 0 ? visualIndex(pressed) : -1;
    const int sizeBefore = pressed >= 0 ? sectionSize(pressed) : -1;
    QHeaderView::mouseReleaseEvent(event);
    emit mouseReleased();
    if (pressed < 0 || event->button() != Qt::LeftButton)
        return;
    if (logicalIndexAt(event->position().toPoint()) != pressed ||
        visualIndex(pressed) != visualBefore || sectionSize(pressed) != sizeBefore)
        return;
    emit titleClicked(pressed, event->modifiers());
}
