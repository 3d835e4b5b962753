#include "records.h"

#include <QRandomGenerator>
#include <algorithm>

namespace ctlsim {

std::vector<Record> sampleRecords(int address, int count, const QDate& lastDay) {
    QRandomGenerator random(quint32(address) * 7919u + 17u);
    std::vector<Record> records;
    records.reserve(std::size_t(std::max(0, count)));
    for (int i = 0; i < count; ++i) {
        Record r;
        r.card = QStringLiteral("%1").arg(random.bounded(1, 301), 6, 10, QLatin1Char('0'));
        const QDate day = lastDay.addDays(-random.bounded(30));
        r.when = QDateTime(day, QTime(random.bounded(7, 21), random.bounded(60)));
        r.flag = random.bounded(1, 5);
        records.push_back(r);
    }
    std::stable_sort(records.begin(), records.end(), [](const Record& x, const Record& y) { return x.when < y.when; });
    return records;
}

}  // namespace ctlsim
