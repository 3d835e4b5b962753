#pragma once
#include <QDialog>

// A collection window, which can't be closed (close box, Esc) while one of
// its exchanges waits for a controller: the exchange ends first.
class HeldDialog : public QDialog {
public:
    using QDialog::QDialog;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

    bool running = false;
};
