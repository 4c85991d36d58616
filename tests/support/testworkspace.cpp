#include "tests/support/testworkspace.h"

#include "platform/registry/registrykey.h"
#include "platform/shared/sharedstate.h"

#include <QDir>

TestWorkspace::TestWorkspace()
{
    resetSharedState();
    if (m_dir.isValid() && QDir(m_dir.path()).mkdir(QStringLiteral("registry")))
        RegistryKey::useDirectoryForTests(m_dir.filePath(QStringLiteral("registry")));
}

TestWorkspace::~TestWorkspace()
{
    RegistryKey::useDirectoryForTests({});
}

bool TestWorkspace::isValid() const
{
    return m_dir.isValid() && QDir(m_dir.filePath(QStringLiteral("registry"))).exists();
}
