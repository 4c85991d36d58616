#include "platform/dbgrid/gridheader.h"

#include "platform/dbgrid/tgpcolumn.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int TextMargin = 3;
constexpr int MarkSize = 7;
// A title grows to fit its wrapped caption up to this many lines; narrower columns than that
// caption needs (a grid squeezed to almost nothing) show the beginning of it.
constexpr int MaxTitleLines = 5;
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
    titlesChanged();
}

void GridHeader::titlesChanged()
{
    viewport()->update();
    if (m_relayoutQueued)
        return;
    // Widths change while the view lays itself out (fitting follows the viewport's size), so the
    // view takes a new title height once that is over rather than in the middle of it.
    m_relayoutQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_relayoutQueued = false;
            const int height = sizeHint().height();
            if (height == m_height)
                return;
            m_height = height;
            updateGeometry();
            emit geometriesChanged();
        },
        Qt::QueuedConnection);
}

QRect GridHeader::captionRect(const QRect &section, bool marked) const
{
    QRect rect = section.adjusted(TextMargin, TextMargin, -TextMargin, -TextMargin);
    if (marked)
        rect.setRight(rect.right() - MarkSize - TextMargin);
    return rect;
}

int GridHeader::captionFlags(int logicalIndex) const
{
    const TgpColumn *column = m_columns->Items(logicalIndex);
    int flags = int(column->TitleAlignment());
    if (column->VisualOptions() & voTitleWordWrap)
        flags |= Qt::TextWordWrap;
    return flags;
}

QSize GridHeader::sizeHint() const
{
    QSize size = QHeaderView::sizeHint();
    const QFontMetrics metrics = fontMetrics();
    const int lines = std::max(m_titleLines, MaxTitleLines);
    int text = m_titleLines * metrics.lineSpacing();
    for (int c = 0; c < std::min(count(), m_columns->Count()); ++c) {
        if (isSectionHidden(c) || sectionSize(c) <= 0)
            continue;
        const TgpColumn *column = m_columns->Items(c);
        const QRect area = captionRect(QRect(0, 0, sectionSize(c), lines * metrics.lineSpacing()),
                                       column->TitleState() != TTitleState::tsNone);
        text =
            std::max(text, metrics.boundingRect(area, captionFlags(c), column->Caption()).height());
    }
    size.setHeight(std::min(text, lines * metrics.lineSpacing()) + 2 * TextMargin + 2);
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

    const bool marked = column->TitleState() != TTitleState::tsNone;
    const QRect textRect = captionRect(rect, marked);
    int flags = captionFlags(logicalIndex);
    // A caption taller than the title shows its beginning rather than its middle.
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
    const bool click = pressed >= 0 && event->button() == Qt::LeftButton &&
                       logicalIndexAt(event->position().toPoint()) == pressed &&
                       visualIndex(pressed) == visualBefore && sectionSize(pressed) == sizeBefore;
    // Fitting the columns again after a drag must not turn a click into a resize.
    emit mouseReleased();
    if (click)
        emit titleClicked(pressed, event->modifiers());
}
