#pragma once

#include <QString>
#include <QStringView>

// Text in double quotes, with the characters that would break the line or the quoting escaped:
// page names may begin with a line break.
QString quoted(QStringView text);
