// The window's command line: which arguments are files to list and which are Qt's own options,
// decided before any window exists, so that --help, --version and a refused option need no display.
#pragma once

#include <QByteArray>
#include <QList>

enum class EStartAction {
    OpenWindow,     // run the window with the files listed
    ShowHelp,       // write the usage to standard output, exit 0
    ShowVersion,    // write the version to standard output, exit 0
    Refuse,         // write the refusal to standard error, exit 2
};

struct SStartCommand {
    EStartAction eAction = EStartAction::OpenWindow;
    // Qt's own options and their values, as indexes into the arguments, in their order: all that
    // QApplication is given besides the program, so it never takes a file for one of its options.
    QList<int> qtArguments;
    // The files to list, in the order given: the argument's bytes, made absolute against the
    // current directory as a drop would name them.
    QList<QByteArray> files;
    // For Refuse: both lines of standard error, ending in "Try 'pagewick --help'.".
    QByteArray refusal;
};

// Reads a command line (args[0] is the program) left to right: the first of --help, --version or
// an option neither the program's nor Qt's decides; "--" ends the options.
SStartCommand ParseStartCommand(const QList<QByteArray>& args, const QByteArray& currentDir);

// The files a command line names (argv[0] is the program), as the window lists them.
QList<QByteArray> StartFilesFromArguments(int argc, char** argv);

// What --help writes: at most 80 columns.
QByteArray StartUsage(const char* pszSupportEmail);
// What --version writes.
QByteArray StartVersion();

// The process's current directory as bytes; empty when it cannot be named (it was removed).
QByteArray CurrentDirectory();
