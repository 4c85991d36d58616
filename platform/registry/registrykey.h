#pragma once

#include <QString>
#include <memory>

class QSettings;

// The program's configuration key "\Software\Vemtorik\KELM2\1.0" under the current user. On
// Windows it is that registry key; elsewhere an INI file under the XDG config home. Opened once at
// start-up and kept open for the run.
class RegistryKey
{
public:
    static inline const QString DefaultDir = QStringLiteral("Default_dir");
    static inline const QString Table1 = QStringLiteral("Table_1");
    static inline const QString Table2 = QStringLiteral("Table_2");
    static inline const QString PortCom1 = QStringLiteral("Port_COM1");
    static inline const QString PortCom2 = QStringLiteral("Port_COM2");

    RegistryKey();
    ~RegistryKey();

    bool valueExists(const QString &name) const;
    QString readString(const QString &name) const;
    void writeString(const QString &name, const QString &value);
    // Writes pending values to the store.
    void flush();

    // Tests keep the configuration in an INI file inside dir; an empty dir restores the real key.
    static void useDirectoryForTests(const QString &dir);

private:
    std::unique_ptr<QSettings> m_settings;
};
