#include "LaunchRequest.h"

#include <gtest/gtest.h>

TEST(LaunchRequest, APlainStartAndAShowLinkInAnyCaseShowTheWindowOtherLinksAreIgnored) {
    const std::pair<QStringList, LaunchRequest> table[] = {
        {{}, LaunchRequest::showWindow},
        {{"lumivane://show"}, LaunchRequest::showWindow},
        {{"LUMIVANE://SHOW"}, LaunchRequest::showWindow},
        {{"LumiVane://Show/"}, LaunchRequest::showWindow},
        {{"lumivane://show?from=notification"}, LaunchRequest::showWindow},
        {{"https://example.org", "lumivane://show"}, LaunchRequest::showWindow},
        {{"lumivane://hide"}, LaunchRequest::ignore},
        {{"lumivane://"}, LaunchRequest::ignore},
        {{"lumivane:show"}, LaunchRequest::ignore},
        {{"http://show"}, LaunchRequest::ignore},
        {{"lumivane://showing"}, LaunchRequest::ignore},
        {{"show"}, LaunchRequest::ignore},
        {{""}, LaunchRequest::ignore},
        {{"lumivane://sh ow"}, LaunchRequest::ignore},
    };
    for (const auto& [arguments, expected] : table)
        EXPECT_EQ(launchRequest(arguments), expected) << arguments.join(' ').toStdString();
}
