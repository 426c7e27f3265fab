#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace book {

// A page record is cut at every "##" into fields (see recordField): field 0 is the page name, field 1
// the page HTML, the rest are ignored. A field the record does not have (a record without "##", an
// empty record) reads as an empty string.
QString pageName(QStringView record);
QString pageHtmlOf(QStringView record);

// True when the record has a field 1, the page HTML, that is when it holds a "##".
bool hasPageHtml(QStringView record);

// True when nothing is left of the record after removing leading and trailing spaces (code 32 only).
bool isBlank(QStringView record);
// The same on the record's 8-bit text, where the space is the same byte, without decoding it.
bool isBlank(QByteArrayView record);

// True when the record's page HTML holds more than blanks (spaces, tabs, line breaks): a page that
// shows something.
bool showsSomething(QByteArrayView record);

// Removes leading and trailing spaces (code 32 only; tabs and line breaks stay).
QStringView trimSpaces(QStringView text);

} // namespace book
