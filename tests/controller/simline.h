#pragma once
#include "exchanges.h"
#include "serialport.h"
#include "simulator.h"
#include "app.h"
#include "testsupport.h"
#include "wait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <functional>
#include <memory>
#include <thread>

// A program folder whose com1 is a simulated line with a controller at
// address 5 and the card issuer at 1. The wait clock runs four times as
// fast, so a 2 s limit passes in half a second of real time.
class SimLine : public testsupport::ProgramFolderTest {
protected:
    static constexpr double speed = 4;

    void SetUp() override {
        ProgramFolderTest::SetUp();
        serial::setWaitClock(serial::scaledClock(speed));
        sim = std::make_unique<ctlsim::Simulator>(folder(), 1);
        sim->addController(5);
        sim->setIssuer(1);
        controller::configurePort(port);
    }
    void TearDown() override {
        port.setPortOpen(false);
        sim.reset();
        serial::setWaitClock(nullptr);
        ProgramFolderTest::TearDown();
    }

    // Real milliseconds for seconds of the wait clock.
    static int realMs(double seconds) { return int(seconds * 1000 / speed); }

    // Lets events run for a while of real time.
    static void runEvents(int ms) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    // A link comN that leads nowhere: opening port N fails.
    void brokenPort(int n) {
        QFile::link(QStringLiteral("/nonexistent/tty"), file(QStringLiteral("com%1").arg(n)));
        app::comport = short(n);
        controller::configurePort(port);
    }

    static ctlsim::Script script(const std::function<void(ctlsim::Script&)>& fill) {
        ctlsim::Script s;
        fill(s);
        return s;
    }
    static ctlsim::Script silence() {
        return script([](ctlsim::Script& s) { s.silent = true; });
    }
    static ctlsim::Script delayed(double seconds) {
        return script([seconds](ctlsim::Script& s) { s.delayMs = realMs(seconds); });
    }
    static ctlsim::Script fromAddress(int address) {
        return script([address](ctlsim::Script& s) { s.replyAddress = address; });
    }

    std::unique_ptr<ctlsim::Simulator> sim;
    serial::SerialPort port;
};
