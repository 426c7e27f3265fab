#include "logging.h"

Q_LOGGING_CATEGORY(lcPageView, "tavlo.pageview", QtInfoMsg)
