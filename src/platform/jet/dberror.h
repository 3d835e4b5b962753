#pragma once
#include <QString>
#include <stdexcept>

namespace jet {

// A statement, seek or save the engine refused; carries the engine's message.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& message)
        : std::runtime_error(message.toStdString()), text(message) {}
    QString message() const { return text; }

private:
    QString text;
};

}  // namespace jet
