#pragma once

// Why a metadata lookup gave nothing. An empty answer with `none` is a real empty answer.
enum class LookupFailure {
    none,
    noKey,       // no API key to send
    refusedKey,  // the service answered 401: the key is wrong or revoked
    unreachable, // no answer: no network, a time-out, a refused connection
    badAnswer,   // an answer, but not a usable one (another status, garbled JSON)
};

// A lookup's answer together with why it is empty, for callers that must tell the user.
template <typename T>
struct Lookup {
    T value{};
    LookupFailure failure = LookupFailure::none;
};
