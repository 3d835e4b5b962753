#include "exchanges.h"

#include "app.h"
#include "programfolder.h"
#include "sqlvalue.h"

#include <QFile>
#include <QPointer>
#include <QSaveFile>

namespace controller {

using serial::Limit;
using serial::SerialPort;

namespace {

const QString portNotOpen = QStringLiteral("串口通信端口沒有打開");

// One exchange under way on a port: counted for the exit, and a second
// one on the same port is refused while it runs.
class Running {
public:
    explicit Running(SerialPort& p) : port(&p), admitted(!p.isBusy()) {
        if (admitted)
            p.setBusy(true);
    }
    ~Running() {
        if (admitted && port)
            port->setBusy(false);
    }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

private:
    QPointer<SerialPort> port;

public:
    const bool admitted;

private:
    app::ExchangeScope counted;
};

void closeAndEmpty(QPointer<SerialPort>& port) {
    if (!port)
        return;
    port->setInBufferCount(0);
    port->setOutBufferCount(0);
    port->setPortOpen(false);
}

bool write(SerialPort& port, const QByteArray& frame) {
    if (!serial::settle(port))
        return false;
    try {
        port.setInBufferCount(0);  // a late byte of an earlier exchange is no reply to this one
        port.setOutBufferCount(0);
        port.Output(frame);
        return true;
    } catch (const serial::PortError&) {
        return false;
    }
}

void note(const Notify& notify, const QString& text, int style) {
    if (notify)
        notify(text, style);
}

void pointer(const WindowHooks& hooks, bool on) {
    if (hooks.hourglass)
        hooks.hourglass(on);
}

// The body of every echo exchange; the caller holds the Running guard.
Outcome runEcho(SerialPort& p, const QByteArray& frame, const EchoRules& rules) {
    if (!openPort(p))
        return Outcome::PortFailed;
    QPointer<SerialPort> port(&p);
    serial::pause(rules.pauseBeforeWrite);
    if (!write(p, frame)) {
        closeAndEmpty(port);
        return Outcome::PortFailed;
    }
    p.setInputMode(serial::comInputModeBinary);
    p.setInputLen(1);
    serial::pause(rules.pauseAfterWrite);
    const serial::Stopwatch sent;
    if (!serial::waitForBytes(p, 1, rules.limit, rules.how, sent)) {
        if (rules.closeAfterTimeout)
            closeAndEmpty(port);
        return Outcome::NoReply;
    }
    const bool echoed = frames::AddressEcho(port->Input(), std::uint8_t(frame[0]));
    if (echoed)
        serial::pause(rules.pauseAfterEcho);
    if (rules.closeAfterReply)
        closeAndEmpty(port);
    return echoed ? Outcome::Ok : Outcome::WrongReply;
}

Outcome guardedEcho(SerialPort& port, const std::optional<QByteArray>& frame, const EchoRules& rules) {
    Running run(port);
    if (!run.admitted || !frame)
        return Outcome::Refused;
    return runEcho(port, *frame, rules);
}

}  // namespace

PortSettings PortSettings::fromApp() {
    return PortSettings{app::comport, app::comset, app::inbufsize, app::outbufsize};
}

void configurePort(SerialPort& port, const PortSettings& s) {
    port.setCommPort(s.comport);
    port.setSettings(s.comset.trimmed());
    port.setInBufferSize(s.inbufsize);
    port.setOutBufferSize(s.outbufsize);
    port.setInputMode(serial::comInputModeBinary);
}

bool openPort(SerialPort& port) {
    try {
        port.setPortOpen(true);
        return true;
    } catch (const serial::PortError&) {
        return false;
    }
}

bool openFromSettings(SerialPort& port) {
    if (port.PortOpen())
        return true;
    try {
        configurePort(port);
        port.setPortOpen(true);
        return true;
    } catch (const serial::PortError&) {
        return false;
    }
}

Outcome echoExchange(SerialPort& port, const std::optional<QByteArray>& frame, const EchoRules& rules) {
    return guardedEcho(port, frame, rules);
}

bool addtodoor(SerialPort& port, frames::CardEntry& entry, const AddCardOptions& options, const WindowHooks& hooks) {
    Running run(port);
    if (!run.admitted)
        return false;
    if (const auto padded = frames::paddedPhysical(entry.physical))
        entry.physical = *padded;
    const auto frame = frames::AddCardFrame(entry);
    if (!frame)
        return false;
    if (!openPort(port)) {
        if (options.reportPortFailure)
            note(hooks.message, portNotOpen, 48);
        return false;
    }
    const double pause = options.pauses ? 0.1 : 0;
    const EchoRules rules{2, Limit::AtLeast, pause, 0, pause, true, true};
    return runEcho(port, *frame, rules) == Outcome::Ok;
}

bool delfromdoor(SerialPort& port, int address, const QString& card) {
    return guardedEcho(port, frames::DeleteCardFrame(address, card), EchoRules{}) == Outcome::Ok;
}

std::optional<QString> ReadCard(SerialPort& p, int issuerAddress, const WindowHooks& hooks) {
    Running run(p);
    const auto frame = frames::ReadCardFrame(issuerAddress);
    if (!run.admitted || !frame)
        return std::nullopt;
    QPointer<SerialPort> port(&p);
    try {
        p.setPortOpen(false);
        configurePort(p);
        p.setPortOpen(true);
    } catch (const serial::PortError&) {
        note(hooks.message, portNotOpen, 48);
        return std::nullopt;
    }
    pointer(hooks, true);
    const bool sent = write(p, *frame);
    p.setInputLen(0);
    const serial::Stopwatch since;
    if (!sent || !serial::waitForBytes(p, 8, 3, Limit::AtLeast, since)) {
        closeAndEmpty(port);
        pointer(hooks, false);
        note(hooks.message, QStringLiteral("通信出錯"), 48);
        return std::nullopt;
    }
    const auto physical = frames::CardReply(port->Input(), issuerAddress);
    if (physical)
        port->setPortOpen(false);
    else
        note(hooks.message, QStringLiteral("通訊出錯"), 0);  // the port stays open, as the wrong reply left it
    pointer(hooks, false);
    return physical;
}

Outcome ClearMemory(SerialPort& port, int address, const EchoRules& rules) {
    return guardedEcho(port, frames::ClearMemoryFrame(address), rules);
}

Outcome ClearCardList(SerialPort& port, int address, const EchoRules& rules) {
    return guardedEcho(port, frames::ClearCardListFrame(address), rules);
}

Outcome OpenLock(SerialPort& port, int address, int lock, const EchoRules& rules) {
    return guardedEcho(port, frames::OpenLockFrame(address, lock), rules);
}

Outcome SetTime(SerialPort& port, int address, const QTime& time, const EchoRules& rules) {
    return guardedEcho(port, frames::SetTimeFrame(address, time), rules);
}

bool DelayTime(SerialPort& p, int address, int lock, double seconds) {
    Running run(p);
    const auto frame = frames::DelayTimeFrame(address, lock, seconds);
    if (!run.admitted || !frame || !p.PortOpen() || !write(p, *frame))
        return false;
    QPointer<SerialPort> port(&p);
    p.setInputMode(serial::comInputModeBinary);
    p.setInputLen(1);
    const serial::Stopwatch sent;
    if (!serial::waitForBytes(p, 1, 2, Limit::AtLeast, sent))
        return false;
    return frames::AddressEcho(port->Input(), address);
}

bool sendFrame(SerialPort& port, const std::optional<QByteArray>& frame) {
    return frame && port.PortOpen() && write(port, *frame);
}

bool AckSwipe(SerialPort& port, int address) {
    const bool sent = sendFrame(port, frames::AckSwipeFrame(address));
    if (port.PortOpen()) {
        port.setInBufferCount(0);
        port.setOutBufferCount(0);
    }
    return sent;
}

// ---- controller information ----

QString sysInfFile() { return platform::programFile(QStringLiteral("SysInf.ini")); }

namespace {
QString blanked(const QString& number) { return QLatin1Char(' ') + number + QLatin1Char(' '); }
}  // namespace

QString sysInfLine(const frames::SysInfBlock& b) {
    const auto fraction = [](double v) { return blanked(QString::number(v, 'g', 15)); };
    return QStringList{
        blanked(QString::number(b.records)),
        fraction(b.delay1),
        fraction(b.delay2),
        b.date.isValid() ? jet::storedDate(b.date) : QString(),
        jet::storedTime(b.time.isValid() ? b.time : QTime(0, 0)),
        blanked(QString::number(b.weekday)),
        b.version,
    }.join(QLatin1Char(','));
}

bool ReadSys(SerialPort& p, int address) {
    Running run(p);
    const auto frame = frames::ReadSysFrame(address);
    if (!run.admitted || !frame)
        return false;
    if (!openFromSettings(p))
        return false;
    QPointer<SerialPort> port(&p);
    if (!write(p, *frame))
        return false;
    p.setInputMode(serial::comInputModeBinary);
    p.setInputLen(0);
    const serial::Stopwatch sent;
    // Exactly 15: a stray byte ahead of the block never makes one.
    // A block complete only once the limit is reached is too late all the same.
    if (!serial::waitFor(p, [](int n) { return n == 15; }, 3, Limit::AtLeast, sent) ||
        sent.passed(3, Limit::AtLeast))
        return false;
    const auto block = frames::decodeSysInf(port->Input(), address);
    if (!block)
        return false;
    QSaveFile file(sysInfFile());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write((sysInfLine(*block) + QStringLiteral("\r\n")).toUtf8());
    return file.commit();
}

std::optional<QStringList> readSysInfLine() {
    QFile file(sysInfFile());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QString line = QString::fromUtf8(file.readLine());
    while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    QStringList values;
    for (int i = 0; i < 6; ++i) {
        const qsizetype comma = line.indexOf(QLatin1Char(','));
        if (comma < 0)
            break;
        values << line.left(comma);
        line.remove(0, comma + 1);
    }
    if (values.size() == 6)
        values << line;
    while (values.size() < 7)
        values << QString();
    return values;
}

}  // namespace controller
