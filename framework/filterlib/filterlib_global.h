#pragma once

#include <QtGlobal>

#if defined(FILTERLIB_LIBRARY)
#define FILTERLIB_EXPORT Q_DECL_EXPORT
#else
#define FILTERLIB_EXPORT Q_DECL_IMPORT
#endif
