#include "simulator.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <csignal>
#include <chrono>
#include <cerrno>
#include <condition_variable>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace ctlsim {

namespace {

// Packed decimal the way the controllers store it.
std::uint8_t bcd(int v) { return std::uint8_t(((v / 10) << 4) | (v % 10)); }
int plain(std::uint8_t b) { return (b >> 4) * 10 + (b & 0x0F); }

QString digitsOf(const QByteArray& packed) {
    QString out;
    for (char c : packed) {
        const auto b = std::uint8_t(c);
        out += QChar('0' + (b >> 4));
        out += QChar('0' + (b & 0x0F));
    }
    return out;
}

QByteArray packedOf(const QString& digits) {
    QByteArray out;
    for (int i = 0; i + 1 < digits.size(); i += 2)
        out.append(char((digits[i].digitValue() << 4) | digits[i + 1].digitValue()));
    return out;
}

// How long a frame is, from its count byte: the count covers every byte
// after the address. Any other count byte is line noise.
int frameLength(std::uint8_t count) {
    return (count == 0x02 || count == 0x05 || count == 0x15) ? 1 + count : -1;
}

// A record as the controller's memory holds it: its address, the card,
// date and time packed, the flag, an unused 0x00.
QByteArray storedRecord(std::uint8_t address, const Record& rec) {
    QByteArray r;
    r += char(rec.addressByte >= 0 ? std::uint8_t(rec.addressByte) : address);
    r += packedOf(rec.card);
    r += char(bcd(rec.when.date().year() % 100));
    r += char(bcd(rec.when.date().month()));
    r += char(bcd(rec.when.date().day()));
    r += char(bcd(rec.when.time().hour()));
    r += char(bcd(rec.when.time().minute()));
    r += char(rec.flag);
    r += char(0);
    if (rec.lengthChange > 0)
        r += QByteArray(rec.lengthChange, '\0');
    else if (rec.lengthChange < 0)
        r.chop(std::min<qsizetype>(r.size(), -rec.lengthChange));
    return r;
}

qint64 nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::condition_variable& framesArrived() {
    static std::condition_variable cv;
    return cv;
}

}  // namespace

// The mark beside a link: which process made it, to which device.
Simulator::Mark Simulator::markOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> lines = file.readAll().split('\n');
    bool ok = false;
    const qint64 pid = lines.value(0).trimmed().toLongLong(&ok);
    if (!ok || pid <= 0 || lines.size() < 2)
        return {};
    return Mark{pid, QString::fromLocal8Bit(lines[1].trimmed())};
}

void Simulator::writeMark(const QString& path, const Mark& mark) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(QByteArray::number(mark.pid) + '\n' + mark.device.toLocal8Bit() + '\n');
}

Simulator::Simulator(const QString& folder, int port) {
    // Never blocking: a reply nobody takes off the line must not hold up the
    // simulator's stop.
    master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        throw std::runtime_error("no pseudo-terminal");
    slavePath = QString::fromLocal8Bit(ptsname(master));
    // Held open so that the line stays up while the program closes and
    // reopens its port; raw so nothing echoes frames back.
    slave = ::open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave, TCSANOW, &tio);
    if (pipe2(stopPipe, O_CLOEXEC) != 0)
        throw std::runtime_error("no pipe");
    linkPath = QDir(folder).filePath(QStringLiteral("com%1").arg(port));
    markPath = QDir(folder).filePath(QStringLiteral(".com%1.ctlsim").arg(port));
    claimLink(port);
    worker = std::thread([this] { serve(); });
}

Simulator::~Simulator() {
    const char stop = 1;
    (void)!::write(stopPipe[1], &stop, 1);
    worker.join();
    // Only the link made here goes; one put in its place meanwhile stays.
    if (QFileInfo(linkPath).symLinkTarget() == slavePath)
        QFile::remove(linkPath);
    if (markOf(markPath) == Mark{qint64(::getpid()), slavePath})
        QFile::remove(markPath);
    closeDescriptors();
}

// A port link of the program folder may lead to real hardware (a USB
// adapter linked as com1): it is never replaced. Only a link a stopped
// simulator left behind is: one its mark beside the link names, from a
// simulator that has gone, whatever pseudo-terminal now has the number it
// leads to; or one to a pseudo-terminal that is gone.
void Simulator::claimLink(int port) {
    const QFileInfo existing(linkPath);
    const Mark mark = markOf(markPath);
    const bool marked = existing.isSymLink() && !mark.device.isEmpty() && existing.symLinkTarget() == mark.device;
    const bool running = marked && (::kill(pid_t(mark.pid), 0) == 0 || errno == EPERM);
    const bool leftBehind = (marked && !running) || (existing.isSymLink() && !existing.exists() &&
                                                      existing.symLinkTarget().startsWith(QStringLiteral("/dev/pts/")));
    if (leftBehind) {
        QFile::remove(linkPath);
    } else if (existing.isSymLink() || existing.exists()) {
        const QString leadsTo = existing.isSymLink() ? QStringLiteral(", which leads to ") + existing.symLinkTarget()
                                                     : QString();
        const QString whose = running ? QStringLiteral("it is the link of a simulator still running (process %1)")
                                            .arg(mark.pid)
                                      : QStringLiteral("it is not a link this simulator made");
        closeDescriptors();
        throw std::runtime_error(QStringLiteral("%1 already exists%2, and %4; it is left as it is. Choose another "
                                                "port with --port N (for example --port %3) and set 串口號 to N "
                                                "under 串口設置, or remove %1 yourself.")
                                     .arg(linkPath, leadsTo)
                                     .arg(port + 1)
                                     .arg(whose)
                                     .toStdString());
    }
    // The mark first: a simulator killed at any moment leaves no link
    // without its mark.
    writeMark(markPath, Mark{qint64(::getpid()), slavePath});
    if (!QFile::link(slavePath, linkPath)) {
        QFile::remove(markPath);
        closeDescriptors();
        throw std::runtime_error("cannot link " + linkPath.toStdString());
    }
}

void Simulator::closeDescriptors() {
    ::close(stopPipe[0]);
    ::close(stopPipe[1]);
    ::close(slave);
    ::close(master);
}

void Simulator::addController(int address) {
    std::lock_guard guard(lock);
    Controller c;
    c.clockSetAtMs = nowMs();
    controllers.emplace(address, c);
}

void Simulator::setIssuer(int address) {
    std::lock_guard guard(lock);
    issuer = address;
}

void Simulator::presentCard(const QString& physical) {
    std::lock_guard guard(lock);
    issuerCard = physical;
}

void Simulator::setPacing(bool on) { pacing = on; }

void Simulator::scriptNext(std::uint8_t command, const Script& script) {
    std::lock_guard guard(lock);
    scripts[command].push_back(script);
}

Controller Simulator::controller(int address) {
    std::lock_guard guard(lock);
    return controllers.at(address);
}

void Simulator::edit(int address, const std::function<void(Controller&)>& change) {
    std::lock_guard guard(lock);
    change(controllers.at(address));
}

bool Simulator::hasController(int address) {
    std::lock_guard guard(lock);
    return controllers.count(address) != 0;
}

std::vector<QByteArray> Simulator::received() {
    std::lock_guard guard(lock);
    return frames;
}

std::vector<qint64> Simulator::receivedTimes() {
    std::lock_guard guard(lock);
    return frameTimes;
}

void Simulator::clearReceived() {
    std::lock_guard guard(lock);
    frames.clear();
    frameTimes.clear();
}

bool Simulator::waitForFrames(std::size_t n, int timeoutMs) {
    std::unique_lock guard(lock);
    return framesArrived().wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] { return frames.size() >= n; });
}

void Simulator::serve() {
    QByteArray pending;
    qint64 pendingSince = 0;
    for (;;) {
        pollfd fds[2] = {{master, POLLIN, 0}, {stopPipe[0], POLLIN, 0}};
        if (::poll(fds, 2, 100) < 0 && errno != EINTR)
            return;
        if (fds[1].revents)
            return;
        if (!(fds[0].revents & POLLIN)) {
            // A frame that stopped halfway is dropped, so the next one parses.
            if (!pending.isEmpty() && nowMs() - pendingSince > 500)
                pending.clear();
            continue;
        }
        char chunk[256];
        const ssize_t n = ::read(master, chunk, sizeof chunk);
        if (n <= 0)
            continue;
        if (pending.isEmpty())
            pendingSince = nowMs();
        pending.append(chunk, n);
        while (pending.size() >= 2) {
            const int length = frameLength(std::uint8_t(pending[1]));
            if (length < 0) {
                pending.remove(0, 1);
                continue;
            }
            if (pending.size() < length)
                break;
            const QByteArray frame = pending.left(length);
            pending.remove(0, length);
            handle(frame);
            pendingSince = nowMs();
        }
    }
}

void Simulator::handle(const QByteArray& frame) {
    Script script;
    bool silent = false;
    QByteArray reply;
    {
        std::lock_guard guard(lock);
        frames.push_back(frame);
        frameTimes.push_back(nowMs());
        auto queued = scripts.find(std::uint8_t(frame[2]));
        if (queued != scripts.end() && !queued->second.empty()) {
            script = queued->second.front();
            queued->second.pop_front();
        }
        if (!script.lost)
            reply = answer(frame, script, silent);
    }
    framesArrived().notify_all();
    if (script.lost)
        return;
    if (script.reply) {
        silent = false;
        reply = *script.reply;
    }
    if (silent || script.silent)
        return;
    if (script.replyAddress >= 0 && !reply.isEmpty())
        reply[0] = char(script.replyAddress);
    if (script.cutAfter >= 0)
        reply = reply.left(script.cutAfter);
    reply = script.before + reply + script.after;
    if (script.delayMs > 0 && stopsWithin(std::chrono::milliseconds(script.delayMs)))
        return;
    if (script.pauseAtByte >= 0) {
        if (!send(reply.left(script.pauseAtByte)) || stopsWithin(std::chrono::milliseconds(script.pauseMs)))
            return;
        reply.remove(0, script.pauseAtByte);
    }
    send(reply);
}

QByteArray Simulator::answer(const QByteArray& f, Script& script, bool& silent) {
    const auto address = std::uint8_t(f[0]);
    const auto command = std::uint8_t(f[2]);
    const QByteArray echo(1, char(address));

    if (command == 0x0B && address == issuer) {
        if (issuerCard.isEmpty()) {
            silent = true;
            return {};
        }
        return QByteArray(1, char(address)) + char(0x07) + char(0x04) + packedOf(issuerCard);
    }
    auto found = controllers.find(address);
    if (found == controllers.end()) {
        silent = true;  // nobody at this address
        return {};
    }
    Controller& c = found->second;
    const QDateTime now = QDateTime::currentDateTime();
    const auto lockOpen = [&](int i) {
        return c.lockOpenedAt[i].isValid() && c.lockOpenedAt[i].msecsTo(now) < c.delay[i] * 1000 / 14;
    };
    switch (command) {
    case 0x04: {  // information block
        const qint64 ran = (nowMs() - c.clockSetAtMs) / 1000;
        const QDateTime clock = QDateTime(c.date, c.time).addSecs(ran);
        const int count = int(c.records.size());
        QByteArray b;
        b += char(address);
        b += char(count >> 8);
        b += char(count & 0xFF);
        b += char(c.delay[0]);
        b += char(c.delay[1]);
        b += char(bcd(clock.date().year() % 100));
        b += char(bcd(clock.date().month()));
        b += char(bcd(clock.date().day()));
        b += char(bcd(clock.time().hour()));
        b += char(bcd(clock.time().minute()));
        b += char(bcd(clock.time().second()));
        b += char(bcd(c.weekday));
        b += char(c.version[0]);
        b += char(c.version[1]);
        b += char(c.version[2]);
        return b;
    }
    case 0x06:
        c.records.clear();
        return echo;
    case 0x0C:
        c.cards.clear();
        return echo;
    case 0x0E:
    case 0x1E:
        c.delay[command == 0x0E ? 0 : 1] = std::uint8_t(f[3]);
        return echo;
    case 0x0A: {
        Card card;
        card.physical = digitsOf(f.mid(3, 5));
        card.passMode1 = (std::uint8_t(f[13]) >> 5) & 0x03;
        card.passMode2 = (std::uint8_t(f[14]) >> 5) & 0x03;
        card.window = f.mid(11, 11);
        c.cards[digitsOf(f.mid(8, 3))] = card;
        return echo;
    }
    case 0x0D:
        c.cards.erase(digitsOf(f.mid(3, 3)));
        return echo;
    case 0x10:
    case 0x20:
        c.lockOpenedAt[command == 0x10 ? 0 : 1] = now;
        return echo;
    case 0x1F: {
        std::uint8_t state = c.lockStateOverride;
        if (state == 0)
            state = std::uint8_t((lockOpen(1) ? 0x40 : 0x20) | (lockOpen(0) ? 0x04 : 0x02));
        return echo + char(state);
    }
    case 0x1B: {
        QByteArray r = echo + char(0x08);
        if (c.swipes.empty())
            return r + QByteArray(7, '\0');
        const Swipe& s = c.swipes.front();
        return r + char(0x04) + packedOf(s.physical) + char(s.flag);
    }
    case 0x02:
        if (!c.swipes.empty())
            c.swipes.pop_front();
        silent = true;  // nothing is awaited
        return {};
    case 0x09: {
        const std::uint8_t month = std::uint8_t(f[4]);
        c.date = QDate(2000 + plain(std::uint8_t(f[3])), plain(month & 0x1F), plain(std::uint8_t(f[5])));
        c.weekday = month >> 5;
        c.clockSetAtMs = nowMs();
        return echo;
    }
    case 0x08:
        c.time = QTime(plain(std::uint8_t(f[3])), plain(std::uint8_t(f[4])), plain(std::uint8_t(f[5])));
        c.clockSetAtMs = nowMs();
        return echo;
    case 0x11: {
        const int count = int(c.records.size());
        QByteArray r = echo + char(count >> 8) + char(count & 0xFF);
        const int sent = script.recordsBeforeBreak >= 0 ? std::min(count, script.recordsBeforeBreak) : count;
        for (int i = 0; i < sent; ++i)
            r += storedRecord(address, c.records[std::size_t(i)]);
        return r;
    }
    default:
        silent = true;
        return {};
    }
}

bool Simulator::stopsWithin(std::chrono::nanoseconds wait) {
    const auto until = std::chrono::steady_clock::now() + wait;
    for (;;) {
        const auto left = std::max(std::chrono::nanoseconds(0), until - std::chrono::steady_clock::now());
        const timespec limit{time_t(left.count() / 1'000'000'000), long(left.count() % 1'000'000'000)};
        pollfd stop{stopPipe[0], POLLIN, 0};
        const int ready = ::ppoll(&stop, 1, &limit, nullptr);
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

// Waits for room on the line as long as it takes, but never past the stop.
bool Simulator::write(const char* bytes, qsizetype size) {
    while (size > 0) {
        const ssize_t n = ::write(master, bytes, size_t(size));
        if (n > 0) {
            bytes += n;
            size -= n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        pollfd fds[2] = {{master, POLLOUT, 0}, {stopPipe[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            return false;
        if (fds[1].revents)
            return false;
    }
    return true;
}

bool Simulator::send(const QByteArray& bytes) {
    if (!pacing)
        return write(bytes.constData(), bytes.size());
    termios tio{};
    tcgetattr(slave, &tio);
    static const std::map<speed_t, int> rates = {{B1200, 1200},   {B2400, 2400},   {B4800, 4800},
                                                 {B9600, 9600},   {B19200, 19200}, {B38400, 38400},
                                                 {B57600, 57600}, {B115200, 115200}};
    const auto rate = rates.find(cfgetospeed(&tio));
    const int baud = rate == rates.end() ? 9600 : rate->second;
    const auto perByte = std::chrono::nanoseconds(10'000'000'000LL / baud);  // start, 8 data, stop
    // Each byte at its own place on the line's clock, so that the waits'
    // overshoot doesn't add up over a long reply.
    const auto start = std::chrono::steady_clock::now();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (!write(bytes.constData() + i, 1) ||
            stopsWithin(start + perByte * (i + 1) - std::chrono::steady_clock::now()))
            return false;
    }
    return true;
}

}  // namespace ctlsim
