#pragma once
#include <QList>
#include <QString>
#include <stdexcept>

namespace report {

// A template or its staging table could not be read; the text says why.
class ReportError : public std::runtime_error {
public:
    explicit ReportError(const QString& message)
        : std::runtime_error(message.toStdString()), text(message) {}
    QString message() const { return text; }

private:
    QString text;
};

struct Column {
    QString caption;
    QString field;
    double width = 20;  // millimetres
};

// A report template: what one .rpt file in the program folder says.
// The format is described in docs/report-templates.md.
struct Template {
    QString title;
    QString table;  // the staging table printed, in row order
    bool landscape = false;
    double fontSize = 9;  // points, body text
    QList<Column> columns;
};

// Throws ReportError naming the line at fault.
Template parseTemplate(const QString& text);
Template readTemplate(const QString& path);

}  // namespace report
