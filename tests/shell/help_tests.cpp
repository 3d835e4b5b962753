// Help: the document shipped as kestrom.hlp and the window showing it.
#include "helpwindow.h"
#include "mainwindowtest.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

using shelltest::MainWindowTest;

namespace {

class Help : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        app::db.Execute("insert into cjtype values (0, '0')");
        m = load();
        m->show();
    }
    void shipHelp() { ASSERT_TRUE(QFile::copy(KESTROM_HELP_SOURCE, file("kestrom.hlp"))); }
    HelpWindow* shown() const
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* h = qobject_cast<HelpWindow*>(w); h && h->isVisible())
                return h;
        return nullptr;
    }
    menu* m = nullptr;
};

TEST_F(Help, EntryAndF1ShowOneHelpWindow)
{
    shipHelp();
    m->ActiveBar1_ToolClick(11);
    HelpWindow* first = shown();
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->Text1->toPlainText().contains("門禁管理系統 幫助"));
    QTest::keyClick(m, Qt::Key_F1);
    EXPECT_EQ(shown(), first);
    first->close();
    QApplication::processEvents();
    QTest::keyClick(m, Qt::Key_F1);
    EXPECT_TRUE(shown());
    EXPECT_TRUE(dialogs.messages.empty());
}

// On a kiosk without a title bar the help window still has its way out,
// and it opens over the main window's working area, not over its menu.
TEST_F(Help, ClosedByEscOrItsButtonAndOpenedBelowTheMenu)
{
    shipHelp();
    QTest::keyClick(m, Qt::Key_F1);
    HelpWindow* help = shown();
    ASSERT_TRUE(help);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(help));
    const int menuBottom = m->menuBar()->mapToGlobal(QPoint(0, m->menuBar()->height())).y();
    EXPECT_GE(help->frameGeometry().top(), menuBottom);
    EXPECT_TRUE(m->frameGeometry().contains(help->frameGeometry()));
    QApplication::setActiveWindow(help);
    help->Text1->setFocus();
    QTest::keyClick(help->Text1, Qt::Key_Escape);
    EXPECT_FALSE(shown());

    QApplication::processEvents();
    QTest::keyClick(m, Qt::Key_F1);
    help = shown();
    ASSERT_TRUE(help);
    EXPECT_EQ(help->cmdclose->text(), "關閉(&C)");
    QTest::mouseClick(help->cmdclose, Qt::LeftButton);
    EXPECT_FALSE(shown());
}

TEST_F(Help, AMissingHelpFileIsNamed)
{
    QTest::keyClick(m, Qt::Key_F1);
    EXPECT_FALSE(shown());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.last(), "找不到幫助文件 " + file("kestrom.hlp"));
}

TEST_F(Help, TheDocumentHasAPagePerHeadingTellingEveryEntry)
{
    QFile doc(KESTROM_HELP_SOURCE);
    ASSERT_TRUE(doc.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(doc.readAll());
    for (QAction* heading : m->ActiveBar1->actions()) {
        SCOPED_TRACE(heading->text().toStdString());
        EXPECT_TRUE(html.contains("</a>" + heading->text() + "</h2>"));
        if (!heading->menu())
            continue;
        for (QAction* e : heading->menu()->actions())
            EXPECT_TRUE(html.contains("<dt>" + e->text() + "</dt>")) << e->text().toStdString();
    }
}

}  // namespace
