#include "archive/schema/archiveschema.h"

namespace {

QList<TFieldDef> buildDefs()
{
    using T = TFieldType;
    QList<TFieldDef> defs = {
        {QStringLiteral("N"), T::ftInteger, 0, {}},
        {QStringLiteral("DATE"), T::ftString, 10, {}},
        {QStringLiteral("TIME"), T::ftString, 8, {}},
        {QStringLiteral("DEV_TYPE"), T::ftSmallint, 0, {}},
        {QStringLiteral("SERIAL"), T::ftInteger, 0, {}},
        {QStringLiteral("NB_TYPE"), T::ftSmallint, 0, {}},
        {QStringLiteral("P"), T::ftFloat, 0, {}},
        {QStringLiteral("R"), T::ftFloat, 0, {}},
        {QStringLiteral("ZAV"), T::ftString, 8, {}},
        {QStringLiteral("TYPE"), T::ftString, 15, {}},
        {QStringLiteral("COMMENT"), T::ftString, 100, {}},
        {QStringLiteral("T"), T::ftFloat, 0, {}},
    };
    for (int n = 1; n <= 100; ++n) {
        const QString format = n <= 10 ? QStringLiteral("0.0") : QString();
        TFieldDef p{archiveReadingField(QLatin1Char('P'), n), T::ftFloat, 0, format};
        TFieldDef d{archiveReadingField(QLatin1Char('D'), n), T::ftFloat, 0, format};
        if (n == 26 || n == 81)
            defs << d << p; // the order existing archives have
        else
            defs << p << d;
    }
    return defs;
}

} // namespace

const QList<TFieldDef> &archiveFieldDefs()
{
    static const QList<TFieldDef> defs = buildDefs();
    return defs;
}

QString archiveReadingField(QChar letter, int n)
{
    return QString(letter) + QString::number(n);
}
