#pragma once

#include "strobase_global.h"

#include <QString>

#include <sys/types.h>

// OpenGL through Qt needs a window system. A batch tool started where
// there is none (a server, a cron job, a container) gets a virtual X
// display of its own (Xvfb), which ends with the object.
class STROBASE_EXPORT TPrivateDisplay {
public:
    TPrivateDisplay() = default;
    ~TPrivateDisplay();
    TPrivateDisplay(const TPrivateDisplay&) = delete;
    TPrivateDisplay& operator=(const TPrivateDisplay&) = delete;

    // Starts one when neither DISPLAY nor QT_QPA_PLATFORM is set, and sets
    // DISPLAY; call before the application object exists. False with a
    // reason when none can be started.
    bool ensure(QString* error);
    bool started() const { return m_pid > 0; }

private:
    pid_t m_pid = 0;
};
