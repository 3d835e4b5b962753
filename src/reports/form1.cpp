#include "form1.h"

#include "dbcopy.h"
#include "msgbox.h"
#include "named.h"
#include "pointer.h"
#include "programfolder.h"
#include "schemacheck.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStorageInfo>
#include <QTimer>
#include <QTreeView>

namespace {

// The roots a backup can go to: the system's own and the disks mounted
// for the operator (a memory stick, a second disk).
QStringList drives()
{
    QStringList roots{QStringLiteral("/")};
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        const QString root = v.rootPath();
        const bool operators = root.startsWith(QLatin1String("/media/")) || root.startsWith(QLatin1String("/mnt/"))
                               || root.startsWith(QLatin1String("/run/media/"));
        if (v.isValid() && v.isReady() && operators && !roots.contains(root))
            roots << root;
    }
    return roots;
}

QString driveOf(const QString& folder, const QStringList& roots)
{
    QString best = QStringLiteral("/");
    for (const QString& r : roots)
        if ((folder == r || folder.startsWith(r + QLatin1Char('/'))) && r.size() > best.size())
            best = r;
    return best;
}

// Restores the pointer however the step ends.
struct Hourglass {
    Hourglass() { ui::hourglass(true); }
    ~Hourglass() { ui::hourglass(false); }
};

}  // namespace

Form1::Form1(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("數据備份与恢复"));
    Frame1 = ui::named(new QGroupBox(QStringLiteral("數据備份選擇"), this), "Frame1");
    Drive1 = ui::named(new QComboBox(Frame1), "Drive1");
    Dir1 = ui::named(new QTreeView(Frame1), "Dir1");
    Dir1Model = new QFileSystemModel(this);
    Dir1Model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    Dir1->setModel(Dir1Model);
    for (int c = 1; c < Dir1Model->columnCount(); ++c)
        Dir1->hideColumn(c);
    Dir1->header()->hide();
    Dir1->setMinimumHeight(180);
    Text2 = ui::named(new QLineEdit(Frame1), "Text2");
    Label4 = ui::named(new QLabel(Frame1), "Label4");
    Label4->setWordWrap(true);
    Label4->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Command1 = ui::named(new QPushButton(QStringLiteral("數据備份"), this), "Command1");
    Command3 = ui::named(new QPushButton(QStringLiteral("數据恢复"), this), "Command3");
    Command2 = ui::named(new QPushButton(QStringLiteral("退  出"), this), "Command2");
    for (QPushButton* b : {Command1, Command3, Command2})
        b->setAutoDefault(false);

    auto* frame = new QGridLayout(Frame1);
    frame->addWidget(new QLabel(QStringLiteral("選擇驅動器名:"), Frame1), 0, 0);
    frame->addWidget(Drive1, 0, 1);
    frame->addWidget(new QLabel(QStringLiteral("選擇目標路徑:"), Frame1), 1, 0, Qt::AlignTop);
    frame->addWidget(Dir1, 1, 1);
    frame->addWidget(new QLabel(QStringLiteral("輸入目標文件名:"), Frame1), 2, 0);
    frame->addWidget(Text2, 2, 1);
    frame->addWidget(Label4, 3, 0, 1, 2);
    frame->setRowStretch(1, 1);
    auto* grid = new QGridLayout(this);
    grid->addWidget(Frame1, 0, 0, 1, 3);
    grid->addWidget(Command1, 1, 0);
    grid->addWidget(Command3, 1, 1);
    grid->addWidget(Command2, 1, 2);

    // The lists start at the current drive and folder, the target empty.
    const QStringList roots = drives();
    Drive1->addItems(roots);
    const QString here = QDir::currentPath();
    shownDrive = driveOf(here, roots);
    Drive1->setCurrentIndex(int(roots.indexOf(shownDrive)));
    showFolder(here);

    // The folders are read in the background and shown a little later:
    // the chosen one is brought into sight once they have settled.
    auto* settled = new QTimer(this);
    settled->setSingleShot(true);
    settled->setInterval(200);
    connect(settled, &QTimer::timeout, this, [this] { Dir1->scrollTo(Dir1->currentIndex()); });
    connect(Dir1Model, &QFileSystemModel::directoryLoaded, settled, qOverload<>(&QTimer::start));
    connect(Drive1, &QComboBox::currentIndexChanged, this, &Form1::Drive1_Change);
    connect(Dir1->selectionModel(), &QItemSelectionModel::currentChanged, this, &Form1::Dir1_Change);
    connect(Text2, &QLineEdit::textChanged, this, &Form1::Text2_Change);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
}

Form1::~Form1() { reopenShared(); }

bool Form1::Form_Load()
{
    hold.emplace(QStringLiteral("數據庫備份"));
    jet::CloseDefaultWorkspace();
    live = app::databaseFile();
    return true;
}

void Form1::showFolder(const QString& folder)
{
    Dir1Model->setRootPath(shownDrive);
    Dir1->setRootIndex(Dir1Model->index(shownDrive));
    const QModelIndex at = Dir1Model->index(folder);
    for (QModelIndex up = at.parent(); up.isValid(); up = up.parent())
        Dir1->expand(up);
    Dir1->setCurrentIndex(at);
    Dir1->scrollTo(at);
}

QString Form1::Dir1Path() const
{
    const QModelIndex at = Dir1->currentIndex();
    return at.isValid() ? Dir1Model->filePath(at) : shownDrive;
}

void Form1::Drive1_Change()
{
    const QString drive = Drive1->currentText();
    if (!QDir(drive).isReadable()) {
        ui::MsgBox(QStringLiteral("驅動器 %1 無法讀取！").arg(drive));
        const QSignalBlocker quiet(Drive1);
        Drive1->setCurrentIndex(Drive1->findText(shownDrive));
        return;
    }
    shownDrive = drive;
    showFolder(drive);
}

void Form1::Dir1_Change() { Text2_Change(); }

void Form1::Text2_Change()
{
    QString folder = Dir1Path();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    target = folder + Text2->text() + QStringLiteral(".mdb");
    Label4->setText(target);
}

// The live file under any name, and any file called kestrom.mdb, are not
// backup targets; nor is the program folder's dbs.mdb, which the closing
// compaction deletes.
bool Form1::isRefusedTarget() const
{
    const QFileInfo t(target);
    return target.toLower().endsWith(QLatin1String("kestrom.mdb")) || dbfile::sameFile(target, live)
           || (t.fileName().toLower() == QLatin1String("dbs.mdb")
               && dbfile::sameFile(t.absolutePath(), platform::programFolder()));
}

void Form1::Command1_Click()
{
    if (Text2->text().isEmpty())
        return;
    if (isRefusedTarget()) {
        ui::MsgBox(QStringLiteral("請輸入正确的名稱！"));
        return;
    }
    tellWhenDone([&] { return dbfile::compactOver(live, target); }, QStringLiteral("數据備份失敗，原有的文件保持原樣。"),
                 QStringLiteral("數据備份完畢！"));
}

void Form1::Command3_Click()
{
    const QString chosen =
        ui::FileDialog({ui::FileDialogKind::Open, QStringLiteral("恢复數据"), QString(), QStringLiteral("*.mdb (*.mdb)")});
    if (chosen.isEmpty())
        return;
    if (!QFile::exists(chosen) || dbfile::sameFile(chosen, live)) {
        ui::MsgBox(QStringLiteral("選擇數据庫錯誤！"));
        return;
    }
    QString wrong;
    {
        Hourglass wait;  // every page of the file is read
        wrong = dbfile::unfitForStart(chosen);
    }
    if (!wrong.isEmpty()) {
        ui::MsgBox(QStringLiteral("選擇數据庫錯誤！\n") + wrong);
        return;
    }
    if (ui::MsgBox(QStringLiteral("此操作會將后備數据庫覆蓋現有數据庫，要繼續嗎？"), 4 + 16 + 256) != ui::vbYes)
        return;
    tellWhenDone([&] { return dbfile::writeInto(chosen, live); },
                 QStringLiteral("數据恢复失敗，數據庫文件 kestrom.mdb 保持原樣。"), QStringLiteral("數据已被恢复！"));
}

// The message of success only once the new file is complete in its place.
void Form1::tellWhenDone(const std::function<QString()>& work, const QString& failed, const QString& done)
{
    QString failure;
    {
        Hourglass wait;
        failure = work();
    }
    if (failure.isEmpty())
        ui::MsgBox(done);
    else
        ui::MsgBox(failed + QLatin1Char('\n') + failure, 48);
}

void Form1::Command2_Click() { close(); }

void Form1::done(int result)
{
    reopenShared();
    QDialog::done(result);
}

// The handle as the log-in opened it, now on whatever file is live.
void Form1::reopenShared()
{
    if (!hold)
        return;
    try {
        app::db = jet::OpenDatabase(QString(), false, false, app::connstr);
    } catch (const jet::DbError& e) {
        ui::MsgBox(QStringLiteral("無法打開數據庫文件 %1\n%2").arg(live, e.message()), 16);
    }
    hold.reset();
}
