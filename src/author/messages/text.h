#pragma once

#include "book/bookcheck.h"

#include <QString>
#include <QStringView>

// Text in double quotes, with the characters that would break the line or the quoting escaped:
// page names may begin with a line break.
QString quoted(QStringView text);

// One defect as check reports it: the book, the page's index and name, error or warning, and what is
// wrong, on one line.
QString defectLine(const QString &fileName, const book::Defect &defect);
