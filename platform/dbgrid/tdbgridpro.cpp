#include "platform/dbgrid/tdbgridpro.h"

#include "platform/dbf/tdbf.h"
#include "platform/dbgrid/griddelegate.h"
#include "platform/dbgrid/gridfit.h"
#include "platform/dbgrid/gridfooter.h"
#include "platform/dbgrid/gridheader.h"
#include "platform/dbgrid/gridmodel.h"
#include "platform/guard/commandguard.h"
#include "platform/shared/apperror.h"

#include <QEvent>
#include <QProxyStyle>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

// The grid lines in the designer's colour.
class GridStyle : public QProxyStyle
{
public:
    explicit GridStyle(const TDBGridPro *grid) : m_grid(grid) {}
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_Table_GridLineColor && m_grid->Designer().gridLineColor.isValid())
            return int(m_grid->Designer().gridLineColor.rgba());
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
    // The cells paint their own background; the style's row panel would only be painted over.
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if (element == PE_PanelItemViewRow)
            return;
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

private:
    const TDBGridPro *m_grid;
};

// A table view that lets the grid take an open cell editor's text.
class GridView : public QTableView
{
public:
    using QTableView::QTableView;
    bool editing() const { return state() == EditingState; }
    bool commitOpenEditor()
    {
        if (state() != EditingState)
            return false;
        QWidget *editor = indexWidget(currentIndex());
        if (!editor)
            return false;
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
        return true;
    }

    // The rows are never scrolled further than the last row needs. An offset left from an
    // earlier state (the view following the current row while it was small or hidden, or with
    // other rows) is not undone by Qt when the rows are re-read, and would keep the first rows
    // out of sight above blank space.
    void keepRowsInView()
    {
        QHeaderView *rows = verticalHeader();
        const int room = std::max(0, rows->length() - viewport()->height());
        if (rows->offset() <= room)
            return;
        QScrollBar *bar = verticalScrollBar();
        bar->setValue(room == 0 ? 0 : bar->maximum());
        if (rows->offset() > room) {
            rows->setOffset(room);
            viewport()->update();
        }
    }

protected:
    void updateGeometries() override
    {
        QTableView::updateGeometries();
        keepRowsInView();
    }
    void showEvent(QShowEvent *event) override
    {
        QTableView::showEvent(event);
        keepRowsInView();
    }
};

constexpr auto EditTriggers = QAbstractItemView::DoubleClicked |
                              QAbstractItemView::SelectedClicked |
                              QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed;

bool lessByRecNo(const TgpBookmark &a, const TgpBookmark &b)
{
    return a.recNo < b.recNo;
}

// Rows of a selection, each once, in ascending order.
std::vector<int> rowsOf(const QItemSelection &selection)
{
    std::vector<int> rows;
    for (const QItemSelectionRange &range : selection)
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

} // namespace

TDBGridPro::TDBGridPro(QWidget *parent) : QWidget(parent), m_columns(new TgpColumns(this))
{
    GridModel::Hooks hooks;
    hooks.pendingValue = [this](int recNo, int field) { return pendingValue(recNo, field); };
    hooks.editable = [this](int column) { return cellEditable(column); };
    hooks.setValue = [this](int row, int column, const QVariant &value) {
        return setPendingValue(row, column, value);
    };
    m_model = new GridModel(m_columns, std::move(hooks), this);

    m_view = new GridView(this);
    m_header = new GridHeader(m_columns, m_view);
    m_view->setHorizontalHeader(m_header);
    // Title clicks sort; they never select a column.
    disconnect(m_header, &QHeaderView::sectionPressed, m_view, nullptr);
    disconnect(m_header, &QHeaderView::sectionEntered, m_view, nullptr);
    m_view->setModel(m_model);
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    fitRowHeight();
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(EditTriggers);
    m_view->setTabKeyNavigation(true);
    m_view->setWordWrap(false);
    m_view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    auto *style = new GridStyle(this);
    style->setParent(m_view);
    m_view->setStyle(style);
    m_delegate = new GridDelegate(this);
    m_view->setItemDelegate(m_delegate);
    m_view->viewport()->installEventFilter(this);

    m_footer = new GridFooter(this);
    m_footer->hide();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_view);
    layout->addWidget(m_footer);

    connect(m_columns, &TgpColumns::structureChanged, this, &TDBGridPro::rebuildColumns);
    connect(m_columns, &TgpColumns::widthsChanged, this, [this] {
        if (!m_userResizing)
            applyWidths();
    });
    connect(m_columns, &TgpColumns::lookChanged, this, [this] {
        m_header->titlesChanged();
        m_view->viewport()->update();
        m_footer->update();
    });
    connect(m_header, &GridHeader::titleClicked, this, &TDBGridPro::TitleClick);
    connect(m_header, &QHeaderView::sectionResized, this,
            [this](int column, int, int size) { onUserResize(column, size); });
    connect(m_header, &GridHeader::mouseReleased, this, [this] {
        if (m_autoColumnFit)
            applyWidths();
    });
    connect(m_header, &QHeaderView::sectionMoved, this, &TDBGridPro::onSectionMoved);
    connect(m_header, &QHeaderView::geometriesChanged, m_footer, qOverload<>(&QWidget::update));
    connect(m_view->horizontalScrollBar(), &QScrollBar::valueChanged, m_footer,
            qOverload<>(&QWidget::update));
    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TDBGridPro::onViewCurrentChanged);
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TDBGridPro::onViewSelectionChanged);
    connect(m_view, &QAbstractItemView::doubleClicked, this, [this] { raise(OnDblClick); });
}

TDBGridPro::~TDBGridPro() = default;

void TDBGridPro::SetDataSet(TDbf *table)
{
    if (m_table)
        disconnect(m_table, nullptr, this, nullptr);
    m_table = table;
    m_selection.clear();
    m_pending.reset();
    m_model->setTable(table);
    if (table) {
        connect(table, &TDbf::rowsReset, this, &TDBGridPro::onRowsReset);
        connect(table, &TDbf::rowChanged, this, [this](int recNo) {
            if (!m_suspended)
                m_model->rowValuesChanged(recNo);
        });
        connect(table, &TDbf::cursorMoved, this, &TDBGridPro::onCursorMoved);
        connect(table, &QObject::destroyed, this, [this] {
            m_table = nullptr;
            m_selection.clear();
            m_pending.reset();
            m_model->setTable(nullptr);
        });
    }
    rebuildColumns();
}

void TDBGridPro::SetTitleLines(int lines)
{
    m_titleLines = std::max(lines, 1);
    m_header->setTitleLines(m_titleLines);
}

void TDBGridPro::SetShowFooters(bool show)
{
    m_showFooters = show;
    m_footer->setVisible(show);
}

void TDBGridPro::SetMultiSelect(bool multi)
{
    m_multiSelect = multi;
    m_view->setSelectionMode(multi ? QAbstractItemView::ExtendedSelection
                                   : QAbstractItemView::SingleSelection);
}

void TDBGridPro::SetAutoColumnFit(bool fit)
{
    m_autoColumnFit = fit;
    applyWidths();
}

void TDBGridPro::SetColumnsMovable(bool movable)
{
    m_columnsMovable = movable;
    m_header->setSectionsMovable(movable);
}

void TDBGridPro::SetReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    m_view->setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers : EditTriggers);
}

void TDBGridPro::SetDesigner(const TLiteDesigner &designer)
{
    m_designer = designer;
    QPalette palette = m_view->palette();
    if (designer.selectionColor.isValid()) {
        palette.setColor(QPalette::Active, QPalette::Highlight, designer.selectionColor);
        palette.setColor(QPalette::Inactive, QPalette::Highlight, designer.selectionColor);
    }
    m_view->setPalette(palette);
    m_view->viewport()->update();
    m_footer->update();
}

void TDBGridPro::SetBookmarkFields(const QString &fields)
{
    m_bookmarkFields.clear();
    for (const QString &name : fields.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        m_bookmarkFields.append(name.trimmed());
}

// Columns -------------------------------------------------------------------------------------

void TDBGridPro::rebuildColumns()
{
    m_model->reload();
    m_applyingWidths = true; // hiding a section resizes it to nothing
    for (int c = 0; c < m_columns->Count(); ++c)
        m_view->setColumnHidden(c, !m_columns->Items(c)->Visible());
    m_applyingWidths = false;
    applyWidths();
    restoreViewState();
    m_footer->update();
}

void TDBGridPro::applyWidths()
{
    QList<int> widths;
    QList<bool> fixed;
    QList<int> shown;
    for (int c = 0; c < m_columns->Count(); ++c) {
        const TgpColumn *column = m_columns->Items(c);
        if (!column->Visible())
            continue;
        shown.append(c);
        widths.append(column->Width());
        fixed.append(column->FixedWidth());
    }
    if (m_autoColumnFit)
        widths = FitColumnWidths(widths, fixed, m_view->viewport()->width());
    m_applyingWidths = true;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        m_header->setSectionResizeMode(shown[i],
                                       fixed[i] ? QHeaderView::Fixed : QHeaderView::Interactive);
        m_header->resizeSection(shown[i], widths[i]);
    }
    m_applyingWidths = false;
    m_header->titlesChanged();
    m_footer->update();
}

void TDBGridPro::onUserResize(int column, int newSize)
{
    m_footer->update();
    if (m_applyingWidths || column < 0 || column >= m_columns->Count() ||
        !m_columns->Items(column)->Visible() || newSize <= 0)
        return;
    // A column dragged wider or narrower keeps that width; with fitting on, the other columns
    // are fitted again when the drag ends.
    m_userResizing = true;
    m_columns->Items(column)->SetWidth(newSize);
    m_userResizing = false;
    m_header->titlesChanged();
}

void TDBGridPro::onSectionMoved(int, int oldVisual, int newVisual)
{
    if (m_restoringOrder)
        return;
    // The columns collection holds the order; the header goes back to showing it as it is.
    m_restoringOrder = true;
    m_header->moveSection(newVisual, oldVisual);
    m_restoringOrder = false;
    m_columns->Move(oldVisual, newVisual);
}

bool TDBGridPro::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view->viewport() && event->type() == QEvent::Resize) {
        if (m_autoColumnFit)
            applyWidths();
        m_footer->update();
    }
    return QWidget::eventFilter(watched, event);
}

// Rows and cursor -----------------------------------------------------------------------------

void TDBGridPro::onRowsReset()
{
    if (m_suspended)
        return;
    m_model->reload();
    bool selectionChanged = false;
    if (!m_table || !m_table->Active()) {
        selectionChanged = !m_selection.empty();
        m_selection.clear();
        m_pending.reset();
    } else {
        selectionChanged = dropHiddenSelection();
    }
    restoreViewState();
    if (selectionChanged)
        raise(OnSelectionChange);
}

bool TDBGridPro::dropHiddenSelection()
{
    // A row the table no longer presents cannot stay selected.
    const auto hidden =
        std::remove_if(m_selection.begin(), m_selection.end(), [this](const TgpBookmark &entry) {
            return m_table->VisibleRowOf(entry.recNo) < 0;
        });
    const bool dropped = hidden != m_selection.end();
    m_selection.erase(hidden, m_selection.end());
    return dropped;
}

void TDBGridPro::restoreViewState()
{
    m_syncing = true;
    QItemSelection selection;
    if (m_table && m_table->Active() && m_model->columnCount() > 0) {
        std::vector<int> rows;
        for (const TgpBookmark &entry : m_selection)
            rows.push_back(m_table->VisibleRowOf(entry.recNo));
        std::sort(rows.begin(), rows.end());
        const int lastColumn = m_model->columnCount() - 1;
        for (size_t i = 0; i < rows.size();) {
            size_t j = i;
            while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1)
                ++j;
            if (rows[i] >= 0)
                selection.select(m_model->index(rows[i], 0), m_model->index(rows[j], lastColumn));
            i = j + 1;
        }
    }
    m_view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    m_syncing = false;
    static_cast<GridView *>(m_view)->keepRowsInView();
    syncCurrentFromTable();
}

void TDBGridPro::onCursorMoved()
{
    if (m_movingCursor || m_suspended || m_cursorSyncQueued)
        return;
    // Code that walks the table moves the cursor row by row; the view follows once it is done.
    m_cursorSyncQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_cursorSyncQueued = false;
            syncCurrentFromTable();
        },
        Qt::QueuedConnection);
}

void TDBGridPro::syncCurrentFromTable()
{
    const int row = CurrentRow();
    const int column = std::clamp(m_currentColumn, 0, std::max(m_model->columnCount() - 1, 0));
    const QModelIndex target = row >= 0 ? m_model->index(row, column) : QModelIndex();
    if (target == m_view->currentIndex())
        return;
    m_syncing = true;
    m_view->selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
    if (target.isValid())
        m_view->scrollTo(target);
    m_syncing = false;
}

void TDBGridPro::onViewCurrentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    if (current.isValid())
        m_currentColumn = current.column();
    if (m_syncing || !current.isValid() || current.row() == previous.row())
        return;
    const int target = m_model->recordAt(current.row());
    postPendingEdit();
    if (!m_table || !m_table->Active() || target <= 0)
        return;
    m_movingCursor = true;
    runGuarded([&] { m_table->GoToRecord(target); });
    m_movingCursor = false;
    // Posting may have reordered the rows; the cursor stays on the row the user went to.
    syncCurrentFromTable();
}

int TDBGridPro::CurrentRow() const
{
    if (!m_table || !m_table->Active() || m_table->RecNo() <= 0)
        return -1;
    return m_table->VisibleRowOf(m_table->RecNo());
}

int TDBGridPro::CurrentColumnIndex() const
{
    return m_columns->Count() == 0 ? -1 : std::clamp(m_currentColumn, 0, m_columns->Count() - 1);
}

TgpColumn *TDBGridPro::CurrentColumn() const
{
    const int column = CurrentColumnIndex();
    return column < 0 ? nullptr : m_columns->Items(column);
}

void TDBGridPro::SetCurrentColumnIndex(int column)
{
    if (column < 0 || column >= m_columns->Count())
        return;
    m_currentColumn = column;
    const int row = CurrentRow();
    if (row >= 0) {
        m_syncing = true;
        m_view->selectionModel()->setCurrentIndex(m_model->index(row, column),
                                                  QItemSelectionModel::NoUpdate);
        m_syncing = false;
    }
}

// Selection -----------------------------------------------------------------------------------

TgpBookmark TDBGridPro::bookmarkOf(int recNo) const
{
    TgpBookmark entry;
    entry.recNo = recNo;
    for (const QString &name : m_bookmarkFields) {
        const TField *field = m_table ? m_table->FindField(name) : nullptr;
        entry.values.append(field ? SafeValueAt(*m_table, recNo, field->Index()) : QVariant());
    }
    return entry;
}

bool TDBGridPro::IsSelected(int recNo) const
{
    return std::binary_search(m_selection.begin(), m_selection.end(), TgpBookmark{recNo, {}},
                              lessByRecNo);
}

int TDBGridPro::SelectedCount() const
{
    if (!m_selection.empty())
        return int(m_selection.size());
    return CurrentRow() >= 0 ? 1 : 0;
}

TgpBookmark TDBGridPro::SelectedRow(int index) const
{
    if (!m_selection.empty())
        return m_selection.at(size_t(index));
    if (index != 0 || CurrentRow() < 0)
        throw AppError(QStringLiteral("Строка выделения %1 не существует.").arg(index));
    return bookmarkOf(m_table->RecNo());
}

void TDBGridPro::SelectRecord(int recNo, bool selected)
{
    if (!m_table || !m_table->Active())
        return;
    const auto at = std::lower_bound(m_selection.begin(), m_selection.end(), TgpBookmark{recNo, {}},
                                     lessByRecNo);
    const bool present = at != m_selection.end() && at->recNo == recNo;
    if (selected == present || (selected && m_table->VisibleRowOf(recNo) < 0))
        return;
    if (selected) {
        if (!m_multiSelect)
            m_selection.clear();
        m_selection.insert(std::lower_bound(m_selection.begin(), m_selection.end(),
                                            TgpBookmark{recNo, {}}, lessByRecNo),
                           bookmarkOf(recNo));
    } else {
        m_selection.erase(at);
    }
    restoreViewState();
    raise(OnSelectionChange);
}

void TDBGridPro::ClearSelection()
{
    if (m_selection.empty())
        return;
    m_selection.clear();
    restoreViewState();
    raise(OnSelectionChange);
}

void TDBGridPro::onViewSelectionChanged(const QItemSelection &selected,
                                        const QItemSelection &deselected)
{
    if (m_syncing || !m_table || !m_table->Active())
        return;
    std::vector<int> gone;
    for (int row : rowsOf(deselected))
        gone.push_back(m_model->recordAt(row));
    std::sort(gone.begin(), gone.end());
    std::erase_if(m_selection, [&gone](const TgpBookmark &entry) {
        return std::binary_search(gone.begin(), gone.end(), entry.recNo);
    });
    for (int row : rowsOf(selected)) {
        const int recNo = m_model->recordAt(row);
        if (recNo > 0 && !IsSelected(recNo))
            m_selection.push_back(bookmarkOf(recNo));
    }
    std::sort(m_selection.begin(), m_selection.end(), lessByRecNo);
    raise(OnSelectionChange);
}

void TDBGridPro::DeleteSelectedRows()
{
    if (!m_table || !m_table->Active())
        return;
    std::vector<int> rows;
    for (const TgpBookmark &entry : m_selection)
        rows.push_back(entry.recNo);
    if (rows.empty() && CurrentRow() >= 0)
        rows.push_back(m_table->RecNo());
    if (rows.empty())
        return;

    // Display updates stay suspended while rows go, and resume however the loop ends.
    struct Resume
    {
        TDBGridPro *grid;
        int deleted = 0;
        ~Resume()
        {
            grid->m_selection.clear();
            grid->m_suspended = false;
            grid->m_view->setUpdatesEnabled(true);
            grid->onRowsReset();
            grid->raise(grid->OnSelectionChange);
            if (deleted > 0)
                grid->raise(grid->AfterDelete);
        }
    } resume{this};
    m_suspended = true;
    m_view->setUpdatesEnabled(false);
    for (auto recNo = rows.rbegin(); recNo != rows.rend(); ++recNo) {
        if (!m_table->GoToRecord(*recNo))
            continue;
        if (m_pending && m_pending->recNo == *recNo)
            m_pending.reset();
        m_table->Delete();
        ++resume.deleted;
    }
}

// Editing -------------------------------------------------------------------------------------

bool TDBGridPro::cellEditable(int column) const
{
    return !m_readOnly && m_table && m_table->Active() && column >= 0 &&
           column < m_columns->Count() && !m_columns->Items(column)->ReadOnly();
}

std::optional<QVariant> TDBGridPro::pendingValue(int recNo, int fieldIndex) const
{
    if (!m_pending || m_pending->recNo != recNo)
        return std::nullopt;
    const auto it = m_pending->values.find(fieldIndex);
    if (it == m_pending->values.end())
        return std::nullopt;
    return it->second;
}

namespace {

// The typed value an edited text stands for in the field; throws AppError when the field
// cannot hold it.
QVariant fieldValueOf(const TField &field, const QString &typed)
{
    if (field.DataType() == TFieldType::ftString)
        return typed.left(field.Length());
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return {};
    bool ok = false;
    double number = QLocale().toDouble(text, &ok);
    if (!ok)
        number = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(number))
        throw AppError(QStringLiteral("«%1» не является числом.").arg(text));
    const bool integral = field.DataType() != TFieldType::ftFloat;
    if (integral && number != std::trunc(number))
        throw AppError(
            QStringLiteral("В поле %1 допускается только целое число.").arg(field.FieldName()));
    const QString stored =
        integral ? QString::number(qint64(number)) : QString::number(number, 'f', field.Decimals());
    if (stored.size() > field.Length())
        throw AppError(
            QStringLiteral("Значение %1 не помещается в поле %2.").arg(text, field.FieldName()));
    return integral ? QVariant(qint64(number)) : QVariant(number);
}

} // namespace

bool TDBGridPro::setPendingValue(int row, int column, const QVariant &value)
{
    const int fieldIndex = m_model->fieldIndex(column);
    const int recNo = m_model->recordAt(row);
    if (!cellEditable(column) || fieldIndex < 0 || recNo <= 0)
        return false;
    QVariant converted;
    if (!runGuarded(
            [&] { converted = fieldValueOf(*m_table->Fields(fieldIndex), value.toString()); }))
        return false;
    if (m_pending && m_pending->recNo != recNo)
        postPendingEdit();
    if (!m_pending)
        m_pending = PendingEdit{recNo, {}};
    m_pending->values[fieldIndex] = converted;
    return true;
}

void TDBGridPro::postPendingEdit()
{
    if (!m_pending)
        return;
    const PendingEdit edit = *std::exchange(m_pending, std::nullopt);
    if (!m_table || !m_table->Active())
        return;
    m_movingCursor = true;
    runGuarded([&] {
        if (!m_table->GoToRecord(edit.recNo))
            throw AppError(QStringLiteral("Изменения строки не записаны: строка не показывается."));
        m_table->Edit();
        // A value the table refuses is reported on its own; the row's other values are written.
        // A named pair rather than a structured binding: clang 14 cannot capture bindings.
        for (const auto &fieldValue : edit.values)
            runGuarded([&] { m_table->Fields(fieldValue.first)->SetValue(fieldValue.second); });
        try {
            m_table->Post();
        } catch (...) {
            m_table->Cancel();
            throw;
        }
    });
    m_movingCursor = false;
    m_model->rowValuesChanged(edit.recNo);
}

bool TDBGridPro::EditPending() const
{
    return m_pending.has_value() || static_cast<const GridView *>(m_view)->editing();
}

void TDBGridPro::CommitEdit()
{
    static_cast<GridView *>(m_view)->commitOpenEditor();
    postPendingEdit();
}

void TDBGridPro::editStarted()
{
    raise(OnInitEdit);
}

void TDBGridPro::fitRowHeight()
{
    m_view->verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 6);
}

void TDBGridPro::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange) {
        // Rows, titles and footer take their heights from the grid's font.
        fitRowHeight();
        m_header->titlesChanged();
        m_footer->updateGeometry();
    }
    QWidget::changeEvent(event);
}

void TDBGridPro::hideEvent(QHideEvent *event)
{
    // Whatever hides the grid (another tab shown) may next change the rows it shows.
    CommitEdit();
    QWidget::hideEvent(event);
}

// Titles, footers, events ---------------------------------------------------------------------

void TDBGridPro::TitleClick(int column, Qt::KeyboardModifiers modifiers)
{
    if (column < 0 || column >= m_columns->Count())
        return;
    CommitEdit();
    TgpColumn *clicked = m_columns->Items(column);
    const TTitleState before = clicked->TitleState();
    m_columns->BeginUpdate();
    if (modifiers & Qt::ControlModifier) {
        clicked->SetTitleState(TTitleState::tsNone);
    } else {
        const bool keepOthers = m_multiSortMarks && (modifiers & Qt::ShiftModifier);
        int lastSeq = 0;
        for (int c = 0; c < m_columns->Count(); ++c) {
            TgpColumn *other = m_columns->Items(c);
            if (other == clicked)
                continue;
            if (keepOthers)
                lastSeq = std::max(lastSeq, other->SortSeq());
            else
                other->SetTitleState(TTitleState::tsNone);
        }
        clicked->SetTitleState(before == TTitleState::tsUp ? TTitleState::tsDown
                                                           : TTitleState::tsUp);
        if (before == TTitleState::tsNone || !keepOthers)
            clicked->SetSortSeq(keepOthers ? lastSeq + 1 : 1);
    }
    m_columns->EndUpdate();
    if (clicked->TitleState() != before && OnTitleStateChange)
        runGuarded([&] { OnTitleStateChange(this, clicked); });
}

QRect TDBGridPro::FooterCellRect(int column) const
{
    if (!m_showFooters || column < 0 || column >= m_columns->Count() ||
        m_view->isColumnHidden(column))
        return {};
    const QWidget *viewport = m_view->viewport();
    const int x = m_header->sectionViewportPosition(column);
    const int width = m_header->sectionSize(column);
    if (width <= 0 || x + width <= 0 || x >= viewport->width())
        return {};
    const QPoint origin = viewport->mapTo(this, QPoint(x, 0));
    return {origin.x(), m_footer->y(), width, m_footer->height()};
}

QString TDBGridPro::CellText(int row, int column) const
{
    return m_model->displayText(row, column);
}

void TDBGridPro::raise(const std::function<void(TDBGridPro *)> &event)
{
    if (event)
        runGuarded([&] { event(this); });
}
