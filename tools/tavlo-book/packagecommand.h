#pragma once

#include "command.h"

// The command that makes a book's application folder a Debian package of its own.
Command packageCommand();
