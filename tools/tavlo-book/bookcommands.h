#pragma once

#include "command.h"

#include "book/bookcheck.h"

// The commands that read a book and report on it without changing it.
Command infoCommand();
Command pagesCommand();
Command showCommand();
Command checkCommand();

// One defect as check reports it: the book, the page's index and name, error or warning, and what is
// wrong, on one line.
QString defectLine(const QString &fileName, const book::Defect &defect);
