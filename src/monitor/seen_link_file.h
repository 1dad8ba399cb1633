// The run's record of handled links: CR LF and a link digest per record, so the file begins with
// CR LF and has none at its end.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace lc {

class SeenLinkFile {
public:
    explicit SeenLinkFile(QString path) : path_(std::move(path)) {}

    // The file's bytes up to the first zero byte; a missing or unreadable file reads as empty.
    std::string read() const;
    // Replaces the file, all at once, by its text and one more record; false when it cannot.
    bool append(std::string_view digest) const;

private:
    QString path_;
};

}  // namespace lc
