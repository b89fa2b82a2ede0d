#pragma once

#include "strobase_global.h"

#include <QString>

// How much memory the process may still use: what the system has
// available, and no more than its address-space and control-group limits
// leave. Work is refused before it starts when its estimate exceeds this.
namespace TMemory {

// Bytes the process may still take; the limit that decides goes into why.
STROBASE_EXPORT qint64 available(QString* why = nullptr);
// "1.5 GB", "300 MB".
STROBASE_EXPORT QString describe(qint64 bytes);
// "4G", "512M", "2048K", "1000000" (bytes); -1 when it is none of these.
STROBASE_EXPORT qint64 parseSize(const QString& text);

} // namespace TMemory
