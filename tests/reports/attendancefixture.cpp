#include "attendancefixture.h"

#include "frmkqzl.h"
#include "recordset.h"
#include "sqlvalue.h"

#include <QDateEdit>
#include <QPushButton>
#include <QTest>

namespace reportstest {

void addSwipe(jet::Database& db, const QString& card, const QDate& day, const QTime& time, int flag, int address)
{
    static const char* const directions[] = {"", "鎖一進", "鎖一出", "鎖二進", "鎖二出"};
    // A code no lock gives is stored without a direction's text.
    const char* direction = flag >= 1 && flag <= 4 ? directions[flag] : "";
    db.Execute(QStringLiteral("insert into data (卡號,地址,日期,時間,flagIO,flag) values (%1,%2,%3,%4,%5,%6)")
                   .arg(sql::text(card), sql::number(qint64(address)), sql::date(day), sql::time(time),
                        sql::text(QString::fromUtf8(direction)), sql::number(qint64(flag))));
}

void addPerson(jet::Database& db, const QString& card)
{
    db.Execute(QStringLiteral("insert into people (卡號,姓名,部門,職務,身份證號,rmno) values (%1,%2,%3,%4,%5,%6)")
                   .arg(sql::text(card), sql::text(QStringLiteral("歐陽志明") + card.right(2)),
                        sql::text(QStringLiteral("東方廣場第二座")), sql::text(QStringLiteral("保安主任")),
                        sql::text(QStringLiteral("A123456(7)")), sql::text(QStringLiteral("12樓B室"))));
}

void setWorkingHours(jet::Database& db, const QTime& ms, const QTime& me, const QTime& as, const QTime& ae)
{
    db.Execute(QStringLiteral("delete * from owt"));
    db.Execute(QStringLiteral("insert into owt (上班時間,下班時間,timeB,timeE,遲到時間,早退時間,lat,Let) "
                              "values (%1,%2,%3,%4,%5,%6,%7,%8)")
                   .arg(sql::time(ms), sql::time(me), sql::time(as), sql::time(ae), sql::time(ms.addSecs(300)),
                        sql::time(me.addSecs(-300)), sql::time(as.addSecs(300)), sql::time(ae.addSecs(300))));
}

std::optional<KqRow> kqRow(jet::Database& db, const QString& card, const QDate& day)
{
    jet::Recordset rs = db.OpenRecordset(QStringLiteral("select * from datakq where 卡號=") + sql::text(card)
                                             + QStringLiteral(" and 日期=") + sql::date(day),
                                         jet::dbOpenSnapshot);
    if (rs.Eof())
        return std::nullopt;
    KqRow r;
    r.name = rs.Field(QStringLiteral("姓名")).toString();
    r.building = rs.Field(QStringLiteral("部門")).toString();
    r.post = rs.Field(QStringLiteral("職務")).toString();
    r.t1 = rs.Field(QStringLiteral("時間1")).toTime();
    r.t2 = rs.Field(QStringLiteral("時間2")).toTime();
    r.t3 = rs.Field(QStringLiteral("時間3")).toTime();
    r.t4 = rs.Field(QStringLiteral("時間4")).toTime();
    r.late = rs.Field(QStringLiteral("late")).toInt();
    r.leavee = rs.Field(QStringLiteral("leavee")).toInt();
    r.absent = rs.Field(QStringLiteral("absent")).toInt();
    r.hrs = rs.Field(QStringLiteral("hrs")).toDouble();
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof()) << "two rows for " << card.toStdString() << " " << day.toString().toStdString();
    return r;
}

QStringList kqDump(jet::Database& db)
{
    QStringList rows;
    jet::Recordset rs = db.OpenRecordset(QStringLiteral("select * from datakq order by 卡號, 日期"), jet::dbOpenSnapshot);
    for (; !rs.Eof(); rs.MoveNext()) {
        QStringList cells;
        for (int i = 0; i < rs.FieldNames().size(); ++i)
            cells << rs.Field(i).toString();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

void AttendanceTest::SetUp()
{
    ProgramFolderTest::SetUp();
    openSharedDb();
    db = openDb();
    setWorkingHours(db);
}

void AttendanceTest::TearDown()
{
    db.Close();
    ProgramFolderTest::TearDown();
}

void AttendanceTest::runWindow(const QDate& first, const QDate& last)
{
    Frmkqzl w;
    runWindow(w, first, last);
}

void AttendanceTest::runWindow(Frmkqzl& w, const QDate& first, const QDate& last)
{
    ASSERT_TRUE(w.Form_Load());
    w.show();
    w.DTP1->setDate(first);
    w.DTP2->setDate(last);
    QTest::mouseClick(w.Command1, Qt::LeftButton);
}

}  // namespace reportstest
