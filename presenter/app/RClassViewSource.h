#pragma once

#include <QString>

#include <functional>

class VPacketHub;

// The encoded class view as its consumers (share, publish) take it, so they
// do not depend on who encodes it.
struct RClassViewSource
{
    std::function<bool(QString *error)> acquire;
    std::function<void()> release;
    std::function<VPacketHub *()> hub;
    std::function<void()> requestKeyFrame; // may be empty
};
