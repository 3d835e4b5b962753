#pragma once
#include "records.h"
#include "recordset.h"
#include "simline.h"

#include <QDateTime>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <vector>

// A simulated line, the shared database, and controllers listed in doors.
class CollectionLine : public SimLine {
protected:
    void SetUp() override {
        SimLine::SetUp();
        openSharedDb();
    }
    void TearDown() override {
        app::db.Close();
        SimLine::TearDown();
    }

    void addDoors(const QList<int>& addresses) {
        for (int a : addresses) {
            if (!sim->hasController(a))
                sim->addController(a);
            openDb().Execute(QStringLiteral("insert into doors (地址) values (%1)").arg(a));
        }
    }
    void holdRecords(int address, const std::vector<ctlsim::Record>& records) {
        sim->edit(address, [&](ctlsim::Controller& c) { c.records = records; });
    }
    static ctlsim::Record record(const QString& card, const QDateTime& when, int flag) {
        ctlsim::Record r;
        r.card = card;
        r.when = when;
        r.flag = flag;
        return r;
    }
    // The eleven bytes of a stored record, each field as given (packed or not).
    static QByteArray recordBytes(int address, std::initializer_list<int> fields) {
        QByteArray b(1, char(address));
        for (int f : fields)
            b += char(f);
        while (b.size() < 11)
            b += char(0);
        return b;
    }
    static QByteArray header(int address, int count) {
        return QByteArray(1, char(address)) + char(count >> 8) + char(count & 0xFF);
    }

    // data's rows as "card date time address flag flagIO", sorted.
    QStringList dataRows(const QString& where = QString()) const {
        QStringList rows;
        jet::Database db = openDb();
        jet::Recordset rs = db.OpenRecordset(
            QStringLiteral("select * from data %1").arg(where), jet::dbOpenSnapshot);
        for (; !rs.Eof(); rs.MoveNext())
            rows << QStringLiteral("%1 %2 %3 %4 %5 %6")
                        .arg(rs.Field(QStringLiteral("卡號")).toString(),
                             rs.Field(QStringLiteral("日期")).toDate().toString(QStringLiteral("yyyy-MM-dd")),
                             rs.Field(QStringLiteral("時間")).toTime().toString(QStringLiteral("HH:mm:ss")),
                             rs.Field(QStringLiteral("地址")).toString(), rs.Field(QStringLiteral("flag")).toString(),
                             rs.Field(QStringLiteral("flagIO")).toString());
        rows.sort();
        return rows;
    }
    // What those rows should be for records held by a controller.
    static QStringList expectedRows(int address, const std::vector<ctlsim::Record>& records) {
        static const QStringList io = {QString(), QStringLiteral("鎖一進"), QStringLiteral("鎖一出"),
                                       QStringLiteral("鎖二進"), QStringLiteral("鎖二出")};
        QStringList rows;
        for (const auto& r : records)
            rows << QStringLiteral("%1 %2 %3 %4 %5 %6")
                        .arg(r.card, r.when.date().toString(QStringLiteral("yyyy-MM-dd")),
                             r.when.time().toString(QStringLiteral("HH:mm:00")), QString::number(address),
                             QString::number(r.flag), r.flag >= 1 && r.flag <= 4 ? io[r.flag] : QString());
        rows.sort();
        return rows;
    }
};
