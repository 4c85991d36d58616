#include "platform/dbgrid/gridfit.h"

#include <algorithm>
#include <cmath>

QList<int> FitColumnWidths(const QList<int> &widths, const QList<bool> &fixed, int available,
                           int minWidth)
{
    QList<int> result = widths;
    qint64 fixedTotal = 0;
    qint64 flexTotal = 0;
    int flexCount = 0;
    for (qsizetype i = 0; i < widths.size(); ++i) {
        if (fixed.value(i))
            fixedTotal += widths[i];
        else {
            flexTotal += std::max(widths[i], 1);
            ++flexCount;
        }
    }
    const qint64 space = available - fixedTotal;
    if (flexCount == 0 || space < qint64(flexCount) * minWidth)
        return result;

    // Largest-remainder rounding so that the shares add up to the space exactly.
    qint64 given = 0;
    QList<std::pair<double, qsizetype>> remainders;
    for (qsizetype i = 0; i < widths.size(); ++i) {
        if (fixed.value(i))
            continue;
        const double exact = double(space) * std::max(widths[i], 1) / double(flexTotal);
        result[i] = int(std::floor(exact));
        given += result[i];
        remainders.append({exact - result[i], i});
    }
    std::stable_sort(remainders.begin(), remainders.end(),
                     [](const auto &a, const auto &b) { return a.first > b.first; });
    for (qsizetype k = 0; given < space; ++k, ++given)
        ++result[remainders[k % remainders.size()].second];

    // Lift narrow columns to the minimum, taking the pixels from the widest.
    for (qsizetype i = 0; i < result.size(); ++i) {
        while (!fixed.value(i) && result[i] < minWidth) {
            qsizetype widest = -1;
            for (qsizetype j = 0; j < result.size(); ++j)
                if (!fixed.value(j) && (widest < 0 || result[j] > result[widest]))
                    widest = j;
            if (result[widest] <= minWidth)
                break;
            --result[widest];
            ++result[i];
        }
    }
    return result;
}
