#include "frmxg.h"

#include "app.h"
#include "dbguard.h"
#include "programfolder.h"
#include "recordset.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

template <class W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QComboBox* sexBox(QWidget* parent, const char* name, const QString& shown)
{
    auto* box = named(new QComboBox(parent), name);
    box->setEditable(true);
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

void Frmxg::buildControls()
{
    Toolbar1 = named(new QToolBar(this), "Toolbar1");
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const QString captions[] = {QStringLiteral("添加"), QStringLiteral("修改"), QStringLiteral("刪除"),
                                QStringLiteral("查詢"), QStringLiteral("打印"), QStringLiteral("退出")};
    for (int i = 0; i < 6; ++i) {
        QAction* button = Toolbar1->addAction(captions[i]);
        button->setObjectName(QStringLiteral("Button%1").arg(i + 1));
        connect(button, &QAction::triggered, this, [this, i] { Toolbar1_ButtonClick(i + 1); });
    }

    Frame3 = named(new QGroupBox(QStringLiteral("查詢打印"), this), "Frame3");
    Option1 = named(new QRadioButton(QStringLiteral("全部"), Frame3), "Option1");
    Option2 = named(new QRadioButton(QStringLiteral("卡號範圍"), Frame3), "Option2");
    Ckh1 = named(new QComboBox(Frame3), "Ckh1");
    Ckh2 = named(new QComboBox(Frame3), "Ckh2");
    for (QComboBox* c : {Ckh1, Ckh2}) {
        c->setEditable(true);
        c->installEventFilter(this);
        c->lineEdit()->installEventFilter(this);
    }
    auto* queryLayout = new QHBoxLayout(Frame3);
    queryLayout->addWidget(Option1);
    queryLayout->addWidget(Option2);
    queryLayout->addWidget(Ckh1);
    queryLayout->addWidget(new QLabel(QStringLiteral("－"), Frame3));
    queryLayout->addWidget(Ckh2);

    Frame1 = named(new QGroupBox(QStringLiteral("業主信息"), this), "Frame1");
    Tkh = named(new QLineEdit(Frame1), "Tkh");
    Tkh->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,6}")), Tkh));
    Tkh->installEventFilter(this);
    Tfh = named(new QLineEdit(Frame1), "Tfh");
    Txm = named(new QLineEdit(Frame1), "Txm");
    Csex = sexBox(Frame1, "Csex", QStringLiteral("男"));
    DTPicker2 = named(new QDateEdit(Frame1), "DTPicker2");
    DTPicker2->setCalendarPopup(true);
    DTPicker2->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
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
    Cbm = named(new QComboBox(Frame1), "Cbm");
    Cbm->setEditable(true);
    Thukou = named(new QLineEdit(Frame1), "Thukou");
    Tcompany = named(new QLineEdit(Frame1), "Tcompany");
    Picture1 = named(new QLabel(Frame1), "Picture1");
    Picture1->setFixedSize(96, 112);
    Picture1->setFrameShape(QFrame::Box);
    Picture1->setAlignment(Qt::AlignCenter);
    Command5 = named(new QPushButton(QStringLiteral("取照片"), Frame1), "Command5");

    auto* owner = new QGridLayout(Frame1);
    const std::pair<const char*, QWidget*> ownerRows[] = {
        {"卡    號：", Tkh},     {"房     號：", Tfh},     {"業主姓名：", Txm},   {"性別：", Csex},
        {"出生年月：", DTPicker2}, {"婚姻狀況：", Tma},      {"聯系電話：", Ttel},  {"職務：", Tzw},
        {"房產證號：", Tfcz},     {"身份證號：", Tid},      {"民族：", Tnation},   {"大廈：", Cbm},
        {"戶口所在地：", Thukou}, {"工作單位：", Tcompany},
    };
    for (int i = 0; i < int(std::size(ownerRows)); ++i) {
        const int row = i / 2, col = (i % 2) * 2;
        owner->addWidget(new QLabel(QString::fromUtf8(ownerRows[i].first), Frame1), row, col);
        owner->addWidget(ownerRows[i].second, row, col + 1);
    }
    owner->addWidget(Picture1, 0, 4, 6, 1, Qt::AlignCenter);
    owner->addWidget(Command5, 6, 4);

    Frame2 = named(new QGroupBox(QStringLiteral("家庭主要成員"), this), "Frame2");
    Tspouse = named(new QLineEdit(Frame2), "Tspouse");
    Cssex = sexBox(Frame2, "Cssex", QStringLiteral("女"));
    Tshukou = named(new QLineEdit(Frame2), "Tshukou");
    Tscompany = named(new QLineEdit(Frame2), "Tscompany");
    Tchild1 = named(new QLineEdit(Frame2), "Tchild1");
    Tchild2 = named(new QLineEdit(Frame2), "Tchild2");
    Tchild3 = named(new QLineEdit(Frame2), "Tchild3");
    Tother = named(new QLineEdit(Frame2), "Tother");
    auto* family = new QGridLayout(Frame2);
    const auto label = [this](const char* text) { return new QLabel(QString::fromUtf8(text), Frame2); };
    family->addWidget(label("配偶："), 0, 0);
    family->addWidget(label("姓名"), 0, 1);
    family->addWidget(Tspouse, 0, 2);
    family->addWidget(label("性別"), 0, 3);
    family->addWidget(Cssex, 0, 4);
    family->addWidget(label("戶口所在地"), 0, 5);
    family->addWidget(Tshukou, 0, 6);
    family->addWidget(label("工作單位"), 0, 7);
    family->addWidget(Tscompany, 0, 8);
    family->addWidget(label("小孩："), 1, 0);
    int col = 1;
    for (QLineEdit* child : {Tchild1, Tchild2, Tchild3}) {
        family->addWidget(label("姓名"), 1, col++);
        family->addWidget(child, 1, col++);
    }
    family->addWidget(label("其他成員"), 2, 0, 1, 2);
    family->addWidget(Tother, 2, 2, 1, 7);

    auto* top = new QHBoxLayout;
    top->addWidget(Toolbar1);
    top->addStretch();
    top->addWidget(Frame3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Frame1);
    layout->addWidget(Frame2);
    gridArea = new QVBoxLayout;
    layout->addLayout(gridArea, 1);

    boxes = {{"姓名", Txm},         {"職務", Tzw},         {"部門", Cbm},         {"身份證號", Tid},
             {"rmno", Tfh},         {"sex", Csex},         {"birthday", DTPicker2}, {"marriage", Tma},
             {"tel", Ttel},         {"hukou", Thukou},     {"company", Tcompany}, {"fcz", Tfcz},
             {"nation", Tnation},   {"spouse", Tspouse},   {"ssex", Cssex},       {"shukou", Tshukou},
             {"scompany", Tscompany}, {"child1", Tchild1}, {"child2", Tchild2},   {"child3", Tchild3},
             {"others", Tother}};

    connect(Command5, &QPushButton::clicked, this, &Frmxg::Command5_Click);
    connect(Option1, &QRadioButton::clicked, this, &Frmxg::Option1_Click);
}

void Frmxg::Form_Load()
{
    clearBoxes();
    try {
        jet::Recordset cards = app::db.OpenRecordset(QStringLiteral("select distinct 卡號 from people"));
        for (; !cards.Eof(); cards.MoveNext()) {
            const QString card = cards.Field(0).toString();
            Ckh1->addItem(card);
            Ckh2->addItem(card);
        }
        Ckh1->setCurrentIndex(-1);
        Ckh2->setCurrentIndex(-1);
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
        cards::reportDbError(e);
    }
    query = QStringLiteral("select * from people");
    Data2_Refresh();
}

void Frmxg::clearBoxes()
{
    for (QLineEdit* box : findChildren<QLineEdit*>()) {
        if (box->parent() == Frame1 || box->parent() == Frame2)
            box->clear();
    }
    Cbm->setEditText(QString());
}
