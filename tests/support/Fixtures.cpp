#include "Fixtures.h"

#include <QFile>

#include <gtest/gtest.h>

QString fixturePath(const QString& name) {
    return QStringLiteral(LUMIVANE_TEST_FIXTURES "/") + name;
}

QByteArray fixtureBytes(const QString& name) {
    QFile file(fixturePath(name));
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
