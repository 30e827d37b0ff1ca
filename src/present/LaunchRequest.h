#pragma once

#include <QStringList>

// What a start of `lumivane` asks of an instance that already runs. A plain start and a
// lumivane://show link want the main window; any other link is not ours to act on.
enum class LaunchRequest { showWindow, ignore };

// `arguments` are the start's arguments without the program name.
LaunchRequest launchRequest(const QStringList& arguments);
// A link that shows the main window: scheme "lumivane", host "show", in any letter case.
bool isShowLink(const QString& argument);
