#pragma once

#include "command.h"

// The commands that turn a folder of HTML files into a book and back.
Command packCommand();
Command unpackCommand();
