#pragma once
#include "app.h"
#include "issuedcards.h"
#include "simulator.h"
#include "testsupport.h"

#include <QString>
#include <memory>

// An issued card as the card windows would have stored it, its physical
// number made from its card number ("000123" → "0000000123").
inline cardstore::IssuedCard testCard(int address, const QString& card, int lock1Mode = 0, int lock2Mode = 0)
{
    cardstore::IssuedCard c;
    c.address = address;
    c.card = card;
    c.physical = QStringLiteral("0000") + card;
    c.lock1Mode = lock1Mode;
    c.lock2Mode = lock2Mode;
    return c;
}

// A program folder whose serial port 5 is a simulated line of controllers,
// with the shared database open as after log-in.
class LineTest : public testsupport::ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        openSharedDb();
        sim = std::make_unique<ctlsim::Simulator>(folder(), 5);
        app::comport = 5;
    }
    void TearDown() override
    {
        sim.reset();
        ProgramFolderTest::TearDown();
    }

    std::unique_ptr<ctlsim::Simulator> sim;
};
