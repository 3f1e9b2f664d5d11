#pragma once
// Packs one encoded H.264 stream as fragmented MP4 in memory, the form a
// browser's Media Source takes: one init segment, then one small fragment
// per picture. A picture's fragment is complete when the next picture
// arrives (its length is the gap between the two), so it trails by a frame.

#include "VPacket.h"

#include <QByteArray>
#include <QString>

struct AVFormatContext;
struct AVIOContext;
struct AVStream;

class VFragmenter
{
public:
    struct Fragment {
        QByteArray bytes;
        bool key = false; // starts with a key frame: a viewer may begin here
        qint64 ptsUs = 0;
    };

    VFragmenter() = default;
    ~VFragmenter();
    VFragmenter(const VFragmenter &) = delete;
    VFragmenter &operator=(const VFragmenter &) = delete;

    bool open(const VStreamInfo &video, QString *error);
    void close();
    QByteArray initSegment() const { return m_init; }
    // The browser's codec name, e.g. avc1.42c01f.
    QString codec() const { return m_codec; }

    // True when the packet completed the previous picture's fragment.
    bool add(const VPacket &packet, Fragment *done);

    static QString codecName(const QByteArray &extradata);

private:
    static int write(void *opaque, uint8_t *data, int size);
    QByteArray take();

    AVFormatContext *m_context = nullptr;
    AVIOContext *m_io = nullptr;
    AVStream *m_stream = nullptr;
    QByteArray m_pending;
    QByteArray m_init;
    QString m_codec;
    bool m_lastKey = false;
    qint64 m_lastPtsUs = -1;
};
