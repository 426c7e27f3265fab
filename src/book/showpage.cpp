#include "showpage.h"
