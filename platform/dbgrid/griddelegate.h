#pragma once

// Cell painting options per column and the cell editor of a TDBGridPro.

#include <QStyledItemDelegate>

class TDBGridPro;

class GridDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit GridDelegate(TDBGridPro *grid);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    TDBGridPro *m_grid;
};
