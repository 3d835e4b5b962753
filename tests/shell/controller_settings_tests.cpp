// Serial-line settings with the line test, the super-user confirmation and
// the About box.
#include "dispatch.h"
#include "frmabout.h"
#include "frmspe.h"
#include "frmsys.h"
#include "frmsysinf.h"
#include "fit.h"
#include "menuwindows.h"
#include "operator.h"
#include "simline.h"
#include "superuserconfirm.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

namespace {

class SerialSettings : public SimLine {
protected:
    void SetUp() override {
        SimLine::SetUp();
        openSharedDb();
        window = std::make_unique<frmsys>();
    }
    void TearDown() override {
        window.reset();
        SimLine::TearDown();
    }
    QVariant row(const char* name, const char* column) {
        return scalar(QStringLiteral("select %1 from system where name='%2'")
                          .arg(QString::fromLatin1(column), QString::fromUtf8(name)));
    }
    void fill(const QString& port, const QString& settings, const QString& in, const QString& out) {
        window->Tport->setText(port);
        window->Tset->setText(settings);
        window->Tinb->setText(in);
        window->Toutb->setText(out);
    }
    void test(const QString& address) {
        window->Cmdtest_Click();
        window->tdz->setText(address);
        window->Command1_Click();
    }
    std::unique_ptr<frmsys> window;
};

TEST_F(SerialSettings, LoadShowsTheRunningValues) {
    EXPECT_EQ(window->Tport->text(), QStringLiteral("1"));
    EXPECT_EQ(window->Tset->text(), QStringLiteral("9600,n,8,1"));
    EXPECT_EQ(window->Tinb->text(), QStringLiteral("2048"));
    EXPECT_EQ(window->Toutb->text(), QStringLiteral("512"));
    EXPECT_FALSE(window->Frame1->isVisibleTo(window.get()));
}

TEST_F(SerialSettings, ApplyStoresAllFourRowsAndTheRunningValues) {
    fill(QStringLiteral("3"), QStringLiteral("  19200, E ,7,2 "), QStringLiteral("4096"), QStringLiteral("1024"));
    window->Cmdok_Click();
    EXPECT_EQ(row("串口號", "zhi").toInt(), 3);
    EXPECT_EQ(row("通訊設置", "detail").toString(), QStringLiteral("19200, E ,7,2"));
    EXPECT_EQ(row("輸入緩沖區", "zhi").toInt(), 4096);
    EXPECT_EQ(row("輸出緩沖區", "zhi").toInt(), 1024);
    EXPECT_EQ(app::comport, 3);
    EXPECT_EQ(app::comset, QStringLiteral("19200, E ,7,2"));  // the same trimmed text as the row
    EXPECT_EQ(app::inbufsize, 4096);
    EXPECT_EQ(app::outbufsize, 1024);
}

TEST_F(SerialSettings, ApplyStoresTheFourRowsOrNone) {
    // The last of the four rows is refused, as a full disk would refuse it.
    rawSql("create trigger refuse before update on system when new.name='輸出緩沖區' "
           "begin select raise(abort, 'database or disk is full'); end");
    fill(QStringLiteral("3"), QStringLiteral("19200,e,7,2"), QStringLiteral("4096"), QStringLiteral("1024"));
    window->Cmdok_Click();
    EXPECT_TRUE(dialogs.last().startsWith(QStringLiteral("設置未能保存："))) << dialogs.last().toStdString();
    EXPECT_EQ(row("串口號", "zhi").toInt(), 1);
    EXPECT_EQ(row("通訊設置", "detail").toString(), QStringLiteral("9600,n,8,1"));
    EXPECT_EQ(row("輸入緩沖區", "zhi").toInt(), 2048);
    EXPECT_EQ(app::comport, 1);
}

TEST_F(SerialSettings, ApplyRefusesWhatThePortWouldRefuse) {
    struct Case {
        const char *port, *settings, *in, *out, *message;
    } cases[] = {
        {"0", "9600,n,8,1", "2048", "512", "通訊端口設置錯誤"},
        {"70000", "9600,n,8,1", "2048", "512", "通訊端口設置錯誤"},
        {"256", "9600,n,8,1", "2048", "512", "通訊端口設置錯誤"},
        {"1", "9600,x,8,1", "2048", "512", "通訊參數設置錯誤"},
        {"1", "9600", "2048", "512", "通訊參數設置錯誤"},
        {"1", "9600,n,8,1", "0", "512", "緩沖區大小應為1到32767之間的整數"},
        {"1", "9600,n,8,1", "2048", "40000", "緩沖區大小應為1到32767之間的整數"},
        {"1", "9600,n,8,1", "big", "512", "緩沖區大小應為1到32767之間的整數"},
    };
    for (const auto& c : cases) {
        fill(QString::fromLatin1(c.port), QString::fromLatin1(c.settings), QString::fromLatin1(c.in),
             QString::fromLatin1(c.out));
        window->Cmdok_Click();
        EXPECT_EQ(dialogs.last(), QString::fromUtf8(c.message)) << c.port << " " << c.settings;
    }
    EXPECT_EQ(row("串口號", "zhi").toInt(), 1);
    EXPECT_EQ(row("通訊設置", "detail").toString(), QStringLiteral("9600,n,8,1"));
    EXPECT_EQ(app::comport, 1);
}

TEST_F(SerialSettings, ApplyWithAnEmptyBoxFocusesItAndStoresNothing) {
    window->show();
    window->Tinb->clear();
    window->Cmdok_Click();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->focusWidget(), window->Tinb);
    EXPECT_EQ(row("輸入緩沖區", "zhi").toInt(), 2048);
}

TEST_F(SerialSettings, KeyFilters) {
    QTest::keyClicks(window->Tport, QStringLiteral("a2b"));
    EXPECT_EQ(window->Tport->text(), QStringLiteral("12"));
    QTest::keyClicks(window->tdz, QStringLiteral("x7y"));
    QTest::keyClick(window->tdz, Qt::Key_Backspace);
    EXPECT_EQ(window->tdz->text(), QStringLiteral("7"));
}

TEST_F(SerialSettings, LineTestAgainstTheController) {
    test(QStringLiteral("5"));
    EXPECT_EQ(dialogs.last(), QStringLiteral("測試成功"));
    EXPECT_EQ(sim->received().back().left(3), QByteArray::fromHex("050508"));
    EXPECT_TRUE(window->Comm.PortOpen());  // left open until the window closes
    EXPECT_TRUE(window->Cmdok->isEnabled());
    EXPECT_FALSE(window->Frame1->isVisibleTo(window.get()));
    test(QStringLiteral("9"));  // nobody at 9
    EXPECT_EQ(dialogs.last(), QStringLiteral("通訊失敗"));
    sim->scriptNext(frames::cmdSetTime, fromAddress(4));
    test(QStringLiteral("5"));
    EXPECT_EQ(dialogs.last(), QStringLiteral("測試失敗"));
}

// The next click lands where the operator aims: the test panel and the
// test's result change neither the window's size nor its buttons' places.
TEST_F(SerialSettings, OpensCentredOnTheScreenAndKeepsItsButtonsInPlace) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const QRect screen = window->screen()->availableGeometry();
    EXPECT_LE((window->frameGeometry().center() - screen.center()).manhattanLength(), 2);
    const auto places = [this] {
        return testsupport::placesOf(window.get(), {window->Cmdok, window->Cmdtest, window->cmdexit, window->Tport});
    };
    const QList<QRect> before = places();
    testsupport::click(window->Cmdtest);
    EXPECT_TRUE(window->Frame1->isVisible());
    EXPECT_EQ(places(), before);
    testsupport::typeOver(window->tdz, QStringLiteral("5"));
    testsupport::click(window->Command1);
    EXPECT_EQ(dialogs.last(), QStringLiteral("測試成功"));
    EXPECT_FALSE(window->Frame1->isVisible());
    EXPECT_EQ(places(), before);
}

TEST_F(SerialSettings, LineTestAddressChecks) {
    test(QString());
    EXPECT_EQ(dialogs.last(), QStringLiteral("請輸入考勤机地址\""));
    test(QStringLiteral("100"));
    EXPECT_EQ(dialogs.last(), QStringLiteral("地址為0-99之間的整數"));
    EXPECT_TRUE(sim->received().empty());
}

TEST_F(SerialSettings, LineTestUsesWhatIsTypedAtEveryPress) {
    window->Tport->setText(QStringLiteral("0"));
    test(QStringLiteral("5"));
    EXPECT_EQ(dialogs.last(), QStringLiteral("通訊端口設置錯誤"));
    window->Tport->setText(QStringLiteral("1"));
    window->Tset->setText(QStringLiteral("9600,q,8,1"));
    test(QStringLiteral("5"));
    EXPECT_EQ(dialogs.last(), QStringLiteral("通訊參數設置錯誤"));
    window->Tset->setText(QStringLiteral(" 9600 , n , 8 , 1 "));  // blanks in every field still work
    test(QStringLiteral("5"));
    EXPECT_EQ(dialogs.last(), QStringLiteral("測試成功"));
    window->Tport->setText(QStringLiteral("2"));  // a port without a line
    QFile::link(QStringLiteral("/nonexistent/tty"), file(QStringLiteral("com2")));
    test(QStringLiteral("5"));
    EXPECT_EQ(dialogs.last(), QStringLiteral("通訊失敗"));
    EXPECT_EQ(app::comport, 1);  // testing stores nothing
}

// ---- super-user confirmation ----

class SuperUser : public testsupport::ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        openSharedDb();
        openDb().Execute(QStringLiteral("insert into user (sysname, syspword) values ('clerk', 'pw')"));
    }
    void TearDown() override {
        QList<QPointer<QWidget>> openings;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<Frmspe*>(w))
                openings << w;
        qDeleteAll(openings);
        ProgramFolderTest::TearDown();
    }
    bool confirm(const QString& name, const QString& password) {
        Frmspecial w;
        w.show();
        w.Tuser->setText(name);
        w.Tpasswd->setText(password);
        w.Cmdok_Click();
        return !w.isVisible();
    }
    static int openings() {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            n += qobject_cast<Frmspe*>(w) && w->isVisible();
        return n;
    }
};

TEST_F(SuperUser, OperatorHoldingTheRightPasses) {
    EXPECT_TRUE(confirm(QStringLiteral(" brivel "), QStringLiteral(" brivel ")));
    EXPECT_EQ(openings(), 1);
}

TEST_F(SuperUser, WrongPasswordMissingRightAndCraftedTextFail) {
    const std::pair<const char*, const char*> attempts[] = {
        {"brivel", "wrong"},
        {"clerk", "pw"},  // no r24
        {"brivel", "' or 'a'='a"},
        {"' or 'a'='a", "' or 'a'='a"},
        {"brivel' --", "x"},
        {"", ""},
    };
    for (const auto& [name, password] : attempts) {
        EXPECT_FALSE(confirm(QString::fromLatin1(name), QString::fromLatin1(password))) << name << " / " << password;
        EXPECT_EQ(dialogs.last(), QStringLiteral("用戶或口令錯或不具備該操作的權限"));
    }
    EXPECT_EQ(openings(), 0);
}

TEST_F(SuperUser, EnterMovesTheFocusOnAndPressesConfirmAtTheButton) {
    openDb().Execute(QStringLiteral("insert into doors (地址,dtype1) values (5,'玻')"));
    Frmspecial w;
    w.show();
    QApplication::setActiveWindow(&w);
    w.Tuser->setFocus();
    QTest::keyClicks(w.Tuser, QStringLiteral("brivel"));
    QTest::keyClick(w.Tuser, Qt::Key_Return);
    EXPECT_TRUE(w.Tpasswd->hasFocus());
    QTest::keyClicks(w.Tpasswd, QStringLiteral("brivel"));
    QTest::keyClick(w.Tpasswd, Qt::Key_Return);
    EXPECT_TRUE(w.Cmdok->hasFocus());
    EXPECT_EQ(openings(), 0);
    QTest::keyClick(w.Cmdok, Qt::Key_Return);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(openings(), 1);
}

// ---- About box ----

class AboutBox : public SimLine {
protected:
    void SetUp() override {
        SimLine::SetUp();
        openSharedDb();
        savedPath = qgetenv("PATH");
    }
    void TearDown() override {
        qputenv("PATH", savedPath);
        SimLine::TearDown();
    }
    QByteArray savedPath;
};

TEST_F(AboutBox, NoSystemInformationProgram) {
    qputenv("PATH", QFile::encodeName(folder()));
    frmabout w;
    w.cmdSysInfo_Click();
    EXPECT_EQ(dialogs.last(), QStringLiteral("此時系統信息無效"));
}

TEST_F(AboutBox, SystemInformationProgramStarted) {
    const QString marker = file(QStringLiteral("started"));
    const QString program = file(frmabout::sysInfoPrograms().last());
    QFile script(program);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\n/usr/bin/touch '%1'\n").arg(marker).toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH", QFile::encodeName(folder()));
    frmabout w;
    w.cmdSysInfo_Click();
    EXPECT_TRUE(dialogs.messages.empty());
    QElapsedTimer t;
    t.start();
    while (!QFile::exists(marker) && t.elapsed() < 3000)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(QFile::exists(marker));
}

TEST_F(AboutBox, HardwareButtonClosesTheBoxAndShowsTheInformationWindow) {
    frmabout w;
    w.show();
    QString shown;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* info = qobject_cast<FrmSysInf*>(modal)) {
            shown = info->windowTitle();
            info->close();
        }
    });
    w.Command1_Click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(shown, QStringLiteral("硬件信息"));
}

}  // namespace

namespace {

class MenuEntries : public testsupport::ProgramFolderTest {};

TEST_F(MenuEntries, OpenTheControllerSetUpWindows) {
    openSharedDb();
    installMenuWindows();
    const std::pair<int, const char*> rows[] = {
        {6, "Frmspecial"}, {8, "Frmdoors"}, {9, "frmsys"}, {12, "frmabout"}, {26, "FrmCDT"}};
    for (const auto& [id, name] : rows) {
        const dispatch::Row* row = dispatch::find(id);
        ASSERT_NE(row, nullptr) << id;
        EXPECT_EQ(row->shown, dispatch::Shown::Modal);
        std::unique_ptr<QWidget> window(row->open());
        ASSERT_TRUE(window);
        EXPECT_EQ(window->objectName(), QString::fromLatin1(name));
    }
    dispatch::setTable({});
}

}  // namespace
