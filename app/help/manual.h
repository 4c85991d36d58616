#pragma once

#include <QString>

// Shows documents in the desktop's viewer. The program uses the desktop's application for the
// file type; tests install a recorder so that no real viewer starts.
class DocumentViewer
{
public:
    virtual ~DocumentViewer() = default;
    // True when the desktop took the file.
    virtual bool openDocument(const QString &path) = 0;

    // Never null: the desktop viewer until another one is installed. install() does not take
    // ownership; nullptr restores the desktop viewer.
    static DocumentViewer &instance();
    static void install(DocumentViewer *viewer);
};

// The operator's manual "ortan.rtf" in the program's own directory.
QString manualPath();

// Opens the manual read-only: the viewer gets a copy without write permission in a private
// temporary folder that lives until the program ends, so nothing done in the viewer can change
// the installed manual. Throws AppError when the manual is missing or no viewer takes it.
void showManual(const QString &manualFile);
