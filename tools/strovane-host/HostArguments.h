#pragma once

#include <QRect>
#include <QString>

// The command line: [--preset-id ID] [--silent] [--selection X,Y,W,H]
// [--verbose] IN OUT.
struct HostArguments {
    QString presetId;
    bool silent = false;
    bool verbose = false; // the program's own output on stderr
    bool hasSelection = false;
    QRect selection;
    QString in, out;
    bool help = false;

    // False with the reason for a command line it cannot use.
    static bool parse(int argc, char** argv, HostArguments* arguments, QString* error);
    static const char* usage();
};
