#include "pagetable.h"
