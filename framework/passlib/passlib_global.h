#pragma once

#include <QtGlobal>

#if defined(PASSLIB_LIBRARY)
#define PASSLIB_EXPORT Q_DECL_EXPORT
#else
#define PASSLIB_EXPORT Q_DECL_IMPORT
#endif
