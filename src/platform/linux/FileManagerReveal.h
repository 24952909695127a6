#pragma once

#include <QList>
#include <QUrl>

class QObject;

// Shows the files selected in the desktop's file manager over D-Bus
// (org.freedesktop.FileManager1.ShowItems). When no file manager answers, the folder holding
// the first file is opened instead. The call never blocks; context bounds the pending reply.
void revealInFileManager(const QList<QUrl>& urls, QObject* context);
