#include "ServiceEndpoints.h"

#include "JsonCodec.h"

#include <array>

namespace {

// Every service address, by its key in endpoints.json.
const std::array<std::pair<const char*, QUrl ServiceEndpoints::*>, 9> kAddresses{{
    {"knabenAPI", &ServiceEndpoints::knabenAPI},
    {"apibayQuery", &ServiceEndpoints::apibayQuery},
    {"eztvPrimary", &ServiceEndpoints::eztvPrimary},
    {"eztvFallback", &ServiceEndpoints::eztvFallback},
    {"torrentsCsvSearch", &ServiceEndpoints::torrentsCsvSearch},
    {"nyaaRoot", &ServiceEndpoints::nyaaRoot},
    {"ytsHost", &ServiceEndpoints::ytsHost},
    {"tmdbAPI", &ServiceEndpoints::tmdbAPI},
    {"tmdbImages", &ServiceEndpoints::tmdbImages},
}};

} // namespace

void ServiceEndpoints::pointEveryServiceAt(const QUrl& url) {
    for (const auto& address : kAddresses)
        this->*address.second = url;
}

std::optional<ServiceEndpoints> withOverrides(const ServiceEndpoints& base, QByteArrayView json, QString* error) {
    const auto fail = [&](const QString& why) -> std::optional<ServiceEndpoints> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const auto document = parseJson(json);
    if (!document || !document->is_object())
        return fail(QStringLiteral("not a JSON object"));

    ServiceEndpoints out = base;
    const std::array<std::pair<const char*, quint16 ServiceEndpoints::*>, 2> ports{{
        {"rpcPort", &ServiceEndpoints::rpcPort},
        {"peerPort", &ServiceEndpoints::peerPort},
    }};

    for (auto it = document->begin(); it != document->end(); ++it) {
        // Named, not bound: older compilers cannot capture structured bindings in lambdas.
        const std::string key = it.key();
        const auto& value = it.value();
        const auto address = std::find_if(kAddresses.cbegin(), kAddresses.cend(),
                                          [&](const auto& a) { return key == a.first; });
        const auto port = std::find_if(ports.cbegin(), ports.cend(), [&](const auto& p) { return key == p.first; });
        const QString name = QString::fromStdString(key);
        const bool isFeed = key == "updateFeed";
        if (address != kAddresses.cend() || isFeed) {
            const QUrl url(value.is_string() ? QString::fromStdString(value.get<std::string>()) : QString(),
                           QUrl::StrictMode);
            if (!url.isValid() || (url.scheme() != QStringLiteral("https") && url.scheme() != QStringLiteral("http")) ||
                url.host().isEmpty())
                return fail(name + QStringLiteral(" is not an http(s) address"));
            if (isFeed)
                out.updateFeed = url;
            else
                out.*(address->second) = url;
        } else if (port != ports.cend()) {
            if (!value.is_number_integer() || value.get<std::int64_t>() < 1 || value.get<std::int64_t>() > 65535)
                return fail(name + QStringLiteral(" is not a port number"));
            out.*(port->second) = static_cast<quint16>(value.get<std::int64_t>());
        } else {
            return fail(QStringLiteral("unknown key ") + name);
        }
    }
    return out;
}
