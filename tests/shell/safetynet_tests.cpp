// The program-wide safety net: an error that escapes a handler is told, and
// the program and the window go on. This test program runs with the
// program's own application object, so it has its own main.
#include "mainwindowtest.h"
#include "pointer.h"
#include "safetynet.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <stdexcept>

using shelltest::MainWindowTest;

namespace {

// A window whose button's handler fails half-way, with the hourglass on.
class Failing : public QWidget {
public:
    explicit Failing(std::function<void()> failure) : failure(std::move(failure))
    {
        setObjectName(QStringLiteral("Failing"));
        button = new QPushButton(QStringLiteral("確定"), this);
        (new QVBoxLayout(this))->addWidget(button);
        QObject::connect(button, &QPushButton::clicked, this, [this] {
            ++presses;
            ui::hourglass(true);
            this->failure();
            ui::hourglass(false);
        });
    }
    QPushButton* button;
    int presses = 0;

private:
    std::function<void()> failure;
};

void refusedStatement() { app::db.Execute(QStringLiteral("update nosuch set 地址=1")); }

class SafetyNet : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        app::db.Execute("insert into cjtype values (0, '0')");
    }
};

TEST_F(SafetyNet, ARefusedStatementIsToldAndTheWindowStaysUsable)
{
    Failing w(refusedStatement);
    w.show();
    QTest::mouseClick(w.button, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].style, 16);
    EXPECT_TRUE(dialogs.last().startsWith("數據庫操作失敗：\n")) << dialogs.last().toStdString();
    EXPECT_TRUE(dialogs.last().contains("no such table: nosuch")) << dialogs.last().toStdString();
    EXPECT_FALSE(dialogs.last().contains("update nosuch")) << dialogs.last().toStdString();  // never the statement
    EXPECT_EQ(ui::hourglassCount(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(w.isVisible());
    QTest::mouseClick(w.button, Qt::LeftButton);
    EXPECT_EQ(w.presses, 2);
    EXPECT_EQ(dialogs.messages.size(), 2u);
}

TEST_F(SafetyNet, AModalWindowFromTheMenuStaysUpThenClosesAndGoes)
{
    QPointer<Failing> made;
    static std::function<QWidget*()> open;
    open = [&] { return made = new Failing(refusedStatement); };
    dispatch::setTable({{8, dispatch::Shown::Modal, [] { return open(); }}});
    menu* m = load();
    m->show();
    bool stayedUp = false;
    QTimer::singleShot(0, [&] {
        QTest::mouseClick(made->button, Qt::LeftButton);
        stayedUp = made->isVisible() && QApplication::activeModalWidget() == made;
        made->close();
    });
    m->ActiveBar1_ToolClick(8);  // back once the window has closed
    EXPECT_TRUE(stayedUp);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(made.isNull());
    EXPECT_TRUE(m->isVisible());
}

TEST_F(SafetyNet, OtherErrorsAreToldWithTheirOwnWords)
{
    Failing w([] { throw std::runtime_error("端口沒有打開"); });
    w.show();
    QTest::mouseClick(w.button, Qt::LeftButton);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>({"程序出錯：\n端口沒有打開"}));
    EXPECT_EQ(ui::hourglassCount(), 0);
}

TEST_F(SafetyNet, AHandlerThatKeepsFailingShowsOneMessageAtATime)
{
    int shown = 0, inside = 0;
    ui::setMessageHandler([&](const ui::MessageCall&) {
        ++shown;
        // The box is up for a while; the timer keeps failing meanwhile.
        ++inside;
        QTest::qWait(100);
        --inside;
        return int(ui::vbOK);
    });
    // Two windows' timers, both failing at every tick.
    int failures = 0;
    QTimer first, second;
    for (QTimer* t : {&first, &second}) {
        QObject::connect(t, &QTimer::timeout, [&] {
            ++failures;
            refusedStatement();
        });
        t->start(5);
    }
    QTest::qWait(250);
    first.stop();
    second.stop();
    EXPECT_GT(failures, 10);
    EXPECT_GE(shown, 1);
    EXPECT_LE(shown, 3);  // one after the other, never one on top of another
    EXPECT_EQ(inside, 0);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ui::Application qapp(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
