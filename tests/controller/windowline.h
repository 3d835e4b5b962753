#pragma once
#include "simline.h"

#include <QApplication>
#include <QTimer>
#include <sqlite3.h>

// A simulated line and the shared database opened as log-in opens it.
class WindowLine : public SimLine {
protected:
    void SetUp() override {
        SimLine::SetUp();
        openSharedDb();
    }
    void exec(const QString& statement) { openDb().Execute(statement); }

    // A statement straight on the file, for what the database layer does
    // not offer (a trigger that makes a later statement fail).
    void rawSql(const char* statement) {
        sqlite3* handle = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(file(QStringLiteral("kestrom.mdb"))).constData(), &handle), SQLITE_OK);
        char* error = nullptr;
        EXPECT_EQ(sqlite3_exec(handle, statement, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
        sqlite3_free(error);
        sqlite3_close(handle);
    }
};
