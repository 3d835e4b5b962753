#pragma once
#include "app.h"
#include "simulator.h"
#include "testsupport.h"
#include "wait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

// A wait clock the test moves by hand: waits, and the display's clearing
// timer, see exactly the time the test sets.
class ManualClock : public serial::WaitClock {
public:
    std::chrono::nanoseconds now() const override { return std::chrono::nanoseconds(at.load()); }
    void sleep(std::chrono::nanoseconds d) const override { at += d.count(); }
    void set(double seconds) { at = qint64(seconds * 1e9); }

private:
    mutable std::atomic<qint64> at{0};
};

// The program folder of a site whose com1 is a simulated line: controllers
// 5, 6 and 7 answer; the shared database is open as after log-in. Waits run
// four times as fast unless a test installs a clock of its own.
class MonitorLine : public testsupport::ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        serial::setWaitClock(serial::scaledClock(4));
        openSharedDb();
        sim = std::make_unique<ctlsim::Simulator>(folder(), 1);
        for (int a : {5, 6, 7})
            sim->addController(a);
    }
    void TearDown() override {
        sim.reset();
        serial::setWaitClock(nullptr);
        ProgramFolderTest::TearDown();
    }

    void exec(const QString& statement) { app::db.Execute(statement); }

    // A holder with every field filled to its full length, and the card at an address.
    void holder(const QString& card, const QString& name, const QString& department, const QString& job,
                const QString& photo, int address) {
        exec(QStringLiteral("insert into people (卡號,姓名,部門,職務,身份證號,照片) values ('%1','%2','%3','%4','A123456(7)','%5')")
                 .arg(card, name, department, job, photo));
        issue(card, address);
    }
    void issue(const QString& card, int address) {
        exec(QStringLiteral("insert into faka (地址,卡號,物理卡號,ctrl_state1,ctrl_state2) values ('%1','%2','%3',0,0)")
                 .arg(address)
                 .arg(card, physicalOf(card)));
    }
    static QString physicalOf(const QString& card) { return QStringLiteral("0000") + card; }

    // A swipe waiting in a controller, as a card held to its reader leaves it.
    void swipe(int address, const QString& physical, int flag) {
        sim->edit(address, [&](ctlsim::Controller& c) { c.swipes.push_back(ctlsim::Swipe{physical, flag}); });
    }
    std::size_t pending(int address) { return sim->controller(address).swipes.size(); }

    // Frames of one command received so far, in order.
    std::vector<QByteArray> framesOf(std::uint8_t command) {
        std::vector<QByteArray> out;
        for (const QByteArray& f : sim->received())
            if (f.size() >= 3 && std::uint8_t(f[2]) == command)
                out.push_back(f);
        return out;
    }

    // Lets events run until the condition holds or the real time is up.
    static bool waitUntil(const std::function<bool()>& done, int ms = 5000) {
        QElapsedTimer t;
        t.start();
        while (!done()) {
            if (t.elapsed() > ms)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
    static void runEvents(int ms) {
        waitUntil([] { return false; }, ms);
    }

    static ctlsim::Script script(const std::function<void(ctlsim::Script&)>& fill) {
        ctlsim::Script s;
        fill(s);
        return s;
    }

    std::unique_ptr<ctlsim::Simulator> sim;
};
