#include "record.h"
