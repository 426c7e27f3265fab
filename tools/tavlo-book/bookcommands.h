#pragma once

#include "command.h"

// The commands that read a book and report on it without changing it.
Command infoCommand();
Command pagesCommand();
Command showCommand();
Command checkCommand();
