#include "frmxg.h"

#include "app.h"
#include "boundgrid.h"
#include "datepicker.h"
#include "dbfailure.h"
#include "keys.h"
#include "named.h"
#include "pagedvalues.h"
#include "layout.h"
#include "photobox.h"
#include "programfolder.h"
#include "recordset.h"

#include <QAction>
#include <QResizeEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QToolBar>

namespace {

using ui::named;

QComboBox* sexBox(QWidget* parent, const char* name, const QString& shown)
{
    auto* box = ui::pickBox(parent, name);
    box->addItems({QStringLiteral("男"), QStringLiteral("女")});
    box->setCurrentText(shown);
    return box;
}

}  // namespace

Frmxg::Frmxg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Frmxg"));
    setWindowTitle(QStringLiteral("人員信息"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    Form_Load();
}

// Controls stand at fixed places, as the window was drawn to fit an
// 800 x 600 screen with its title bar; the layout rescaling moves them in
// proportion when the window is made larger. Narrower, the labels would be
// cut off; a little lower it may be, to fit below the main window's title
// and menu bars and with a title bar of its own on such a screen.
void Frmxg::buildControls()
{
    resize(784, 552);
    setMinimumSize(784, 520);
    int labels = 0;
    const auto label = [&labels](QWidget* parent, const char* text, int x, int y, int w = 80) {
        auto* l = new QLabel(QString::fromUtf8(text), parent);
        l->setObjectName(QStringLiteral("Label%1").arg(++labels));
        l->setGeometry(x, y, w, 24);
        return l;
    };

    Toolbar1 = named(new QToolBar(this), "Toolbar1");
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    Toolbar1->setGeometry(8, 8, 380, 40);
    const QString captions[] = {QStringLiteral("添加"), QStringLiteral("修改"), QStringLiteral("刪除"),
                                QStringLiteral("查詢"), QStringLiteral("打印"), QStringLiteral("退出")};
    for (int i = 0; i < 6; ++i) {
        QAction* button = Toolbar1->addAction(captions[i]);
        button->setObjectName(QStringLiteral("Button%1").arg(i + 1));
        connect(button, &QAction::triggered, this, [this, i] { Toolbar1_ButtonClick(i + 1); });
        // Reached by Tab as any other button, and not by a click: a click
        // leaves the focus where it was, so the box being typed in keeps it.
        Toolbar1->widgetForAction(button)->setFocusPolicy(Qt::TabFocus);
    }

    Frame3 = named(new QGroupBox(QStringLiteral("查詢打印"), this), "Frame3");
    Frame3->setGeometry(396, 2, 380, 52);
    Option1 = named(new QRadioButton(QStringLiteral("全部"), Frame3), "Option1");
    Option1->setGeometry(8, 22, 58, 24);
    Option2 = named(new QRadioButton(QStringLiteral("卡號範圍"), Frame3), "Option2");
    Option2->setGeometry(68, 22, 92, 24);
    Ckh1 = ui::pickBox(Frame3, "Ckh1");
    Ckh1->setGeometry(164, 22, 90, 24);
    label(Frame3, "－", 256, 22, 16);
    Ckh2 = ui::pickBox(Frame3, "Ckh2");
    Ckh2->setGeometry(274, 22, 90, 24);
    for (QComboBox* c : {Ckh1, Ckh2}) {
        c->installEventFilter(this);
        c->lineEdit()->installEventFilter(this);
    }

    Frame1 = named(new QGroupBox(QStringLiteral("業主信息"), this), "Frame1");
    Frame1->setGeometry(8, 56, 768, 188);
    Tkh = named(new QLineEdit(Frame1), "Tkh");
    Tkh->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,6}")), Tkh));
    Tkh->installEventFilter(this);
    Tfh = named(new QLineEdit(Frame1), "Tfh");
    Txm = named(new QLineEdit(Frame1), "Txm");
    Csex = sexBox(Frame1, "Csex", QStringLiteral("男"));
    DTPicker2 = named(new ui::DatePicker(Frame1), "DTPicker2");
    // The earliest date stands for a birthday that isn't known: it shows
    // empty and is stored as no date.
    DTPicker2->setMinimumDate(QDate(1900, 1, 1));
    DTPicker2->setSpecialValueText(QStringLiteral(" "));
    DTPicker2->setDate(DTPicker2->minimumDate());
    Tma = named(new QLineEdit(Frame1), "Tma");
    Ttel = named(new QLineEdit(Frame1), "Ttel");
    Tzw = named(new QLineEdit(Frame1), "Tzw");
    Tfcz = named(new QLineEdit(Frame1), "Tfcz");
    Tid = named(new QLineEdit(Frame1), "Tid");
    Tnation = named(new QLineEdit(Frame1), "Tnation");
    Cbm = ui::pickBox(Frame1, "Cbm");
    Thukou = named(new QLineEdit(Frame1), "Thukou");
    Tcompany = named(new QLineEdit(Frame1), "Tcompany");
    const std::pair<const char*, QWidget*> ownerRows[] = {
        {"卡    號：", Tkh},       {"房     號：", Tfh},  {"業主姓名：", Txm},  {"性別：", Csex},
        {"出生年月：", DTPicker2}, {"婚姻狀況：", Tma},  {"聯系電話：", Ttel}, {"職務：", Tzw},
        {"房產證號：", Tfcz},      {"身份證號：", Tid},  {"民族：", Tnation},  {"大廈：", Cbm},
        {"戶口所在地：", Thukou},  {"工作單位：", Tcompany},
    };
    for (int i = 0; i < int(std::size(ownerRows)); ++i) {
        const int x = 10 + (i % 3) * 218, y = 24 + (i / 3) * 32;
        label(Frame1, ownerRows[i].first, x, y, 96);
        ownerRows[i].second->setGeometry(x + 98, y, 116, 24);
    }
    Picture1 = named(new photo::PhotoBox(Frame1), "Picture1");
    Picture1->setGeometry(666, 20, 96, 124);
    Picture1->setFrameShape(QFrame::Box);
    Command5 = named(new QPushButton(QStringLiteral("取照片"), Frame1), "Command5");
    Command5->setGeometry(666, 150, 96, 28);

    Frame2 = named(new QGroupBox(QStringLiteral("家庭主要成員"), this), "Frame2");
    Frame2->setGeometry(8, 248, 768, 112);
    Tspouse = named(new QLineEdit(Frame2), "Tspouse");
    Cssex = sexBox(Frame2, "Cssex", QStringLiteral("女"));
    Tshukou = named(new QLineEdit(Frame2), "Tshukou");
    Tscompany = named(new QLineEdit(Frame2), "Tscompany");
    Tchild1 = named(new QLineEdit(Frame2), "Tchild1");
    Tchild2 = named(new QLineEdit(Frame2), "Tchild2");
    Tchild3 = named(new QLineEdit(Frame2), "Tchild3");
    Tother = named(new QLineEdit(Frame2), "Tother");
    label(Frame2, "配偶：", 10, 24, 48);
    label(Frame2, "姓名", 60, 24, 32);
    Tspouse->setGeometry(94, 24, 110, 24);
    label(Frame2, "性別", 210, 24, 32);
    Cssex->setGeometry(244, 24, 56, 24);
    label(Frame2, "戶口所在地", 306, 24, 80);
    Tshukou->setGeometry(388, 24, 130, 24);
    label(Frame2, "工作單位", 524, 24, 64);
    Tscompany->setGeometry(590, 24, 168, 24);
    label(Frame2, "小孩：", 10, 56, 48);
    int x = 60;
    for (QLineEdit* child : {Tchild1, Tchild2, Tchild3}) {
        label(Frame2, "姓名", x, 56, 32);
        child->setGeometry(x + 34, 56, 150, 24);
        x += 196;
    }
    label(Frame2, "其他成員", 10, 88, 64);
    Tother->setGeometry(76, 88, 682, 24);

    boxes = {{"姓名", Txm},           {"職務", Tzw},         {"部門", Cbm},           {"身份證號", Tid},
             {"rmno", Tfh},           {"sex", Csex},         {"birthday", DTPicker2}, {"marriage", Tma},
             {"tel", Ttel},           {"hukou", Thukou},     {"company", Tcompany},   {"fcz", Tfcz},
             {"nation", Tnation},     {"spouse", Tspouse},   {"ssex", Cssex},         {"shukou", Tshukou},
             {"scompany", Tscompany}, {"child1", Tchild1},   {"child2", Tchild2},     {"child3", Tchild3},
             {"others", Tother}};

    DBGrid1 = named(new grid::BoundGrid(this), "DBGrid1");
    DBGrid1->setGeometry(8, 364, 768, 180);
    QList<grid::Column> columns;
    const std::pair<const char*, const char*> shown[] = {
        {"卡號", "卡號"},         {"業主姓名", "姓名"},     {"房號", "rmno"},       {"性別", "sex"},
        {"出生年月", "birthday"}, {"民族", "nation"},      {"婚姻狀況", "marriage"}, {"聯係電話", "tel"},
        {"職務", "職務"},         {"戶口所在地", "hukou"},  {"工作單位", "company"}, {"房產証號", "fcz"},
        {"身份證號", "身份證號"}, {"配偶姓名", "spouse"},   {"配偶戶口", "shukou"},  {"配偶工作單位", "scompany"},
        {"小孩姓名", "child1"},   {"小孩姓名", "child2"},   {"小孩姓名", "child3"},  {"大廈", "部門"},
    };
    for (const auto& [caption, field] : shown)
        columns.append({QString::fromUtf8(caption), QString::fromUtf8(field)});
    DBGrid1->setColumns(columns);
    connect(DBGrid1, &grid::BoundGrid::currentRowChanged, this, &Frmxg::DBGrid1_RowColChange);

    for (QWidget* entry : findChildren<QWidget*>()) {
        const bool box = qobject_cast<QLineEdit*>(entry) || qobject_cast<QComboBox*>(entry) || entry == DTPicker2;
        if (box && entry != Tkh && (entry->parent() == Frame1 || entry->parent() == Frame2 || entry->parent() == Frame3))
            ui::enterMovesOn(entry);
    }

    connect(Command5, &QPushButton::clicked, this, &Frmxg::Command5_Click);
    connect(Option1, &QRadioButton::clicked, this, &Frmxg::Option1_Click);
}

void Frmxg::Form_Load()
{
    clearBoxes();
    try {
        // People run to hundreds of thousands: the card lists are read a
        // page at a time as they are scrolled.
        for (QComboBox* range : {Ckh1, Ckh2}) {
            range->setModel(new ui::PagedValues(app::db, QStringLiteral("people"), QStringLiteral("卡號"), range));
            range->setCurrentIndex(-1);
        }
        jet::Recordset departments = app::db.OpenRecordset(QStringLiteral("department"));
        for (; !departments.Eof(); departments.MoveNext())
            Cbm->addItem(departments.Field(QStringLiteral("部門")).toString());
        Cbm->setCurrentIndex(-1);
        Cbm->setEditText(QString());
        peopleRs = app::db.OpenRecordset(QStringLiteral("people"), jet::dbOpenTable);
        peopleRs.SetIndex(QStringLiteral("primarykey"));
        fakaRs = app::db.OpenRecordset(QStringLiteral("faka"), jet::dbOpenTable);
        fakaRs.SetIndex(QStringLiteral("kh"));
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
    }
    query = QStringLiteral("select * from people");
    DBGrid1->setDatabaseName(platform::programFile(QStringLiteral("kestrom.mdb")));
    DBGrid1->setRecordSource(query);
    Data2_Refresh();
    SaveLayout(*this);
}

void Frmxg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    ApplyLayout(*this);
}

void Frmxg::clearBoxes()
{
    for (QLineEdit* box : findChildren<QLineEdit*>()) {
        if (box->parent() == Frame1 || box->parent() == Frame2)
            box->clear();
    }
    Cbm->setEditText(QString());
}
