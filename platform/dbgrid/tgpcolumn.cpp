#include "platform/dbgrid/tgpcolumn.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

void TgpColumn::changed(Change change)
{
    if (m_owner)
        m_owner->notify(change);
}

void TgpColumn::SetFieldName(const QString &name)
{
    if (name == m_fieldName)
        return;
    m_fieldName = name;
    m_layout.fieldName = name;
    changed(Change::Structure);
}

void TgpColumn::SetCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    changed(Change::Look);
}

void TgpColumn::SetTitleAlignment(Qt::Alignment alignment)
{
    m_titleAlignment = alignment;
    changed(Change::Look);
}

void TgpColumn::SetWidth(int width)
{
    width = std::max(width, 0);
    if (width == m_layout.width)
        return;
    m_layout.width = width;
    changed(Change::Widths);
}

void TgpColumn::SetVisible(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    changed(Change::Structure);
}

void TgpColumn::SetColor(const QColor &color)
{
    m_layout.color = color.isValid() ? color : QColor();
    changed(Change::Look);
}

void TgpColumn::SetAlignment(Qt::Alignment alignment)
{
    m_layout.alignment = alignment;
    changed(Change::Look);
}

void TgpColumn::SetFont(const std::optional<QFont> &font)
{
    m_layout.font = font;
    changed(Change::Look);
}

void TgpColumn::SetVisualOptions(int options)
{
    m_layout.visualOptions = options;
    changed(Change::Look);
}

void TgpColumn::SetFooterText(const QString &text)
{
    if (text == m_footerText)
        return;
    m_footerText = text;
    changed(Change::Look);
}

void TgpColumn::SetView(TCellView view)
{
    m_view = view;
    changed(Change::Look);
}

void TgpColumn::SetNumericFormat(const QString &format)
{
    m_numericFormat = format;
    changed(Change::Look);
}

void TgpColumn::SetReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    changed(Change::Look);
}

void TgpColumn::SetFixedWidth(bool fixed)
{
    if (fixed == m_fixedWidth)
        return;
    m_fixedWidth = fixed;
    changed(Change::Widths);
}

void TgpColumn::SetTitleState(TTitleState state)
{
    m_layout.titleState = state;
    if (state == TTitleState::tsNone)
        m_layout.sortSeq = 0;
    changed(Change::Look);
}

void TgpColumn::SetSortSeq(int seq)
{
    m_layout.sortSeq = std::max(seq, 0);
    changed(Change::Look);
}

int TgpColumn::Index() const
{
    return m_owner ? m_owner->IndexOf(this) : 0;
}

void TgpColumn::SetIndex(int index)
{
    if (m_owner)
        m_owner->Move(Index(), index);
}

ColumnLayout TgpColumn::Layout() const
{
    ColumnLayout layout = m_layout;
    layout.fieldName = m_fieldName;
    layout.index = Index();
    return layout;
}

void TgpColumn::SetLayout(const ColumnLayout &layout)
{
    const QString fieldName = m_fieldName;
    const int width = m_layout.width;
    m_layout = layout;
    m_layout.fieldName = fieldName;
    m_layout.width = std::max(layout.width, 0);
    if (m_layout.titleState == TTitleState::tsNone)
        m_layout.sortSeq = 0;
    if (m_layout.width != width)
        changed(Change::Widths);
    changed(Change::Look);
    SetIndex(layout.index);
}

TgpColumns::TgpColumns(QObject *parent) : QObject(parent) {}

TgpColumns::~TgpColumns() = default;

TgpColumn *TgpColumns::FindByFieldName(const QString &name) const
{
    for (const auto &column : m_columns)
        if (column->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return column.get();
    return nullptr;
}

int TgpColumns::IndexOf(const TgpColumn *column) const
{
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].get() == column)
            return int(i);
    return -1;
}

TgpColumn *TgpColumns::Add(const QString &fieldName)
{
    m_columns.push_back(std::unique_ptr<TgpColumn>(new TgpColumn(this)));
    TgpColumn *column = m_columns.back().get();
    column->m_fieldName = fieldName;
    column->m_layout.fieldName = fieldName;
    notify(TgpColumn::Change::Structure);
    return column;
}

void TgpColumns::Move(int from, int to)
{
    const int last = Count() - 1;
    if (from < 0 || from > last)
        return;
    to = std::clamp(to, 0, last);
    if (from == to)
        return;
    auto column = std::move(m_columns[size_t(from)]);
    m_columns.erase(m_columns.begin() + from);
    m_columns.insert(m_columns.begin() + to, std::move(column));
    notify(TgpColumn::Change::Structure);
}

void TgpColumns::Clear()
{
    if (m_columns.empty())
        return;
    m_columns.clear();
    notify(TgpColumn::Change::Structure);
}

void TgpColumns::CopyLayoutAsNew(const TgpColumns &source)
{
    BeginUpdate();
    Clear();
    for (const auto &from : source.m_columns) {
        ColumnLayout layout = from->Layout();
        layout.index = Count();
        Add(from->FieldName())->SetLayout(layout);
    }
    EndUpdate();
}

void TgpColumns::CopyLayoutByFieldName(const TgpColumns &source)
{
    // The saved places only say how the matched columns are ordered among themselves: they take
    // the positions those columns hold now, in the saved order, so that foreign or missing
    // entries cannot push a column out of its neighbourhood.
    std::vector<TgpColumn *> matched;
    for (const auto &from : source.m_columns) {
        TgpColumn *to = FindByFieldName(from->FieldName());
        if (!to || std::find(matched.begin(), matched.end(), to) != matched.end())
            continue;
        matched.push_back(to);
    }
    std::vector<int> places;
    for (TgpColumn *column : matched)
        places.push_back(IndexOf(column));
    std::sort(places.begin(), places.end());

    BeginUpdate();
    for (size_t i = 0; i < matched.size(); ++i) {
        TgpColumn *from = source.FindByFieldName(matched[i]->FieldName());
        ColumnLayout layout = from->Layout();
        layout.index = matched[i]->Index();
        matched[i]->SetLayout(layout);
    }
    for (size_t i = 0; i < matched.size(); ++i)
        Move(IndexOf(matched[i]), places[i]);
    EndUpdate();
}

namespace {

const char *stateName(TTitleState state)
{
    switch (state) {
    case TTitleState::tsUp:
        return "up";
    case TTitleState::tsDown:
        return "down";
    case TTitleState::tsNone:
        break;
    }
    return "none";
}

std::optional<TTitleState> stateFromName(const QString &name)
{
    if (name == QLatin1String("none"))
        return TTitleState::tsNone;
    if (name == QLatin1String("up"))
        return TTitleState::tsUp;
    if (name == QLatin1String("down"))
        return TTitleState::tsDown;
    return std::nullopt;
}

constexpr int KnownAlignment = Qt::AlignHorizontal_Mask | Qt::AlignVertical_Mask;
constexpr int KnownVisualOptions = voTitleWordWrap | voCellEllipsis;

QJsonObject toJson(const ColumnLayout &layout)
{
    QJsonObject o;
    o["field"] = layout.fieldName;
    o["width"] = layout.width;
    o["level"] = layout.level;
    o["index"] = layout.index;
    o["titleState"] = stateName(layout.titleState);
    o["sortSeq"] = layout.sortSeq;
    o["footerState"] = "text";
    o["visualOptions"] = layout.visualOptions;
    o["color"] = layout.color.isValid() ? QJsonValue(layout.color.name(QColor::HexRgb))
                                        : QJsonValue(QJsonValue::Null);
    o["alignment"] = int(layout.alignment);
    o["font"] = layout.font ? QJsonValue(layout.font->toString()) : QJsonValue(QJsonValue::Null);
    return o;
}

bool isCount(const QJsonValue &v)
{
    return v.isDouble() && v.toDouble() >= 0 && v.toDouble() <= 1e6 &&
           v.toDouble() == double(v.toInt());
}

// A column entry is taken only when every attribute is present and valid.
std::optional<ColumnLayout> fromJson(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject o = value.toObject();
    ColumnLayout layout;
    if (!o["field"].isString() || o["field"].toString().isEmpty())
        return std::nullopt;
    layout.fieldName = o["field"].toString();
    for (const char *key : {"width", "level", "index", "sortSeq", "visualOptions", "alignment"})
        if (!isCount(o[key]))
            return std::nullopt;
    layout.width = o["width"].toInt();
    layout.level = o["level"].toInt();
    layout.index = o["index"].toInt();
    layout.sortSeq = o["sortSeq"].toInt();
    const auto state = stateFromName(o["titleState"].toString());
    if (!state || o["footerState"].toString() != QLatin1String("text"))
        return std::nullopt;
    layout.titleState = *state;
    if (layout.titleState == TTitleState::tsNone)
        layout.sortSeq = 0;
    layout.visualOptions = o["visualOptions"].toInt();
    if (layout.visualOptions & ~KnownVisualOptions)
        return std::nullopt;
    const int alignment = o["alignment"].toInt();
    if (alignment & ~KnownAlignment)
        return std::nullopt;
    layout.alignment = Qt::Alignment(alignment);
    if (o["color"].isString()) {
        layout.color = QColor::fromString(o["color"].toString());
        if (!layout.color.isValid())
            return std::nullopt;
    } else if (!o["color"].isNull()) {
        return std::nullopt;
    }
    if (o["font"].isString()) {
        QFont font;
        if (!font.fromString(o["font"].toString()))
            return std::nullopt;
        layout.font = font;
    } else if (!o["font"].isNull()) {
        return std::nullopt;
    }
    return layout;
}

} // namespace

QString TgpColumns::ToText() const
{
    QJsonArray columns;
    for (const auto &column : m_columns)
        columns.append(toJson(column->Layout()));
    QJsonObject root;
    root["columns"] = columns;
    return QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
}

bool TgpColumns::FromText(const QString &text)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject() ||
        !doc.object()["columns"].isArray())
        return false;
    std::vector<ColumnLayout> layouts;
    for (const QJsonValue &entry : doc.object()["columns"].toArray()) {
        const auto layout = fromJson(entry);
        if (!layout)
            return false;
        layouts.push_back(*layout);
    }
    BeginUpdate();
    Clear();
    for (ColumnLayout &layout : layouts) {
        layout.index = Count();
        Add(layout.fieldName)->SetLayout(layout);
    }
    EndUpdate();
    return true;
}

void TgpColumns::BeginUpdate()
{
    ++m_updateDepth;
}

void TgpColumns::EndUpdate()
{
    if (m_updateDepth == 0 || --m_updateDepth > 0)
        return;
    const bool structure = std::exchange(m_pendingStructure, false);
    const bool widths = std::exchange(m_pendingWidths, false);
    const bool look = std::exchange(m_pendingLook, false);
    if (structure)
        emit structureChanged();
    if (widths)
        emit widthsChanged();
    if (look)
        emit lookChanged();
}

void TgpColumns::notify(TgpColumn::Change change)
{
    if (m_updateDepth > 0) {
        m_pendingStructure |= change == TgpColumn::Change::Structure;
        m_pendingWidths |= change == TgpColumn::Change::Widths;
        m_pendingLook |= change == TgpColumn::Change::Look;
        return;
    }
    switch (change) {
    case TgpColumn::Change::Structure:
        emit structureChanged();
        break;
    case TgpColumn::Change::Widths:
        emit widthsChanged();
        break;
    case TgpColumn::Change::Look:
        emit lookChanged();
        break;
    }
}
