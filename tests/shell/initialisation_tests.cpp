// Database initialisation: a database in use goes back to a new installation's state.
#include "app.h"
#include "dbfile.h"
#include "fit.h"
#include "form3.h"
#include "recordset.h"
#include "operator.h"
#include "testsupport.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

namespace {

const QStringList emptiedTables = {"user", "department", "doors", "key",  "datakq",
                                   "data", "faka",       "people", "dfaka", "dpeople"};
const QStringList keptTables = {"cjtype", "owt", "dataPT", "fakapt", "dfakapt", "datakqPT", "peoplept"};

// Every row of a table as text, in a stable order.
QStringList dump(jet::Database& db, const QString& table)
{
    QStringList rows;
    jet::Recordset rs = db.OpenRecordset("select * from " + table, jet::dbOpenDynaset);
    for (; !rs.Eof(); rs.MoveNext()) {
        QStringList fields;
        for (const QString& name : rs.FieldNames()) {
            const QVariant v = rs.Field(name);
            fields << name + "=" + (v.isValid() ? v.toString() : QStringLiteral("<null>"));
        }
        rows << fields.join("|");
    }
    rows.sort();
    return rows;
}

class Initialisation : public testsupport::ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        openSharedDb();
        for (const char* s : {
                 "insert into user (sysname,syspword,usersetting) values ('ann','pw',true)",
                 "insert into department values ('東座')",
                 "insert into doors (地址,namedr1) values ('3','front')",
                 "insert into key (id,value) values (1,'k')",
                 "insert into datakq (卡號,日期) values ('000001',#2026-12-01#)",
                 "insert into data (卡號,日期,時間,地址,flag) values ('000001',#2026-12-01#,#08:00:00#,3,1)",
                 "insert into faka (地址,卡號,物理卡號,ctrl_state1,ctrl_state2) values ('3','000001','0000012345',0,0)",
                 "insert into people (卡號,姓名) values ('000001','陳')",
                 "insert into dfaka (地址,卡號) values (3,'000002')",
                 "insert into dpeople (卡號,姓名) values ('000002','李')",
                 "insert into cjtype values (1,'08:30')",
                 "insert into owt (上班時間) values (#08:00:00#)",
                 "insert into dataPT (姓名) values ('陳')",
                 "update system set zhi=4,detail='Old Co' where name='串口號'",
                 "update system set zhi=5,detail='19200,n,8,1' where name='通訊設置'",
                 "update system set zhi=99 where name='輸入緩沖區' or name='輸出緩沖區' or name='發卡机'",
             })
            app::db.Execute(s);
    }

    // Runs the initialisation with the company name typed, answering the question.
    void initialise(const QString& company, int answer = ui::vbYes)
    {
        dialogs.answer(answer);
        Form3 w;
        QObject::connect(w.Pro, &QProgressBar::valueChanged, [this](int v) { progress.push_back(v); });
        w.Text1->setText(company);
        w.Command1_Click();
        progressShownAfter = w.Pro->isVisibleTo(&w);
    }

    // The whole content of the database, table by table.
    QStringList everything(const QString& except = QString())
    {
        jet::Database db = openDb();
        QStringList all;
        for (const QString& t : emptiedTables + keptTables + QStringList{"system"})
            if (t != except)
                all << t + ": " + dump(db, t).join("; ");
        return all;
    }

    std::vector<int> progress;
    bool progressShownAfter = true;
};

TEST_F(Initialisation, LeavesTheStateOfANewInstallationWithTheCompanyNameTyped)
{
    const QString company = "O'Brien & Co";
    initialise(company);
    ASSERT_EQ(dialogs.messages.size(), 1u);  // the question, and nothing after it
    EXPECT_EQ(dialogs.messages[0].prompt, "此操作將初始化所有系統數据庫,\r\n\r\n繼續嗎？");
    EXPECT_EQ(dialogs.messages[0].style, 4 + 48 + 256);  // Enter answers No

    const QString freshPath = file("fresh.mdb");
    ASSERT_TRUE(dbfile::createDatabaseFile(freshPath));
    jet::Database fresh = jet::OpenDatabase(freshPath);
    fresh.Execute("update system set detail=" + QString("'O''Brien & Co'") + " where name='串口號'");
    jet::Database db = openDb();
    for (const QString& t : emptiedTables + QStringList{"system"}) {
        SCOPED_TRACE(t.toStdString());
        EXPECT_EQ(dump(db, t), dump(fresh, t));
    }
    fresh.Close();

    EXPECT_EQ(count("user"), 1);
    EXPECT_EQ(scalar("select detail from system where name='串口號'").toString(), company);
    EXPECT_EQ(dump(db, "cjtype"), QStringList{"采集類型=1|采集時間=08:30"});
    EXPECT_EQ(count("owt"), 1);
    EXPECT_EQ(count("dataPT"), 1);
    EXPECT_EQ(progress, std::vector<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_FALSE(progressShownAfter);
}

TEST_F(Initialisation, TheDefaultOperatorHoldsEveryYesNoColumn)
{
    initialise("");
    jet::Database db = openDb();
    jet::Recordset rs = db.OpenRecordset("user", jet::dbOpenTable);
    ASSERT_FALSE(rs.Eof());
    const QStringList names = rs.FieldNames();
    ASSERT_EQ(names.size(), 32);
    EXPECT_EQ(rs.Field("sysname").toString(), "brivel");
    EXPECT_EQ(rs.Field("syspword").toString(), "brivel");
    for (int i = 2; i < 32; ++i)
        EXPECT_TRUE(rs.Field(i).toBool()) << names[i].toStdString();
    // An empty company name is stored as empty text, not as null.
    const QVariant detail = scalar("select detail from system where name='串口號'");
    EXPECT_TRUE(detail.isValid());
    EXPECT_EQ(detail.toString(), "");
}

TEST_F(Initialisation, AnsweringNoOrRunningTwiceChangesNothingFurther)
{
    const QStringList before = everything();
    initialise("New Co", ui::vbNo);
    EXPECT_EQ(everything(), before);
    EXPECT_TRUE(progress.empty());

    initialise("New Co");
    const QStringList once = everything();
    EXPECT_NE(once, before);
    initialise("New Co");
    EXPECT_EQ(everything(), once);
}

// The question left at its default, as Enter answers it, wipes nothing; the
// progress bar, shown and hidden, moves none of the window's controls.
TEST_F(Initialisation, ByTheButtonTheDefaultAnswerKeepsEverythingAndNothingMoves)
{
    const QStringList before = everything();
    Form3 w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const auto places = [&w] { return testsupport::placesOf(&w, {w.Command1, w.Command2, w.Text1}); };
    const QList<QRect> at = places();
    testsupport::typeOver(w.Text1, "New Co");
    testsupport::click(w.Command1);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(everything(), before);

    QList<QList<QRect>> whileRunning;
    QObject::connect(w.Pro, &QProgressBar::valueChanged, [&] { whileRunning << places(); });
    dialogs.answer(ui::vbYes);
    testsupport::click(w.Command1);
    EXPECT_NE(everything(), before);
    ASSERT_FALSE(whileRunning.isEmpty());
    for (const QList<QRect>& running : whileRunning)
        EXPECT_EQ(running, at);
    EXPECT_EQ(places(), at);
}

TEST_F(Initialisation, AFailureHalfWayLeavesTheDatabaseAsItWas)
{
    // One of the last tables gone: every statement before it has run when it fails.
    openDb().Execute("drop table dpeople");
    const QStringList before = everything("dpeople");
    initialise("New Co");
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(dialogs.last().startsWith("數據庫初始化失敗，數據庫未作任何改動。")) << dialogs.last().toStdString();
    EXPECT_EQ(dialogs.messages[1].style, 16);
    EXPECT_FALSE(progressShownAfter);

    EXPECT_EQ(everything("dpeople"), before);
    EXPECT_EQ(count("user", "sysname='ann'"), 1);
    EXPECT_EQ(count("user", "sysname='brivel'"), 1);  // the schema's operator, not a second one
}

}  // namespace
