#include "platform/dbgrid/gridfooter.h"

#include "platform/dbgrid/tdbgridpro.h"

#include <QPainter>
#include <QStyle>
#include <QTableView>

GridFooter::GridFooter(TDBGridPro *grid) : QWidget(grid), m_grid(grid)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QSize GridFooter::sizeHint() const
{
    return {0, fontMetrics().height() + 8};
}

void GridFooter::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    // Cells are clipped to the span of the view's viewport, as the data cells are.
    const QWidget *viewport = m_grid->View()->viewport();
    const QPoint origin = viewport->mapTo(m_grid, QPoint(0, 0)) - pos();
    painter.setClipRect(QRect(origin.x(), 0, viewport->width(), height()));
    const QColor line = m_grid->Designer().gridLineColor.isValid()
                            ? m_grid->Designer().gridLineColor
                            : palette().color(QPalette::Mid);
    const TgpColumns &columns = m_grid->Columns();
    for (int c = 0; c < columns.Count(); ++c) {
        const QRect cell = m_grid->FooterCellRect(c).translated(-pos());
        if (cell.isEmpty())
            continue;
        painter.setPen(line);
        painter.drawRect(cell.adjusted(0, 0, -1, -1));
        const TgpColumn *column = columns.Items(c);
        painter.setPen(palette().color(QPalette::ButtonText));
        const Qt::Alignment horizontal = column->Alignment() & Qt::AlignHorizontal_Mask;
        painter.drawText(cell.adjusted(3, 0, -3, 0), int(horizontal | Qt::AlignVCenter),
                         column->FooterText());
    }
}
