#include "platform/dbgrid/griddelegate.h"

#include "platform/dbf/tdbf.h"
#include "platform/dbgrid/tdbgridpro.h"

#include <QLineEdit>
#include <QPainter>

namespace {
constexpr int CellMargin = 3;
constexpr qsizetype MaxKeptTexts = 8192;
} // namespace

GridDelegate::GridDelegate(TDBGridPro *grid) : QStyledItemDelegate(grid), m_grid(grid) {}

const QStaticText &GridDelegate::laidOut(const QString &text, const QFont &font) const
{
    if (font != m_textsFont || m_texts.size() >= MaxKeptTexts) {
        m_texts.clear();
        m_textsFont = font;
    }
    auto it = m_texts.find(text);
    if (it == m_texts.end()) {
        QStaticText laid(text);
        laid.setTextFormat(Qt::PlainText);
        laid.setPerformanceHint(QStaticText::AggressiveCaching);
        laid.prepare(QTransform(), font);
        it = m_texts.insert(text, laid);
    }
    return *it;
}

void GridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                         const QModelIndex &index) const
{
    if (index.column() >= m_grid->Columns().Count())
        return;
    const TgpColumn *column = m_grid->Columns()[index.column()];
    const QPalette::ColorGroup group =
        (option.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
    const bool selected = option.state & QStyle::State_Selected;
    if (selected)
        painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
    else if (!column->IsDefaultColor())
        painter->fillRect(option.rect, column->Color());

    const QString text = m_grid->CellText(index.row(), index.column());
    if (!text.isEmpty()) {
        const QFont font = column->Font().value_or(option.font);
        const QRect area = option.rect.adjusted(CellMargin, 0, -CellMargin, 0);
        const QStaticText *laid = &laidOut(text, font);
        QStaticText elided;
        if (laid->size().width() > area.width() && (column->VisualOptions() & voCellEllipsis)) {
            elided = QStaticText(QFontMetrics(font).elidedText(text, Qt::ElideRight, area.width()));
            elided.setTextFormat(Qt::PlainText);
            elided.prepare(QTransform(), font);
            laid = &elided;
        }
        const QSizeF size = laid->size();
        const Qt::Alignment align = column->Alignment();
        qreal x = area.left();
        if (align & Qt::AlignRight)
            x = area.right() + 1 - size.width();
        else if (align & Qt::AlignHCenter)
            x = area.left() + (area.width() - size.width()) / 2;
        qreal y = area.top() + (area.height() - size.height()) / 2;
        if (align & Qt::AlignTop)
            y = area.top();
        else if (align & Qt::AlignBottom)
            y = area.bottom() + 1 - size.height();
        painter->save();
        painter->setClipRect(option.rect);
        painter->setFont(font);
        painter->setPen(
            option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawStaticText(QPointF(x, y), *laid);
        painter->restore();
    }
    if (option.state & QStyle::State_HasFocus) {
        QPen pen(
            option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        pen.setStyle(Qt::DotLine);
        painter->save();
        painter->setPen(pen);
        painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
        painter->restore();
    }
}

QWidget *GridDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    auto *line = qobject_cast<QLineEdit *>(editor);
    if (line && m_grid->DataSet() && index.column() < m_grid->Columns().Count()) {
        // A text longer than its field would be cut when stored; the editor takes no more.
        const TField *field =
            m_grid->DataSet()->FindField(m_grid->Columns()[index.column()]->FieldName());
        if (field && field->DataType() == TFieldType::ftString)
            line->setMaxLength(field->Length());
    }
    m_grid->editStarted();
    return editor;
}
