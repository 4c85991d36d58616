#pragma once

// Cell painting and the cell editor of a TDBGridPro. Cells are painted directly (background,
// text, focus frame) from the column's attributes, and the laid-out texts are kept, because a
// grid page repeats the same short texts many times and shaping them again is what costs.

#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

class TDBGridPro;

class GridDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit GridDelegate(TDBGridPro *grid);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;

private:
    const QStaticText &laidOut(const QString &text, const QFont &font) const;

    TDBGridPro *m_grid;
    mutable QHash<QString, QStaticText> m_texts;
    mutable QFont m_textsFont;
};
