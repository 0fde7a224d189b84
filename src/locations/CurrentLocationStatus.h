#pragma once

#include <QDebug>
#include <QString>

// Where a request for the current location stands.
struct CurrentLocationStatus {
    enum class Kind {
        failed,     // the last request failed; `message` says why, in Japanese
        idle,       // nothing outstanding (the start, and after a place was delivered)
        requesting, // waiting for access, a position or its name
        denied,     // the user or a policy refused access to the location
    };

    Kind kind = Kind::idle;
    QString message; // only for `failed`

    static CurrentLocationStatus idle() { return {Kind::idle, {}}; }
    static CurrentLocationStatus requesting() { return {Kind::requesting, {}}; }
    static CurrentLocationStatus denied() { return {Kind::denied, {}}; }
    static CurrentLocationStatus failed(QString message)
    {
        return {Kind::failed, std::move(message)};
    }

    friend bool operator==(const CurrentLocationStatus&, const CurrentLocationStatus&) = default;
};

inline QDebug operator<<(QDebug debug, const CurrentLocationStatus& status)
{
    QDebugStateSaver saver(debug);
    static const char* const names[] = {"failed", "idle", "requesting", "denied"};
    debug.nospace() << "CurrentLocationStatus(" << names[int(status.kind)];
    if (status.kind == CurrentLocationStatus::Kind::failed)
        debug << ", " << status.message;
    debug << ')';
    return debug;
}
