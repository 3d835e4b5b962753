// What the personnel window does with a person: show, add, modify, delete,
// query and print.
#include "frmxg.h"

#include "app.h"
#include "boundgrid.h"
#include "dbfailure.h"
#include "keys.h"
#include "msgbox.h"
#include "photobox.h"
#include "programfolder.h"
#include "reporttemplate.h"
#include "sqlvalue.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolBar>

namespace {

bool isNull(const QVariant& v) { return !v.isValid() || v.isNull(); }

void showValue(QWidget* box, const QVariant& v)
{
    if (auto* line = qobject_cast<QLineEdit*>(box)) {
        line->setText(v.toString());
    } else if (auto* combo = qobject_cast<QComboBox*>(box)) {
        combo->setEditText(v.toString());
    } else if (auto* date = qobject_cast<QDateEdit*>(box)) {
        const QDate d = v.typeId() == QMetaType::QDateTime ? v.toDateTime().date() : v.toDate();
        date->setDate(d.isValid() ? d : date->minimumDate());
    }
}

QVariant valueOf(QWidget* box)
{
    if (auto* line = qobject_cast<QLineEdit*>(box))
        return line->text();
    if (auto* combo = qobject_cast<QComboBox*>(box))
        return combo->currentText();
    if (auto* date = qobject_cast<QDateEdit*>(box))
        return date->date() == date->minimumDate() ? QVariant() : QVariant(date->date());
    return {};
}

}  // namespace

bool Frmxg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Tkh && event->type() == QEvent::KeyPress)
        return tkhKey(static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::FocusIn
        && (watched == Ckh1 || watched == Ckh2 || watched == Ckh1->lineEdit() || watched == Ckh2->lineEdit()))
        Option2->setChecked(true);
    return QDialog::eventFilter(watched, event);
}

// No button is the window's default one: Enter in a box presses none of
// them. A button with the focus takes its own Enter, a tool bar's too.
void Frmxg::keyPressEvent(QKeyEvent* event)
{
    if (!ui::isEnter(event)) {
        QDialog::keyPressEvent(event);
        return;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(focusWidget()); button && Toolbar1->isAncestorOf(button))
        button->click();
}

// At six digits the next key (Enter, say) looks the person up and moves on;
// before that only digits and Backspace are taken.
bool Frmxg::tkhKey(QKeyEvent* key)
{
    if (!ui::typesCharacter(key))
        return false;
    const bool backspace = key->key() == Qt::Key_Backspace;
    if (Tkh->text().trimmed().size() >= 6) {
        if (backspace)
            return false;
        lookUpTypedCard();
        focusNextChild();
        return true;
    }
    return !(ui::typesDigit(key) || backspace);
}

void Frmxg::lookUpTypedCard()
{
    try {
        jet::Recordset person = app::db.OpenRecordset(QStringLiteral("select * from people where 卡號=")
                                                      + sql::text(Tkh->text().trimmed()));
        if (!person.Eof())
            fillFrom(person);
    } catch (const jet::DbError&) {
        // A look-up that fails leaves the boxes as they are, like one that finds nobody.
    }
}

void Frmxg::fillFrom(const jet::Recordset& person)
{
    for (const Box& box : boxes) {
        const QString column = QString::fromUtf8(box.column);
        try {
            showValue(box.widget, person.Field(column));
        } catch (const jet::DbError&) {
        }
        // The photo comes after the identity number; a pending photo stays
        // on screen, as it is what the next add or modify stores.
        if (column == QStringLiteral("身份證號") && photo.isEmpty()) {
            try {
                Picture1->LoadPicture(person.Field(QStringLiteral("照片")).toString());
            } catch (const jet::DbError&) {
            }
        }
    }
}

void Frmxg::writeBoxes(jet::Recordset& person)
{
    for (const Box& box : boxes)
        person.SetField(QString::fromUtf8(box.column), valueOf(box.widget));
    if (!photo.isEmpty())
        person.SetField(QStringLiteral("照片"), photo);
}

void Frmxg::DBGrid1_RowColChange()
{
    if (DBGrid1->Row() < 0)
        return;
    try {
        peopleRs.Seek(QStringLiteral("="), DBGrid1->Field(QStringLiteral("卡號")));
        if (peopleRs.NoMatch())
            return;
        Tkh->setText(peopleRs.Field(QStringLiteral("卡號")).toString());
    } catch (const jet::DbError&) {
        return;
    }
    lookUpTypedCard();
}

void Frmxg::Data2_Refresh()
{
    try {
        DBGrid1->Refresh();
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
    }
}

void Frmxg::Command5_Click()
{
    const QString chosen = ui::FileDialog({ui::FileDialogKind::Open, QString(), platform::programFolder(),
                                           QStringLiteral("*.jpg;*.gif;*.bmp (*.jpg *.gif *.bmp)")});
    // The dialog keeps the name it showed last: a cancel takes that file again.
    if (!chosen.isEmpty())
        chosenPhoto = chosen;
    photo.clear();
    if (Picture1->LoadPicture(chosenPhoto) && !chosenPhoto.isEmpty())
        photo = chosenPhoto;
}

void Frmxg::Option1_Click() { query = QStringLiteral("select * from people"); }

void Frmxg::Toolbar1_ButtonClick(int index)
{
    switch (index) {
    case 1: addPerson(); break;
    case 2: modifyPerson(); break;
    case 3: deletePerson(); break;
    case 4: runQuery(); break;
    case 5: printPeople(); break;
    case 6: close(); break;
    default: break;
    }
}

void Frmxg::addPerson()
{
    if (Tkh->text().isEmpty()) {
        ui::MsgBox(QStringLiteral("卡號不能空！"), 0);
        Tkh->setFocus();
        return;
    }
    try {
        peopleRs.Seek(QStringLiteral("="), Tkh->text());
        if (peopleRs.NoMatch()) {
            peopleRs.AddNew();
            peopleRs.SetField(QStringLiteral("卡號"), Tkh->text());
            writeBoxes(peopleRs);
            peopleRs.Update();
            clearBoxes();
            photo.clear();
            Picture1->Clear();
        } else {
            Tkh->clear();
            ui::MsgBox(QStringLiteral("卡號已經存在！"), 0);
        }
    } catch (const jet::DbError& e) {
        if (peopleRs.isOpen())
            peopleRs.CancelUpdate();
        ui::reportDbFailure(e);
    }
    Data2_Refresh();
    Tkh->setFocus();
}

void Frmxg::modifyPerson()
{
    try {
        peopleRs.Seek(QStringLiteral("="), Tkh->text());
        if (peopleRs.NoMatch()) {
            ui::MsgBox(QStringLiteral("卡號不存在！"), 0);
        } else {
            peopleRs.Edit();
            writeBoxes(peopleRs);
            peopleRs.Update();
        }
    } catch (const jet::DbError& e) {
        if (peopleRs.isOpen())
            peopleRs.CancelUpdate();
        ui::reportDbFailure(e);
    }
    Data2_Refresh();
    clearBoxes();
    photo.clear();
    Picture1->Clear();
}

// A person leaves only once the card is out of every controller; the
// archive keeps who it was and when.
void Frmxg::deletePerson()
{
    const QString card = Tkh->text();
    try {
        fakaRs.Seek(QStringLiteral("="), card);
        if (!fakaRs.NoMatch()) {
            ui::MsgBox(QStringLiteral("請先將該卡號從門禁中刪除再進行員工信息刪除操作！"), 0);
            return;
        }
        peopleRs.Seek(QStringLiteral("="), card);
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
        return;
    }
    if (!peopleRs.NoMatch()) {
        ui::storeAtomically(app::db, [this] {
            jet::Recordset archive = app::db.OpenRecordset(QStringLiteral("dpeople"), jet::dbOpenTable);
            archive.AddNew();
            archive.SetField(QStringLiteral("卡號"), peopleRs.Field(QStringLiteral("卡號")));
            for (const char* column : {"姓名", "部門", "職務", "身份證號", "rmno", "sex", "marriage", "hukou", "company",
                                       "tel", "fcz", "spouse", "ssex", "scompany", "shukou", "child1", "child2",
                                       "child3", "nation"}) {
                const QVariant v = peopleRs.Field(QString::fromUtf8(column));
                if (!isNull(v))
                    archive.SetField(QString::fromUtf8(column), v);
            }
            archive.SetField(QStringLiteral("日期"), QDate::currentDate());
            archive.Update();
            archive.Close();
            peopleRs.Delete();
        });
    }
    Data2_Refresh();
}

void Frmxg::runQuery()
{
    if (Option2->isChecked())
        query = QStringLiteral("select * from people where 卡號 between ") + sql::text(Ckh1->currentText().trimmed())
                + QStringLiteral(" and  ") + sql::text(Ckh2->currentText().trimmed())
                + QStringLiteral(" order by clng(卡號)");
    DBGrid1->setRecordSource(query);
    Data2_Refresh();
}

void Frmxg::printPeople()
{
    runQuery();
    try {
        app::db.Execute(QStringLiteral("delete * from peoplept"));
        app::db.Execute(QStringLiteral("insert into peoplept ") + query);
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
        return;
    }
    CrystalReport1.setDataFiles(0, platform::programFile(QStringLiteral("kestrom.mdb")));
    CrystalReport1.setReportFileName(platform::programFile(QStringLiteral("pl.rpt")));
    try {
        CrystalReport1.PrintReport(this);
    } catch (const report::ReportError& e) {
        ui::MsgBox(e.message(), 48);
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
    }
}
