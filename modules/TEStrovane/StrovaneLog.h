#pragma once

#include <QLoggingCategory>

// Stage timings, cache hits and stroke counts, for strovane-render --stats.
Q_DECLARE_LOGGING_CATEGORY(lcStrovaneStats)

#include <QElapsedTimer>

// Times a stage for --stats: logs "stage <name> <ms> ms" when it ends. It
// waits for the GPU to finish, so it only measures while stats are on.
class StageTimer {
public:
    explicit StageTimer(const char* stage);
    ~StageTimer();
    StageTimer(const StageTimer&) = delete;
    StageTimer& operator=(const StageTimer&) = delete;

private:
    const char* m_stage;
    QElapsedTimer m_timer;
};
