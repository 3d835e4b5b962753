#pragma once
#include "reportpages.h"

namespace report {

// Saves every page of the report as a PDF file, replacing one that is there.
// Written to a temporary file first, so a stopped or failed save leaves no
// half a PDF: false when progress stopped it; throws ReportError when the
// file can't be written.
bool writePdfFile(const PagedReport& report, const QString& path, const PaintProgress& progress = {});

}  // namespace report
