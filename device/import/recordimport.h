#pragma once

#include <QString>
#include <functional>

class TDbf;

// What an import of DeviceImage into the open archive did.
struct ImportOutcome
{
    int announced = 0; // records the image's count announces
    int received = 0;  // records the last reception delivered completely
    int skipped = 0;   // records already in the archive (append mode)
    int written = 0;   // rows appended and posted

    bool truncated() const { return received < announced; }
};

// Appends one pull-off row per complete record of DeviceImage to the open table, each posted on
// its own, when DeviceTypeCode is 80; another code writes nothing. beforeRow runs before every
// row (the window sets the force columns' captions there).
//
// In append mode the records whose moment (DATE and TIME) is not later than the latest moment of
// the table's pull-off rows are skipped until the first later one; N continues from the number
// skipped.
// Every moment is checked before the first row is written, so a text that does not convert
// leaves the archive unchanged.
//
// The table is left with the filter "NB_TYPE=1". Errors of the table pass to the caller; rows
// posted before stay.
ImportOutcome importDeviceRecords(TDbf &table, bool append,
                                  const std::function<void()> &beforeRow = {});

// The moment of a date text "dd.mm.yyyy" and a time text "hh:mm:ss": whole seconds from a fixed
// origin. Throws AppError when the texts do not name a real moment.
qint64 archiveMoment(const QString &date, const QString &time);

// The warning shown when the image announced more records than the reception delivered.
QString truncatedImageMessage(const ImportOutcome &outcome);
