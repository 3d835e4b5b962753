#pragma once
#include "simline.h"

#include <QApplication>
#include <QTimer>

// A simulated line and the shared database opened as log-in opens it.
class WindowLine : public SimLine {
protected:
    void SetUp() override {
        SimLine::SetUp();
        openSharedDb();
    }
    void exec(const QString& statement) { openDb().Execute(statement); }
};
