#pragma once
#include "app.h"
#include "cardentry.h"
#include "cardfixture.h"
#include "frames.h"
#include "recordset.h"
#include "wait.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <map>
#include <set>
#include <vector>

using Texts = std::vector<QString>;

// The line of the card windows' tests: controllers answer at 1, 2 and 3;
// address 4 is configured but silent; the card issuer is at 9; card 000001
// has a holder. Waits run four times as fast.
class CardLineTest : public LineTest {
protected:
    void SetUp() override
    {
        LineTest::SetUp();
        serial::setWaitClock(serial::scaledClock(4));
        for (int a : {1, 2, 3})
            sim->addController(a);
        sim->setIssuer(9);
        for (int a : {1, 2, 3, 4})
            app::db.Execute(QStringLiteral("insert into doors (地址) values (%1)").arg(a));
        app::db.Execute("insert into people (卡號,姓名,部門,職務,身份證號,rmno) values "
                        "('000001','Kay O''Brien','O''Hara Court','Warden','A123456(7)','12B')");
    }
    void TearDown() override
    {
        serial::setWaitClock(nullptr);
        LineTest::TearDown();
    }

    static void type(QWidget* box, const QString& text)
    {
        box->setFocus();
        QTest::keyClicks(box, text);
    }
    static void click(QWidget* control) { QTest::mouseClick(control, Qt::LeftButton); }
    static void tick(QCheckBox* box, bool on)
    {
        if (box->isChecked() != on)
            click(box);
    }
    // Clicks the entries of the addresses, the first plainly, the others with Ctrl.
    static void clickEntries(QListWidget* list, std::initializer_list<int> addresses)
    {
        Qt::KeyboardModifiers with = Qt::NoModifier;
        for (int a : addresses) {
            const auto found = list->findItems(QString::number(a), Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1) << a;
            QTest::mouseClick(list->viewport(), Qt::LeftButton, with, list->visualItemRect(found[0]).center());
            with = Qt::ControlModifier;
        }
    }
    static std::set<int> selectedEntries(const QListWidget* list)
    {
        std::set<int> out;
        for (QListWidgetItem* item : list->selectedItems())
            out.insert(item->text().toInt());
        return out;
    }
    void press(QPushButton* button)
    {
        dialogs.messages.clear();
        sim->clearReceived();
        click(button);
    }
    // A card issued by an earlier run: in faka and in the controllers.
    void issued(const cardstore::IssuedCard& c)
    {
        cardstore::insertIssued(app::db, c);
        if (sim->hasController(c.address)) {
            frames::CardEntry entry = cardEntry(c);
            const QByteArray frame = *frames::AddCardFrame(entry);
            sim->edit(c.address, [&](ctlsim::Controller& k) {
                k.cards[c.card] = ctlsim::Card{c.physical, c.lock1Mode, c.lock2Mode, frame.mid(11, 11)};
            });
        }
    }
    void issued(cardstore::IssuedCard c, std::initializer_list<int> addresses)
    {
        for (int a : addresses) {
            c.address = a;
            issued(c);
        }
    }
    std::map<QString, cardstore::IssuedCard> rowsAt(int address) const
    {
        std::map<QString, cardstore::IssuedCard> rows;
        jet::Database db = openDb();
        jet::Recordset rs = db.OpenRecordset(QStringLiteral("select * from faka where 地址=%1").arg(address));
        for (; !rs.Eof(); rs.MoveNext()) {
            const cardstore::IssuedCard c = cardstore::fromRow(rs);
            rows[c.card] = c;
        }
        return rows;
    }
    // Each simulated controller holds exactly the cards faka lists for it,
    // with the physical number, pass modes and window bytes of its row.
    void expectInStep(const std::set<int>& unknown = {})
    {
        for (int a : {1, 2, 3}) {
            if (unknown.count(a))
                continue;
            SCOPED_TRACE(a);
            const auto held = sim->controller(a).cards;
            const auto rows = rowsAt(a);
            std::set<QString> heldCards, listed;
            for (const auto& [card, _] : held)
                heldCards.insert(card);
            for (const auto& [card, _] : rows)
                listed.insert(card);
            EXPECT_EQ(heldCards, listed);
            for (const auto& [card, row] : rows) {
                if (!held.count(card))
                    continue;
                const ctlsim::Card& k = held.at(card);
                EXPECT_EQ(k.physical, row.physical) << card.toStdString();
                EXPECT_EQ(k.passMode1, row.lock1Mode);
                EXPECT_EQ(k.passMode2, row.lock2Mode);
                EXPECT_EQ(k.window.toHex(' '), frames::AddCardFrame(cardEntry(row))->mid(11, 11).toHex(' '));
            }
        }
    }
    QString today() const { return QDate::currentDate().toString("yyyy-MM-dd"); }
};
