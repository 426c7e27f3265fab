#pragma once

#include "command.h"

// The command that makes a ready-to-ship application folder (the book, its pictures and the files its
// pages use) from a folder of linked HTML pages.
Command importCommand();
