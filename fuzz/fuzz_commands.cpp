// The lines `lumivane <command>` sends to the running instance, and what anyone else who can
// reach the socket might send instead. The decoder either refuses a line with a message or
// gives a request that survives its own encoding unchanged; it never takes a hand-off (a JSON
// array) for a command.

#include "FuzzSupport.h"
#include "cli/CommandRequest.h"

#include <QJsonDocument>

using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray line = fuzz::bytes(data, size);
    const auto decoded = CommandRequest::decode(line);
    if (const QString* error = std::get_if<QString>(&decoded)) {
        require(!error->isEmpty(), "a refusal without a message", QString::fromUtf8(line));
        return 0;
    }
    const CommandRequest& request = std::get<CommandRequest>(decoded);
    require(line.size() <= CommandRequest::kMaxBytes, "an oversized line was taken",
            QString::number(line.size()));
    require(!QJsonDocument::fromJson(line).isArray(), "a hand-off was taken for a command",
            QString::fromUtf8(line));
    const QByteArray encoded = request.encode();
    require(encoded.endsWith('\n') && encoded.count('\n') == 1, "an answer of more than one line",
            QString::fromUtf8(encoded));
    const auto again = CommandRequest::decode(encoded.chopped(1));
    require(std::holds_alternative<CommandRequest>(again) &&
                std::get<CommandRequest>(again) == request,
            "a request that does not survive its encoding", QString::fromUtf8(line));
    return 0;
}
