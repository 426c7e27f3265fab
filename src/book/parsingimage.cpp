#include "parsingimage.h"
