// Fetching one file over HTTP into a local file, as the self-update does.
#pragma once

#include <QString>

namespace platform {

// Downloads from one server. The window keeps painting and taking input meanwhile; a
// requested termination cuts the download short.
class HttpDownloader {
public:
    // baseAddress: "http://host[:port]", to which each path is appended. agent: the
    // User-Agent sent with every request.
    HttpDownloader(QString baseAddress, QString agent);

    // Writes the answer to path into target (created or truncated). True only when the server
    // answered 200 with at least one byte and, if it gave a length, all of it arrived. A
    // target that cannot be written throws std::runtime_error with a Russian text.
    bool DownloadFile(const QString& path, const QString& target);

    // How long the server may stay silent before the download counts as failed.
    void setStallTimeout(int milliseconds) { stallTimeout_ = milliseconds; }

    QString baseAddress() const { return baseAddress_; }

private:
    QString baseAddress_;
    QString agent_;
    int stallTimeout_ = 30000;
};

} // namespace platform
