#pragma once
#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// A serial line with door controllers and a card issuer on it, played on a
// pseudo-terminal: the program under test opens the pty's device through
// the link "comN" in its program folder and talks to it as to the real
// line. Frames are taken apart here from the line's own rules, not with the
// program's frame code, so each checks the other.
namespace ctlsim {

// A card as the controller keeps it after an add-card frame.
struct Card {
    QString physical;      // ten digits
    int passMode1 = 0, passMode2 = 0;
    QByteArray window;     // bytes 11..21 of the add-card frame as received
};

struct Record {
    QString card;          // six digits
    QDateTime when;
    int flag = 1;
    // Faults of a memory that went wrong: the record kept with another
    // address byte (the controller was re-addressed since), or kept longer
    // (extra 0x00 bytes after it) or shorter (its last bytes missing) than
    // the eleven bytes every other record takes.
    int addressByte = -1;
    int lengthChange = 0;
};

struct Swipe {
    QString physical;      // ten digits
    int flag = 1;
};

struct Controller {
    std::map<QString, Card> cards;     // by card number
    std::vector<Record> records;
    std::deque<Swipe> swipes;          // live swipes not yet acknowledged
    std::uint8_t delay[2] = {70, 70};  // 1/14 s steps
    QDateTime lockOpenedAt[2];         // a lock is open for its delay
    QDate date = QDate::currentDate();
    QTime time = QTime::currentTime();
    qint64 clockSetAtMs = 0;           // the clock runs on from here
    int weekday = QDate::currentDate().dayOfWeek() % 7;
    std::uint8_t version[3] = {1, 2, 3};
    std::uint8_t lockStateOverride = 0;  // sent as it stands when not 0
};

// What the next reply to one command does instead of the usual.
struct Script {
    bool silent = false;         // takes the frame in, answers nothing
    bool lost = false;           // the frame never arrives: not taken in, not answered
    int delayMs = 0;             // waits before the first byte
    int replyAddress = -1;       // first byte of the reply, instead of the address
    int cutAfter = -1;           // sends only this many bytes of the reply
    int recordsBeforeBreak = -1; // a record stream stops after this many records
    int pauseAtByte = -1;        // the reply stops this many bytes in for pauseMs,
    int pauseMs = 0;             // then goes on
    QByteArray before;           // stray bytes ahead of the reply
    QByteArray after;            // bytes after the reply
    std::optional<QByteArray> reply;  // sent in place of the usual reply
};

class Simulator {
public:
    // Opens a pseudo-terminal and links it as "com<port>" in the folder,
    // with a mark ".com<port>.ctlsim" beside it that names this process and
    // the device. Throws when "com<port>" is there already and is not a link
    // a stopped simulator left behind: such a link may lead to real hardware.
    Simulator(const QString& folder, int port);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    QString device() const { return slavePath; }
    QString link() const { return linkPath; }

    void addController(int address);
    void setIssuer(int address);
    // The card held on the issuer; empty: none (the issuer stays silent).
    void presentCard(const QString& physical);
    // Bytes go out at the line's baud rate instead of at once.
    void setPacing(bool on);
    // The next frame with this command code gets this script.
    void scriptNext(std::uint8_t command, const Script& script);

    // A copy of a controller's state, and a change to it.
    Controller controller(int address);
    void edit(int address, const std::function<void(Controller&)>& change);
    bool hasController(int address);

    // Every frame received, in order, and when each arrived (milliseconds
    // on the monotonic clock).
    std::vector<QByteArray> received();
    std::vector<qint64> receivedTimes();
    void clearReceived();
    // Waits (real time) until at least n frames have been received.
    bool waitForFrames(std::size_t n, int timeoutMs);

private:
    struct Mark {
        qint64 pid = 0;
        QString device;
        bool operator==(const Mark&) const = default;
    };
    static Mark markOf(const QString& path);
    static void writeMark(const QString& path, const Mark& mark);
    void claimLink(int port);
    void closeDescriptors();
    void serve();
    void handle(const QByteArray& frame);
    QByteArray answer(const QByteArray& frame, Script& script, bool& silent);
    // False once the simulator is stopping: what was left unsent goes.
    bool send(const QByteArray& bytes);
    bool write(const char* bytes, qsizetype size);
    // Whether the stop comes before the time has passed.
    bool stopsWithin(std::chrono::nanoseconds wait);

    QString linkPath, markPath, slavePath;
    int master = -1, slave = -1;
    int stopPipe[2] = {-1, -1};
    std::thread worker;
    std::mutex lock;
    std::map<int, Controller> controllers;
    int issuer = -1;
    QString issuerCard;
    std::atomic<bool> pacing{false};
    std::map<std::uint8_t, std::deque<Script>> scripts;
    std::vector<QByteArray> frames;
    std::vector<qint64> frameTimes;
};

}  // namespace ctlsim
