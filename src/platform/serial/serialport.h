#pragma once
#include <QByteArray>
#include <QObject>
#include <QString>
#include <chrono>
#include <stdexcept>

class QSocketNotifier;

namespace serial {

// What refused a property or the opening of a port. The kinds let a caller
// tell a bad port number from a bad settings text, as the line test does.
class PortError : public std::runtime_error {
public:
    enum Kind { BadPortNumber, BadSettings, PortInUse, DeviceFailed, NotOpen };
    PortError(Kind kind, const QString& message);
    Kind kind() const { return kind_; }
    QString message() const { return QString::fromUtf8(what()); }

private:
    Kind kind_;
};

// The line settings text "9600,n,8,1" taken apart. Fields may carry blanks.
struct LineSettings {
    int baud = 9600;
    char parity = 'n';  // n e o m s
    int dataBits = 8;
    int stopBits = 1;
};
// Throws PortError(BadSettings) for a text the port can't use.
LineSettings parseSettings(const QString& text);

// Port numbers a port can be set to: 1 up to this.
inline constexpr int highestPortNumber = 255;

// The device of port number n: the link "comN" in the program folder when
// there is one (a USB adapter or a simulator's pseudo-terminal), otherwise
// the n-th on-board port /dev/ttyS(n-1).
QString devicePath(int portNumber);

enum InputModeKind { comInputModeText = 0, comInputModeBinary = 1 };
enum CommEventKind { comEvReceive = 2 };

// One window's serial port, with the properties a window sets and polls:
// raw 8-bit line, nothing translated, no flow control. Bytes are taken from
// the device as soon as they arrive, so InBufferCount is exact without the
// event loop; the buffer holds at most InBufferSize bytes, and what comes
// beyond waits on the device until reads make room. A port held by one object
// (in this or another process, whether or not it locks the device) can't be
// opened by another until it is closed. A device that hangs up (an adapter
// pulled out) closes the port: waits on it end, and the next exchange opens
// the device afresh.
class SerialPort : public QObject {
    Q_OBJECT
public:
    explicit SerialPort(QObject* parent = nullptr);
    ~SerialPort() override;

    void setCommPort(int portNumber);  // throws BadPortNumber below 1
    int CommPort() const { return portNumber; }
    void setSettings(const QString& text);  // throws BadSettings
    QString Settings() const { return settingsText; }
    void setInBufferSize(int size) { inBufferSize = size; }
    int InBufferSize() const { return inBufferSize; }
    void setOutBufferSize(int size) { outBufferSize = size; }
    int OutBufferSize() const { return outBufferSize; }
    void setInputMode(InputModeKind mode) { inputMode = mode; }
    InputModeKind InputMode() const { return inputMode; }
    void setInputLen(int n) { inputLen = n; }
    int InputLen() const { return inputLen; }

    // Opening throws PortError; closing an already closed port does nothing.
    void setPortOpen(bool open);
    bool PortOpen() const { return fd >= 0; }

    // Bytes waiting; setting it to 0 discards them.
    int InBufferCount();
    void setInBufferCount(int n);
    // Writes complete before Output returns, so there is never unsent
    // output to discard: setting 0 keeps a frame already written.
    int OutBufferCount() const { return 0; }
    void setOutBufferCount(int) {}

    // Up to InputLen waiting bytes (all when 0), removed from the buffer.
    QByteArray Input();
    // The whole frame goes out in one call; throws NotOpen or DeviceFailed.
    void Output(const QByteArray& bytes);

    // With a threshold above 0, OnComm is raised on the window's thread
    // once that many bytes are waiting; never while a handler of this port
    // still runs.
    void setRThreshold(int n);
    int RThreshold() const { return rThreshold; }
    void setSThreshold(int n) { sThreshold = n; }
    int SThreshold() const { return sThreshold; }
    int CommEvent() const { return commEvent; }

    // While a wait wants n bytes, the device wakes the window's thread only
    // once that many of them are there, not at every byte (the wait's own
    // tick still reads what has come); 0 wakes it at every byte again.
    void wakeAt(int n);

    // An exchange under way on this port: a second one is refused.
    bool isBusy() const { return busy; }
    void setBusy(bool on) { busy = on; }

    // The line after an exchange whose reply did not come in time. The
    // device may still answer; that late reply belongs to no later exchange
    // on the device, whichever port object of this process makes it and
    // whether or not the port was closed in between. markUnanswered notes
    // the timeout; until the line has been quiet for quietPeriod() since,
    // isSettling() holds and what arrives counts as noise, which
    // serial::settle() of wait.h drops; the exchanges run it before each
    // frame goes out.
    void markUnanswered();
    bool isSettling();
    void settled();
    double quietPeriod() const;
    // Seconds one byte takes on the line at its settings.
    double byteTime() const;

signals:
    void OnComm();

private:
    void takeWaiting();
    void watchDevice();
    void onReadable();
    void raiseReceive();
    void closeDevice();
    void hangUp();

    int portNumber = 1;
    QString settingsText = QStringLiteral("9600,n,8,1");
    LineSettings line;
    int inBufferSize = 1024;
    int outBufferSize = 512;
    InputModeKind inputMode = comInputModeText;
    int inputLen = 0;
    int rThreshold = 0;
    int sThreshold = 0;
    int commEvent = 0;
    bool busy = false;
    bool inHandler = false;
    bool receivedInHandler = false;

    int fd = -1;
    QString lockedDevice;
    QByteArray received;
    QSocketNotifier* notifier = nullptr;
};

}  // namespace serial
