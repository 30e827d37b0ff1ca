#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "model/Show.h"
#include "model/Timestamp.h"

#include <nlohmann/json.hpp>

#include <optional>

// Test data lives in tests/fixtures; names are relative to it. A missing or malformed file
// fails the test that asked for it.
QByteArray fixtureBytes(const QString& name);
nlohmann::json fixtureJson(const QString& name);

// A JSON string or null as QString / optional.
QString qstr(const nlohmann::json& v);
// The texts of a fixture's list.
QStringList strings(const nlohmann::json& list);

// A UTC time as fixtures write it ("2025-03-13T12:00"); nullopt for null.
std::optional<Timestamp> utcOf(const nlohmann::json& v);
// A series from a partial stored record (named "Dark" unless it says), read by the product's
// own reader; its dates may be written as UTC times.
Show showFrom(nlohmann::json record);
