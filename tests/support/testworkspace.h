#pragma once

#include <QString>
#include <QTemporaryDir>

// The surroundings of one test function that drives the program: the shared state as at program
// start, a fresh temporary folder, and the program's registry kept in its subfolder "registry".
// The registry goes back to the real key when the workspace is destroyed.
class TestWorkspace
{
public:
    TestWorkspace();
    ~TestWorkspace();
    TestWorkspace(const TestWorkspace &) = delete;
    TestWorkspace &operator=(const TestWorkspace &) = delete;

    bool isValid() const;
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};
