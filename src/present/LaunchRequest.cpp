#include "LaunchRequest.h"

#include <QUrl>

bool isShowLink(const QString& argument) {
    const QUrl url(argument, QUrl::StrictMode);
    // QUrl lower-cases the scheme; the host is compared the same way.
    return url.isValid() &&
           url.scheme().compare(QLatin1String("lumivane"), Qt::CaseInsensitive) == 0 &&
           url.host().compare(QLatin1String("show"), Qt::CaseInsensitive) == 0;
}

LaunchRequest launchRequest(const QStringList& arguments) {
    if (arguments.isEmpty())
        return LaunchRequest::showWindow;
    for (const QString& argument : arguments) {
        if (isShowLink(argument))
            return LaunchRequest::showWindow;
    }
    return LaunchRequest::ignore;
}
