#pragma once

#include <QString>

// Texts the reception shows. The refusals of malformed input say what was wrong.
namespace ReceptionText {
inline const QString Caption = QStringLiteral("Прием данных");
inline const QString Waiting = QStringLiteral("Ожидание готовности прибора ...");
inline const QString Receiving = QStringLiteral("Идет прием информации ...");
inline const QString DeviceName = QStringLiteral("Ortan - LK7");
inline const QString NotFound =
    QStringLiteral("Прибор не обнаружен! Проверте правильность подключения согласно инструкции!");
inline const QString WrongDevice = QStringLiteral("Вы подключили не тот прибор !");
inline const QString NoData = QStringLiteral("Нет данных для передачи!");

inline const QString Overrun = QStringLiteral(
    "Ошибка приема: прибор передал больше 262144 символов, буфер приема переполнен.");
inline const QString Oversize = QStringLiteral("Ошибка приема: кадр данных длиннее 65536 байт.");
inline const QString OddLength = QStringLiteral("Ошибка приема: нечетное число символов в кадре.");
inline const QString EmptyFrame = QStringLiteral("Ошибка приема: пустой кадр.");
inline const QString EndWithoutStart =
    QStringLiteral("Ошибка приема: конец кадра получен без начала кадра.");
inline const QString ShortIdentification =
    QStringLiteral("Ошибка приема: кадр идентификации короче 16 байт.");
// %1: the character's code in hexadecimal.
inline const QString BadCharacter =
    QStringLiteral("Ошибка приема: недопустимый символ 0x%1 в кадре.");
} // namespace ReceptionText
