#include "logging.h"

Q_LOGGING_CATEGORY(lcTriEdit, "tavlo.triedit", QtInfoMsg)
