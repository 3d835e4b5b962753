#pragma once
#include <QApplication>

namespace ui {

// The program's application object, with its safety net: an error that
// escapes an event handler (a statement the engine refused, a serial port
// that failed) is shown in a message box, with the engine's words and the
// statement, instead of ending the program. The window it came from stays as
// the handler left it, usable, and the hourglass that handler switched on
// goes. Each window still reports its own failures where it knows them;
// this is for what nothing else caught.
class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace ui
