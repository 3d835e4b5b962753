#include "queryfixture.h"

#include "app.h"
#include "boundgrid.h"
#include "recordset.h"
#include "reportcontrol.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

namespace reportstest {

void QueryWindowTest::SetUp()
{
    ProgramFolderTest::SetUp();
    openSharedDb();
    const QDir templates(QStringLiteral(KESTROM_REPORT_TEMPLATES));
    for (const QString& name : templates.entryList({QStringLiteral("*.rpt")}))
        QFile::copy(templates.filePath(name), file(name));
    app::companyname = QStringLiteral("康盛花園管理處");
    report::setPreviewHandler([this](const report::ReportControl& control) {
        ++prints;
        control.writePdf(file(QStringLiteral("printed.pdf")));
    });
}

void QueryWindowTest::TearDown()
{
    report::setPreviewHandler({});
    ProgramFolderTest::TearDown();
}

void QueryWindowTest::showWindow(QWidget* w)
{
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
}

void QueryWindowTest::click(QWidget* control)
{
    QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(8, control->height() / 2));
}

void QueryWindowTest::type(QComboBox* box, const QString& text)
{
    box->lineEdit()->selectAll();
    QTest::keyClick(box->lineEdit(), Qt::Key_Delete);
    // Characters beyond ASCII come as an input method gives them: a key
    // event carrying the text.
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(box->lineEdit(), c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, box->lineEdit(), Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void QueryWindowTest::type(QDateTimeEdit* picker, const QString& digits)
{
    picker->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(picker, digits);
    QTest::keyClick(picker, Qt::Key_Tab);
}

void QueryWindowTest::type(QDateTimeEdit* picker, const QDate& day)
{
    type(picker, day.toString(QStringLiteral("yyyyMMdd")));
}

void QueryWindowTest::pick(QComboBox* box, int index)
{
    box->showPopup();
    QAbstractItemView* list = box->view();
    QTRY_VERIFY(list->isVisible());
    list->scrollTo(list->model()->index(index, 0));
    const QRect item = list->visualRect(list->model()->index(index, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    QTRY_VERIFY(!list->isVisible());
}

QStringList QueryWindowTest::items(QComboBox* box)
{
    while (box->model()->canFetchMore({}))
        box->model()->fetchMore({});
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

bool QueryWindowTest::editCell(grid::BoundGrid* grid, int row, int column, const QString& text)
{
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(row, column));
    bool opened = false;
    for (int way = 0; way < 2; ++way) {
        if (way == 0)
            QTest::keyClick(grid, Qt::Key_F2);
        else
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->currentIndex()).center());
        QWidget* editor = QApplication::focusWidget();
        if (editor == grid)
            continue;
        opened = true;
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(editor, Qt::Key_Backspace);
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();  // the editor hands its text over once the key is handled
    }
    return opened;
}

bool QueryWindowTest::anyCellEditable(grid::BoundGrid* grid)
{
    for (int column = 0; column < grid->model()->columnCount(); ++column)
        if (grid->model()->flags(grid->model()->index(0, column)).testFlag(Qt::ItemIsEditable))
            return true;
    return false;
}

QStringList QueryWindowTest::listed(grid::BoundGrid* grid, const QString& field)
{
    while (grid->isCounting())
        QCoreApplication::processEvents();
    QStringList out;
    for (int row = 0; row < grid->RecordCount(); ++row)
        out << grid->Field(row, field).toString();
    return out;
}

QStringList QueryWindowTest::column(const QString& table, const QString& name) const
{
    QStringList out;
    jet::Database db = openDb();
    for (jet::Recordset rs = db.OpenRecordset(QStringLiteral("select ") + name + QStringLiteral(" from ") + table
                                                  + QStringLiteral(" order by rowid"),
                                              jet::dbOpenSnapshot);
         !rs.Eof(); rs.MoveNext())
        out << rs.Field(0).toString();
    return out;
}

int QueryWindowTest::printLong(QWidget* button, grid::BoundGrid* grid, const QString& table)
{
    while (grid->isCounting())
        QCoreApplication::processEvents();
    int staged = -1;
    report::setPreviewHandler([&](const report::ReportControl&) {
        ++prints;
        staged = count(table);
    });
    dialogs.answer(ui::vbYes);
    click(button);
    return staged;
}

QueryWindowTest::StoppedBar QueryWindowTest::printStoppedAtItsBar(QWidget* button)
{
    StoppedBar stopped;
    QTimer operatorWatching;
    QObject::connect(&operatorWatching, &QTimer::timeout, [&] {
        auto* progress = button->window()->findChild<QProgressDialog*>();
        if (!progress || !progress->isVisible() || stopped.maximum >= 0)
            return;
        stopped = {progress->labelText(), progress->maximum()};
        QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
    });
    operatorWatching.start(20);
    dialogs.answer(ui::vbYes);
    click(button);
    return stopped;
}

QString QueryWindowTest::printedText() const
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), file(QStringLiteral("printed.pdf")), QStringLiteral("-")});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput()).remove(QRegularExpression(QStringLiteral("\\s")));
}

}  // namespace reportstest
