#pragma once
#include "frames.h"
#include "serialport.h"
#include "wait.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// The exchanges with the controllers and the card issuer.
//
// How a window calls them: the window owns one serial::SerialPort (its
// `Comm`), configures it with configurePort() where its rules say so (the
// card windows once when they load) and passes it to every call. Each call
// is one complete exchange: it opens the port when it is closed, empties
// the input, writes the frame, waits on the wait clock while the window's
// events run, judges the reply and leaves the port as the window's variant
// says. What differs between windows is passed in, never copied:
//
//   controller::addtodoor(Comm, entry, controller::cardIssueAdd, hooks);
//   controller::addtodoor(Comm, entry, controller::rebuildAdd);
//   controller::addtodoor(Comm, entry, controller::extensionAdd);
//   controller::delfromdoor(Comm, address, card);
//   controller::ClearCardList(Comm, address, controller::rebuildClear);
//   if (auto physical = controller::ReadCard(Comm, app::fkjdz, controller::windowHooks()))
//       tcard->setText(*physical);
//
// `hooks` (controller::windowHooks() of windowkit.h) shows the messages
// through the program's message boxes and switches the hourglass pointer.
// An exchange refuses to start while another runs on the same port (a
// second press of a button during a wait) and fails without a crash when
// the window closes the port meanwhile. Arguments that can't be encoded
// send nothing and fail.
namespace controller {

struct PortSettings {
    int comport = 1;
    QString comset;
    int inbufsize = 2048;
    int outbufsize = 512;
    static PortSettings fromApp();  // the process-wide settings values
};
// Applies the settings and binary input; throws serial::PortError.
void configurePort(serial::SerialPort& port, const PortSettings& settings = PortSettings::fromApp());
// Opens the port when it is closed; false when it can't be opened.
bool openPort(serial::SerialPort& port);
// A closed port is first set up from the settings values, then opened; an
// open one is used as it is. False when it can't be set up or opened.
bool openFromSettings(serial::SerialPort& port);

using Notify = std::function<void(const QString& text, int style)>;
struct WindowHooks {
    Notify message;                       // none: nothing is shown
    std::function<void(bool on)> hourglass;
};

enum class Outcome {
    Ok,
    PortFailed,   // the port could not be set up or opened; nothing sent
    NoReply,      // the reply did not come within the limit
    WrongReply,   // the reply's checked bytes differ
    Refused,      // arguments that can't be encoded, or the port is busy
};

// How one echo exchange runs: the limit and its comparison, pauses that
// run no events, and whether the port is closed after each outcome.
struct EchoRules {
    double limit = 2;
    serial::Limit how = serial::Limit::AtLeast;
    double pauseBeforeWrite = 0;
    double pauseAfterWrite = 0;   // the limit counts from the end of it
    double pauseAfterEcho = 0;
    bool closeAfterReply = true;
    bool closeAfterTimeout = true;
};
// Opens the port if closed, empties the input, writes, waits for one byte.
Outcome echoExchange(serial::SerialPort& port, const std::optional<QByteArray>& frame, const EchoRules& rules);

// ---- card download and delete ----
struct AddCardOptions {
    bool reportPortFailure = false;  // "串口通信端口沒有打開" first
    bool pauses = false;             // 100 ms before writing and after a good echo
};
inline const AddCardOptions cardIssueAdd{true, false};
inline const AddCardOptions rebuildAdd{false, false};
inline const AddCardOptions extensionAdd{false, true};

// True when the controller echoed its address. entry.physical comes back
// padded to ten digits. The port is closed afterwards.
bool addtodoor(serial::SerialPort& port, frames::CardEntry& entry, const AddCardOptions& options = {},
               const WindowHooks& hooks = {});
bool delfromdoor(serial::SerialPort& port, int address, const QString& card);

// ---- card issuer ----
// The card-issue window's read: closes and reconfigures the port from the
// settings, shows "串口通信端口沒有打開", "通信出錯" or "通訊出錯", and returns
// the ten-digit physical number of the card held on the issuer.
std::optional<QString> ReadCard(serial::SerialPort& port, int issuerAddress, const WindowHooks& hooks);

// ---- controller memory, lock delays, remote opening, clock ----
inline const EchoRules initialiseRules{};                                    // 1 byte or 2 s
inline const EchoRules collectionClear{3};                                   // 1 byte or 3 s
// The initialisation's two frames share one opening; the window closes it.
inline const EchoRules initialisationStep{2, serial::Limit::AtLeast, 0, 0, 0, false, false};
inline const EchoRules rebuildClear{3, serial::Limit::MoreThan, 0, 0, 0, false, true};
inline const EchoRules remoteOpening{2, serial::Limit::AtLeast, 0, 1, 0, true, false};
inline const EchoRules lineTest{2, serial::Limit::AtLeast, 0, 1, 0, false, false};

Outcome ClearMemory(serial::SerialPort& port, int address, const EchoRules& rules = initialiseRules);
Outcome ClearCardList(serial::SerialPort& port, int address, const EchoRules& rules = initialiseRules);
Outcome OpenLock(serial::SerialPort& port, int address, int lock, const EchoRules& rules = remoteOpening);
// The line test's form: the PC's time, a 1 s pause, then 1 byte or 2 s.
Outcome SetTime(serial::SerialPort& port, int address, const QTime& time, const EchoRules& rules = lineTest);
// Neither opens nor closes the port: its caller does, around both locks.
bool DelayTime(serial::SerialPort& port, int address, int lock, double seconds);

// ---- frames whose replies the windows take themselves ----
// Empties the input and writes the frame; false when the port is closed,
// the frame could not be built or the write failed. The clock window's
// SetDate/SetTime, ReadLockState, ReadSwipe and CollectRecords go this way.
bool sendFrame(serial::SerialPort& port, const std::optional<QByteArray>& frame);
// Sent after a valid swipe record; no reply, both buffers emptied after it.
bool AckSwipe(serial::SerialPort& port, int address);

// ---- controller information ----
// Reads the information block and writes it as one line to "SysInf.ini"
// in the program folder. Configures and opens a closed port from the
// settings and leaves it open. False leaves the file as it was.
bool ReadSys(serial::SerialPort& port, int address);
QString sysInfFile();
// The seven values of the file's line, as the windows show them (count and
// delays keep their blanks); nothing when the file is missing. A short or
// damaged line gives empty values for what is missing.
std::optional<QStringList> readSysInfLine();
// The line for a block, without its line end.
QString sysInfLine(const frames::SysInfBlock& block);

}  // namespace controller
