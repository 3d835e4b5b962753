// Puts a new database file made from the schema script at the path given,
// unless a file is there already.
#include "dbfile.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication qapp(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kestrom-newdb <path of kestrom.mdb>\n");
        return 2;
    }
    try {
        const QString path = QString::fromLocal8Bit(argv[1]);
        if (dbfile::createDatabaseFile(path))
            std::printf("created %s\n", argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kestrom-newdb: %s\n", e.what());
        return 1;
    }
    return 0;
}
