#pragma once

#include "strobase_global.h"

#include <QString>
#include <QUrl>

// Process-wide set-up of the framework: where its data and its resource
// folder (brush sets, canvases) are, and the GL worker thread's lifetime.
namespace Strobase {

STROBASE_EXPORT void init(const QString& dataFolder, const QUrl& url, const QString& tgrcFolder);
// Finishes pending GL work and stops the GL worker thread.
STROBASE_EXPORT void shutDown();

// Before the application object exists: OpenGL 3.3 core as the default
// surface format, and contexts shared with the QML scene graph.
STROBASE_EXPORT void setOpenGLDefaults();

STROBASE_EXPORT QString dataFolder();
STROBASE_EXPORT QString tgrcFolder();

} // namespace Strobase
