#pragma once

#include "CommandRequest.h"

#include <QString>
#include <QStringList>

#include <variant>

// The words after `lumivane` when they name a command: what to ask the running instance,
// or a help text, or what is wrong with them.
namespace CommandLine {

struct Run {
    CommandRequest request;
    bool json = false;  // print the answer's data as JSON instead of its text
    bool names = false; // print the names alone, one a line (for completion and scripts)
    bool operator==(const Run&) const = default;
};
struct Help {
    QString text;
};
struct Mistake {
    QString message; // ends with where to find the right usage
};
using Parsed = std::variant<Run, Help, Mistake>;

// Whether the arguments are a command (any bare first word; the application itself takes only
// options and lumivane:// links), so the rest is ours.
bool isCommand(const QStringList& arguments);
// `arguments` without the program name.
Parsed parse(const QStringList& arguments);
// The "Commands:" section of `lumivane --help`, one line per command.
QString overview();
// Every command's words, for completion ("series add", …).
QStringList commandNames();

} // namespace CommandLine
