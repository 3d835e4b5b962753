// The backup and restore window run on its own in a process that a test can
// kill at any moment: logs in to the program folder given, opens the window
// and makes one backup or one restore, answering its questions with Yes.
//   reports_maintenance_child <program folder> backup <target file>
//   reports_maintenance_child <program folder> restore <backup file>
// Prints "ready" once the window is open and the operation about to start,
// and each message the window shows.
#include "app.h"
#include "form1.h"
#include "msgbox.h"
#include "programfolder.h"

#include <QApplication>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    if (argc != 4)
        return 2;
    const QString operation = QString::fromLocal8Bit(argv[2]);
    const QString path = QString::fromLocal8Bit(argv[3]);
    platform::setProgramFolder(QString::fromLocal8Bit(argv[1]));
    app::dbpwd = QStringLiteral("qalvendrits");
    app::connstr = app::connectString(app::dbpwd);
    app::db = jet::OpenDatabase(QString(), false, false, app::connstr);
    ui::setMessageHandler([](const ui::MessageCall& call) {
        std::printf("%s\n", call.prompt.toUtf8().constData());
        std::fflush(stdout);
        return int(ui::vbYes);
    });
    ui::setFileHandler([path](const ui::FileDialogRequest&) { return path; });

    Form1 w;
    w.Form_Load();
    w.show();
    if (operation == QLatin1String("backup")) {
        const QFileInfo target(path);
        w.Dir1->setCurrentIndex(w.Dir1Model->index(target.absolutePath()));
        w.Text2->setText(target.completeBaseName());
    }
    std::printf("ready\n");
    std::fflush(stdout);
    (operation == QLatin1String("backup") ? w.Command1 : w.Command3)->click();
    w.close();
    return 0;
}
