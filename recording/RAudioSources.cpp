#include "RAudioSources.h"

#include <QDebug>
#include <QHash>

extern "C" {
#include <libavdevice/avdevice.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
}

namespace {

// PulseAudio and PipeWire name an output's monitor "<output>.monitor".
bool isMonitor(const QString &name)
{
    return name.endsWith(QLatin1String(".monitor"));
}

} // namespace

RAudioSources::Listing RAudioSources::arrange(const QList<Source> &server, int serverDefault, bool withMonitors)
{
    Listing listing;
    QList<Source> monitors;
    QString defaultName;
    for (int i = 0; i < server.size(); ++i) {
        Source s = server.at(i);
        s.name = s.name.trimmed();
        if (s.name.isEmpty())
            continue;
        if (i == serverDefault)
            defaultName = s.name;
        s.description = s.description.trimmed();
        if (s.description.isEmpty())
            s.description = s.name;
        s.monitor = s.monitor || isMonitor(s.name);
        if (!s.monitor)
            listing.sources.append(s);
        else if (withMonitors)
            monitors.append(s);
    }
    listing.sources.append(monitors);

    // A monitor is never preferred: a recording wants the room, not the speakers.
    // Two microphones of one model share a description.
    QHash<QString, int> seen;
    for (Source &s : listing.sources) {
        const int n = ++seen[s.description];
        if (n > 1)
            s.description += QStringLiteral(" (%1)").arg(n);
    }
    for (int i = 0; i < listing.sources.size(); ++i) {
        if (!defaultName.isEmpty() && listing.sources.at(i).name == defaultName && !listing.sources.at(i).monitor)
            listing.preferred = i;
    }
    if (listing.preferred < 0 && !listing.sources.isEmpty() && !listing.sources.first().monitor)
        listing.preferred = 0;
    return listing;
}

RAudioSources::Listing RAudioSources::list(bool withMonitors)
{
    avdevice_register_all();
    const AVInputFormat *pulse = av_find_input_format("pulse");
    if (!pulse) {
        Listing failed;
        failed.error = QStringLiteral("FFmpeg has no pulse input");
        return failed;
    }
    AVDeviceInfoList *devices = nullptr;
    const int ret = avdevice_list_input_sources(pulse, nullptr, nullptr, &devices);
    if (ret < 0 || !devices) {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(ret, text, sizeof text);
        avdevice_free_list_devices(&devices);
        Listing failed;
        failed.error = QStringLiteral("the sound server does not answer: ") + QString::fromUtf8(text);
        qInfo() << "RAudioSources::list:" << failed.error;
        return failed;
    }
    QList<Source> server;
    for (int i = 0; i < devices->nb_devices; ++i) {
        const AVDeviceInfo *d = devices->devices[i];
        Source s;
        s.name = QString::fromUtf8(d && d->device_name ? d->device_name : "");
        s.description = QString::fromUtf8(d && d->device_description ? d->device_description : "");
        server.append(s);
    }
    const int serverDefault = devices->default_device;
    avdevice_free_list_devices(&devices);
    Listing listing = arrange(server, serverDefault, withMonitors);
    qInfo() << "RAudioSources::list:" << listing.sources.size() << "sources of" << server.size() << "preferred"
            << listing.preferred;
    return listing;
}
