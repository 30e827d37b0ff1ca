#include "Fixtures.h"

#include "model/RecordCodecs.h"

#include <QFile>

#include <gtest/gtest.h>

QByteArray fixtureBytes(const QString& name) {
    QFile file(QStringLiteral(LUMIVANE_TEST_FIXTURES "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "missing fixture " << name.toStdString();
    return file.readAll();
}

nlohmann::json fixtureJson(const QString& name) {
    nlohmann::json j = nlohmann::json::parse(fixtureBytes(name).toStdString(), nullptr, false);
    if (j.is_discarded())
        ADD_FAILURE() << "malformed fixture " << name.toStdString();
    return j;
}

QString qstr(const nlohmann::json& v) {
    return v.is_string() ? QString::fromStdString(v.get<std::string>()) : QString();
}

QStringList strings(const nlohmann::json& list) {
    QStringList out;
    for (const auto& text : list)
        out << qstr(text);
    return out;
}

std::optional<Timestamp> utcOf(const nlohmann::json& v) {
    if (!v.is_string())
        return std::nullopt;
    return Timestamp::fromDateTime(QDateTime::fromString(qstr(v) + "Z", Qt::ISODate));
}

Show showFrom(nlohmann::json record) {
    for (auto& [key, value] : record.items()) {
        if (value.is_string() && (key.ends_with("Date") || key.ends_with("At")))
            value = utcOf(value)->secondsSinceReference;
    }
    record.emplace("name", "Dark");
    const auto shows = decodeDocument<QList<Show>>(QByteArray::fromStdString(nlohmann::json::array({record}).dump()));
    EXPECT_TRUE(shows) << record.dump();
    return shows ? shows->first() : Show{};
}
