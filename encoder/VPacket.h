#pragma once
// One encoded packet as every consumer sees it: shared, never copied, with
// its timestamps in microseconds from the recording's start.

#include <QtGlobal>

#include <memory>

struct AVPacket;
struct AVCodecParameters;

// The time base of every packet and stream handed out here.
constexpr int kVMicroseconds = 1000000;

struct VPacket {
    std::shared_ptr<const AVPacket> packet; // pts/dts/duration in microseconds
    int stream = 0;                         // index in the hub's stream list
    qint64 bytes() const;
    bool isKey() const;
};

// What a consumer needs to set up an output for one stream (codec,
// extradata, size or sample rate).
struct VStreamInfo {
    std::shared_ptr<const AVCodecParameters> params;
    bool isVideo() const;
};
