#pragma once

#include <QString>
#include <QStringView>

// Text in double quotes, with the characters that would break the line or the quoting escaped:
// page names may begin with a line break.
QString quoted(QStringView text);

// The characters of text that Windows-1252 lacks, each quoted with its code point, as
// "\"→\" (U+2192)", joined by ", "; empty when it has none.
QString charactersOutsideCodePage(QStringView text);
