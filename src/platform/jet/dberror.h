#pragma once
#include <QString>
#include <stdexcept>

namespace jet {

// A statement, seek or save the engine refused. What it carries for the
// operator is said in the system's words and never holds the statement:
// that goes only into what(), for whoever reads a crash report.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& reason, int engineCode = 0, const QString& statement = QString())
        : std::runtime_error((statement.isEmpty() ? reason : reason + QStringLiteral(" (") + statement + QLatin1Char(')'))
                                 .toStdString()),
          why(reason), rc(engineCode)
    {
    }
    QString message() const { return why; }
    QString reason() const { return why; }
    // The engine's primary result code (SQLITE_BUSY, SQLITE_READONLY, ...);
    // 0 for a refusal of the database layer's own.
    int code() const { return rc; }

private:
    QString why;
    int rc;
};

}  // namespace jet
