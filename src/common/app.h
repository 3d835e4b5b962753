#pragma once
#include "collectionhold.h"
#include "database.h"

#include <QString>
#include <array>

// The process-wide values: the settings loaded at start, the shared
// database handle and who is logged in. Read and written directly by the
// windows; changed rows take effect at the next start unless a settings
// window also sets the value.
namespace app {

inline jet::Database db;                 // the shared handle, from log-in to exit
inline QString connstr;                  // its connect string
inline QString dbpwd;                    // the database password in the connect string

inline short comport = 1;                // serial port number (1 = COM1)
inline QString comset = QStringLiteral("9600,n,8,1");
inline short inbufsize = 2048;
inline short outbufsize = 512;
inline short fkjdz = 1;                  // card-issuer address
inline QString companyname = QStringLiteral("Valdren");

inline QString curuser;                  // sysname of the operator logged in
inline short loginok = 0;                // 1 once an operator has logged in

inline short cjmode = 0;                 // collection type: 1 automatic, 0 manual
inline QString cjtime = QStringLiteral("0");  // collection time "HH:MM", "0" when manual

inline std::array<short, 1001> cjaddr{};  // addresses of the unattended collection run
inline short cjcount = -1;               // index of the last entry of cjaddr
inline QString cjoutcome;                // what the last unattended run did, dated, for the main window
inline QString cjoutcomeShort;           // the same in a few words, for the status bar
inline QString cjdeferral;               // why the run under way started late; empty when on time

// Controller exchanges under way: the exit waits until none is, so a
// controller never keeps a card the database doesn't record. The line is
// in use meanwhile: the unattended collection waits too.
inline int exchangesRunning = 0;
struct ExchangeScope {
    ExchangeScope() { ++exchangesRunning; }
    ~ExchangeScope() { --exchangesRunning; }
    ExchangeScope(const ExchangeScope&) = delete;
    ExchangeScope& operator=(const ExchangeScope&) = delete;

private:
    CollectionHold line{CollectionHold::controllerExchange()};
};

// The database file in the program folder and the connect string naming it.
QString databaseFile();
QString connectString(const QString& password);

}  // namespace app
