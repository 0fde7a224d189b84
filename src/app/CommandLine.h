#pragma once

#include <QString>
#include <QStringList>

// What the command line asks of a run. It is read before QApplication exists, so that
// asking for the help or the version needs no display; Qt's own options (-platform, -style,
// -reverse, …) are passed over here and left in argv for QApplication.
namespace CommandLine {

enum class Action { Run, ShowHelp, ShowVersion, RainAt, Refuse };

struct Request {
    Action action = Action::Run;
    QString refusal; // why the arguments were refused, in Japanese
    QString place;   // RainAt: "LAT,LON" or the name of a saved place
    bool json = false;
};

// The exit status for arguments the program does not understand.
inline constexpr int kBadArguments = 2;
// The exit status when what was asked for needs data that cannot be had.
inline constexpr int kNoData = 3;

QStringList arguments(int argc, const char* const* argv);

// `arguments` as the program received them, its own name first.
Request read(const QStringList& arguments);

// Answers a request other than Run and RainAt on stdout or stderr; returns the exit status.
int answer(const Request& request);

// Writes a refusal (kBadArguments) or why data is missing (kNoData) on stderr.
int fail(int status, const QString& message);

} // namespace CommandLine
