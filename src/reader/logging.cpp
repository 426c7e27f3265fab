#include "logging.h"

Q_LOGGING_CATEGORY(lcReader, "tavlo.reader", QtInfoMsg)
