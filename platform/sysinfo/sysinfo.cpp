#include "platform/sysinfo/sysinfo.h"

#include "fileversion.h"

namespace {
std::optional<QString> g_testVersion;
} // namespace

QString SysInfo::fileVersion()
{
    if (g_testVersion)
        return *g_testVersion;
    return QString::fromLatin1(BuildFileVersion);
}

void SysInfo::setFileVersionForTests(std::optional<QString> version)
{
    g_testVersion = std::move(version);
}
