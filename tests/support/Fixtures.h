#pragma once

#include <QByteArray>
#include <QString>

#include <nlohmann/json.hpp>

// Test data lives in tests/fixtures; names are relative to it. A missing or malformed file
// fails the test that asked for it.
QByteArray fixtureBytes(const QString& name);
nlohmann::json fixtureJson(const QString& name);
QString fixturePath(const QString& name);

// A JSON string or null as QString / optional.
QString qstr(const nlohmann::json& v);
