// Report templates and the PDF they print over a staging table.
#include "app.h"
#include "recordset.h"
#include "reportcontrol.h"
#include "reportpreview.h"
#include "sqlvalue.h"
#include "testsupport.h"
#include "windowmanager.h"

#include <QAction>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QScrollBar>
#include <QTest>
#include <QApplication>
#include <QDir>
#include <QDialog>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <QTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QHash>

using testsupport::ProgramFolderTest;

namespace {

// The text pdftotext finds on the pages of a PDF (all pages when 'page' is 0),
// laid out as printed or, with 'mode' "-raw", in the order it was drawn.
QString pdfText(const QString& pdf, int page = 0, const QString& mode = "-layout")
{
    QStringList args{mode};
    if (page > 0)
        args << "-f" << QString::number(page) << "-l" << QString::number(page);
    args << pdf << "-";
    QProcess p;
    p.start("pdftotext", args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString withoutBlanks(QString text)
{
    return text.remove(QRegularExpression("\\s"));
}

int pdfPages(const QString& pdf)
{
    QProcess p;
    p.start("pdfinfo", {pdf});
    p.waitForFinished(60000);
    const QString info = QString::fromUtf8(p.readAllStandardOutput());
    const auto m = QRegularExpression("Pages:\\s+(\\d+)").match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

TEST(ReportTemplate, ReadsEveryItem)
{
    const report::Template t = report::parseTemplate(
        "# comment\n\ntitle: 人員信息表\n table : peoplept \norientation: Landscape\nfont: 10.5\n"
        "column: 卡號 | 卡號 | 14\ncolumn: 業主姓名|姓名|20.5\n");
    EXPECT_EQ(t.title, "人員信息表");
    EXPECT_EQ(t.table, "peoplept");
    EXPECT_TRUE(t.landscape);
    EXPECT_DOUBLE_EQ(t.fontSize, 10.5);
    ASSERT_EQ(t.columns.size(), 2);
    EXPECT_EQ(t.columns[1].caption, "業主姓名");
    EXPECT_EQ(t.columns[1].field, "姓名");
    EXPECT_DOUBLE_EQ(t.columns[1].width, 20.5);
    EXPECT_FALSE(report::parseTemplate("table: t\ncolumn: a|b|1").landscape);
}

TEST(ReportTemplate, RefusesFaultyTemplatesNamingTheLine)
{
    struct Case {
        const char* text;
        const char* says;
    } cases[] = {
        {"title: x\ncolumn: a|b|1", "table"},
        {"table: t", "column"},
        {"table: t\ncolumn: a|b", "第 2 行"},
        {"table: t\ncolumn: a|b|0", "第 2 行"},
        {"table: t\ncolumn: a|b|wide", "第 2 行"},
        {"table: t\ncolumn: a||5", "第 2 行"},
        {"table: t\norientation: sideways\ncolumn: a|b|1", "第 2 行"},
        {"table: t\ntable: u\ncolumn: a|b|1", "第 2 行"},
        {"table: t\ncolour: red\ncolumn: a|b|1", "第 2 行"},
        {"table t\ncolumn: a|b|1", "第 1 行"},
        // Sizes no page can print, which would reach undefined conversions when painted.
        {"table: t\ncolumn: a|b|nan", "第 2 行"},
        {"table: t\ncolumn: a|b|inf", "第 2 行"},
        {"table: t\ncolumn: a|b|-inf", "第 2 行"},
        {"table: t\ncolumn: a|b|0.5", "第 2 行"},
        {"table: t\ncolumn: a|b|1e9", "第 2 行"},
        {"table: t\nfont: nan\ncolumn: a|b|1", "第 2 行"},
        {"table: t\nfont: inf\ncolumn: a|b|1", "第 2 行"},
        {"table: t\nfont: 0.0001\ncolumn: a|b|1", "第 2 行"},
        {"table: t\nfont: 1e6\ncolumn: a|b|1", "第 2 行"},
    };
    for (const Case& c : cases) {
        try {
            report::parseTemplate(QString::fromUtf8(c.text));
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const report::ReportError& e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.says))) << c.text << " -> " << e.message().toStdString();
        }
    }
}

class Report : public ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        openSharedDb();
        for (const QString& name : QDir(KESTROM_REPORT_TEMPLATES).entryList({"*.rpt"}))
            QFile::copy(QDir(KESTROM_REPORT_TEMPLATES).filePath(name), file(name));
        app::companyname = "康盛花園管理處";
        control.setDataFiles(0, app::databaseFile());
        control.setPrintDate(QDate(2024, 3, 5));
    }

    void addPerson(const QString& card, const QString& name, const QString& building)
    {
        app::db.Execute(QStringLiteral("insert into peoplept (卡號,姓名,部門,sex,birthday) values (%1,%2,%3,'男',#1970-01-02#)")
                            .arg(sql::text(card), sql::text(name), sql::text(building)));
    }

    // A month of swipes of a 300-person building, staged for the swipe
    // report; the last row's card is 200000 + rows - 1.
    void addSwipes(int rows)
    {
        app::db.BeginTrans();
        for (int i = 0; i < rows; ++i)
            app::db.Execute(QStringLiteral("insert into dataPT (姓名,部門,職務,地址,卡號,日期,時間,flag) values "
                                           "('住戶%1','東方廣場第二座','住戶',%2,'%3',#2026-03-02#,'08:40:00','鎖一進')")
                                .arg(i % 300)
                                .arg(i % 100)
                                .arg(200000 + i));
        app::db.CommitTrans();
    }

    QString writePersonnelPdf()
    {
        control.setReportFileName(file("pl.rpt"));
        const QString pdf = file("pl.pdf");
        control.writePdf(pdf);
        return pdf;
    }

    report::ReportControl control;
};

TEST_F(Report, EveryShippedTemplateReadsItsStagingTable)
{
    const QStringList names = QDir(KESTROM_REPORT_TEMPLATES).entryList({"*.rpt"});
    EXPECT_EQ(names, QStringList({"drda2.rpt", "drkq.rpt", "drtk.rpt", "faka.rpt", "pl.rpt"}));
    for (const QString& name : names) {
        control.setReportFileName(file(name));
        EXPECT_NO_THROW(control.writePdf(file(name + ".pdf"))) << name.toStdString();
        EXPECT_EQ(pdfPages(file(name + ".pdf")) >= 1, true) << name.toStdString();
    }
}

TEST_F(Report, PersonnelPdfHoldsTheRowsInTableOrderWithTheHeader)
{
    addPerson("000003", "陳大文", "東座");
    addPerson("000001", "李小龍", "西座");
    addPerson("000002", "O'Brien", "南座");
    const QString text = pdfText(writePersonnelPdf(), 1);
    EXPECT_TRUE(text.contains("人員信息表"));
    EXPECT_TRUE(text.contains("康盛花園管理處"));
    EXPECT_TRUE(text.contains("2024-03-05"));
    EXPECT_TRUE(text.contains("業主姓名"));
    EXPECT_TRUE(text.contains("1970-01-02"));
    const qsizetype first = text.indexOf("陳大文"), second = text.indexOf("李小龍"), third = text.indexOf("O'Brien");
    ASSERT_GE(first, 0);
    EXPECT_LT(first, second);
    EXPECT_LT(second, third);
    EXPECT_TRUE(text.contains("第 1 頁"));
}

TEST_F(Report, ColumnsThatDontFitGoOnAFollowingPageWithTheFirstColumnAgain)
{
    addPerson("000007", "陳大文", "東座大廈");
    const QString pdf = writePersonnelPdf();
    ASSERT_EQ(pdfPages(pdf), 2);
    const QString one = pdfText(pdf, 1), two = pdfText(pdf, 2);
    EXPECT_TRUE(one.contains("陳大文"));
    EXPECT_FALSE(one.contains("東座大廈"));
    EXPECT_TRUE(two.contains("東座大廈"));
    EXPECT_TRUE(two.contains("000007"));
    EXPECT_TRUE(two.contains("第 2 頁，共 2 頁"));
}

// Values as long as the columns hold, for every column of a staging table:
// the fixed-size ones (cards, physical numbers, addresses, dates, times,
// weekdays, pass modes) at their full size, free text longer than any
// column is wide, with the ideographs that some fonts draw as radicals.
struct FullRow {
    QStringList names, values;
    QList<bool> fixed;  // values that must print on one line
};

FullRow fullLengthRow(const QStringList& columns, int row)
{
    static const QSet<QString> dates{"日期", "開始日期", "截止日期", "birthday"};
    static const QSet<QString> times{"時間", "開始時間", "截止時間", "時間1", "時間2", "時間3", "時間4"};
    static const QHash<QString, QString> texts{
        {"姓名", "歐陽大文 Christopher O'Neil"},
        {"部門", "東座大廈A座工人文化宮"},
        {"身份證號", "44030519701123001X"},
        {"tel", "0755-23456789"},
        {"rmno", "A座1201室"},
        {"職務", "工程部高級工程師兼保安主任"},
        {"ctrl_state1", "禁止"},
        {"ctrl_state2", "進出"},
        {"flag", "鎖二出"},
        {"sex", "男"},
        {"ssex", "女"},
    };
    FullRow r;
    for (const QString& c : columns) {
        QString v;
        bool isFixed = true;
        if (c == "卡號")
            v = QStringLiteral("%1").arg(123450 + row, 6, 10, QLatin1Char('0'));
        else if (c == "物理卡號")
            v = QStringLiteral("%1").arg(9876543210LL - row, 10, 10, QLatin1Char('0'));
        else if (c == "地址")
            v = QString::number(99 - row);
        else if (dates.contains(c))
            v = QStringLiteral("2024-12-%1").arg(31 - row);
        else if (times.contains(c))
            v = QStringLiteral("23:59:%1").arg(59 - row);
        else if (c == "開始星期" || c == "截止星期")
            v = QString::number(7 - row);
        else if (c == "late" || c == "leavee" || c == "absent")
            v = QString::number(480 + row);
        else if (c == "hrs")
            v = QStringLiteral("7.%1").arg(75 + row);
        else if (texts.contains(c)) {
            v = texts.value(c);
            isFixed = c.startsWith("ctrl_state") || c == "flag" || c.endsWith("sex");
        } else {
            v = QStringLiteral("%1第%2行：一人大日文口工入八力十山田土木水火金言門高長車馬魚鳥黃黑龍").arg(c).arg(row + 1);
            isFixed = false;
        }
        r.names << c;
        r.values << v;
        r.fixed << isFixed;
    }
    return r;
}

bool isIdeograph(QChar c) { return (c >= QChar(0x3400) && c <= QChar(0x9FFF)) || (c >= QChar(0xF900) && c <= QChar(0xFAFF)); }
bool isRadical(QChar c) { return c >= QChar(0x2E80) && c <= QChar(0x2FDF); }

// A printed report holds every character of what the table holds: a value
// too long for its column wraps onto further lines of its row, and the
// PDF's text layer reads back as the characters printed (no radicals in
// place of ideographs), so a saved report can be searched.
TEST_F(Report, EveryShippedTemplatePrintsEveryCharacterOfFullLengthValues)
{
    for (const QString& name : QDir(KESTROM_REPORT_TEMPLATES).entryList({"*.rpt"})) {
        SCOPED_TRACE(name.toStdString());
        const report::Template layout = report::readTemplate(file(name));
        jet::Database d = openDb();
        d.Execute("delete * from " + layout.table);
        const QStringList columns = d.OpenRecordset("select * from " + layout.table).FieldNames();
        QString expected = layout.title;
        QStringList fixed;
        QStringList values;
        for (const report::Column& c : layout.columns)
            expected += c.caption;
        for (int row = 0; row < 3; ++row) {
            const FullRow r = fullLengthRow(columns, row);
            QStringList literals;
            for (const QString& v : r.values)
                literals << sql::text(v);
            d.Execute("insert into " + layout.table + " (" + r.names.join(',') + ") values (" + literals.join(',') + ")");
            for (const report::Column& c : layout.columns) {
                const qsizetype at = r.names.indexOf(c.field);
                values << r.values[at];
                if (r.fixed[at])
                    fixed << r.values[at];
            }
        }
        d.Close();

        control.setReportFileName(file(name));
        const QString pdf = file(name + ".pdf");
        control.writePdf(pdf);
        const QString laidOut = pdfText(pdf), drawn = withoutBlanks(pdfText(pdf, 0, "-raw"));
        EXPECT_FALSE(laidOut.contains(QChar(0x2026)));  // nothing elided
        for (const QString& v : values)
            EXPECT_TRUE(drawn.contains(withoutBlanks(v))) << v.toStdString();
        for (const QString& v : fixed)  // each on one line of its cell
            EXPECT_TRUE(laidOut.contains(v)) << v.toStdString();
        for (const QString& v : values)
            expected += v;
        for (const QChar c : expected)
            EXPECT_TRUE(!isIdeograph(c) || drawn.contains(c)) << QString(c).toStdString();
        for (const QChar c : drawn)
            EXPECT_FALSE(isRadical(c)) << QString(c).toStdString();
    }
}

// Every line of a row taller than a page is printed, on the pages after it.
TEST_F(Report, ARowTallerThanAPageGoesOnOverTheNextPages)
{
    QStringList words;
    for (int i = 1; i <= 400; ++i)
        words << QStringLiteral("第%1句人大日文").arg(i);
    app::db.Execute("insert into peoplept (卡號,others) values ('000001'," + sql::text(words.join(' ')) + ")");
    app::db.Execute("insert into peoplept (卡號,others) values ('000002','下一位')");
    QFile tall(file("tall.rpt"));
    ASSERT_TRUE(tall.open(QIODevice::WriteOnly));
    tall.write("table: peoplept\ncolumn: 其他 | others | 20\n");
    tall.close();
    control.setReportFileName(file("tall.rpt"));
    const QString pdf = file("tall.pdf");
    control.writePdf(pdf);
    const int pages = pdfPages(pdf);
    ASSERT_GE(pages, 3);
    // The rows' lines in the order drawn, without what every page carries.
    QStringList body;
    for (const QString& line : pdfText(pdf, 0, "-raw").split('\n')) {
        if (!line.contains("康盛花園管理處") && line.trimmed() != "其他" && !line.contains(QRegularExpression("^第 \\d+ 頁")))
            body << line;
    }
    EXPECT_TRUE(withoutBlanks(body.join("")).startsWith(withoutBlanks(words.join(' ')) + "下一位"));
    EXPECT_TRUE(pdfText(pdf, pages).contains("下一位"));
    EXPECT_FALSE(pdfText(pdf, pages - 1).contains("下一位"));
}

TEST_F(Report, ThousandsOfRowsPrintQuicklyOnNumberedPages)
{
    const int total = 3000;
    app::db.BeginTrans();
    for (int i = 1; i <= total; ++i)
        addPerson(QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0')), QStringLiteral("住戶%1").arg(i), "東座");
    app::db.CommitTrans();
    QElapsedTimer clock;
    clock.start();
    const QString pdf = writePersonnelPdf();
    EXPECT_LT(clock.elapsed(), 30000);
    const int pages = pdfPages(pdf);
    EXPECT_GT(pages, 2 * (total / 60));
    const QString last = pdfText(pdf, pages - 1);
    EXPECT_TRUE(last.contains(QStringLiteral("住戶%1").arg(total)));
    EXPECT_TRUE(last.contains(QStringLiteral("共 %1 頁").arg(pages)));
}

TEST_F(Report, AnEmptyTableStillPrintsOnePageOfEachColumnGroup)
{
    const QString pdf = writePersonnelPdf();
    EXPECT_EQ(pdfPages(pdf), 2);
    EXPECT_TRUE(pdfText(pdf, 1).contains("卡號"));
}

TEST_F(Report, AMissingTemplateOrFieldIsReportedAndNothingIsWritten)
{
    control.setReportFileName(file("nosuch.rpt"));
    EXPECT_THROW(control.writePdf(file("a.pdf")), report::ReportError);
    EXPECT_FALSE(QFile::exists(file("a.pdf")));

    QFile bad(file("bad.rpt"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("table: peoplept\ncolumn: 電郵 | email | 20\n");
    bad.close();
    control.setReportFileName(file("bad.rpt"));
    try {
        control.writePdf(file("b.pdf"));
        ADD_FAILURE() << "printed a field the table doesn't have";
    } catch (const report::ReportError& e) {
        EXPECT_TRUE(e.message().contains("email"));
    }
    EXPECT_FALSE(QFile::exists(file("b.pdf")));
}

TEST_F(Report, PrintReportHandsTheReportToThePreview)
{
    addPerson("000001", "陳大文", "東座");
    int previews = 0;
    report::setPreviewHandler([&](const report::ReportControl& shown) {
        ++previews;
        shown.writePdf(file("preview.pdf"));
    });
    control.setReportFileName(file("pl.rpt"));
    control.PrintReport();
    EXPECT_EQ(previews, 1);
    EXPECT_TRUE(pdfText(file("preview.pdf")).contains("陳大文"));

    control.setReportFileName(file("nosuch.rpt"));
    EXPECT_THROW(control.PrintReport(), report::ReportError);
    EXPECT_EQ(previews, 1);
    report::setPreviewHandler({});
}

TEST_F(Report, ThePreviewSavesWhatItShowsAsPdf)
{
    addPerson("000001", "陳大文", "東座");
    control.setReportFileName(file("pl.rpt"));
    dialogs.chooseFile(file("saved"));
    QString title;
    bool saved = false;
    QTimer::singleShot(0, [&] {
        auto* preview = qobject_cast<report::PreviewDialog*>(QApplication::activeModalWidget());
        if (!preview)
            return;
        title = preview->windowTitle();
        for (QAction* action : preview->findChildren<QAction*>())
            if (action->text() == "另存為PDF") {
                action->trigger();
                saved = true;
            }
        preview->reject();
    });
    control.PrintReport();
    EXPECT_EQ(title, "人員信息表");
    ASSERT_TRUE(saved);
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].kind, ui::FileDialogKind::Save);
    EXPECT_TRUE(pdfText(file("saved.pdf")).contains("陳大文"));
}

// On the smallest screen the program runs on: the whole window on the screen,
// every button of the toolbar shown (none behind its overflow button), and a
// page across the whole view at a zoom its 9-point text reads at, from the
// top of the first page.
TEST_F(Report, ThePreviewOpensShowingEveryButtonAndAReadablePage)
{
    addPerson("000001", "陳大文", "東座");
    for (const char* name : {"pl.rpt", "drda2.rpt"}) {
        SCOPED_TRACE(name);
        control.setReportFileName(file(name));
        QStringList hidden;
        QRect frame;
        double zoom = 0;
        bool seen = false, fitsWidth = false, atTop = false;
        QTimer::singleShot(0, [&] {
            auto* preview = qobject_cast<report::PreviewDialog*>(QApplication::activeModalWidget());
            if (!preview)
                return;
            seen = true;
            frame = preview->frameGeometry();
            auto* bar = preview->findChild<QToolBar*>();
            for (QAction* action : bar->actions())
                if (!action->isSeparator() && !bar->widgetForAction(action)->isVisible())
                    hidden << action->text();
            if (auto* more = bar->findChild<QToolButton*>("qt_toolbar_ext_button"); more && more->isVisible())
                hidden << "»";
            report::PageView* pages = preview->pages();
            zoom = pages->zoomFactor();
            QTest::qWait(100);
            const QScrollBar* down = pages->verticalScrollBar();
            atTop = down->value() == down->minimum();
            fitsWidth = pages->fitsWidth();
            preview->reject();
        });
        control.PrintReport();
        ASSERT_TRUE(seen);
        EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(frame)) << frame.width() << "x" << frame.height();
        EXPECT_EQ(hidden, QStringList());
        EXPECT_TRUE(fitsWidth);
        EXPECT_GE(zoom, 0.6);
        EXPECT_TRUE(atTop);
    }
}

// The main window's menu bar stays in sight above the preview, as above
// every other window.
TEST_F(Report, ThePreviewStaysClearOfTheMainWindowsMenuBar)
{
    QMainWindow main;
    main.menuBar()->addMenu(QStringLiteral("系統"));
    main.setCentralWidget(new QWidget);
    main.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    main.show();
    testsupport::waitUntilFramed(&main);
    const int menuBottom = main.menuBar()->mapToGlobal(QPoint(0, main.menuBar()->height())).y();
    addPerson("000001", "陳大文", "東座");
    control.setReportFileName(file("drda2.rpt"));
    QRect frame;
    QTimer::singleShot(0, [&] {
        if (auto* preview = qobject_cast<report::PreviewDialog*>(QApplication::activeModalWidget())) {
            testsupport::waitUntilFramed(preview);
            frame = testsupport::frameOf(preview);
            preview->reject();
        }
    });
    control.PrintReport(&main);
    ASSERT_FALSE(frame.isNull());
    EXPECT_GE(frame.top(), menuBottom);
    EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(frame));
}

// Under a window manager, which frames the preview only once it is up.
TEST(ReportUnderAWindowManager, ThePreviewStaysClearOfTheMenuBar)
{
    testsupport::runUnderWindowManager(QStringLiteral("Report.ThePreviewStaysClearOfTheMainWindowsMenuBar"));
}

// A month of swipes: while its pages are made the operator sees how far it
// has come and may stop; left to run, the preview opens on every page.
TEST_F(Report, ALongPreviewShowsItsProgressAndOpensOnEveryPage)
{
    constexpr int rows = 40000;
    addSwipes(rows);
    control.setReportFileName(file("drda2.rpt"));
    bool progressShown = false;
    int pages = 0;
    QTimer watching;
    QObject::connect(&watching, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<QProgressDialog*>(w) && w->isVisible()) {
                progressShown = true;
                return;
            }
        auto* preview = qobject_cast<report::PreviewDialog*>(QApplication::activeModalWidget());
        if (!preview)
            return;
        pages = preview->pages()->pageCount();
        preview->reject();
    });
    watching.start(50);
    control.PrintReport();
    watching.stop();
    EXPECT_TRUE(progressShown);
    EXPECT_EQ(pages, control.leastPages(rows));

    // Stopped from its bar, the preview closes by itself.
    bool cancelled = false, stayedOpen = false;
    QObject::disconnect(&watching, nullptr, nullptr, nullptr);
    QObject::connect(&watching, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* progress = qobject_cast<QProgressDialog*>(w); progress && progress->isVisible()) {
                if (!cancelled)
                    QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
                cancelled = true;
                return;
            }
        if (auto* preview = qobject_cast<report::PreviewDialog*>(QApplication::activeModalWidget())) {
            stayedOpen = true;
            preview->reject();
        }
    });
    watching.start(50);
    control.PrintReport();
    watching.stop();
    EXPECT_TRUE(cancelled);
    EXPECT_FALSE(stayedOpen);
}

// Saving a month of swipes from the preview: the operator sees how far it
// has come and may stop it from the bar, which leaves no file, not even half
// of one; left to run, the file holds every page, numbered, with the last
// row on the last page.
TEST_F(Report, ALongSaveShowsItsProgressAndAStoppedOneLeavesNoFile)
{
    constexpr int rows = 40000;
    addSwipes(rows);
    control.setReportFileName(file("drda2.rpt"));
    for (const bool stopping : {true, false}) {
        SCOPED_TRACE(stopping ? "stopped" : "whole");
        dialogs.chooseFile(file("saved"));
        bool saving = false, progressShown = false, stopped = false, saved = false;
        QTimer watching;  // the operator, looking at the bar while the save runs
        QObject::connect(&watching, &QTimer::timeout, [&] {
            if (!saving)
                return;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* progress = qobject_cast<QProgressDialog*>(w);
                    progress && progress->isVisible() && progress->labelText() == "正在另存為PDF……") {
                    progressShown = true;
                    if (stopping && !stopped && progress->value() > 0) {
                        stopped = true;
                        QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
                    }
                }
        });
        QTimer driving;  // the operator's hand on the preview's toolbar
        QObject::connect(&driving, &QTimer::timeout, [&] {
            auto* preview = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!preview || preview->windowTitle() != "打卡數據報表" || saved)
                return;
            saved = true;
            auto* bar = preview->findChild<QToolBar*>();
            for (QAction* action : bar->actions())
                if (action->text() == "另存為PDF") {
                    saving = true;
                    QTest::mouseClick(bar->widgetForAction(action), Qt::LeftButton);
                    saving = false;
                }
            preview->reject();
        });
        watching.start(30);
        driving.start(50);
        control.PrintReport();
        ASSERT_TRUE(saved);
        EXPECT_TRUE(progressShown);
        if (stopping) {
            EXPECT_TRUE(stopped);
            EXPECT_EQ(QDir(folder()).entryList({"saved*"}), QStringList());
            continue;
        }
        ASSERT_TRUE(QFile::exists(file("saved.pdf")));
        const int pages = pdfPages(file("saved.pdf"));
        EXPECT_EQ(pages, control.leastPages(rows));
        const QString last = pdfText(file("saved.pdf"), pages);
        EXPECT_TRUE(last.contains(QString::number(200000 + rows - 1)));
        EXPECT_TRUE(last.contains(QStringLiteral("第 %1 頁，共 %1 頁").arg(pages)));
    }
}

// The preview's toolbar takes the operator from page to page and zooms, as
// the page number shows; the page typed into its box is the one shown.
TEST_F(Report, ThePreviewGoesFromPageToPageAndZooms)
{
    addSwipes(300);
    control.setReportFileName(file("drda2.rpt"));
    const int pages = int(control.leastPages(300));
    ASSERT_GE(pages, 5);
    QStringList seen;
    double fitted = 0, zoomed = 0;
    bool refitted = false;
    QTimer::singleShot(0, [&] {
        auto* preview = qobject_cast<report::PreviewDialog*>(QApplication::activeModalWidget());
        if (!preview)
            return;
        auto* bar = preview->findChild<QToolBar*>();
        auto* field = preview->findChild<QLineEdit*>("pageNumEdit");
        const auto press = [&](const QString& text) {
            for (QAction* action : bar->actions())
                if (action->text() == text)
                    QTest::mouseClick(bar->widgetForAction(action), Qt::LeftButton);
            QTest::qWait(20);
            seen << field->text() + "=" + QString::number(preview->pages()->currentPage());
        };
        press("最後一頁");
        press("上一頁");
        press("第一頁");
        press("下一頁");
        field->selectAll();
        QTest::keyClicks(field, "3");
        QTest::keyClick(field, Qt::Key_Return);
        QTest::qWait(20);
        seen << field->text() + "=" + QString::number(preview->pages()->currentPage());
        fitted = preview->pages()->zoomFactor();
        press("放大");
        zoomed = preview->pages()->zoomFactor();
        press("適合寬度");
        refitted = preview->pages()->fitsWidth() && preview->pages()->zoomFactor() == fitted;
        preview->reject();
    });
    control.PrintReport();
    const QString last = QString::number(pages), before = QString::number(pages - 1);
    EXPECT_EQ(seen, QStringList({last + "=" + last, before + "=" + before, "1=1", "2=2", "3=3", "3=3", "3=3"}));
    EXPECT_GT(zoomed, fitted);
    EXPECT_TRUE(refitted);
}

}  // namespace
