// kestrom-ctlsim: door controllers and a card issuer on a pseudo-terminal,
// so the program can be run and tried without the hardware.
#include "records.h"
#include "simulator.h"
#include "swipeplayer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QStringList>
#include <csignal>
#include <map>
#include <memory>
#include <cstdio>
#include <pthread.h>

namespace {

// "1,2,5-9" to the addresses it names; false on a bad list.
bool parseAddresses(const QString& text, QList<int>& out) {
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList range = part.split(QLatin1Char('-'));
        bool ok1 = false, ok2 = false;
        const int first = range[0].trimmed().toInt(&ok1);
        const int last = range.size() == 2 ? range[1].trimmed().toInt(&ok2) : first;
        if (!ok1 || (range.size() == 2 && !ok2) || range.size() > 2 || first < 0 || last > 99 || first > last)
            return false;
        for (int a = first; a <= last; ++a)
            out << a;
    }
    return !out.isEmpty() && out.size() <= 100;
}

// "1-4:500" to its addresses and the number of records each holds.
bool parseRecords(const QString& text, QList<int>& addresses, int& count) {
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    bool ok = false;
    count = colon < 0 ? -1 : text.mid(colon + 1).trimmed().toInt(&ok);
    return ok && count >= 0 && count <= 65535 && parseAddresses(text.left(colon), addresses);
}

// "0:300:long" done to the records the controller holds; false on a bad text.
bool applyFault(ctlsim::Simulator& sim, const QString& text) {
    const QStringList parts = text.split(QLatin1Char(':'));
    bool addressOk = false, recordOk = false;
    const int address = parts.value(0).toInt(&addressOk);
    const int record = parts.value(1).toInt(&recordOk);
    if (parts.size() != 3 || !addressOk || !recordOk || !sim.hasController(address) || record < 1 ||
        record > int(sim.controller(address).records.size()))
        return false;
    const QString kind = parts[2].trimmed();
    int addressByte = -1, lengthChange = 0;
    if (kind == QStringLiteral("long")) {
        lengthChange = 1;
    } else if (kind == QStringLiteral("short")) {
        lengthChange = -1;
    } else if (kind.startsWith(QStringLiteral("address="))) {
        bool ok = false;
        addressByte = kind.mid(8).toInt(&ok);
        if (!ok || addressByte < 0 || addressByte > 255)
            return false;
    } else {
        return false;
    }
    sim.edit(address, [&](ctlsim::Controller& c) {
        ctlsim::Record& r = c.records[std::size_t(record - 1)];
        r.addressByte = addressByte;
        r.lengthChange = lengthChange;
    });
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // The signals that stop the simulator are taken by sigwait below, in
    // every thread, so they never interrupt the serving thread.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Plays door controllers and a card issuer on a pseudo-terminal and links it as comN in the\n"
        "program folder, where kestrom opens serial port N. Serves until stopped with Ctrl+C."));
    parser.addHelpOption();
    const QCommandLineOption folder(QStringLiteral("folder"),
                                    QStringLiteral("Program folder to link the port in (default: this program's folder)."),
                                    QStringLiteral("dir"), QCoreApplication::applicationDirPath());
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Serial port number N (default 1)."),
                                  QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption addresses(QStringLiteral("controllers"),
                                       QStringLiteral("Controller addresses, e.g. 1,2,5-9 (default 1-4)."),
                                       QStringLiteral("list"), QStringLiteral("1-4"));
    const QCommandLineOption issuer(QStringLiteral("issuer"), QStringLiteral("Card-issuer address (default 1)."),
                                    QStringLiteral("address"), QStringLiteral("1"));
    const QCommandLineOption card(QStringLiteral("card"),
                                  QStringLiteral("Physical number of the card held on the issuer (default 0001234567)."),
                                  QStringLiteral("digits"), QStringLiteral("0001234567"));
    const QCommandLineOption pace(QStringLiteral("pace"), QStringLiteral("Send replies at the line's baud rate."));
    parser.addOptions({folder, port, addresses, issuer, card, pace});
    // Live swipes for the monitors.
    const QCommandLineOption swipes(
        QStringLiteral("swipes"),
        QStringLiteral("A live swipe to play, address:physical-number:direction, e.g. 1:0001234567:1 (direction 1 "
                       "lock 1 in, 2 lock 1 out, 3 lock 2 in, 4 lock 2 out). Repeat it, or separate swipes with "
                       "commas, for more; they are played in turn, over and over. Each opens the lock it passes "
                       "for that lock's open delay."),
        QStringLiteral("swipe"));
    const QCommandLineOption swipeEvery(
        QStringLiteral("swipe-every"),
        QStringLiteral("Seconds between live swipes (default 5). Without --swipes, the cards the controllers hold "
                       "(issued through 卡操作 while this runs) are swiped in turn, in and out through lock 1."),
        QStringLiteral("seconds"));
    parser.addOptions({swipes, swipeEvery});
    const QCommandLineOption records(
        QStringLiteral("records"),
        QStringLiteral("Stored swipe records: addresses:count, e.g. 1:500 or 1-4:200 (may be repeated). Cards "
                       "000001-000300 over the last 30 days, both locks in and out; addresses not "
                       "among --controllers are added."),
        QStringLiteral("list:count"));
    parser.addOption(records);
    const QCommandLineOption fault(
        QStringLiteral("fault"),
        QStringLiteral("A stored record gone wrong, address:record:fault with the record counted from 1 and the "
                       "fault long (a byte too many), short (a byte too few) or address=N (kept with address byte "
                       "N), e.g. 0:300:long (may be repeated)."),
        QStringLiteral("address:record:fault"));
    parser.addOption(fault);
    parser.process(app);

    QList<int> controllerAddresses;
    bool portOk = false, issuerOk = false;
    const int portNumber = parser.value(port).toInt(&portOk);
    const int issuerAddress = parser.value(issuer).toInt(&issuerOk);
    if (!portOk || portNumber < 1 || !issuerOk || issuerAddress < 0 || issuerAddress > 99 ||
        !parseAddresses(parser.value(addresses), controllerAddresses)) {
        std::fprintf(stderr, "%s\n", qPrintable(parser.helpText()));
        return 2;
    }
    std::map<int, int> recordCounts;
    for (const QString& value : parser.values(records)) {
        QList<int> holders;
        int count = 0;
        if (!parseRecords(value, holders, count)) {
            std::fprintf(stderr, "kestrom-ctlsim: --records %s: give addresses:count, e.g. 1:500\n", qPrintable(value));
            return 2;
        }
        for (int a : holders)
            recordCounts[a] = count;
    }
    std::vector<ctlsim::PlannedSwipe> plannedSwipes;
    for (const QString& text : parser.values(swipes).join(QLatin1Char(',')).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const auto planned = ctlsim::parseSwipe(text);
        if (!planned || !controllerAddresses.contains(planned->address)) {
            std::fprintf(stderr, "kestrom-ctlsim: --swipes %s: give address:physical-number:direction, with the "
                                 "address of a simulated controller and a direction 1 to 4\n", qPrintable(text));
            return 2;
        }
        plannedSwipes.push_back(*planned);
    }
    bool everyOk = true;
    const double swipeSeconds = parser.isSet(swipeEvery) ? parser.value(swipeEvery).toDouble(&everyOk) : 5;
    if (!everyOk || swipeSeconds < 0.1 || swipeSeconds > 86400) {
        std::fprintf(stderr, "kestrom-ctlsim: --swipe-every takes seconds, 0.1 or more\n");
        return 2;
    }

    try {
        ctlsim::Simulator sim(QDir(parser.value(folder)).absolutePath(), portNumber);
        for (int a : controllerAddresses)
            sim.addController(a);
        for (const auto& [a, count] : recordCounts) {
            if (!sim.hasController(a))
                sim.addController(a);
            sim.edit(a, [a, count](ctlsim::Controller& c) { c.records = ctlsim::sampleRecords(a, count); });
        }
        for (const QString& text : parser.values(fault)) {
            if (!applyFault(sim, text)) {
                std::fprintf(stderr, "kestrom-ctlsim: --fault %s: give address:record:fault, the record one the "
                                     "address holds by --records and the fault long, short or address=N\n",
                             qPrintable(text));
                return 2;
            }
        }
        sim.setIssuer(issuerAddress);
        sim.presentCard(parser.value(card));
        sim.setPacing(parser.isSet(pace));
        std::printf("kestrom-ctlsim: %lld controllers, card issuer at %d, on %s linked as %s\n"
                    "Serving until Ctrl+C.\n",
                    static_cast<long long>(controllerAddresses.size()), issuerAddress, qPrintable(sim.device()),
                    qPrintable(sim.link()));
        std::unique_ptr<ctlsim::SwipePlayer> player;
        if (parser.isSet(swipes) || parser.isSet(swipeEvery)) {
            player = std::make_unique<ctlsim::SwipePlayer>(
                sim, std::vector<int>(controllerAddresses.begin(), controllerAddresses.end()), plannedSwipes);
            player->start(std::chrono::milliseconds(qint64(swipeSeconds * 1000)));
            std::printf("Playing a live swipe every %g s (%s).\n", swipeSeconds,
                        plannedSwipes.empty() ? "the cards the controllers hold" : "the swipes given");
        }
        std::fflush(stdout);
        int signal = 0;
        sigwait(&stopSignals, &signal);
        std::printf("kestrom-ctlsim: stopped, %zu frames served\n", sim.received().size());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kestrom-ctlsim: %s\n", e.what());
        return 1;
    }
    return 0;
}
