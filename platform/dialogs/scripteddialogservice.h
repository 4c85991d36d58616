#pragma once

#include "platform/dialogs/dialogservice.h"

#include <QList>
#include <QVariant>
#include <functional>

// A dialog service for tests: it records every dialog shown and answers from a queue, so that no
// test ever blocks on a modal window. Installs itself while it lives.
//
// Answers are taken in order: a Button for message boxes and dialogs, a QString (or an invalid
// QVariant for "cancelled") for file dialogs, a QColor (or invalid) for the colour dialog, a bool
// for the print dialog. With the queue empty a message is answered with its first button, file and
// colour dialogs are cancelled and printing is refused.
class ScriptedDialogService : public DialogService
{
public:
    enum class Kind { MessageBox, MessageDlg, OpenFile, SaveFile, Color, Print };

    struct Shown
    {
        Kind kind;
        QString text;    // message text, or the file dialog's title
        QString caption; // message box caption, message dialog caption, or the file filter
        Icon icon = Icon::None;
        DlgType dlgType = DlgType::Information;
        Buttons buttons = Buttons::Ok;
        FileRequest file; // file dialogs only
    };

    ScriptedDialogService();
    ~ScriptedDialogService() override;

    void answer(const QVariant &value) { m_answers.append(value); }
    void answer(Button button) { m_answers.append(QVariant::fromValue(static_cast<int>(button))); }
    // Runs while a message box or dialog is "open", e.g. to check state at that moment.
    void onShow(std::function<void(const Shown &)> hook) { m_hook = std::move(hook); }

    const QList<Shown> &shown() const { return m_shown; }
    QStringList texts() const;
    int pendingAnswers() const { return int(m_answers.size()); }
    void clear();

    Button messageBox(const QString &text, const QString &caption, Icon icon,
                      Buttons buttons) override;
    Button messageDlg(const QString &text, DlgType type, Buttons buttons) override;
    std::optional<QString> openFile(const FileRequest &request) override;
    std::optional<QString> saveFile(const FileRequest &request) override;
    std::optional<QColor> chooseColor(const QColor &initial) override;
    bool print(QPrinter *printer) override;

private:
    Button nextButton(Buttons buttons);
    std::optional<QString> nextFile(Kind kind, const FileRequest &request);
    void record(const Shown &shown);
    // The next queued answer; an invalid QVariant when none is queued.
    QVariant nextAnswer();

    QList<QVariant> m_answers;
    QList<Shown> m_shown;
    std::function<void(const Shown &)> m_hook;
};
