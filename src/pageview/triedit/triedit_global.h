#pragma once

#include <QtGlobal>

#if defined(TRIEDIT_LIBRARY)
#define TRIEDIT_EXPORT Q_DECL_EXPORT
#else
#define TRIEDIT_EXPORT Q_DECL_IMPORT
#endif
