#include "logging.h"

Q_LOGGING_CATEGORY(lcDhtmlEd, "tavlo.dhtmled", QtInfoMsg)
