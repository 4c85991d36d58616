#pragma once

// Columns of the data-aware grid: TgpColumn, the TgpColumns collection and the ColumnLayout
// attributes that a grid's layout keeps per column.

#include <QColor>
#include <QFont>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

// Sort mark shown in a column title.
enum class TTitleState
{
    tsNone,
    tsUp,
    tsDown
};

// How the cells of a column show their value: the field's own display text (Plain), a number in
// the column's numeric format such as "0.0" (Numeric), or the field's text as stored (Text).
enum class TCellView
{
    Plain,
    Numeric,
    Text
};

// Look options of a column that belong to its layout.
enum TColumnVisualOption
{
    voTitleWordWrap = 0x1, // the caption wraps onto the title lines
    voCellEllipsis = 0x2,  // a cell text too long for the width ends in "…"
};

// Footer behaviour of a column. The grids show plain footer texts only.
enum class TFooterState
{
    fsText
};

// The attributes of a column that a saved grid layout carries; caption, visibility, cell view,
// field binding and read-only flag are not among them.
struct ColumnLayout
{
    QString fieldName;
    int width = 64;
    int level = 0; // grouping level; the grids do not group columns, so always 0
    int index = 0; // the column's place in its collection
    TTitleState titleState = TTitleState::tsNone;
    int sortSeq = 0; // order of the mark among several marks; 0 without a mark
    TFooterState footerState = TFooterState::fsText;
    int visualOptions = voTitleWordWrap | voCellEllipsis;
    QColor color; // invalid: the grid's normal background
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    std::optional<QFont> font; // none: the grid's font

    bool operator==(const ColumnLayout &) const = default;
};

class TgpColumns;

class TgpColumn
{
public:
    const QString &FieldName() const { return m_fieldName; }
    void SetFieldName(const QString &name);

    const QString &Caption() const { return m_caption; }
    void SetCaption(const QString &caption);
    Qt::Alignment TitleAlignment() const { return m_titleAlignment; }
    void SetTitleAlignment(Qt::Alignment alignment);

    int Width() const { return m_layout.width; }
    void SetWidth(int width);
    bool Visible() const { return m_visible; }
    void SetVisible(bool visible);

    // An invalid colour is the default: the column takes the grid's background.
    QColor Color() const { return m_layout.color; }
    bool IsDefaultColor() const { return !m_layout.color.isValid(); }
    void SetColor(const QColor &color);
    void SetDefaultColor() { SetColor(QColor()); }

    Qt::Alignment Alignment() const { return m_layout.alignment; }
    void SetAlignment(Qt::Alignment alignment);
    std::optional<QFont> Font() const { return m_layout.font; }
    void SetFont(const std::optional<QFont> &font);
    int VisualOptions() const { return m_layout.visualOptions; }
    void SetVisualOptions(int options);

    const QString &FooterText() const { return m_footerText; }
    void SetFooterText(const QString &text);
    TFooterState FooterState() const { return m_layout.footerState; }

    TCellView View() const { return m_view; }
    void SetView(TCellView view);
    // Display format of the numeric view, e.g. "0.0": the zeros after the point are the decimals.
    const QString &NumericFormat() const { return m_numericFormat; }
    void SetNumericFormat(const QString &format);

    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);
    // A fixed column keeps its width when the grid fits its columns and cannot be resized.
    bool FixedWidth() const { return m_fixedWidth; }
    void SetFixedWidth(bool fixed);

    // Setting a mark never raises the grid's title event; setting none also clears the sequence.
    TTitleState TitleState() const { return m_layout.titleState; }
    void SetTitleState(TTitleState state);
    int SortSeq() const { return m_layout.sortSeq; }
    void SetSortSeq(int seq);

    int Level() const { return m_layout.level; }
    // Place in the collection from 0; setting it moves the column.
    int Index() const;
    void SetIndex(int index);

    ColumnLayout Layout() const;
    // Takes every layout attribute, the place included; the field name is not changed.
    void SetLayout(const ColumnLayout &layout);

    TgpColumns *Collection() const { return m_owner; }

private:
    friend class TgpColumns;
    explicit TgpColumn(TgpColumns *owner) : m_owner(owner) {}
    enum class Change
    {
        Structure,
        Widths,
        Look
    };
    void changed(Change change);

    TgpColumns *m_owner;
    QString m_fieldName;
    QString m_caption;
    Qt::Alignment m_titleAlignment = Qt::AlignCenter;
    bool m_visible = true;
    QString m_footerText;
    TCellView m_view = TCellView::Plain;
    QString m_numericFormat = QStringLiteral("0.0");
    bool m_readOnly = false;
    bool m_fixedWidth = false;
    ColumnLayout m_layout;
};

// An ordered collection of columns. A grid owns one; a free-standing one carries a layout to and
// from its text form.
class TgpColumns : public QObject
{
    Q_OBJECT

public:
    explicit TgpColumns(QObject *parent = nullptr);
    ~TgpColumns() override;

    int Count() const { return int(m_columns.size()); }
    TgpColumn *Items(int index) const { return m_columns.at(size_t(index)).get(); }
    TgpColumn *operator[](int index) const { return Items(index); }
    // The first column whose field name equals name regardless of letter case, or nullptr.
    TgpColumn *FindByFieldName(const QString &name) const;
    int IndexOf(const TgpColumn *column) const;

    TgpColumn *Add(const QString &fieldName = {});
    void Move(int from, int to);
    void Clear();

    // Fresh columns in the source's order, each with the source column's field name and layout.
    void CopyLayoutAsNew(const TgpColumns &source);
    // For each source column in source order, the first own column with the same field name
    // (letter case ignored) takes its layout; source columns without a match are skipped and own
    // columns without one keep theirs.
    void CopyLayoutByFieldName(const TgpColumns &source);

    // Text form of the columns' layouts (JSON), and reading it back. FromText leaves the
    // collection unchanged and returns false when the text is not a layout.
    QString ToText() const;
    bool FromText(const QString &text);

    // Groups changes so that the grid re-reads its columns once.
    void BeginUpdate();
    void EndUpdate();

signals:
    // Columns added, removed, moved, shown, hidden or re-bound to another field.
    void structureChanged();
    // Widths or the fixed-width flags changed.
    void widthsChanged();
    // Captions, colours, fonts, marks, footers, alignment, views or read-only flags changed.
    void lookChanged();

private:
    friend class TgpColumn;
    void notify(TgpColumn::Change change);

    std::vector<std::unique_ptr<TgpColumn>> m_columns;
    int m_updateDepth = 0;
    bool m_pendingStructure = false;
    bool m_pendingWidths = false;
    bool m_pendingLook = false;
};
