#pragma once

#include <QString>
#include <exception>

// A failure of a conversion or of a navigation step, carrying the classic error
// number that surveyors know from the old tools, and a Danish description that
// names the file concerned.
class GsiError : public std::exception {
public:
    enum Number {
        SubscriptOutOfRange = 9,
        FileNotFound = 53,
        DeviceIoError = 57,
        DiskFull = 61,
        DeviceUnavailable = 68,
        PermissionDenied = 70,
        DiskNotReady = 71,
        PathFileAccessError = 75,
        PathNotFound = 76,
    };

    GsiError(int number, QString description);

    int number() const { return m_number; }
    QString description() const { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

    // The error that opening or reading `path` most likely met, judged from what
    // the file system looks like now.
    // `systemError` is errno when known.
    static GsiError forRead(const QString& path, int systemError = 0);
    // The same for creating or writing `path`; `systemError` is errno when known.
    static GsiError forWrite(const QString& path, int systemError, qint64 bytesNeeded);

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
};
