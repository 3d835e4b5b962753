// Database initialisation: the state of a new installation, in one step.
#include "app.h"
#include "database.h"
#include "dbfile.h"
#include "form3.h"
#include "recordset.h"
#include "testsupport.h"

#include <QLineEdit>
#include <QProgressBar>

using testsupport::ProgramFolderTest;

namespace {

const QStringList emptied = {"user", "department", "doors", "key", "datakq", "data", "faka", "people", "dfaka", "dpeople"};
const QStringList kept = {"cjtype", "owt", "fakapt", "dataPT", "dfakapt", "datakqPT", "peoplept"};

// Every row of a table as text, in stored order, so two files compare.
QStringList rows(jet::Database& db, const QString& table)
{
    QStringList out;
    jet::Recordset rs = db.OpenRecordset("select * from " + table + " order by rowid", jet::dbOpenSnapshot);
    while (!rs.Eof()) {
        QStringList values;
        for (int i = 0; i < rs.FieldNames().size(); ++i) {
            const QVariant v = rs.Field(i);
            values << (v.isValid() ? v.toString() : QStringLiteral("<null>"));
        }
        out << values.join('|');
        rs.MoveNext();
    }
    return out;
}

class Initialisation : public ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        openSharedDb();
        // A database in use: something in every table.
        for (const char* s : {
                 "insert into user (sysname,syspword,r3) values ('anna','pw',true)",
                 "insert into department values ('東座')",
                 "insert into doors (地址,namedr1) values ('3','大門')",
                 "insert into key (id,value) values (1,'x')",
                 "insert into datakq (卡號,日期) values ('000001',#2026-01-05#)",
                 "insert into data (卡號,日期,地址,flag) values ('000001',#2026-01-05#,3,1)",
                 "insert into faka(地址,卡號,物理卡號,ctrl_state1,ctrl_state2) values('3','000001','0000012345',0,0)",
                 "insert into people (卡號,姓名) values ('000001','陳')",
                 "insert into dfaka (地址,卡號,日期) values (3,'000002',#2026-01-04#)",
                 "insert into dpeople (卡號,日期) values ('000002',#2026-01-04#)",
                 "insert into cjtype values (1,'09:30')",
                 "insert into owt (上班時間) values (#08:00:00#)",
                 "insert into fakapt (卡號) values ('000001')",
                 "update system set zhi=4,detail='舊公司' where name='串口號'",
                 "update system set zhi=9,detail='19200,e,7,2' where name='通訊設置'",
                 "update system set zhi=4096,dw='b' where name='輸入緩沖區'",
                 "update system set zhi=1024,dw='c' where name='輸出緩沖區'",
                 "update system set zhi=42 where name='發卡机'",
             })
            app::db.Execute(s);
    }

    // Everything in the file, table by table.
    QMap<QString, QStringList> everything() const
    {
        jet::Database db = openDb();
        QMap<QString, QStringList> all;
        for (const QStringList& tables : {emptied, kept, QStringList{"system"}})
            for (const QString& t : tables)
                all[t] = rows(db, t);
        return all;
    }

    // A new installation's file, made from the schema script.
    QMap<QString, QStringList> newInstallation() const
    {
        const QString path = file("new.mdb");
        EXPECT_TRUE(dbfile::createDatabaseFile(path));
        jet::Database db = jet::OpenDatabase(path);
        QMap<QString, QStringList> all;
        for (const QStringList& tables : {emptied, QStringList{"system"}})
            for (const QString& t : tables)
                all[t] = rows(db, t);
        db.Close();
        return all;
    }

    void run(Form3& w, const QString& company, int answer = ui::vbYes)
    {
        w.Text1->setText(company);
        dialogs.answer(answer);
        w.Command1_Click();
    }
};

TEST_F(Initialisation, LeavesTheStateOfANewInstallationWithTheCompanyTyped)
{
    const auto before = everything();
    Form3 w;
    w.show();
    QList<int> progress;
    QObject::connect(w.Pro, &QProgressBar::valueChanged, [&](int v) {
        progress << v;
        EXPECT_TRUE(w.Pro->isVisible());
    });
    run(w, "O'Brien 保安");

    ASSERT_EQ(dialogs.messages.size(), 1u);  // the question only
    EXPECT_EQ(dialogs.messages[0].prompt, "此操作將初始化所有系統數据庫,\r\n\r\n繼續嗎？");
    EXPECT_EQ(dialogs.messages[0].style, 4 + 48);
    EXPECT_EQ(progress, QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(w.Pro->maximum(), 12);
    EXPECT_FALSE(w.Pro->isVisible());
    EXPECT_TRUE(w.isVisible());  // stays open

    auto after = everything();
    auto fresh = newInstallation();
    // The one difference from a new file: the company name typed, quote and all.
    EXPECT_EQ(fresh["system"][0], "串口號|1|<null>|<null>");
    fresh["system"][0] = "串口號|1|O'Brien 保安|<null>";
    for (const QString& t : emptied)
        EXPECT_EQ(after[t], fresh[t]) << t.toStdString();
    EXPECT_EQ(after["system"], fresh["system"]);
    for (const QString& t : kept)
        EXPECT_EQ(after[t], before[t]) << t.toStdString();
    EXPECT_FALSE(before["cjtype"].isEmpty());
    EXPECT_FALSE(before["owt"].isEmpty());

    // Exactly one operator, holding every yes/no column.
    ASSERT_EQ(after["user"].size(), 1);
    EXPECT_EQ(after["user"][0], "brivel|brivel" + QString("|true").repeated(30));
    // The running program keeps its values until the next start.
    EXPECT_EQ(app::companyname, "Valdren");
}

TEST_F(Initialisation, AnEmptyCompanyNameIsStoredAsEmptyTextAndASecondRunChangesNothing)
{
    Form3 w;
    run(w, "");
    const auto once = everything();
    EXPECT_EQ(scalar("select count(*) from system where name='串口號' and detail=''").toInt(), 1);
    run(w, "");
    EXPECT_EQ(everything(), once);
}

TEST_F(Initialisation, AnsweringNoChangesNothing)
{
    const auto before = everything();
    Form3 w;
    w.show();
    run(w, "新公司", ui::vbNo);
    EXPECT_EQ(everything(), before);
    EXPECT_FALSE(w.Pro->isVisible());
}

TEST_F(Initialisation, AFailureHalfWayLeavesTheDatabaseAsItWasAndIsTold)
{
    // The issued cards refuse to go, after the operators have been replaced.
    jet::ExecuteScript(file("kestrom.mdb"),
                       "create trigger keep_faka before delete on faka begin select raise(abort, 'locked'); end;");
    const auto before = everything();
    Form3 w;
    w.show();
    run(w, "新公司");
    EXPECT_EQ(everything(), before);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(dialogs.last().startsWith("數据庫初始化失敗，數据未被改動")) << dialogs.last().toStdString();
    EXPECT_FALSE(w.Pro->isVisible());
    // The handle is usable afterwards, outside any transaction.
    app::db.Execute("insert into department values ('西座')");
    EXPECT_EQ(count("department"), 2);
}

}  // namespace
