#include "CommandLine.h"

#include "res/Version.h"

#include <cstring>

namespace {

struct SQtOption {
    const char* pszName;    // without its leading "-"
    bool bValue;            // takes the next argument as its value
};

// The options that QApplication takes out of the command line on this platform (QtCore, QtGui,
// QtWidgets and the X11 platform plugin), each also with two leading dashes as Qt accepts them.
const SQtOption kQtOptions[] = {
    {"platform", true},  {"platformpluginpath", true}, {"platformtheme", true}, {"plugin", true},
    {"qwindowgeometry", true}, {"qwindowicon", true}, {"qwindowtitle", true},
    {"geometry", true},  {"icon", true},  {"title", true},     // the X11 names of the three above
    {"display", true},   {"name", true},  {"visual", true},    // the X11 connection
    {"session", true},   {"style", true}, {"stylesheet", true}, {"qmljsdebugger", true},
    {"reverse", false},  {"widgetcount", false}, {"testability", false},
    {"nograb", false},   {"dograb", false}, {"sync", false},
};
// The ones Qt also takes as "-name=value", in one argument.
const char* const kQtJoinedOptions[] = {"style", "stylesheet", "qmljsdebugger"};

const SQtOption* FindQtOption(const QByteArray& name)
{
    for (const SQtOption& option : kQtOptions) {
        if (name == option.pszName)
            return &option;
    }
    return nullptr;
}

bool IsQtJoinedOption(const QByteArray& name)
{
    const int nEquals = name.indexOf('=');
    for (const char* pszName : kQtJoinedOptions) {
        if (nEquals == int(std::strlen(pszName)) && name.startsWith(pszName))
            return true;
    }
    return false;
}

// An argument as a line of standard error shows it: its bytes, with control characters written
// as \xNN so that the message stays one line.
QByteArray Shown(const QByteArray& arg)
{
    QByteArray shown;
    for (const char c : arg) {
        const auto uc = static_cast<unsigned char>(c);
        if (uc < 0x20 || uc == 0x7f)
            shown += "\\x" + QByteArray::number(uc, 16).rightJustified(2, '0');
        else
            shown += c;
    }
    return shown;
}

SStartCommand Refused(const QByteArray& reason)
{
    SStartCommand command;
    command.eAction = EStartAction::Refuse;
    command.refusal = "pagewick: " + reason + "\nTry 'pagewick --help'.\n";
    return command;
}

// A dropped file is named by its whole path; a relative one is taken from the current directory.
QByteArray AbsoluteStartPath(QByteArray path, const QByteArray& currentDir)
{
    if (path.isEmpty() || path.startsWith('/') || currentDir.isEmpty())
        return path;
    while (path.startsWith("./"))
        path.remove(0, 2);
    if (path == ".")
        path.clear();
    QByteArray absolute = currentDir;
    if (!absolute.endsWith('/'))
        absolute += '/';
    return absolute + path;
}

}  // namespace

SStartCommand ParseStartCommand(const QList<QByteArray>& args, const QByteArray& currentDir)
{
    SStartCommand command;
    bool bOptionsEnd = false;
    for (int i = 1; i < int(args.size()); ++i) {
        const QByteArray& arg = args[i];
        if (bOptionsEnd || !arg.startsWith('-') || arg == "-") {
            command.files.append(AbsoluteStartPath(arg, currentDir));
            continue;
        }
        if (arg == "--") {
            bOptionsEnd = true;
        } else if (arg == "--help" || arg == "-h") {
            return SStartCommand{EStartAction::ShowHelp, {}, {}, {}};
        } else if (arg == "--version") {
            return SStartCommand{EStartAction::ShowVersion, {}, {}, {}};
        } else {
            const QByteArray name = arg.mid(arg.startsWith("--") ? 2 : 1);
            const SQtOption* pOption = FindQtOption(name);
            if (pOption == nullptr && !IsQtJoinedOption(name))
                return Refused("unknown option '" + Shown(arg) + "'");
            command.qtArguments.append(i);
            if (pOption != nullptr && pOption->bValue) {
                if (i + 1 >= int(args.size()))
                    return Refused("option '" + Shown(arg) + "' needs a value");
                command.qtArguments.append(++i);
            }
        }
    }
    return command;
}

QList<QByteArray> StartFilesFromArguments(int argc, char** argv)
{
    QList<QByteArray> args;
    for (int i = 0; i < argc; ++i)
        args.append(QByteArray(argv[i]));
    return ParseStartCommand(args, CurrentDirectory()).files;
}

QByteArray StartUsage(const char* pszSupportEmail)
{
    return QByteArray(
               "Usage: pagewick [OPTION]... [FILE]...\n"
               "Opens Pagewick's window, which counts the pages of TIFF files.\n"
               "\n"
               "Each FILE is put in the window's list as if it had been dropped on the window,\n"
               "in the order given; folders, and paths that do not exist, are skipped. Nothing\n"
               "is counted until you press \"Count files in list\".\n"
               "\n"
               "Options:\n"
               "  -h, --help     show this help and exit\n"
               "      --version  show the version and exit\n"
               "  --             take every later argument as a FILE, also one that begins\n"
               "                 with \"-\"\n"
               "\n"
               "Qt's own options, such as -platform NAME or -style NAME, go to Qt.\n"
               "\n"
               "Exit status: 0 when the window has closed, 2 on an unknown option.\n"
               "\n"
               "Report faults to <") +
           pszSupportEmail + ">.\n";
}

QByteArray StartVersion()
{
    return QByteArrayLiteral("pagewick " PAGEWICK_VERSION "\n");
}
