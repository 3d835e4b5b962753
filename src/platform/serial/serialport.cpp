#include "serialport.h"

#include "programfolder.h"
#include "wait.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSet>
#include <QSocketNotifier>
#include <QStringList>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/select.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace serial {

PortError::PortError(Kind kind, const QString& message)
    : std::runtime_error(message.toStdString()), kind_(kind) {}

namespace {

// Devices held open by a port object of this process. flock alone would
// do between processes; the set keeps the rule visible inside one.
QSet<QString>& devicesInUse() {
    static QSet<QString> devices;
    return devices;
}

// What the line of each device has left over from an exchange that timed
// out, kept by device so that every port object on it sees it.
struct LineState {
    bool unanswered = false;
    std::chrono::nanoseconds lastNoise{0};
};
std::map<QString, LineState>& lines() {
    static auto* states = new std::map<QString, LineState>;  // outlives every port, whenever it goes
    return *states;
}

speed_t speedOf(int baud) {
    switch (baud) {
    case 110: return B110;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    default: return B0;
    }
}

QString errnoText() { return QString::fromLocal8Bit(std::strerror(errno)); }

void applyLine(int fd, const LineSettings& line) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        throw PortError(PortError::DeviceFailed, errnoText());
    cfmakeraw(&tio);  // no echo, no CR/LF translation, no signals
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);  // 0x11 and 0x13 are data here
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    static const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag |= sizes[line.dataBits - 5];
    switch (line.parity) {
    case 'e': tio.c_cflag |= PARENB; break;
    case 'o': tio.c_cflag |= PARENB | PARODD; break;
    case 'm': tio.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case 's': tio.c_cflag |= PARENB | CMSPAR; break;
    default: break;
    }
    if (line.stopBits == 2)
        tio.c_cflag |= CSTOPB;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, speedOf(line.baud));
    cfsetospeed(&tio, speedOf(line.baud));
    if (tcsetattr(fd, TCSANOW, &tio) != 0)
        throw PortError(PortError::DeviceFailed, errnoText());
}

}  // namespace

LineSettings parseSettings(const QString& text) {
    const QStringList fields = text.split(QLatin1Char(','));
    const auto refuse = [&] {
        return PortError(PortError::BadSettings, QStringLiteral("無效的通訊參數: ") + text);
    };
    if (fields.size() != 4)
        throw refuse();
    LineSettings line;
    bool ok = false;
    line.baud = fields[0].trimmed().toInt(&ok);
    if (!ok || speedOf(line.baud) == B0)
        throw refuse();
    const QString parity = fields[1].trimmed().toLower();
    if (parity.size() != 1 || !QStringLiteral("neoms").contains(parity))
        throw refuse();
    line.parity = parity[0].toLatin1();
    line.dataBits = fields[2].trimmed().toInt(&ok);
    if (!ok || line.dataBits < 5 || line.dataBits > 8)
        throw refuse();
    line.stopBits = fields[3].trimmed().toInt(&ok);
    if (!ok || (line.stopBits != 1 && line.stopBits != 2))
        throw refuse();
    return line;
}

QString devicePath(int portNumber) {
    const QString link = platform::programFile(QStringLiteral("com%1").arg(portNumber));
    const QFileInfo info(link);
    if (info.isSymLink() || info.exists())
        return link;
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
}

SerialPort::SerialPort(QObject* parent) : QObject(parent) {}

SerialPort::~SerialPort() { closeDevice(); }

void SerialPort::setCommPort(int n) {
    if (n < 1 || n > highestPortNumber)
        throw PortError(PortError::BadPortNumber, QStringLiteral("無效的端口號: %1").arg(n));
    portNumber = n;
}

void SerialPort::setSettings(const QString& text) {
    line = parseSettings(text);
    settingsText = text;
    if (PortOpen())
        applyLine(fd, line);
}

void SerialPort::setPortOpen(bool open) {
    if (!open) {
        closeDevice();
        return;
    }
    if (PortOpen())
        return;
    const QString path = devicePath(portNumber);
    const QString name = QFileInfo(path).fileName();
    const int handle = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0 && errno == EBUSY)  // another program has it in exclusive use
        throw PortError(PortError::PortInUse, name + QStringLiteral("已被其他程序占用，"));
    if (handle < 0)
        throw PortError(PortError::BadPortNumber, path + QStringLiteral(": ") + errnoText());
    const auto refuse = [handle](PortError::Kind kind, const QString& text) {
        ::close(handle);
        return PortError(kind, text);
    };
    // A file, a FIFO or a device that is no terminal line (/dev/null, say)
    // opens like one but carries no line settings.
    struct stat status {};
    termios settings{};
    if (fstat(handle, &status) != 0 || !S_ISCHR(status.st_mode) || tcgetattr(handle, &settings) != 0)
        throw refuse(PortError::BadPortNumber, name + QStringLiteral("不是串口設備，"));
    const QString device = QFileInfo(path).canonicalFilePath();
    if (devicesInUse().contains(device))
        throw refuse(PortError::PortInUse, name + QStringLiteral("已被本程序的另一窗口占用，"));
    // Exclusive use set by another program keeps out everyone but an
    // administrator, who is told all the same; TIOCEXCL then refuses the
    // device to every later open, by programs that don't lock it too.
    int exclusive = 0;
    if ((ioctl(handle, TIOCGEXCL, &exclusive) == 0 && exclusive) || flock(handle, LOCK_EX | LOCK_NB) != 0 ||
        ioctl(handle, TIOCEXCL) != 0)
        throw refuse(PortError::PortInUse, name + QStringLiteral("已被其他程序占用，"));
    try {
        applyLine(handle, line);
    } catch (...) {
        ::close(handle);
        throw;
    }
    tcflush(handle, TCIFLUSH);  // what lay on the line before belongs to nobody
    fd = handle;
    lockedDevice = device;
    devicesInUse().insert(device);
    received.clear();
    notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &SerialPort::onReadable);
}

void SerialPort::closeDevice() {
    if (fd < 0)
        return;
    // Later, not now: this may run inside the notifier's own signal.
    notifier->setEnabled(false);
    notifier->deleteLater();
    notifier = nullptr;
    // The exclusive use belongs to the device, not to this descriptor, and
    // would outlast it while anything else (the simulator's end) holds it.
    ioctl(fd, TIOCNXCL);
    ::close(fd);  // releases the flock
    fd = -1;
    devicesInUse().remove(lockedDevice);
    lockedDevice.clear();
    received.clear();
}

void SerialPort::hangUp() { closeDevice(); }

void SerialPort::takeWaiting() {
    if (fd < 0)
        return;
    // No more than the buffer has room for, so a line that floods can't hold
    // the window's thread. What doesn't fit stays with the device until a
    // read makes room (a real line's own buffer drops it once that is full):
    // taking it off the device only to throw it away would lose the middle
    // of a reply that a reader is taking apart piece by piece.
    const qsizetype capacity = qMax(1, inBufferSize);
    char chunk[512];
    for (;;) {
        const qsizetype budget = capacity - received.size();
        if (budget <= 0)
            break;
        const ssize_t n = ::read(fd, chunk, size_t(qMin<qsizetype>(qsizetype(sizeof chunk), budget)));
        if (n > 0) {
            received.append(chunk, n);
            if (auto line = lines().find(lockedDevice); line != lines().end() && line->second.unanswered)
                line->second.lastNoise = waitClock().now();
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            return;
        // A raw line with nothing waiting reads 0 too; only the poll tells
        // that the other end has gone (an adapter pulled, a pty's master closed).
        pollfd p{fd, POLLIN, 0};
        if (n == 0 && (::poll(&p, 1, 0) <= 0 || !(p.revents & (POLLHUP | POLLERR | POLLNVAL))))
            return;
        hangUp();
        return;
    }
    watchDevice();
}

void SerialPort::wakeAt(int n) {
    if (fd < 0)
        return;
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return;
    // A raw line reports itself readable only once VMIN bytes are waiting.
    const auto wanted = cc_t(qBound(0, n - int(received.size()), 255));
    if (tio.c_cc[VMIN] == wanted)
        return;
    tio.c_cc[VMIN] = wanted;
    tcsetattr(fd, TCSANOW, &tio);
}

// A full buffer stops watching the device, which would otherwise wake the
// window's thread without end for bytes it has no room for.
void SerialPort::watchDevice() {
    if (notifier)
        notifier->setEnabled(received.size() < qMax(1, inBufferSize));
}

int SerialPort::InBufferCount() {
    takeWaiting();
    return int(received.size());
}

void SerialPort::setInBufferCount(int n) {
    if (n != 0 || fd < 0)
        return;
    tcflush(fd, TCIFLUSH);
    received.clear();
    watchDevice();
}

QByteArray SerialPort::Input() {
    takeWaiting();
    const qsizetype n = inputLen <= 0 ? received.size() : qMin<qsizetype>(inputLen, received.size());
    QByteArray bytes = received.left(n);
    received.remove(0, n);
    watchDevice();
    return bytes;
}

void SerialPort::Output(const QByteArray& bytes) {
    if (fd < 0)
        throw PortError(PortError::NotOpen, QStringLiteral("端口沒有打開"));
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EAGAIN) {
            fd_set out;
            FD_ZERO(&out);
            FD_SET(fd, &out);
            timeval limit{1, 0};
            if (::select(fd + 1, nullptr, &out, nullptr, &limit) <= 0)
                throw PortError(PortError::DeviceFailed, QStringLiteral("寫入超時"));
        } else if (!(n < 0 && errno == EINTR)) {
            throw PortError(PortError::DeviceFailed, errnoText());
        }
    }
}

void SerialPort::markUnanswered() {
    if (fd >= 0)
        lines()[lockedDevice] = LineState{true, waitClock().now()};
}

bool SerialPort::isSettling() {
    takeWaiting();
    const auto line = lines().find(lockedDevice);
    if (fd < 0 || line == lines().end() || !line->second.unanswered)
        return false;
    const double quiet = std::chrono::duration<double>(waitClock().now() - line->second.lastNoise).count();
    return quiet < quietPeriod();
}

void SerialPort::settled() {
    if (fd >= 0)
        lines().erase(lockedDevice);
}

double SerialPort::quietPeriod() const {
    // A controller that answers at all begins its reply within the longest
    // time any command is given, 3 s from its frame (the information read,
    // the card issuer, the remote opening's 1 s pause and 2 s wait). The
    // shortest wait that can end without its reply is 2 s, so a late reply
    // begins at most 1 s after the wait ended. Then it takes its length on
    // the line: the longest fixed reply is the 15-byte information block,
    // each byte a start bit, its data bits, a parity bit when there is one
    // and its stop bits. At 9600,n,8,1 that is 1 s + 15.6 ms; at 1200 baud
    // 1 s + 125 ms.
    return 1.0 + 15.0 * byteTime();
}

double SerialPort::byteTime() const {
    const int bitsPerByte = 1 + line.dataBits + (line.parity == 'n' ? 0 : 1) + line.stopBits;
    return double(bitsPerByte) / line.baud;
}

void SerialPort::setRThreshold(int n) {
    rThreshold = n;
    if (n > 0 && PortOpen() && InBufferCount() >= n)
        QMetaObject::invokeMethod(this, &SerialPort::raiseReceive, Qt::QueuedConnection);
}

void SerialPort::onReadable() {
    const qsizetype before = received.size();
    takeWaiting();
    if (received.size() == before)
        return;
    if (inHandler) {
        receivedInHandler = true;
        return;
    }
    raiseReceive();
}

void SerialPort::raiseReceive() {
    if (inHandler || rThreshold <= 0 || !PortOpen() || InBufferCount() < rThreshold)
        return;
    commEvent = comEvReceive;
    inHandler = true;
    receivedInHandler = false;
    QPointer<SerialPort> alive(this);
    emit OnComm();
    if (!alive)
        return;
    inHandler = false;
    if (receivedInHandler)
        QMetaObject::invokeMethod(this, &SerialPort::raiseReceive, Qt::QueuedConnection);
}

}  // namespace serial
