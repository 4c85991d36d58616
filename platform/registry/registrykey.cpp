#include "platform/registry/registrykey.h"

#include <QDir>
#include <QSettings>

namespace {
QString g_testDirectory;
} // namespace

RegistryKey::RegistryKey()
{
    if (g_testDirectory.isEmpty())
        m_settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                 QStringLiteral("Vemtorik"),
                                                 QStringLiteral("KELM2"));
    else
        m_settings = std::make_unique<QSettings>(QDir(g_testDirectory).filePath("KELM2.ini"),
                                                 QSettings::IniFormat);
    m_settings->beginGroup(QStringLiteral("1.0"));
}

RegistryKey::~RegistryKey()
{
    m_settings->endGroup();
    m_settings->sync();
}

bool RegistryKey::valueExists(const QString &name) const
{
    return m_settings->contains(name);
}

QString RegistryKey::readString(const QString &name) const
{
    return m_settings->value(name).toString();
}

void RegistryKey::writeString(const QString &name, const QString &value)
{
    m_settings->setValue(name, value);
}

void RegistryKey::flush()
{
    m_settings->sync();
}

void RegistryKey::useDirectoryForTests(const QString &dir)
{
    g_testDirectory = dir;
}
