#pragma once
#include <QWidget>

class QPushButton;
class QTextBrowser;

// The program's help: the document kestrom.hlp of the program folder (HTML,
// a page per menu heading) in a window of its own, closed by its button
// or Esc.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Reads the help document; false (after telling the operator) when it
    // can't be read.
    bool Form_Load();

    QTextBrowser* Text1;
    QPushButton* cmdclose;
};
