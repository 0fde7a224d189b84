#pragma once

#include <QString>
#include <QStringList>

// What the command line asks of a run. It is read before QApplication exists, so that
// asking for the help or the version needs no display; Qt's own options (-platform, -style,
// -reverse, …) are passed over here and left in argv for QApplication.
namespace CommandLine {

enum class Action { Run, ShowHelp, ShowVersion, Refuse };

struct Request {
    Action action = Action::Run;
    QString refusal; // why the arguments were refused, in Japanese
};

// The exit status for arguments the program does not understand.
inline constexpr int kBadArguments = 2;

QStringList arguments(int argc, const char* const* argv);

// `arguments` as the program received them, its own name first.
Request read(const QStringList& arguments);

// Answers a request other than Run on stdout or stderr; returns the exit status.
int answer(const Request& request);

} // namespace CommandLine
