#include "platform/dialogs/scripteddialogservice.h"

ScriptedDialogService::ScriptedDialogService()
{
    DialogService::install(this);
}

ScriptedDialogService::~ScriptedDialogService()
{
    DialogService::install(nullptr);
}

QStringList ScriptedDialogService::texts() const
{
    QStringList out;
    for (const Shown &s : m_shown)
        out.append(s.text);
    return out;
}

void ScriptedDialogService::clear()
{
    m_answers.clear();
    m_shown.clear();
}

QVariant ScriptedDialogService::nextAnswer()
{
    return m_answers.isEmpty() ? QVariant() : m_answers.takeFirst();
}

void ScriptedDialogService::record(const Shown &shown)
{
    m_shown.append(shown);
    if (m_hook)
        m_hook(shown);
}

DialogService::Button ScriptedDialogService::nextButton(Buttons buttons)
{
    if (!m_answers.isEmpty())
        return static_cast<Button>(m_answers.takeFirst().toInt());
    switch (buttons) {
    case Buttons::Ok:
    case Buttons::OkCancel:
        return Button::Ok;
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        return Button::Yes;
    }
    return Button::Ok;
}

DialogService::Button ScriptedDialogService::messageBox(const QString &text,
                                                        const QString &caption, Icon icon,
                                                        Buttons buttons)
{
    Shown s{Kind::MessageBox, text, caption, icon, DlgType::Information, buttons, {}};
    record(s);
    return nextButton(buttons);
}

DialogService::Button ScriptedDialogService::messageDlg(const QString &text, DlgType type,
                                                        Buttons buttons)
{
    Shown s{Kind::MessageDlg, text, dlgCaption(type), Icon::None, type, buttons, {}};
    record(s);
    return nextButton(buttons);
}

std::optional<QString> ScriptedDialogService::nextFile(Kind kind, const FileRequest &request)
{
    Shown s{kind, request.title, request.filter, Icon::None, DlgType::Information,
            Buttons::OkCancel, request};
    record(s);
    const QVariant v = nextAnswer();
    if (!v.isValid())
        return std::nullopt;
    return v.toString();
}

std::optional<QString> ScriptedDialogService::openFile(const FileRequest &request)
{
    return nextFile(Kind::OpenFile, request);
}

std::optional<QString> ScriptedDialogService::saveFile(const FileRequest &request)
{
    return nextFile(Kind::SaveFile, request);
}

std::optional<QColor> ScriptedDialogService::chooseColor(const QColor &initial)
{
    Shown s{Kind::Color, initial.name(), {}, Icon::None, DlgType::Information, Buttons::OkCancel,
            {}};
    record(s);
    const QVariant v = nextAnswer();
    if (!v.isValid())
        return std::nullopt;
    return v.value<QColor>();
}

bool ScriptedDialogService::print(QPrinter *)
{
    record({Kind::Print, {}, {}, Icon::None, DlgType::Information, Buttons::OkCancel, {}});
    return !m_answers.isEmpty() && m_answers.takeFirst().toBool();
}
