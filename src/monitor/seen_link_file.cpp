#include "monitor/seen_link_file.h"

#include <QFile>
#include <QSaveFile>

#include "text/gbk_text.h"

namespace lc {

std::string SeenLinkFile::read() const {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    return toText(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

bool SeenLinkFile::append(std::string_view digest) const {
    const std::string text = read() + "\r\n" + std::string(digest);
    // A crash or a full disk mid-write must not cost the earlier records: write a temporary
    // file and rename it over the old one. QSaveFile commits a short write (a full disk) as
    // success, so the write goes unbuffered and its count is checked here.
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
    if (file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace lc
