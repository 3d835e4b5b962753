// Report templates and the PDF they print over a staging table.
#include "app.h"
#include "reportcontrol.h"
#include "sqlvalue.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPrintPreviewDialog>
#include <QTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

using testsupport::ProgramFolderTest;

namespace {

// Qt names each glyph in the PDF by the first character the font maps to
// it, and the CJK fonts give common ideographs the glyph of the look-alike
// Kangxi radical (人 and ⼈). Read back, the radicals stand for the ideographs.
QString ideographs(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text)
        out += c.unicode() >= 0x2E80 && c.unicode() <= 0x2FDF ? QString(c).normalized(QString::NormalizationForm_KC)
                                                              : QString(c);
    return out;
}

// The text pdftotext finds on the pages of a PDF (all pages when 'page' is 0).
QString pdfText(const QString& pdf, int page = 0)
{
    QStringList args{"-layout"};
    if (page > 0)
        args << "-f" << QString::number(page) << "-l" << QString::number(page);
    args << pdf << "-";
    QProcess p;
    p.start("pdftotext", args);
    p.waitForFinished(60000);
    return ideographs(QString::fromUtf8(p.readAllStandardOutput()));
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
        auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
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

}  // namespace
