#pragma once

// Text forms of field values inside a record: numbers right-aligned with "." as the decimal
// point, text left-aligned and padded with spaces, all spaces for an empty field.

#include "platform/dbf/dbflayout.h"

#include <QByteArray>
#include <optional>

class QTextCodec;

bool dbfIsBlank(const char *bytes, int length);

// The number a numeric field holds; nullopt when it is blank or not a number (dBase writes
// asterisks for a value that did not fit).
std::optional<double> dbfParseNumber(const char *bytes, int length);

// The field text of a number; throws AppError (nothing is written) when the value does not fit
// the field, is out of the range of its program type, or is not finite.
QByteArray dbfFormatNumber(const DbfFieldLayout &field, double value);

// The field text of a text value, cut to the field length; throws AppError when the text has
// characters the table's code page cannot hold.
QByteArray dbfFormatText(const DbfFieldLayout &field, const QString &text, QTextCodec *codec);

// Text of a field as stored, trailing spaces dropped.
QString dbfDecodeText(const char *bytes, int length, QTextCodec *codec);

// Parses a number typed by the user: "." or "," as the decimal point, surrounding spaces allowed.
std::optional<double> dbfParseUserNumber(const QString &text);
