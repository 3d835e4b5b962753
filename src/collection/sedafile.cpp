#include "sedafile.h"

#include "linefile.h"
#include "programfolder.h"
#include "sqlvalue.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

namespace seda {

namespace {

const QString lineEnd = QStringLiteral("\r\n");

bool writeLines(const QStringList& lines) {
    QSaveFile file(sedaFile());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (const QString& l : lines)
        file.write((l + lineEnd).toUtf8());
    return file.commit();
}

}  // namespace

QString sedaFile() { return platform::programFile(QStringLiteral("seda.dat")); }
QString badFile() { return platform::programFile(QStringLiteral("seda.bad")); }

QString line(const swipes::SwipeRow& row) {
    return QStringLiteral("\"%1\",#%2#,#%3#,\"%4\",%5")
        .arg(row.card.leftJustified(10, QLatin1Char(' '), true), jet::storedDate(row.date), jet::storedTime(row.time),
             QString::number(row.address).leftJustified(6, QLatin1Char(' '), true), QString::number(row.flag));
}

std::optional<swipes::SwipeRow> parseLine(const QString& text) {
    static const QRegularExpression form(QStringLiteral(
        R"(^"\s*(\d{6})\s*",#\s*(\d{4}-\d{2}-\d{2})\s*#,#\s*(\d{1,2}:\d{2}(?::\d{2})?)\s*#,"\s*(\d{1,2})\s*",(\d{1,3})\s*$)"));
    const auto m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date = QDate::fromString(m.captured(2), QStringLiteral("yyyy-MM-dd"));
    const QVariant time = jet::parseDateTime(m.captured(3));
    const int flag = m.captured(5).toInt();
    if (!date.isValid() || time.typeId() != QMetaType::QTime || flag > 255)
        return std::nullopt;
    return swipes::SwipeRow{m.captured(1), date, time.toTime(), m.captured(4).toInt(), flag};
}

int namedAddress(const QString& text) {
    static const QRegularExpression field(QStringLiteral(R"(^"[^"]*",#[^#]*#,#[^#]*#,"\s*(\d{1,2})\s*")"));
    const auto m = field.match(text);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

bool append(const std::vector<swipes::SwipeRow>& rows) {
    QStringList lines;
    lines.reserve(qsizetype(rows.size()));
    for (const auto& row : rows)
        lines << line(row);
    return linefile::append(sedaFile(), lines, lineEnd.toUtf8());
}

ImportResult importFile(jet::Database& db) {
    ImportResult result;
    QFile file(sedaFile());
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return result;
    QStringList kept;
    QStringList unreadable;
    QStringList readable;
    std::vector<swipes::SwipeRow> rows;
    while (!file.atEnd()) {
        const QString text = QString::fromUtf8(file.readLine()).trimmed();
        if (text.isEmpty())
            continue;
        if (const auto row = parseLine(text)) {
            rows.push_back(*row);
            readable << text;
        } else {
            unreadable << text;
        }
    }
    file.close();
    // No later run could read such a line either: it goes to the side file,
    // before seda.dat is rewritten without it, so it is never lost.
    if (!unreadable.isEmpty()) {
        if (linefile::append(badFile(), unreadable, lineEnd.toUtf8())) {
            result.unreadable = int(unreadable.size());
            for (const QString& l : unreadable)
                ++result.unreadableBy[namedAddress(l)];
        } else {
            kept << unreadable;
            result.error = QStringLiteral("seda.bad");
        }
    }
    const swipes::StoreResult stored = swipes::storeRows(db, rows);
    for (std::size_t i : stored.failedRows)
        kept << readable[qsizetype(i)];
    for (const QString& l : kept)
        ++result.failedBy[namedAddress(l)];
    result.stored = stored.stored;
    result.already = stored.already;
    result.failed = int(kept.size());
    if (!stored.error.isEmpty())
        result.error = stored.error;
    if (kept.isEmpty())
        QFile::remove(sedaFile());
    else if (!writeLines(kept) && result.error.isEmpty())
        result.error = QStringLiteral("seda.dat");
    return result;
}

}  // namespace seda
