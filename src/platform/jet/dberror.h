#pragma once
#include <QString>
#include <stdexcept>

namespace jet {

// A statement, seek or save the engine refused; carries the engine's message.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& message) : DbError(message, message) {}
    DbError(const QString& message, const QString& reason)
        : std::runtime_error(message.toStdString()), text(message), why(reason) {}
    QString message() const { return text; }
    // The engine's words alone, without the statement they were about:
    // what an operator can be shown.
    QString reason() const { return why; }

private:
    QString text;
    QString why;
};

}  // namespace jet
