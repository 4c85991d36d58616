#pragma once

// Program start: the windows are created once, in the order main window, reception dialog,
// splash, about box, and live until the program ends; the splash is shown for about three
// seconds and destroyed.

#include <QString>

// Creates Form1, Form2, Form5 and Form6 (Form1's FormCreate runs first). Call with a QApplication.
void createForms();
// Frees the windows that createForms made and that still exist.
void destroyForms();
// Start-up, the splash, then the main window and the message loop; returns the exit code. An
// archive named on the command line (the desktop's "open with") is opened once the window shows.
int runProgram(const QString &archive = {});
