// Photos dragged from the list to the map travel as their records' numbers.
#pragma once

#include <QByteArray>
#include <QMimeData>
#include <QString>

#include <vector>

namespace geotal::app {

inline QString RecordsMimeType() {
    return QStringLiteral("application/x-geotal-records");
}

inline QByteArray EncodeRecords(const std::vector<int>& records) {
    QByteArray text;
    for (int record : records) {
        text += (text.isEmpty() ? "" : " ") + QByteArray::number(record);
    }
    return text;
}

inline std::vector<int> DecodeRecords(const QMimeData* mime) {
    std::vector<int> records;
    if (mime == nullptr || !mime->hasFormat(RecordsMimeType())) {
        return records;
    }
    for (const QByteArray& part : mime->data(RecordsMimeType()).split(' ')) {
        bool ok = false;
        const int record = part.toInt(&ok);
        if (ok && record >= 0) {
            records.push_back(record);
        }
    }
    return records;
}

}  // namespace geotal::app
