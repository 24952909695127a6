#include "clipboard/ClipboardLabels.h"

#include "platform/MainQueue.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QTextBoundaryFinder>

namespace {

// The end of the first `count` grapheme clusters of text, or -1 when text has no more than
// `count` of them. Only a growing prefix is handed to the boundary finder, so a huge text
// costs little more than a short one.
qsizetype endOfClusters(QStringView text, int count) {
    qsizetype window = 1024;
    while (true) {
        const bool whole = window >= text.size();
        const QStringView part = whole ? text : text.first(window);
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, part.data(), part.size());
        int found = 0;
        qsizetype position = 0;
        while (found < count) {
            position = finder.toNextBoundary();
            if (position < 0) {
                break;
            }
            ++found;
        }
        // A boundary at the end of a partial window may be an artefact of the cut.
        if (found == count && (whole || position < part.size())) {
            return position < text.size() ? position : -1;
        }
        if (whole) {
            return -1;
        }
        window *= 4;
    }
}

} // namespace

QString previewText(const QString& text) {
    // The same white space and line breaks as QString::trimmed, without copying the text.
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start).isSpace()) {
        ++start;
    }
    while (end > start && text.at(end - 1).isSpace()) {
        --end;
    }
    const QStringView trimmed = QStringView(text).sliced(start, end - start);
    const int maxClusters = 120;
    if (trimmed.size() <= maxClusters) {
        return trimmed.toString();
    }
    const qsizetype cut = endOfClusters(trimmed, maxClusters);
    if (cut < 0) {
        return trimmed.toString();
    }
    return trimmed.first(cut).toString() + QChar(0x2026);
}

QString timeAgo(const QDateTime& date, const QDateTime& now) {
    // Integer division truncates toward zero, as the label wants.
    const qint64 s = date.msecsTo(now) / 1000;
    if (s < 5) {
        return QCoreApplication::translate("ClipboardLabels", "now");
    }
    if (s <= 59) {
        return QCoreApplication::translate("ClipboardLabels", "%1s").arg(s);
    }
    if (s <= 3599) {
        return QCoreApplication::translate("ClipboardLabels", "%1m").arg(s / 60);
    }
    return QCoreApplication::translate("ClipboardLabels", "%1h").arg(s / 3600);
}

QString timeAgo(const QDateTime& date) {
    return timeAgo(date, Platform::current().mainQueue->now());
}
