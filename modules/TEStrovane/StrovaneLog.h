#pragma once

#include <QLoggingCategory>

// Stage timings, cache hits and stroke counts, for strovane-render --stats.
Q_DECLARE_LOGGING_CATEGORY(lcStrovaneStats)
