#include "bookfile.h"
