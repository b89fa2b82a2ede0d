#pragma once

#include <QtGlobal>

#if defined(STROBASE_LIBRARY)
#define STROBASE_EXPORT Q_DECL_EXPORT
#else
#define STROBASE_EXPORT Q_DECL_IMPORT
#endif
