#include "scaledata.h"

#include "app.h"
#include "dbfile.h"
#include "programfolder.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sqlite3.h>
#include <stdexcept>
#include <vector>

namespace benchdata {

namespace {

class Writer {
public:
    explicit Writer(const QString& path)
    {
        if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK)
            fail("open");
    }
    ~Writer() { sqlite3_close(db); }

    void exec(const QByteArray& sql)
    {
        char* err = nullptr;
        if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, &err) != SQLITE_OK) {
            const std::string message = err ? err : "?";
            sqlite3_free(err);
            throw std::runtime_error(message + " in " + sql.toStdString());
        }
    }
    sqlite3_stmt* prepare(const char* sql)
    {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK)
            fail(sql);
        return st;
    }
    void run(sqlite3_stmt* st)
    {
        if (sqlite3_step(st) != SQLITE_DONE)
            fail("insert");
        sqlite3_reset(st);
    }
    // The statements that make a table's indexes, which go after the rows.
    QList<QByteArray> takeIndexes(const char* table)
    {
        QList<QByteArray> made, names;
        sqlite3_stmt* st = prepare("select name, sql from sqlite_master where type='index' and tbl_name=?1 and sql is not null");
        sqlite3_bind_text(st, 1, table, -1, SQLITE_STATIC);
        while (sqlite3_step(st) == SQLITE_ROW) {
            names << QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
            made << QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
        }
        sqlite3_finalize(st);
        for (const QByteArray& name : names)
            exec("drop index \"" + name + "\"");
        return made;
    }

private:
    [[noreturn]] void fail(const char* what) { throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db)); }
    sqlite3* db = nullptr;
};

void bind(sqlite3_stmt* st, int i, const QByteArray& text) { sqlite3_bind_text(st, i, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT); }

QByteArray card(int n) { return QByteArray::number(n).rightJustified(6, '0'); }

QByteArray building(int n) { return QString(QChar(u'A' + n % 20) + QStringLiteral("座")).toUtf8(); }

void fillPeople(Writer& w, int people, std::mt19937& random)
{
    static const char16_t* surnames[] = {u"陳", u"林", u"黃", u"張", u"李", u"王", u"吳", u"劉", u"蔡", u"楊"};
    static const char16_t* given[] = {u"大文", u"小明", u"美玲", u"志強", u"淑芬", u"建華", u"麗華", u"家豪", u"俊傑", u"雅婷"};
    static const char16_t* posts[] = {u"經理", u"主任", u"職員", u"保安", u"工程師"};
    auto name = [&](unsigned r) {
        return QString::fromUtf16(surnames[r % 10]) + QString::fromUtf16(given[(r / 10) % 10]);
    };
    sqlite3_stmt* st = w.prepare(
        "insert into people (卡號,姓名,部門,身份證號,職務,rmno,sex,birthday,marriage,tel,hukou,company,fcz,nation,"
        "spouse,ssex,shukou,scompany,child1,child2,child3,others) "
        "values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    const QByteArray hukou = QStringLiteral("廣東省廣州市天河區").toUtf8();
    const QByteArray company = QStringLiteral("華南電子科技有限公司").toUtf8();
    for (int i = 1; i <= people; ++i) {
        const unsigned r = random();
        int c = 1;
        bind(st, c++, card(i));
        bind(st, c++, name(r).toUtf8());
        bind(st, c++, building(i));
        bind(st, c++, "44010619" + QByteArray::number(700101 + r % 300000) + QByteArray::number(1000 + i % 9000));
        bind(st, c++, QString::fromUtf16(posts[r % 5]).toUtf8());
        bind(st, c++, QByteArray::number(1 + i % 30) + "-" + QByteArray::number(100 + i % 2000));
        bind(st, c++, QString::fromUtf16(r % 2 ? u"男" : u"女").toUtf8());
        bind(st, c++, QDate(1950, 1, 1).addDays(r % 20000).toString(QStringLiteral("yyyy-MM-dd")).toUtf8());
        bind(st, c++, QString::fromUtf16(r % 3 ? u"已婚" : u"未婚").toUtf8());
        bind(st, c++, "020-" + QByteArray::number(80000000 + r % 10000000));
        bind(st, c++, hukou);
        bind(st, c++, company);
        bind(st, c++, "穗房證字第" + QByteArray::number(1000000 + i) + "號");
        bind(st, c++, QString::fromUtf16(u"漢族").toUtf8());
        bind(st, c++, name(r / 100).toUtf8());
        bind(st, c++, QString::fromUtf16(r % 2 ? u"女" : u"男").toUtf8());
        bind(st, c++, hukou);
        bind(st, c++, company);
        bind(st, c++, name(r / 7).toUtf8());
        bind(st, c++, name(r / 11).toUtf8());
        bind(st, c++, name(r / 13).toUtf8());
        bind(st, c++, QString::fromUtf16(u"父母同住").toUtf8());
        w.run(st);
    }
    sqlite3_finalize(st);
    sqlite3_stmt* dep = w.prepare("insert into department values (?)");
    for (int b = 0; b < 20; ++b) {
        bind(dep, 1, building(b));
        w.run(dep);
    }
    sqlite3_finalize(dep);
}

void fillSwipes(Writer& w, qint64 swipes, std::mt19937& random)
{
    static const QByteArray flagIO[] = {QStringLiteral("鎖一進").toUtf8(), QStringLiteral("鎖一出").toUtf8(),
                                        QStringLiteral("鎖二進").toUtf8(), QStringLiteral("鎖二出").toUtf8()};
    sqlite3_stmt* st = w.prepare("insert into data (卡號,日期,時間,地址,flagIO,flag) values (?,?,?,?,?,?)");
    const QDate first(2025, 1, 1);
    const int days = first.daysInYear();
    qint64 written = 0;
    std::vector<int> minutes;
    for (int day = 0; day < days; ++day) {
        const QByteArray date = first.addDays(day).toString(QStringLiteral("yyyy-MM-dd")).toUtf8();
        for (int address = 0; address < 100; ++address) {
            // This controller's share of the day, its records in time order.
            const qint64 upTo = swipes * (static_cast<qint64>(day) * 100 + address + 1) / (static_cast<qint64>(days) * 100);
            minutes.clear();
            for (qint64 i = written; i < upTo; ++i)
                minutes.push_back(static_cast<int>(random() % 1440));
            std::sort(minutes.begin(), minutes.end());
            for (int m : minutes) {
                const int flag = static_cast<int>(random() % 4) + 1;
                bind(st, 1, card(static_cast<int>(random() % 1000) + 1));
                bind(st, 2, date);
                const char time[] = {char('0' + m / 600), char('0' + m / 60 % 10), ':', char('0' + m % 60 / 10),
                                     char('0' + m % 10), ':', '0', '0'};
                sqlite3_bind_text(st, 3, time, sizeof time, SQLITE_TRANSIENT);
                sqlite3_bind_int(st, 4, address);
                bind(st, 5, flagIO[flag - 1]);
                sqlite3_bind_int(st, 6, flag);
                w.run(st);
            }
            written = upTo;
        }
    }
    sqlite3_finalize(st);
}

}  // namespace

QString scaleDatabase(qint64 swipes, int people)
{
    QDir().mkpath(QStringLiteral(KESTROM_BENCH_DATA_DIR));
    const QString path = QDir(QStringLiteral(KESTROM_BENCH_DATA_DIR))
                             .filePath(QStringLiteral("scale-%1-%2.mdb").arg(swipes).arg(people));
    if (QFile::exists(path))
        return path;
    const QString partial = path + QStringLiteral(".part");
    QFile::remove(partial);
    dbfile::createDatabaseFile(partial);
    {
        Writer w(partial);
        // Nothing here needs to survive a crash: a half-made file is made again.
        w.exec("pragma journal_mode=off; pragma synchronous=off; pragma cache_size=-262144");
        const QList<QByteArray> indexes = w.takeIndexes("data") + w.takeIndexes("people");
        std::mt19937 random(20250101);
        w.exec("begin");
        fillPeople(w, people, random);
        fillSwipes(w, swipes, random);
        w.exec("commit");
        for (const QByteArray& index : indexes)
            w.exec(index);
    }
    if (!QFile::rename(partial, path))
        throw std::runtime_error("could not name " + path.toStdString());
    return path;
}

void takeSizeOption(int& argc, char** argv, const char* name, qint64& value)
{
    const size_t length = std::strlen(name);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], name, length) == 0) {
            value = std::atoll(argv[i] + length);
            std::memmove(argv + i, argv + i + 1, sizeof(char*) * static_cast<size_t>(argc - i));
            --argc;
            --i;
        }
    }
}

QString openScaleSite(qint64 swipes, int people)
{
    static QTemporaryDir folder;
    QFile::remove(folder.filePath(QStringLiteral("kestrom.mdb")));
    QFile::link(scaleDatabase(swipes, people), folder.filePath(QStringLiteral("kestrom.mdb")));
    platform::setProgramFolder(folder.path());
    app::db = jet::OpenDatabase(app::databaseFile());
    return folder.path();
}

double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace benchdata
