#include "platform/dbgrid/griddelegate.h"

#include "platform/dbf/tdbf.h"
#include "platform/dbgrid/tdbgridpro.h"

#include <QLineEdit>

GridDelegate::GridDelegate(TDBGridPro *grid) : QStyledItemDelegate(grid), m_grid(grid) {}

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

void GridDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.column() < m_grid->Columns().Count()) {
        const int options = m_grid->Columns()[index.column()]->VisualOptions();
        option->textElideMode = (options & voCellEllipsis) ? Qt::ElideRight : Qt::ElideNone;
    }
}
