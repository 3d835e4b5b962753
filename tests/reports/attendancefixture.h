#pragma once
// Swipes, people and working hours written as the program's own windows
// write them, and the attendance rows read back.
#include "database.h"
#include "testsupport.h"

#include <QDate>
#include <QString>
#include <QTime>
#include <optional>

class Frmkqzl;

namespace reportstest {

// One swipe as the collection stores it: day as a date, time as a time of day.
void addSwipe(jet::Database& db, const QString& card, const QDate& day, const QTime& time, int flag = 1,
              int address = 1);
// A card holder with a name, building and post.
void addPerson(jet::Database& db, const QString& card);
// The working day as the working-hours window stores it.
void setWorkingHours(jet::Database& db, const QTime& morningStart = QTime(8, 30),
                     const QTime& morningEnd = QTime(11, 30), const QTime& afternoonStart = QTime(13, 30),
                     const QTime& afternoonEnd = QTime(17, 30));

struct KqRow {
    QString name, building, post;
    QTime t1, t2, t3, t4;
    int late = 0, leavee = 0, absent = 0;
    double hrs = 0;
};
std::optional<KqRow> kqRow(jet::Database& db, const QString& card, const QDate& day);
// Every attendance row as text, ordered, to compare two tables whole.
QStringList kqDump(jet::Database& db);

class AttendanceTest : public testsupport::ProgramFolderTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // A run of the attendance window over the range, started by a click.
    void runWindow(const QDate& first, const QDate& last);
    void runWindow(Frmkqzl& window, const QDate& first, const QDate& last);

    jet::Database db;  // the test's own handle on the program's file
};

}  // namespace reportstest
