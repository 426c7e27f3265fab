#include "logging.h"

Q_LOGGING_CATEGORY(lcBook, "tavlo.book", QtInfoMsg)
