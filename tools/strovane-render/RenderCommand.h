#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

// What a render run was asked to do, from the command line.
struct RenderOptions {
    QString input;
    QString output;
    QString preset;
    QStringList sets;               // KEY=VALUE, applied after the preset
    QList<QStringList> thenChanges; // each: KEY=VALUE list for one more request
    int decimation = 1;
    bool lowResolution = false;
    int depth = 8;
    // A batch tool: writing fast matters more than the last few percent of size.
    int pngCompression = 1;
    bool stats = false;
    bool preview = false; // paint as the live preview does
    QRect region;         // of a preview: the part painted (empty: all)
    QString tgrcFolder;
    qint64 maxMemory = 0; // bytes the render may take; 0: what the machine can give
};

// Splits "a=1,reveal_center=0.3,0.4" into {"a=1", "reveal_center=0.3,0.4"}:
// a piece without "=" belongs to the value before it.
QStringList splitAssignments(const QString& text);

// Renders INPUT into OUTPUT through the framework's request path. Returns
// the process exit code; errors are one line on stderr.
int runRender(int& argc, char** argv, const RenderOptions& options);
