#include "logging.h"

Q_LOGGING_CATEGORY(lcPlatform, "tavlo.platform", QtInfoMsg)
